#include "motion/update.h"

#include "core/contacts.h"
#include "core/report.h"

namespace ovoid {

void UpdateObj(World& world, uint32_t number, float x, float y, float z, uint32_t mode) {
  CollObj* obj = CheckObjNumber(world, number);
  if (obj == nullptr) return;
  const auto lowMode = static_cast<uint8_t>(mode & 0xFFu);
  if (lowMode == 0) y = y - obj->gravity;
  UpdateBody(world, *obj->body, x, y, z, lowMode);
}

void UpdateBody(World& world, CollBody& body, float x, float y, float z, uint8_t mode) {
  body.position = CurrentPosition(body);
  body.target = Vec3{x, y, z};
  if (mode == 1) {
    body.position = body.target;
    FreePassList(body.passes);
  }
  body.motionMatrix = Matrix4Identity();
  bool moved = false;
  // Exact comparison; an unordered pair counts as equal.
  const Vec3 p = body.position;
  const bool differs = p.x < x || p.x > x || p.y < y || p.y > y || p.z < z || p.z > z;
  if (differs || mode == 1) {
    if (mode == 0) moved = true;
    body.translationMatrix = Matrix4Translation(x, y, z);
    Matrix4Multiply(body.motionMatrix, body.motionMatrix,
                    Matrix4Translation(x - p.x, y - p.y, z - p.z));
  }
  if (mode != 0 || moved) body.worldMatrix = body.translationMatrix;
  if (moved) world.rerunFlag = 1;
}

Vec3 CurrentPosition(const CollBody& body) {
  const CollPass* newest = body.passes.tail;
  if (newest == nullptr) return body.target;
  if (newest->nearest != nullptr) return newest->nearest->nextTarget;
  return newest->end;
}

Vec3 PeekObjPosition(World& world, uint32_t number) {
  CollObj* obj = CheckObjNumber(world, number);
  if (obj == nullptr) return Vec3{};
  return CurrentPosition(*obj->body);
}

float PeekObj(World& world, uint32_t number, int axis) {
  const Vec3 at = PeekObjPosition(world, number);
  return axis == 0 ? at.x : axis == 1 ? at.y : at.z;
}

}  // namespace ovoid
