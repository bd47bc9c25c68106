// Rays: a segment cast at one object or at every active object of a type; the hit nearest
// to the start is kept and read back.
#pragma once

#include <cstdint>

#include "core/world.h"

namespace ovoid {

struct RayCast {
  CollBody* hitBody = nullptr;  ///< body of the nearest hit; null once that body is destroyed
  int32_t hitObject = 0;
  Vec3 from;
  Vec3 to;
  Vec3 dir;
  float length = 0.0f;
  uint8_t hit = 0;
  Vec3 hitNormal;
  Vec3 hitPos;
  float hitDist = 0.0f;
};

/// 1 if the segment from–to hits the first shape of shapeKind of the object, else 0.
int32_t RayIntersectObject(World& world, uint32_t number, uint32_t shapeKind, Vec3 from, Vec3 to);
/// 1 if the segment hits the first shape of shapeKind of any active object of typeId.
int32_t RayIntersectType(World& world, uint32_t typeId, uint32_t shapeKind, Vec3 from, Vec3 to);

/// The last ray's result, or null when there is no ray record or the last ray hit nothing.
const RayCast* RayResult(const World& world);

void FreeRay(World& world);
void ForgetRayHitBody(World& world, const CollBody* body);

}  // namespace ovoid
