// Ellipsoid against mesh: faces here, edges and corners in edge_corner.
#pragma once

#include <cstdint>

#include "core/world.h"

namespace ovoid {

struct EllipShape;
struct MeshShape;

/// One sweep of a source ellipsoid against one mesh, shared with the edge and corner
/// stages. Positions are in the ellipsoid's unit space (world divided by its radius),
/// where the ellipsoid is the unit sphere.
struct MeshSweep {
  World* world = nullptr;
  CollRule* rule = nullptr;
  CollBody* srcBody = nullptr;
  CollBody* dstBody = nullptr;
  EllipShape* ellip = nullptr;
  MeshShape* mesh = nullptr;
  CollPass* pass = nullptr;  ///< the source's current pass record; contacts go here
  Vec3 start;                ///< S: centre at pass time 0
  Vec3 end;                  ///< E: centre at pass time 1
  Vec3 motion;               ///< E − S
  float length = 0.0f;       ///< L = |E − S|
  Vec3 dir;                  ///< d = (E − S) / L; not a number when L = 0
  int32_t triIndex = 0;      ///< 1-based number of the triangle under test
  Vec3 worldCorner1;         ///< the triangle placed in the world, not scaled
  Vec3 worldCorner2;
  Vec3 worldCorner3;
};

/// Sweeps source's motion of this pass against every triangle of destination (a mesh of
/// another body) and records each touch earlier than the source's nearest contact. Acts
/// only for a (1, 2) rule. useGrid false walks every triangle instead of asking the mesh's
/// search grid: the same results, slower; tests compare the two.
void SweepEllipMesh(World& world, CollRule& rule, CollShape& source, CollShape& destination,
                    bool useGrid = true);

/// Turns a touch in unit space (centre p, contact point q, fraction f of the pass motion)
/// into a mesh contact of the source and hands it to its pass record. edge is 1 for a
/// touch on a triangle edge.
void RecordMeshHit(MeshSweep& sweep, Vec3 p, Vec3 q, float f, uint8_t edge);

}  // namespace ovoid
