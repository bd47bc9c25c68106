// Vector comparisons shared by the tests: to the bit, to float equality, or within a
// tolerance. Each reports the component that differs.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "math/vec3.h"

namespace ovoid {

/// Same bit patterns: tells -0 from +0 and accepts a NaN only where the same NaN is wanted.
inline void ExpectVecBits(Vec3 got, Vec3 want) {
  EXPECT_EQ(std::bit_cast<uint32_t>(got.x), std::bit_cast<uint32_t>(want.x)) << got.x;
  EXPECT_EQ(std::bit_cast<uint32_t>(got.y), std::bit_cast<uint32_t>(want.y)) << got.y;
  EXPECT_EQ(std::bit_cast<uint32_t>(got.z), std::bit_cast<uint32_t>(want.z)) << got.z;
}

/// Equal as floats, component by component.
inline void ExpectVecEq(Vec3 got, Vec3 want) {
  EXPECT_EQ(got.x, want.x);
  EXPECT_EQ(got.y, want.y);
  EXPECT_EQ(got.z, want.z);
}

/// Each component within tolerance of the wanted one.
inline void ExpectVecNear(Vec3 got, Vec3 want, float tolerance = 1e-5f) {
  EXPECT_NEAR(got.x, want.x, tolerance);
  EXPECT_NEAR(got.y, want.y, tolerance);
  EXPECT_NEAR(got.z, want.z, tolerance);
}

}  // namespace ovoid
