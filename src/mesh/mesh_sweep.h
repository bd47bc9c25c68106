// Ellipsoid against mesh: faces here, edges and corners in edge_corner.
#pragma once

#include "core/world.h"

namespace ovoid {

/// Sweeps source's motion of this pass against every triangle of destination (a mesh of
/// another body) and records the earliest touch as a contact of the source. Acts only for
/// a (1, 2) rule.
void SweepEllipMesh(World& world, CollRule& rule, CollShape& source, CollShape& destination);

}  // namespace ovoid
