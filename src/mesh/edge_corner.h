// The unit sphere of a mesh sweep against one triangle edge or one corner, for a touch on
// the triangle's plane that fell outside the triangle.
#pragma once

#include "mesh/mesh_sweep.h"

namespace ovoid {

/// Records the touch of the moving unit sphere on the edge p0–p1 (unit space) when it
/// lies strictly between the end points and is earlier than the source's nearest contact.
void SweepMeshEdge(MeshSweep& sweep, Vec3 p0, Vec3 p1);

/// Records the touch of the moving unit sphere on corner v (unit space) when it is
/// earlier than the source's nearest contact and strictly before the end of the motion.
void SweepMeshCorner(MeshSweep& sweep, Vec3 v);

}  // namespace ovoid
