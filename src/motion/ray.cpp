#include "motion/ray.h"

namespace ovoid {

int32_t RayIntersectObject(World&, uint32_t, uint32_t, Vec3, Vec3) { return 0; }
int32_t RayIntersectType(World&, uint32_t, uint32_t, Vec3, Vec3) { return 0; }

const RayCast* RayResult(const World& world) {
  const RayCast* ray = world.rayRecord;
  return ray != nullptr && ray->hit == 1 ? ray : nullptr;
}

void FreeRay(World& world) {
  delete world.rayRecord;
  world.rayRecord = nullptr;
}

void ForgetRayHitBody(World& world, const CollBody* body) {
  if (world.rayRecord != nullptr && world.rayRecord->hitBody == body) {
    world.rayRecord->hitBody = nullptr;
  }
}

}  // namespace ovoid
