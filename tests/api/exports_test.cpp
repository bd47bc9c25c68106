// The exports as a host sees them: loaded from the shared library, integers in 32-bit
// slots, floats passed and returned as bit patterns.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

namespace {

uint32_t Bits(float f) {
  return std::bit_cast<uint32_t>(f);
}
constexpr uint32_t kMinus1 = 0xFFFFFFFFu;

class HostExports : public ::testing::Test {
 protected:
  static void* Library() {
    static void* handle = dlopen(OVOID_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    return handle;
  }

  template <class F>
  static F* Fn(const char* name) {
    void* symbol = Library() != nullptr ? dlsym(Library(), name) : nullptr;
    if (symbol == nullptr) ADD_FAILURE() << "missing export " << name;
    return reinterpret_cast<F*>(symbol);
  }

  void SetUp() override {
    ASSERT_NE(Library(), nullptr) << dlerror();
    Stop();
  }
  // The library's state outlives the test: leave it as loaded.
  void TearDown() override {
    Stop();
    Fn<void(uint32_t)>("SetEllipOptimizeNUV")(1);
    Fn<void(uint32_t)>("SetEllipSizeModeNUV")(0);
    Fn<void(uint32_t)>("SetConcaveModeNUV")(3);
  }

  void Stop() { Fn<void()>("StopCollisionNUV")(); }
  void Arm() { Fn<void()>("StartCollisionDebugNUV")(); }
  void NewObj(uint32_t number, uint32_t type) {
    Fn<void(uint32_t, uint32_t)>("NewCollObjNUV")(number, type);
  }
  uint32_t Peek(char axis, uint32_t number) {
    const std::string name = std::string("PeekObj") + axis + "NUV";
    return Fn<uint32_t(uint32_t)>(name.c_str())(number);
  }
};

TEST_F(HostExports, AnglesReturnBitPatterns) {
  auto yaw = Fn<uint32_t(uint32_t, uint32_t, uint32_t)>("Vec2Yaw");
  auto pitch = Fn<uint32_t(uint32_t, uint32_t, uint32_t)>("Vec2Pitch");
  EXPECT_EQ(yaw(Bits(1), Bits(0), Bits(0)), Bits(89.99999237060547f));
  EXPECT_EQ(yaw(Bits(0), Bits(0), Bits(-1)), Bits(179.99998474121094f));
  EXPECT_EQ(yaw(Bits(0), Bits(5), Bits(1)), 0u);
  EXPECT_EQ(pitch(Bits(0), Bits(1), Bits(0)), Bits(89.99999237060547f));
  EXPECT_EQ(pitch(Bits(3), Bits(0), Bits(4)), 0u);
}

TEST_F(HostExports, UpdateAndPeekKeepEveryBit) {
  NewObj(5000, 100);
  Fn<void(uint32_t, uint32_t)>("SetObjGravityNUV")(5000, Bits(0.5f));
  auto update = Fn<void(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t)>("UpdateObjNUV");
  update(5000, Bits(1e-45f), Bits(10), Bits(-0.0f), 256);  // 256 is mode 0: gravity applies
  EXPECT_EQ(Peek('X', 5000), Bits(1e-45f));
  EXPECT_EQ(Peek('Y', 5000), Bits(9.5f));
  EXPECT_EQ(Peek('Z', 5000), Bits(-0.0f));
  update(5000, Bits(2), Bits(10), Bits(3), 1);
  EXPECT_EQ(Peek('Y', 5000), Bits(10));
  EXPECT_EQ(Peek('X', 0), 0u);
  EXPECT_EQ(Peek('Z', 5001), 0u);
  EXPECT_EQ(Peek('Y', kMinus1), 0u);
}

TEST_F(HostExports, ErrorBoxIsOneLineOnStandardErrorOncePerArming) {
  testing::internal::CaptureStderr();
  NewObj(0, 1);  // not armed: silent
  Arm();
  NewObj(kMinus1, 1);
  NewObj(0, 1);  // disarmed by the first
  Arm();
  NewObj(7, kMinus1);
  Arm();
  Fn<void(uint32_t)>("FreeObjNUV")(16777217);
  Arm();
  Fn<void(uint32_t)>("SetConcaveModeNUV")(kMinus1);
  Arm();
  Stop();
  Fn<void(uint32_t)>("FreeObjNUV")(0);  // the stop disarmed
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Collision Error: Object number out of range for collision system: 0\n"
            "Collision Error: Invalid Collision TYPE ID: 0\n"
            "Collision Error: Object number out of range for collision system: 16777216\n"
            "Collision Error: Invalid System Concave Setting: 0\n");
}

TEST_F(HostExports, CollisionStackAndShapeQueries) {
  for (uint32_t n : {3u, 9u, 4u}) {
    NewObj(n, 1);
    Fn<void(uint32_t, uint32_t)>("AddObjShapeNUV")(n, 1);
    Fn<void(uint32_t)>("ActivateObjNUV")(n);
  }
  Fn<void(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t)>("SetCollisionsNUV")(1, 2, 2, 1, 1);
  auto peek = Fn<int32_t()>("PeekCollisionStackNUV");
  Fn<void()>("ResetCollisionStackNUV")();
  EXPECT_EQ(peek(), 3);
  Fn<void(uint32_t)>("DeActivateObjNUV")(9);
  EXPECT_EQ(peek(), 4);
  EXPECT_EQ(peek(), 0);
  auto checkShape = Fn<int32_t(uint32_t, uint32_t)>("CheckShapeNUV");
  EXPECT_EQ(checkShape(3, 1), 1);
  EXPECT_EQ(checkShape(3, 2), 0);
  EXPECT_EQ(checkShape(kMinus1, 1), 0);
  // A run without a move: nothing to count, positions at the targets.
  Fn<void()>("RunCollisionNUV")();
  EXPECT_EQ(Fn<int32_t(uint32_t)>("CountCollisionsNUV")(3), 0);
  EXPECT_EQ(Peek('X', 3), 0u);
}

}  // namespace
