// A uniform grid over a mesh's triangles, so that a sweep or a ray visits only the triangles
// near its segment instead of the whole list. The grid lives in the mesh's local
// coordinates, so moving the mesh needs no rebuild; adding a triangle throws it away.
//
// The grid only skips triangles that the per-triangle box test (SegmentTriBoxOverlap)
// would reject anyway, and hands the others over in list order with their true numbers:
// the caller runs exactly the code of the plain walk on them, so results do not change.
#pragma once

#include <cstdint>

#include "math/matrix4.h"
#include "math/vec3.h"
#include "mesh/mesh_shape.h"

namespace ovoid {

/// The triangles a query left to test: tris[index[k]] for k < count, index ascending
/// (0-based list positions). Valid until the next query on the same mesh or a change of
/// its triangles.
struct TriCandidates {
  const uint32_t* index = nullptr;
  uint32_t count = 0;
  MeshTri* const* tris = nullptr;
};

/// Frees the mesh's grid, if any.
void TriGridFree(MeshShape& mesh);

/// The triangles that may pass SegmentTriBoxOverlap(s, e, A, B, C), where A, B and C are a
/// triangle's corners placed by matrix (Vec3TransformCoord) and divided by scale. Builds
/// the grid on first use. False when the grid cannot answer and every triangle must be
/// walked: a small mesh, no memory, a matrix other than a pure translation, a scale that is
/// not positive, values out of range, or a segment whose box covers much of the mesh.
bool TriGridQuery(const MeshShape& mesh, Vec3 s, Vec3 e, const Matrix4& matrix, Vec3 scale,
                  TriCandidates& out);

/// Calls visit(triangle, number) for the triangles of the mesh that may pass the box test
/// for segment s–e (see TriGridQuery), or for every triangle when the grid cannot answer
/// or useGrid is false; always in list order, number 1-based as in the list.
template <class Visit>
void ForEachNearTriangle(const MeshShape& mesh, Vec3 s, Vec3 e, const Matrix4& matrix, Vec3 scale,
                         bool useGrid, Visit visit) {
  TriCandidates near;
  if (useGrid && TriGridQuery(mesh, s, e, matrix, scale, near)) {
    for (uint32_t k = 0; k < near.count; ++k) {
      const uint32_t i = near.index[k];
      visit(*near.tris[i], static_cast<int32_t>(i) + 1);
    }
    return;
  }
  int32_t number = 0;
  for (const MeshTri* tri = mesh.tris.head; tri != nullptr; tri = tri->link.next) {
    visit(*tri, ++number);
  }
}

}  // namespace ovoid
