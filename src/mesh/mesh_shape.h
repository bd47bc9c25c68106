// The triangle mesh: the static obstacle. Triangles are kept in the object's local
// coordinates and placed in the world by the body's worldMatrix when tested.
#pragma once

#include <cstdint>

#include "core/world.h"

namespace ovoid {

struct MeshTri {
  ListLink<MeshTri> link;
  Vec3 corner1;
  Vec3 corner2;
  Vec3 corner3;
};

struct TriGrid;

struct MeshShape : CollShape {
  Vec3 boundsMax;  ///< per-axis largest corner coordinate, local
  Vec3 boundsMin;  ///< per-axis smallest corner coordinate, local
  List<MeshTri> tris;
  /// Search grid over tris (tri_grid), built by the first query that wants it; a cache,
  /// so queries on a const mesh may build it. Freed whenever a triangle is added.
  mutable TriGrid* grid = nullptr;
};

inline MeshShape& AsMesh(CollShape& shape) {
  return static_cast<MeshShape&>(shape);
}

/// Grows the bounds to include point; each comparison strict, per axis.
void MeshExtendBounds(MeshShape& mesh, Vec3 point);
/// Appends a triangle (front toward (c2 − c1) × (c3 − c1)) and grows the bounds. Null if
/// memory ran out.
MeshTri* MeshAddTriangle(MeshShape& mesh, Vec3 c1, Vec3 c2, Vec3 c3);
/// Frees every triangle and the search grid.
void MeshFreeTriangles(MeshShape& mesh);

/// Adds the triangle to every mesh shape of the object.
void AddMeshTri(World& world, uint32_t number, Vec3 c1, Vec3 c2, Vec3 c3);

/// Adds one triangle per face record of a host mesh block to every mesh shape of the
/// object. The block is trusted, except that a null address adds nothing.
void AddMeshBlock(World& world, uint32_t number, const void* block);

}  // namespace ovoid
