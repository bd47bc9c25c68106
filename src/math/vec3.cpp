#include "math/vec3.h"

#include <cmath>

namespace ovoid {

// The float one step below the float nearest to 1e-10.
constexpr float kNormalizeFloor = 9.9999994e-11f;

Vec3 Vec3Normalize(Vec3 v) {
  const float d = Vec3LengthSq(v);
  const float excess = d - 1.0f;
  if (!(excess < -1e-05f || excess > 1e-05f)) return v;
  if (!(d > kNormalizeFloor)) return Vec3{};
  const float inv = 1.0f / std::sqrt(d);
  return Vec3{v.x * inv, v.y * inv, v.z * inv};
}

}  // namespace ovoid
