#include "mesh/mesh_shape.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/registry.h"
#include "expect_vec.h"
#include "test_world.h"

namespace ovoid {
namespace {

struct Tri {
  Vec3 c1, c2, c3;
};

std::vector<Tri> Tris(const MeshShape& mesh) {
  std::vector<Tri> out;
  for (const MeshTri* t = mesh.tris.head; t != nullptr; t = t->link.next) {
    out.push_back({t->corner1, t->corner2, t->corner3});
  }
  return out;
}

void ExpectTris(const MeshShape& mesh, const std::vector<Tri>& want) {
  const std::vector<Tri> got = Tris(mesh);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "triangle " << i + 1);
    ExpectVecBits(got[i].c1, want[i].c1);
    ExpectVecBits(got[i].c2, want[i].c2);
    ExpectVecBits(got[i].c3, want[i].c3);
  }
}

TEST(MeshBounds, FirstTriangleSetsThemWhateverTheyHeld) {
  MeshShape mesh;
  mesh.boundsMin = Vec3{-100, -100, -100};
  mesh.boundsMax = Vec3{100, 100, 100};
  MeshAddTriangle(mesh, {1, 2, 3}, {4, -5, 6}, {0, 0, 9});
  ExpectVecBits(mesh.boundsMin, Vec3{0, -5, 3});
  ExpectVecBits(mesh.boundsMax, Vec3{4, 2, 9});

  MeshAddTriangle(mesh, {1, 1, 4}, {2, -4, 5}, {3, 0, 8});  // inside
  ExpectVecBits(mesh.boundsMin, Vec3{0, -5, 3});
  ExpectVecBits(mesh.boundsMax, Vec3{4, 2, 9});
  MeshAddTriangle(mesh, {1, 1, 4}, {2, 7, 5}, {3, 0, 8});  // out on +y only
  ExpectVecBits(mesh.boundsMin, Vec3{0, -5, 3});
  ExpectVecBits(mesh.boundsMax, Vec3{4, 7, 9});
  MeshAddTriangle(mesh, {-0.0f, 1, 4}, {1, 1, 4}, {1, 1, 5});  // equal is not beyond
  ExpectVecBits(mesh.boundsMin, Vec3{0, -5, 3});
  MeshFreeTriangles(mesh);
  EXPECT_EQ(mesh.tris.head, nullptr);
}

// Object 1 carries a mesh, an ellipsoid and a second mesh; object 2 only an ellipsoid.
class MeshShapeTest : public WorldTest {
 protected:
  MeshShapeTest() {
    NewCollObj(world, 1, 0);
    for (uint32_t kind : {2u, 1u, 2u}) AddObjShape(world, 1, kind);
    NewCollObj(world, 2, 0);
    AddObjShape(world, 2, 1);
  }

  std::vector<MeshShape*> Meshes(uint32_t number = 1) {
    std::vector<MeshShape*> out;
    for (CollShape* s = world.objectTable[number]->body->shapes.head; s != nullptr;
         s = s->link.next) {
      if (s->kind == kMesh) out.push_back(&AsMesh(*s));
    }
    return out;
  }
};

TEST_F(MeshShapeTest, AddMeshTriFillsEveryMeshInOrder) {
  AddMeshTri(world, 1, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  AddMeshTri(world, 1, {5, 5, 5}, {6, 5, 5}, {5, 6, 5});
  ASSERT_EQ(Meshes().size(), 2u);
  for (MeshShape* mesh : Meshes()) {
    ExpectTris(*mesh, {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{5, 5, 5}, {6, 5, 5}, {5, 6, 5}}});
  }
  Arm();
  AddMeshTri(world, 2, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});  // no mesh: nothing, silently
  EXPECT_TRUE(reports.empty());
  AddMeshTri(world, 3, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  EXPECT_EQ(reports, std::vector<std::string>{"Object not defined in collision system: 3"});
}

// A host mesh block. The vertex offset 14 is used as 12, so vertex 0 overlaps the last three
// header words; the face offset 75 is used as 72. Unread words hold junk.
class MeshBlock {
 public:
  explicit MeshBlock(int32_t faceCount) : words(39, 0xDEADBEEFu) {
    words[1] = 14;
    words[3] = std::bit_cast<uint32_t>(7.5f);
    words[4] = static_cast<uint32_t>(faceCount);
    words[5] = 75;
    const Vec3 vertices[] = {{1, 2, 3}, {4, -5, 6}, {0, 0, 9}, {10, 10, 10}};
    std::memcpy(&words[6], vertices, sizeof vertices);
    const int faces[3][3] = {{1, 2, 3}, {4, 1, 2}, {0, 4, 3}};
    for (int k = 0; k < 3; ++k) {
      for (int c = 0; c < 3; ++c)
        words[18 + 7 * k + 1 + 2 * c] = static_cast<uint32_t>(faces[k][c]);
    }
  }
  const void* data() const { return words.data(); }

  static Vec3 Vertex0() { return Vec3{7.5f, std::bit_cast<float>(3u), std::bit_cast<float>(75u)}; }

 private:
  std::vector<uint32_t> words;
};

TEST_F(MeshShapeTest, AddMeshBlockReadsTheNamedWordsOnly) {
  const MeshBlock block(3);
  AddMeshTri(world, 1, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  AddMeshBlock(world, 1, block.data());
  const Vec3 v1{1, 2, 3}, v2{4, -5, 6}, v3{0, 0, 9}, v4{10, 10, 10};
  for (MeshShape* mesh : Meshes()) {
    ExpectTris(*mesh, {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                       {v1, v2, v3},
                       {v4, v1, v2},
                       {MeshBlock::Vertex0(), v4, v3}});
    ExpectVecBits(mesh->boundsMax, Vec3{10, 10, 10});
    ExpectVecBits(mesh->boundsMin, Vec3{0, -5, 0});
  }
}

TEST_F(MeshShapeTest, AddMeshBlockWithNoFacesAddsNothing) {
  for (int32_t count : {0, -1, INT_MIN}) {
    SCOPED_TRACE(count);
    const MeshBlock block(count);
    AddMeshBlock(world, 1, block.data());
    for (MeshShape* mesh : Meshes()) EXPECT_EQ(mesh->tris.head, nullptr);
  }
  AddMeshBlock(world, 1, nullptr);
  for (MeshShape* mesh : Meshes()) EXPECT_EQ(mesh->tris.head, nullptr);
}

TEST_F(MeshShapeTest, BlockIsNotReadWhenNothingCanBeAdded) {
  // One byte: reading any header word would run past it (AddressSanitizer reports it).
  const auto tiny = std::make_unique<unsigned char[]>(1);
  Arm();
  AddMeshBlock(world, 0, tiny.get());
  EXPECT_EQ(reports,
            std::vector<std::string>{"Object number out of range for collision system: 0"});
  AddMeshBlock(world, 9, tiny.get());
  AddMeshBlock(world, 2, tiny.get());  // only an ellipsoid
  EXPECT_TRUE(Meshes(2).empty());
}

TEST_F(MeshShapeTest, TrianglesGoWithTheirMesh) {
  const MeshBlock block(3);
  AddMeshBlock(world, 1, block.data());
  ActivateObj(world, 1);
  NewCollObj(world, 1, 0);  // replacing frees the meshes and their triangles
  EXPECT_TRUE(Meshes().empty());
}

}  // namespace
}  // namespace ovoid
