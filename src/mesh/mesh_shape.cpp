#include "mesh/mesh_shape.h"

#include <cstring>
#include <new>

#include "core/report.h"
#include "mesh/tri_grid.h"

namespace ovoid {

void MeshExtendBounds(MeshShape& mesh, Vec3 p) {
  if (p.x > mesh.boundsMax.x) mesh.boundsMax.x = p.x;
  if (p.x < mesh.boundsMin.x) mesh.boundsMin.x = p.x;
  if (p.y > mesh.boundsMax.y) mesh.boundsMax.y = p.y;
  if (p.y < mesh.boundsMin.y) mesh.boundsMin.y = p.y;
  if (p.z > mesh.boundsMax.z) mesh.boundsMax.z = p.z;
  if (p.z < mesh.boundsMin.z) mesh.boundsMin.z = p.z;
}

MeshTri* MeshAddTriangle(MeshShape& mesh, Vec3 c1, Vec3 c2, Vec3 c3) {
  auto* tri = new (std::nothrow) MeshTri{};
  if (tri == nullptr) return nullptr;
  TriGridFree(mesh);  // the grid no longer covers every triangle
  if (mesh.tris.head == nullptr) {
    mesh.boundsMax = c1;
    mesh.boundsMin = c1;
  }
  MeshExtendBounds(mesh, c1);
  MeshExtendBounds(mesh, c2);
  MeshExtendBounds(mesh, c3);
  tri->corner1 = c1;
  tri->corner2 = c2;
  tri->corner3 = c3;
  return ListAppend(tri, mesh.tris);
}

void MeshFreeTriangles(MeshShape& mesh) {
  while (MeshTri* tri = mesh.tris.head) {
    ListRemove(tri, mesh.tris);
    delete tri;
  }
  TriGridFree(mesh);
}

namespace {

bool HasMesh(const CollBody& body) {
  for (const CollShape* shape = body.shapes.head; shape != nullptr; shape = shape->link.next) {
    if (shape->kind == kMesh) return true;
  }
  return false;
}

void AddToEveryMesh(CollBody& body, Vec3 c1, Vec3 c2, Vec3 c3) {
  for (CollShape* shape = body.shapes.head; shape != nullptr; shape = shape->link.next) {
    if (shape->kind == kMesh) MeshAddTriangle(AsMesh(*shape), c1, c2, c3);
  }
}

// Little-endian 32-bit words at byte offsets of the host's block; memcpy because the
// host gives no alignment promise.
uint32_t ReadWord(const unsigned char* block, uint32_t offset) {
  uint32_t word;
  std::memcpy(&word, block + offset, sizeof word);
  return word;
}

Vec3 ReadVertex(const unsigned char* vertices, int32_t index) {
  const unsigned char* at = vertices + static_cast<intptr_t>(index) * 12;
  Vec3 v;
  std::memcpy(&v.x, at, 4);
  std::memcpy(&v.y, at + 4, 4);
  std::memcpy(&v.z, at + 8, 4);
  return v;
}

}  // namespace

void AddMeshTri(World& world, uint32_t number, Vec3 c1, Vec3 c2, Vec3 c3) {
  CollObj* obj = CheckObjNumber(world, number);
  if (obj == nullptr) return;
  AddToEveryMesh(*obj->body, c1, c2, c3);
}

void AddMeshBlock(World& world, uint32_t number, const void* blockAddress) {
  CollObj* obj = CheckObjNumber(world, number);
  // With no mesh to fill, the host's block is not touched at all.
  if (obj == nullptr || blockAddress == nullptr || !HasMesh(*obj->body)) return;
  const auto* block = static_cast<const unsigned char*>(blockAddress);
  const uint32_t vertexOffset = ReadWord(block, 4) & ~3u;
  const auto faceCount = static_cast<int32_t>(ReadWord(block, 16));
  const uint32_t faceOffset = ReadWord(block, 20) & ~3u;
  const unsigned char* vertices = block + vertexOffset;
  for (int32_t face = 0; face < faceCount; ++face) {
    const unsigned char* record = block + faceOffset + static_cast<uintptr_t>(face) * 28;
    const auto v1 = static_cast<int32_t>(ReadWord(record, 4));
    const auto v2 = static_cast<int32_t>(ReadWord(record, 12));
    const auto v3 = static_cast<int32_t>(ReadWord(record, 20));
    AddToEveryMesh(*obj->body, ReadVertex(vertices, v1), ReadVertex(vertices, v2),
                   ReadVertex(vertices, v3));
  }
}

}  // namespace ovoid
