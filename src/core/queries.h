// Reading back the contacts of the last run: the nearest contact of each of the object's
// pass records of this run, in pass order, by 1-based index.
#pragma once

#include <cstdint>

#include "core/world.h"

namespace ovoid {

int32_t CountCollisions(World& world, uint32_t number);

/// The index-th contact of the object, or null after reporting a bad number or index.
const CollHit* FindContact(World& world, uint32_t number, uint32_t index);

/// Component axis (1..3) of v; 0 for any other axis.
float PickAxis(Vec3 v, uint32_t axis);

float CollisionHitPos(World& world, uint32_t number, uint32_t index, uint32_t axis);
float CollisionHitNorm(World& world, uint32_t number, uint32_t index, uint32_t axis);
int32_t CollisionHitObj(World& world, uint32_t number, uint32_t index);
int32_t CollisionHitType(World& world, uint32_t number, uint32_t index);
int32_t CollisionHitShape(World& world, uint32_t number, uint32_t index);
int32_t CollisionHitPoly(World& world, uint32_t number, uint32_t index);
/// Axis (1..3) of corner (1..3) of the triangle of a mesh contact; 0 otherwise.
float CollisionTriCorner(World& world, uint32_t number, uint32_t index, uint32_t corner,
                         uint32_t axis);

}  // namespace ovoid
