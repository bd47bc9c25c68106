#include "core/queries.h"

#include "core/report.h"

namespace ovoid {

int32_t CountCollisions(World& world, uint32_t number) {
  CollObj* obj = CheckObjNumber(world, number);
  if (obj == nullptr) return 0;
  int32_t count = 0;
  for (const CollPass* pass = obj->body->passes.head; pass != nullptr; pass = pass->link.next) {
    if (pass->nearest != nullptr) ++count;
  }
  return count;
}

const CollHit* FindContact(World& world, uint32_t number, uint32_t index) {
  CollObj* obj = CheckObjNumber(world, number);
  if (obj == nullptr) return nullptr;
  const CollPass* pass = index == 0 ? nullptr : obj->body->passes.head;
  for (uint32_t i = 1; pass != nullptr && i < index; ++i) pass = pass->link.next;
  if (pass == nullptr || pass->nearest == nullptr) {
    ReportError(world, "Collision index out of range: ", index);
    return nullptr;
  }
  return pass->nearest;
}

float PickAxis(Vec3 v, uint32_t axis) {
  switch (axis) {
    case 1:
      return v.x;
    case 2:
      return v.y;
    case 3:
      return v.z;
    default:
      return 0.0f;
  }
}

float CollisionHitPos(World& world, uint32_t number, uint32_t index, uint32_t axis) {
  const CollHit* hit = FindContact(world, number, index);
  return hit != nullptr ? PickAxis(hit->hitPos, axis) : 0.0f;
}

float CollisionHitNorm(World& world, uint32_t number, uint32_t index, uint32_t axis) {
  const CollHit* hit = FindContact(world, number, index);
  return hit != nullptr ? PickAxis(hit->hitNormal, axis) : 0.0f;
}

int32_t CollisionHitObj(World& world, uint32_t number, uint32_t index) {
  const CollHit* hit = FindContact(world, number, index);
  return hit != nullptr && hit->other != nullptr ? hit->other->number : 0;
}

int32_t CollisionHitType(World& world, uint32_t number, uint32_t index) {
  const CollHit* hit = FindContact(world, number, index);
  return hit != nullptr && hit->other != nullptr ? hit->other->typeId : 0;
}

int32_t CollisionHitShape(World& world, uint32_t number, uint32_t index) {
  const CollHit* hit = FindContact(world, number, index);
  return hit != nullptr ? hit->kind : 0;
}

int32_t CollisionHitPoly(World& world, uint32_t number, uint32_t index) {
  const CollHit* hit = FindContact(world, number, index);
  return hit != nullptr && hit->kind == kMesh ? hit->triIndex : 0;
}

float CollisionTriCorner(World& world, uint32_t number, uint32_t index, uint32_t corner,
                         uint32_t axis) {
  const CollHit* hit = FindContact(world, number, index);
  if (hit == nullptr || hit->kind != kMesh) return 0.0f;
  switch (corner) {
    case 1:
      return PickAxis(hit->corner1, axis);
    case 2:
      return PickAxis(hit->corner2, axis);
    case 3:
      return PickAxis(hit->corner3, axis);
    default:
      return 0.0f;
  }
}

}  // namespace ovoid
