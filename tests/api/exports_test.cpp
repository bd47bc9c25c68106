// The exports as a host sees them: loaded from the shared library, integers in 32-bit
// slots, floats passed and returned as bit patterns.
#include <gtest/gtest.h>

#include <cstdint>

#include "host_library.h"

namespace ovoid_host {
namespace {

constexpr uint32_t kMinus1 = 0xFFFFFFFFu;

using HostExports = HostTest;

TEST_F(HostExports, AnglesReturnBitPatterns) {
  EXPECT_EQ(lib.Vec2Yaw(Bits(1), Bits(0), Bits(0)), Bits(89.99999237060547f));
  EXPECT_EQ(lib.Vec2Yaw(Bits(0), Bits(0), Bits(-1)), Bits(179.99998474121094f));
  EXPECT_EQ(lib.Vec2Yaw(Bits(0), Bits(5), Bits(1)), 0u);
  EXPECT_EQ(lib.Vec2Pitch(Bits(0), Bits(1), Bits(0)), Bits(89.99999237060547f));
  EXPECT_EQ(lib.Vec2Pitch(Bits(3), Bits(0), Bits(4)), 0u);
}

TEST_F(HostExports, UpdateAndPeekKeepEveryBit) {
  lib.NewCollObjNUV(5000, 100);
  lib.SetObjGravityNUV(5000, Bits(0.5f));
  lib.UpdateObjNUV(5000, Bits(1e-45f), Bits(10), Bits(-0.0f), 256);  // 256 is mode 0: gravity
  EXPECT_EQ(lib.PeekObjXNUV(5000), Bits(1e-45f));
  EXPECT_EQ(lib.PeekObjYNUV(5000), Bits(9.5f));
  EXPECT_EQ(lib.PeekObjZNUV(5000), Bits(-0.0f));
  lib.UpdateObjNUV(5000, Bits(2), Bits(10), Bits(3), 1);
  EXPECT_EQ(lib.PeekObjYNUV(5000), Bits(10));
  EXPECT_EQ(lib.PeekObjXNUV(0), 0u);
  EXPECT_EQ(lib.PeekObjZNUV(5001), 0u);
  EXPECT_EQ(lib.PeekObjYNUV(kMinus1), 0u);
}

TEST_F(HostExports, ErrorBoxIsOneLineOnStandardErrorOncePerArming) {
  testing::internal::CaptureStderr();
  lib.NewCollObjNUV(0, 1);  // not armed: silent
  lib.StartCollisionDebugNUV();
  lib.NewCollObjNUV(kMinus1, 1);
  lib.NewCollObjNUV(0, 1);  // disarmed by the first
  lib.StartCollisionDebugNUV();
  lib.NewCollObjNUV(7, kMinus1);
  lib.StartCollisionDebugNUV();
  lib.FreeObjNUV(16777217);
  lib.StartCollisionDebugNUV();
  lib.SetConcaveModeNUV(kMinus1);
  lib.StartCollisionDebugNUV();
  lib.StopCollisionNUV();
  lib.FreeObjNUV(0);  // the stop disarmed
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Collision Error: Object number out of range for collision system: 0\n"
            "Collision Error: Invalid Collision TYPE ID: 0\n"
            "Collision Error: Object number out of range for collision system: 16777216\n"
            "Collision Error: Invalid System Concave Setting: 0\n");
}

TEST_F(HostExports, CollisionStackAndShapeQueries) {
  for (uint32_t n : {3u, 9u, 4u}) {
    lib.NewCollObjNUV(n, 1);
    lib.AddObjShapeNUV(n, 1);
    lib.ActivateObjNUV(n);
  }
  lib.SetCollisionsNUV(1, 2, 2, 1, 1);
  lib.ResetCollisionStackNUV();
  EXPECT_EQ(lib.PeekCollisionStackNUV(), 3);
  lib.DeActivateObjNUV(9);
  EXPECT_EQ(lib.PeekCollisionStackNUV(), 4);
  EXPECT_EQ(lib.PeekCollisionStackNUV(), 0);
  EXPECT_EQ(lib.CheckShapeNUV(3, 1), 1);
  EXPECT_EQ(lib.CheckShapeNUV(3, 2), 0);
  EXPECT_EQ(lib.CheckShapeNUV(kMinus1, 1), 0);
  // A run without a move: nothing to count, positions at the targets.
  lib.RunCollisionNUV();
  EXPECT_EQ(lib.CountCollisionsNUV(3), 0);
  EXPECT_EQ(lib.PeekObjXNUV(3), 0u);
}

}  // namespace
}  // namespace ovoid_host
