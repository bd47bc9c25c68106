// The only core file that knows the shape kinds, the sweeps, the response and the rays.
#include "core/dispatch.h"

#include <new>

#include "ellipsoid/ellip_shape.h"
#include "ellipsoid/ellip_sweep.h"
#include "mesh/mesh_shape.h"
#include "mesh/mesh_sweep.h"
#include "motion/ray.h"
#include "motion/response.h"

namespace ovoid {

CollShape* NewShape(int16_t kind) {
  CollShape* shape = nullptr;
  if (kind == kEllipsoid) shape = new (std::nothrow) EllipShape{};
  if (kind == kMesh) shape = new (std::nothrow) MeshShape{};
  if (shape != nullptr) shape->kind = kind;
  return shape;
}

void DestroyShape(CollShape* shape) {
  if (shape->kind == kMesh) {
    MeshFreeTriangles(AsMesh(*shape));
    delete &AsMesh(*shape);
  } else {
    delete &AsEllip(*shape);
  }
}

void SweepPair(World& world, CollRule& rule, CollShape& source, CollShape& destination) {
  if (world.sweepHook != nullptr) {
    world.sweepHook(world.sweepHookContext, world, rule, source, destination);
    return;
  }
  if (destination.kind == kEllipsoid) SweepEllipEllip(world, rule, source, destination);
  if (destination.kind == kMesh) SweepEllipMesh(world, rule, source, destination);
}

void RunResponsePass(World& world) {
  ResponsePass(world);
}

void FreeRayRecord(World& world) {
  FreeRay(world);
}

void ForgetRayBody(World& world, CollBody* body) {
  ForgetRayHitBody(world, body);
}

}  // namespace ovoid
