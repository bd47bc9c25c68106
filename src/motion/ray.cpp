#include "motion/ray.h"

#include <cfloat>
#include <cmath>
#include <new>

#include "core/report.h"
#include "ellipsoid/ellip_shape.h"
#include "ellipsoid/ellip_sweep.h"
#include "mesh/mesh_shape.h"
#include "mesh/tri_grid.h"
#include "mesh/tri_tests.h"
#include "motion/update.h"

namespace ovoid {

RayCast* SetupRay(World& world, Vec3 from, Vec3 to) {
  if (world.rayRecord == nullptr) {
    world.rayRecord = new (std::nothrow) RayCast{};
    if (world.rayRecord == nullptr) return nullptr;
  }
  RayCast& ray = *world.rayRecord;
  ray.hit = 0;
  ray.from = from;
  ray.to = to;
  const Vec3 along = Vec3Sub(to, from);
  ray.length = std::sqrt(Vec3LengthSq(along));
  ray.hitDist = ray.length;
  // A ray with no length (or an overflowing or NaN one) has no direction; it keeps the zero
  // vector rather than the NaN a division would give, and is never tested.
  ray.dir = RayHasDirection(ray) ? Vec3Scale(1.0f / ray.length, along) : Vec3{};
  ray.hitNormal = Vec3{};
  ray.hitPos = Vec3{};
  return &ray;
}

bool RayHasDirection(const RayCast& ray) {
  return ray.length > 0.0f && ray.length <= FLT_MAX;
}

void RayVsEllipsoid(RayCast& ray, const EllipShape& shape, CollBody& body) {
  // Unit space: divided by the radii, the ellipsoid is the unit sphere around c.
  const Vec3 centre = CurrentPosition(body);
  const Vec3 f = Vec3Div(ray.from, shape.radius);
  const Vec3 t = Vec3Div(ray.to, shape.radius);
  const Vec3 c = Vec3Div(centre, shape.radius);
  const Vec3 d = Vec3Normalize(Vec3Div(ray.dir, shape.radius));
  if (!SweptBoxesOverlap(f, t, c, c, 1.0f)) return;

  const Vec3 w = Vec3Sub(c, f);
  const float a = Vec3Dot(w, d);
  const float h = Vec3Dot(w, w) - a * a;  // squared distance of c from the line
  if (h > 1.0f) return;
  const float s = a - std::sqrt(1.0f - h);  // where the line enters the sphere
  // An entry behind the start is not on the segment: the sphere lies behind the ray or
  // holds its start, and must not outrank what lies ahead.
  if (s < 0.0f) return;
  const Vec3 span = Vec3Sub(t, f);
  const float v2 = Vec3Dot(span, span);
  if (s * s > v2) return;
  if (!(v2 > 0.0f)) return;  // from and to met in unit space: nothing to measure along
  const float dist = s / std::sqrt(v2) * ray.length;
  if (!(dist < ray.hitDist)) return;

  ray.hitDist = dist;
  ray.hit = 1;
  ray.hitBody = &body;
  ray.hitPos = Vec3Add(ray.from, Vec3Scale(dist, ray.dir));
  // Towards the hit from the body's position: the surface normal only for a sphere.
  ray.hitNormal = Vec3Normalize(Vec3Sub(ray.hitPos, centre));
}

void RayVsMesh(RayCast& ray, const MeshShape& shape, CollBody& body, bool useGrid) {
  const Matrix4& place = body.worldMatrix;
  if (!SegmentMeshBoxOverlap(shape, ray.from, ray.to, place, Vec3{1.0f, 1.0f, 1.0f})) return;
  // Only the triangles that can pass the box test below are visited, in list order; the
  // others would be rejected before the ray record is touched.
  ForEachNearTriangle(shape, ray.from, ray.to, place, Vec3{1.0f, 1.0f, 1.0f}, useGrid,
                      [&](const MeshTri& tri, int32_t) {
                        const Vec3 a = Vec3TransformCoord(tri.corner1, place);
                        const Vec3 b = Vec3TransformCoord(tri.corner2, place);
                        const Vec3 c = Vec3TransformCoord(tri.corner3, place);
                        if (!SegmentTriBoxOverlap(ray.from, ray.to, a, b, c)) return;
                        // A degenerate triangle gets the zero normal, so p is 0 and it is passed
                        // over.
                        const Vec3 n = Vec3Normalize(Vec3Cross(Vec3Sub(b, a), Vec3Sub(c, a)));
                        const float p = Vec3Dot(
                            n, Vec3Sub(ray.from, a));  // height of the start above the plane
                        if (!(p > 0.0f) || !(p < ray.hitDist)) return;
                        const float q = Vec3Dot(n, ray.dir);
                        if (!(q < 0.0f)) return;  // only a ray heading into the front face
                        const float dist = std::fabs(p / q);
                        if (!(dist < ray.hitDist)) return;
                        const Vec3 at = Vec3Add(ray.from, Vec3Scale(dist, ray.dir));
                        if (!PointInTriangle(at, n, a, b, c)) return;
                        ray.hitBody = &body;
                        ray.hitDist = dist;
                        ray.hit = 1;
                        ray.hitPos = at;
                        ray.hitNormal = n;
                      });
}

void RayTestObject(RayCast& ray, CollObj& obj, uint32_t shapeKind) {
  CollBody& body = *obj.body;
  CollShape* shape = body.shapes.head;
  while (shape != nullptr && static_cast<uint32_t>(shape->kind) != shapeKind) {
    shape = shape->link.next;
  }
  if (shape == nullptr) return;
  if (shape->kind == kEllipsoid) RayVsEllipsoid(ray, AsEllip(*shape), body);
  if (shape->kind == kMesh) RayVsMesh(ray, AsMesh(*shape), body);
  if (ray.hitBody == &body) ray.hitObject = obj.number;
}

int32_t RayIntersectObject(World& world, uint32_t number, uint32_t shapeKind, Vec3 from, Vec3 to) {
  CollObj* obj = CheckObjNumber(world, number);
  if (obj == nullptr) return 0;
  RayCast* ray = SetupRay(world, from, to);
  if (ray == nullptr || !RayHasDirection(*ray)) return 0;
  RayTestObject(*ray, *obj, shapeKind);
  return ray->hit == 1 ? 1 : 0;
}

int32_t RayIntersectType(World& world, uint32_t typeId, uint32_t shapeKind, Vec3 from, Vec3 to) {
  RayCast* ray = SetupRay(world, from, to);
  if (ray == nullptr || !RayHasDirection(*ray)) return 0;
  for (ActiveLink* link = world.activeList.head; link != nullptr; link = link->link.next) {
    CollObj& obj = *link->obj;
    if (static_cast<uint32_t>(obj.body->typeId) == typeId) RayTestObject(*ray, obj, shapeKind);
  }
  return ray->hit == 1 ? 1 : 0;
}

const RayCast* RayResult(const World& world) {
  const RayCast* ray = world.rayRecord;
  return ray != nullptr && ray->hit == 1 ? ray : nullptr;
}

int32_t RayHitType(const World& world) {
  const RayCast* ray = RayResult(world);
  return ray != nullptr && ray->hitBody != nullptr ? ray->hitBody->typeId : 0;
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
