#include "math/angles.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

namespace ovoid {
namespace {

constexpr float kRight = 89.99999237060547f;
constexpr float kStraight = 179.99998474121094f;

TEST(Angles, ExactBits) {
  struct Case {
    const char* name;
    float (*angle)(float, float, float);
    float x, y, z;
    float want;
  };
  const Case cases[] = {
      {"yaw straight ahead, y ignored", Vec2Yaw, 0, 5, 1, 0.0f},
      {"yaw right", Vec2Yaw, 1, 0, 0, kRight},
      {"yaw left is the same", Vec2Yaw, -1, 0, 0, kRight},
      {"yaw behind", Vec2Yaw, 0, 0, -1, kStraight},
      {"yaw straight up: zero projection", Vec2Yaw, 0, 7, 0, kRight},
      {"yaw of a long vector", Vec2Yaw, 0, 0, -250, kStraight},
      {"yaw just over unit length, clamped", Vec2Yaw, 0, 0, 1.000004f, 0.0f},
      {"pitch level", Vec2Pitch, 1, 0, 0, 0.0f},
      {"pitch straight up", Vec2Pitch, 0, 1, 0, kRight},
      {"pitch straight down", Vec2Pitch, 0, -3, 0, kRight},
      {"pitch 45 up", Vec2Pitch, 1, 1, 0, 45.0f},
      {"pitch 45 down", Vec2Pitch, 1, -1, 0, 45.0f},
      {"pitch 3-0-4, clamped", Vec2Pitch, 3, 0, 4, 0.0f},
      // The dot product of the rounded unit vectors summed in float would give 17.5483971.
      {"pitch 1-1-3, dot in double", Vec2Pitch, 1, 1, 3, std::bit_cast<float>(0x418C6322u)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const float got = c.angle(c.x, c.y, c.z);
    EXPECT_EQ(std::bit_cast<uint32_t>(got), std::bit_cast<uint32_t>(c.want)) << got;
  }
}

}  // namespace
}  // namespace ovoid
