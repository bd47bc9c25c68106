// The one place where the core reaches the shape kinds, the sweeps, the response and the
// ray record.
#pragma once

#include <cstdint>

#include "core/world.h"

namespace ovoid {

/// A new shape of kind 1 or 2 with default contents, or null.
CollShape* NewShape(int16_t kind);
/// Frees a shape and whatever its kind owns (a mesh's triangles).
void DestroyShape(CollShape* shape);

/// Hands one (mover, obstacle) pair to the sweep of the obstacle's kind.
void SweepPair(World& world, CollRule& rule, CollShape& source, CollShape& destination);

/// Answers the nearest contact of every active body that has one.
void RunResponsePass(World& world);

/// Frees the ray record, if any.
void FreeRayRecord(World& world);
/// Makes the ray record stop pointing at a body that is being destroyed.
void ForgetRayBody(World& world, CollBody* body);

}  // namespace ovoid
