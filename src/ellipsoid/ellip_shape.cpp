#include "ellipsoid/ellip_shape.h"

#include "core/report.h"

namespace ovoid {

void SetObjRadius(World& world, uint32_t number, float rx, float ry, float rz) {
  CollObj* obj = CheckObjNumber(world, number);
  if (obj == nullptr) return;
  // Written as "not above zero" so that NaN fails too.
  if (!(rx > 0.0f) || !(ry > 0.0f) || !(rz > 0.0f)) {
    ReportError(world, "Ellip radius values must be positive for object: ", number);
    return;
  }
  for (CollShape* shape = obj->body->shapes.head; shape != nullptr; shape = shape->link.next) {
    if (shape->kind == kEllipsoid) AsEllip(*shape).radius = Vec3{rx, ry, rz};
  }
}

void SetEllipOffset(World& world, uint32_t number, float x, float y, float z) {
  CollObj* obj = CheckObjNumber(world, number);
  if (obj == nullptr) return;
  for (CollShape* shape = obj->body->shapes.head; shape != nullptr; shape = shape->link.next) {
    if (shape->kind == kEllipsoid) AsEllip(*shape).offset = Vec3{x, y, z};
  }
}

Vec3 PairRadii(const World& world, Vec3 s, Vec3 d) {
  if (world.ellipSizeMode == 0) {
    return Vec3{d.x < s.x ? d.x : s.x, d.y < s.y ? d.y : s.y, d.z < s.z ? d.z : s.z};
  }
  return Vec3{d.x > s.x ? d.x : s.x, d.y > s.y ? d.y : s.y, d.z > s.z ? d.z : s.z};
}

}  // namespace ovoid
