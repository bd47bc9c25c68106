// Ellipsoid against ellipsoid: both may move during a pass.
#pragma once

#include "core/world.h"

namespace ovoid {

/// Sweeps source's motion of this pass against destination (another body's ellipsoid) and
/// records the earliest touch as a contact of the source. Acts only for a (1, 1) rule.
void SweepEllipEllip(World& world, CollRule& rule, CollShape& source, CollShape& destination);

/// One stage: the time both bodies move (afterDestStop false), or the rest of the source's
/// motion against the destination standing where it stopped (true). pairRadii are the
/// common radii of the pair.
void SweepEllipInterval(World& world, CollRule& rule, CollBody& sourceBody, CollShape& source,
                        CollBody& destBody, CollShape& destination, Vec3 pairRadii,
                        bool afterDestStop);

/// Whether the box of segment a0–a1 meets the box of segment b0–b1 grown by margin on every
/// side; touching faces overlap.
bool SweptBoxesOverlap(Vec3 a0, Vec3 a1, Vec3 b0, Vec3 b1, float margin);

}  // namespace ovoid
