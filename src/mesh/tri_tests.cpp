#include "mesh/tri_tests.h"

#include <cmath>

#include "mesh/mesh_shape.h"

namespace ovoid {
namespace {

// Both ends more than 1 beyond hi, or both more than 1 below lo, on one axis.
bool OutsideAxis(float s, float e, float lo, float hi) {
  return (s - 1.0f > hi && e - 1.0f > hi) || (s + 1.0f < lo && e + 1.0f < lo);
}

float Min3(float a, float b, float c) {
  const float ab = b < a ? b : a;
  return c < ab ? c : ab;
}

float Max3(float a, float b, float c) {
  const float ab = b > a ? b : a;
  return c > ab ? c : ab;
}

}  // namespace

bool SegmentMeshBoxOverlap(const MeshShape& mesh, Vec3 s, Vec3 e, const Matrix4& matrix,
                           Vec3 scale) {
  // Only the two stored corners are placed: under a translation they stay max and min.
  const Vec3 hi = Vec3Div(Vec3TransformCoord(mesh.boundsMax, matrix), scale);
  const Vec3 lo = Vec3Div(Vec3TransformCoord(mesh.boundsMin, matrix), scale);
  return !(OutsideAxis(s.x, e.x, lo.x, hi.x) || OutsideAxis(s.y, e.y, lo.y, hi.y) ||
           OutsideAxis(s.z, e.z, lo.z, hi.z));
}

bool SegmentTriBoxOverlap(Vec3 s, Vec3 e, Vec3 a, Vec3 b, Vec3 c) {
  const Vec3 lo{Min3(a.x, b.x, c.x), Min3(a.y, b.y, c.y), Min3(a.z, b.z, c.z)};
  const Vec3 hi{Max3(a.x, b.x, c.x), Max3(a.y, b.y, c.y), Max3(a.z, b.z, c.z)};
  // The triangle box is grown by the margin, where the mesh box test moves the segment's
  // ends instead; the two differ in rounding, so each keeps its own form.
  auto outside = [](float s1, float e1, float l, float h) {
    return (l - 1.0f > s1 && l - 1.0f > e1) || (h + 1.0f < s1 && h + 1.0f < e1);
  };
  return !(outside(s.x, e.x, lo.x, hi.x) || outside(s.y, e.y, lo.y, hi.y) ||
           outside(s.z, e.z, lo.z, hi.z));
}

bool PointInTriangle(Vec3 q, Vec3 n, Vec3 a, Vec3 b, Vec3 c) {
  if (Vec3Dot(Vec3Cross(Vec3Sub(b, a), Vec3Sub(q, a)), n) < 0.0f) return false;
  if (Vec3Dot(Vec3Cross(Vec3Sub(c, b), Vec3Sub(q, b)), n) < 0.0f) return false;
  if (Vec3Dot(Vec3Cross(Vec3Sub(a, c), Vec3Sub(q, c)), n) < 0.0f) return false;
  return true;
}

bool ProjectsInsideSegment(Vec3 p0, Vec3 p1, Vec3 x) {
  const Vec3 along = Vec3Sub(p1, p0);
  const float len = std::sqrt(Vec3LengthSq(along));
  const Vec3 u = Vec3Scale(1.0f / len, along);
  const float p = Vec3Dot(u, Vec3Sub(x, p0));
  return p > 0.0f && p < len;
}

Vec3 ClosestPointOnLine(Vec3 p0, Vec3 p1, Vec3 x) {
  const Vec3 u = Vec3Normalize(Vec3Sub(p1, p0));
  return Vec3Add(p0, Vec3Scale(Vec3Dot(Vec3Sub(x, p0), u), u));
}

}  // namespace ovoid
