#include "math/vec3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "expect_vec.h"

namespace ovoid {
namespace {

TEST(Vec3Normalize, ThresholdsAndTolerance) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* name;
    Vec3 in;
    Vec3 want;
  };
  const Case cases[] = {
      {"zero stays zero", {0, 0, 0}, {0, 0, 0}},
      {"tiny becomes zero", {1e-6f, 0, 0}, {0, 0, 0}},
      {"long is scaled", {2, 0, 0}, {1, 0, 0}},
      {"within tolerance unchanged", {1.000004f, 0, 0}, {1.000004f, 0, 0}},
      {"just short, within tolerance", {0, 0.999996f, 0}, {0, 0.999996f, 0}},
      {"outside tolerance is scaled",
       {0, 0, 1.00001f},
       {0, 0, 1.00001f * (1.0f / std::sqrt(1.00001f * 1.00001f))}},
      {"3-4-0", {3, 4, 0}, {3 * (1 / 5.0f), 4 * (1 / 5.0f), 0}},
      {"NaN copied unchanged", {nan, 1, 0}, {nan, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectVecBits(Vec3Normalize(c.in), c.want);
  }
}

TEST(Vec3Normalize, FloorIsOneStepBelowTheFloatNearestTenToTheMinusTen) {
  EXPECT_EQ(9.9999994e-11f, std::nextafter(1e-10f, 0.0f));
  // The largest x whose square is not above the floor gives zero; the next float does not.
  const float floor = std::nextafter(1e-10f, 0.0f);
  float x = std::sqrt(floor);
  while (x * x > floor) x = std::nextafter(x, 0.0f);
  while (std::nextafter(x, 1.0f) * std::nextafter(x, 1.0f) <= floor) x = std::nextafter(x, 1.0f);
  ExpectVecBits(Vec3Normalize(Vec3{x, 0, 0}), Vec3{0, 0, 0});
  EXPECT_GT(Vec3Normalize(Vec3{std::nextafter(x, 1.0f), 0, 0}).x, 0.99f);
}

TEST(Vec3Ops, ComponentWise) {
  const Vec3 a{1, -2, 3};
  const Vec3 b{4, 5, -6};
  ExpectVecBits(Vec3Set(1, -2, 3), a);
  ExpectVecBits(Vec3Add(a, b), Vec3{5, 3, -3});
  ExpectVecBits(Vec3Sub(a, b), Vec3{-3, -7, 9});
  ExpectVecBits(Vec3Negate(a), Vec3{-1, 2, -3});
  ExpectVecBits(Vec3Negate(Vec3{}), Vec3{-0.0f, -0.0f, -0.0f});
  ExpectVecBits(Vec3Scale(2, a), Vec3{2, -4, 6});
  ExpectVecBits(Vec3Cross(a, b), Vec3{-2 * -6 - 3 * 5, 3 * 4 - 1 * -6, 1 * 5 - -2 * 4});
  ExpectVecBits(Vec3Cross(Vec3{1, 0, 0}, Vec3{0, 1, 0}), Vec3{0, 0, 1});
  EXPECT_EQ(Vec3Dot(a, b), 4 - 10 - 18);
}

TEST(Vec3Ops, DotSumsZThenYThenX) {
  // In that order 1 is lost against 1e8 before x cancels y; x first would keep it.
  EXPECT_EQ(Vec3Dot(Vec3{-1e8f, 1e8f, 1}, Vec3{1, 1, 1}), 0.0f);
}

}  // namespace
}  // namespace ovoid
