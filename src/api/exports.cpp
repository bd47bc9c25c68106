// The host exports: decode the arguments, call the operation, encode the result.
#include "api/host_abi.h"
#include "api/library_world.h"
#include "core/frame.h"
#include "core/queries.h"
#include "core/registry.h"
#include "core/rules.h"
#include "core/run.h"
#include "ellipsoid/ellip_shape.h"
#include "math/angles.h"
#include "mesh/mesh_shape.h"
#include "motion/ray.h"
#include "motion/update.h"
#include "ovoid/ovoid.h"

using namespace ovoid;

namespace ovoid {

World& LibraryWorld() {
  static World world;
  return world;
}

}  // namespace ovoid

namespace {

World& W() {
  return LibraryWorld();
}

uint32_t RayField(float RayCast::*field) {
  const RayCast* ray = RayResult(W());
  return BitsFromFloat(ray != nullptr ? ray->*field : 0.0f);
}

uint32_t RayVecField(Vec3 RayCast::*field, float Vec3::*axis) {
  const RayCast* ray = RayResult(W());
  return BitsFromFloat(ray != nullptr ? (ray->*field).*axis : 0.0f);
}

}  // namespace

extern "C" {

void StartCollisionNUV(void) {}
void StartCollisionDebugNUV(void) {
  StartCollisionDebug(W());
}
void StopCollisionNUV(void) {
  StopCollision(W());
}
void SetEllipOptimizeNUV(uint32_t flag) {
  SetEllipOptimize(W(), flag);
}
void SetEllipSizeModeNUV(uint32_t mode) {
  SetEllipSizeMode(W(), mode);
}
void SetConcaveModeNUV(uint32_t mode) {
  SetConcaveMode(W(), mode);
}

void SetCollisionsNUV(uint32_t sourceType, uint32_t destType, uint32_t method, uint32_t response,
                      uint32_t dynamicResponse) {
  SetCollisions(W(), sourceType, destType, method, response, dynamicResponse);
}

void NewCollObjNUV(uint32_t number, uint32_t typeId) {
  NewCollObj(W(), number, typeId);
}
int32_t CheckShapeNUV(uint32_t number, uint32_t shapeKind) {
  return CheckShape(W(), number, shapeKind);
}
void AddObjShapeNUV(uint32_t number, uint32_t shapeKind) {
  AddObjShape(W(), number, shapeKind);
}
void ActivateObjNUV(uint32_t number) {
  ActivateObj(W(), number);
}
void DeActivateObjNUV(uint32_t number) {
  DeActivateObj(W(), number);
}

void SetObjRadiusNUV(uint32_t number, uint32_t rx, uint32_t ry, uint32_t rz) {
  SetObjRadius(W(), number, FloatFromBits(rx), FloatFromBits(ry), FloatFromBits(rz));
}
void SetEllipOffsetNUV(uint32_t number, uint32_t x, uint32_t y, uint32_t z) {
  SetEllipOffset(W(), number, FloatFromBits(x), FloatFromBits(y), FloatFromBits(z));
}
void SetObjGravityNUV(uint32_t number, uint32_t gravity) {
  SetObjGravity(W(), number, FloatFromBits(gravity));
}

void AddMeshTri(uint32_t number, uint32_t x1, uint32_t y1, uint32_t z1, uint32_t x2, uint32_t y2,
                uint32_t z2, uint32_t x3, uint32_t y3, uint32_t z3) {
  ovoid::AddMeshTri(W(), number, Vec3FromBits(x1, y1, z1), Vec3FromBits(x2, y2, z2),
                    Vec3FromBits(x3, y3, z3));
}
void AddMeshNUV(uint32_t number, const void* meshBlock) {
  AddMeshBlock(W(), number, meshBlock);
}

void UpdateObjNUV(uint32_t number, uint32_t x, uint32_t y, uint32_t z, uint32_t mode) {
  UpdateObj(W(), number, FloatFromBits(x), FloatFromBits(y), FloatFromBits(z), mode);
}
void ResetCollisionStackNUV(void) {
  ResetCollisionStack(W());
}
int32_t PeekCollisionStackNUV(void) {
  return PeekCollisionStack(W());
}
void RunCollisionNUV(void) {
  RunCollision(W());
}
// The position comes back in memory, not as a float result: on 32-bit x86 a float result
// travels through the x87 stack, which would quieten a signalling NaN the host placed.
uint32_t PeekObjXNUV(uint32_t number) {
  return BitsFromFloat(PeekObjPosition(W(), number).x);
}
uint32_t PeekObjYNUV(uint32_t number) {
  return BitsFromFloat(PeekObjPosition(W(), number).y);
}
uint32_t PeekObjZNUV(uint32_t number) {
  return BitsFromFloat(PeekObjPosition(W(), number).z);
}
void FreeObjNUV(uint32_t number) {
  FreeObj(W(), number);
}

int32_t RayIntersectObjectNUV(uint32_t number, uint32_t shapeKind, uint32_t sx, uint32_t sy,
                              uint32_t sz, uint32_t ex, uint32_t ey, uint32_t ez) {
  return RayIntersectObject(W(), number, shapeKind, Vec3FromBits(sx, sy, sz),
                            Vec3FromBits(ex, ey, ez));
}
int32_t RayIntersectTypeNUV(uint32_t typeId, uint32_t shapeKind, uint32_t sx, uint32_t sy,
                            uint32_t sz, uint32_t ex, uint32_t ey, uint32_t ez) {
  return RayIntersectType(W(), typeId, shapeKind, Vec3FromBits(sx, sy, sz),
                          Vec3FromBits(ex, ey, ez));
}
uint32_t RayHitPosX(void) {
  return RayVecField(&RayCast::hitPos, &Vec3::x);
}
uint32_t RayHitPosY(void) {
  return RayVecField(&RayCast::hitPos, &Vec3::y);
}
uint32_t RayHitPosZ(void) {
  return RayVecField(&RayCast::hitPos, &Vec3::z);
}
uint32_t RayHitNormX(void) {
  return RayVecField(&RayCast::hitNormal, &Vec3::x);
}
uint32_t RayHitNormY(void) {
  return RayVecField(&RayCast::hitNormal, &Vec3::y);
}
uint32_t RayHitNormZ(void) {
  return RayVecField(&RayCast::hitNormal, &Vec3::z);
}
uint32_t RayHitDist(void) {
  return RayField(&RayCast::hitDist);
}
int32_t RayHitObjNUV(void) {
  const RayCast* ray = RayResult(W());
  return ray != nullptr ? ray->hitObject : 0;
}
int32_t RayHitTypeNUV(void) {
  return RayHitType(W());
}

uint32_t Vec2Yaw(uint32_t x, uint32_t y, uint32_t z) {
  return BitsFromFloat(ovoid::Vec2Yaw(FloatFromBits(x), FloatFromBits(y), FloatFromBits(z)));
}
uint32_t Vec2Pitch(uint32_t x, uint32_t y, uint32_t z) {
  return BitsFromFloat(ovoid::Vec2Pitch(FloatFromBits(x), FloatFromBits(y), FloatFromBits(z)));
}

int32_t CountCollisionsNUV(uint32_t number) {
  return CountCollisions(W(), number);
}
uint32_t CollisionHitPos(uint32_t number, uint32_t index, uint32_t axis) {
  return BitsFromFloat(ovoid::CollisionHitPos(W(), number, index, axis));
}
uint32_t CollisionHitNorm(uint32_t number, uint32_t index, uint32_t axis) {
  return BitsFromFloat(ovoid::CollisionHitNorm(W(), number, index, axis));
}
int32_t CollisionHitObj(uint32_t number, uint32_t index) {
  return ovoid::CollisionHitObj(W(), number, index);
}
int32_t CollisionHitType(uint32_t number, uint32_t index) {
  return ovoid::CollisionHitType(W(), number, index);
}
int32_t CollisionHitShape(uint32_t number, uint32_t index) {
  return ovoid::CollisionHitShape(W(), number, index);
}
int32_t CollisionHitPoly(uint32_t number, uint32_t index) {
  return ovoid::CollisionHitPoly(W(), number, index);
}
uint32_t CollisionTriCorner(uint32_t number, uint32_t index, uint32_t corner, uint32_t axis) {
  return BitsFromFloat(ovoid::CollisionTriCorner(W(), number, index, corner, axis));
}

}  // extern "C"
