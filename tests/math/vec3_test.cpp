#include "math/vec3.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ovoid {
namespace {

TEST(Vec3Normalize, ThresholdsAndTolerance) {
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
      {"3-4-0", {3, 4, 0}, {0.6f, 0.8f, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Vec3 got = Vec3Normalize(c.in);
    EXPECT_FLOAT_EQ(got.x, c.want.x);
    EXPECT_FLOAT_EQ(got.y, c.want.y);
    EXPECT_FLOAT_EQ(got.z, c.want.z);
  }
}

TEST(Vec3Normalize, FloorIsOneStepBelowTheFloatNearestTenToTheMinusTen) {
  EXPECT_EQ(9.9999994e-11f, std::nextafter(1e-10f, 0.0f));
}

}  // namespace
}  // namespace ovoid
