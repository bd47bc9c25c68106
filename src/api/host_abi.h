// The host passes and receives floats as the 32-bit bit patterns of IEEE singles.
#pragma once

#include <bit>
#include <cstdint>

#include "math/vec3.h"

namespace ovoid {

inline float FloatFromBits(uint32_t bits) {
  return std::bit_cast<float>(bits);
}
inline uint32_t BitsFromFloat(float value) {
  return std::bit_cast<uint32_t>(value);
}
inline Vec3 Vec3FromBits(uint32_t x, uint32_t y, uint32_t z) {
  return Vec3{FloatFromBits(x), FloatFromBits(y), FloatFromBits(z)};
}

}  // namespace ovoid
