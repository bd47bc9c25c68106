#include "math/angles.h"

#include <algorithm>
#include <cmath>

#include "math/vec3.h"

namespace ovoid {
namespace {

// Just below 180/pi, so a right angle comes out as 89.99999237060547.
constexpr float kDegreesPerRadian = 57.295776f;

// The arccosine runs in double and the product is rounded to float once. The argument is
// clamped: normalised components rounded to float can land a hair beyond 1.
float AcosDegrees(double cosine) {
  if (cosine > 1.0) cosine = 1.0;
  if (cosine < -1.0) cosine = -1.0;
  return static_cast<float>(std::acos(cosine) * static_cast<double>(kDegreesPerRadian));
}

}  // namespace

float Vec2Yaw(float x, float /*y*/, float z) {
  const Vec3 v = Vec3Normalize(Vec3{x, 0.0f, z});
  return AcosDegrees(v.z);
}

float Vec2Pitch(float x, float y, float z) {
  const Vec3 a = Vec3Normalize(Vec3{x, y, z});
  const Vec3 b = Vec3Normalize(Vec3{x, 0.0f, z});
  const double dot = static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y +
                     static_cast<double>(a.z) * b.z;
  return AcosDegrees(dot);
}

}  // namespace ovoid
