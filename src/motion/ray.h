// Rays: a segment cast at one object or at every active object of a type; the hit nearest
// to the start is kept and read back.
#pragma once

#include <cstdint>

#include "core/world.h"

namespace ovoid {

struct EllipShape;
struct MeshShape;

struct RayCast {
  CollBody* hitBody = nullptr;  ///< body of the nearest hit; null once that body is destroyed
  int32_t hitObject = 0;
  Vec3 from;
  Vec3 to;
  Vec3 dir;  ///< unit direction; (0, 0, 0) when the ray has no usable length
  float length = 0.0f;
  uint8_t hit = 0;
  Vec3 hitNormal;
  Vec3 hitPos;
  float hitDist = 0.0f;  ///< starts at length; a hit must be strictly nearer
};

/// 1 if the segment from–to hits the first shape of shapeKind of the object, else 0. A
/// rejected number leaves the last ray's results as they were.
int32_t RayIntersectObject(World& world, uint32_t number, uint32_t shapeKind, Vec3 from, Vec3 to);
/// 1 if the segment hits the first shape of shapeKind of any active object of typeId.
int32_t RayIntersectType(World& world, uint32_t typeId, uint32_t shapeKind, Vec3 from, Vec3 to);

/// Prepares the ray record for a new ray, creating it on first use; null if it cannot be
/// allocated. The previous ray's hit is gone; hitBody and hitObject are left as they were.
RayCast* SetupRay(World& world, Vec3 from, Vec3 to);
/// Whether the ray has a finite length above zero, and so a direction to test along.
bool RayHasDirection(const RayCast& ray);
/// Tests the ray against the first shape of shapeKind (attachment order) of the object.
void RayTestObject(RayCast& ray, CollObj& obj, uint32_t shapeKind);
/// The ellipsoid centred on the body's current position, its offset ignored.
void RayVsEllipsoid(RayCast& ray, const EllipShape& shape, CollBody& body);
/// The front faces of the mesh, placed by the body's worldMatrix. useGrid false walks every
/// triangle instead of asking the mesh's search grid: the same results, slower; tests
/// compare the two.
void RayVsMesh(RayCast& ray, const MeshShape& shape, CollBody& body, bool useGrid = true);

/// The last ray's result, or null when there is no ray record or the last ray hit nothing.
const RayCast* RayResult(const World& world);
/// The type id of the hit object; 0 without a hit or once that object is gone.
int32_t RayHitType(const World& world);

void FreeRay(World& world);
void ForgetRayHitBody(World& world, const CollBody* body);

}  // namespace ovoid
