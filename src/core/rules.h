// Declaring collision rules, and asking whether an object's type takes part in any.
#pragma once

#include <cstdint>

#include "core/world.h"

namespace ovoid {

/// Appends a rule after checking, in order: source type, destination type, method (the
/// destination shape kind), response 1..5 and dynamic response 1..3. The first failing
/// check is reported and nothing is created.
void SetCollisions(World& world, uint32_t sourceType, uint32_t destType, uint32_t method,
                   uint32_t response, uint32_t dynamicResponse);

/// 1 when some rule moves shapeKind shapes of the object's type, or has them as obstacles.
int32_t CheckShape(World& world, uint32_t number, uint32_t shapeKind);

/// First member of the list of (kind, type id), or null.
inline TypeMember* MemberListHead(World& world, int kind, int32_t typeId) {
  return MemberList(world, kind, typeId).head;
}

}  // namespace ovoid
