// The library as a host sees it: the built shared library loaded with dlopen, its exports
// found with dlsym, and every float crossing the boundary as its 32-bit bit pattern.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ovoid/ovoid.h"

namespace {

struct ExportEntry {
  unsigned ordinal;
  const char* name;
};

constexpr ExportEntry kExports[] = {
#define OVOID_EXPORT(ordinal, name) {ordinal, #name},
#include "ovoid_exports.inc"
#undef OVOID_EXPORT
};

uint32_t Bits(float value) {
  return OvoidFloatBits(value);
}

class SharedLibrary : public ::testing::Test {
 protected:
  // One load per test program. Unloading at the end runs the library's stop, so the
  // sanitizer build's leak check sees anything an unload would leave behind.
  static void SetUpTestSuite() { handle = dlopen(OVOID_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL); }
  static void TearDownTestSuite() {
    if (handle != nullptr) dlclose(handle);
    handle = nullptr;
  }

  void SetUp() override { ASSERT_NE(handle, nullptr) << "dlopen " OVOID_LIBRARY_PATH; }
  void TearDown() override { Call<void>("StopCollisionNUV"); }

  // Calls an export with the argument slots given; every slot and result is 32 bits wide.
  template <typename R = uint32_t, typename... A>
  R Call(const char* name, A... args) {
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) {
      ADD_FAILURE() << "export " << name << " not found";
      return R{};
    }
    return reinterpret_cast<R (*)(A...)>(symbol)(args...);
  }

  static inline void* handle = nullptr;
};

TEST_F(SharedLibrary, ExportsEveryListedNameAndHidesInternals) {
  for (const ExportEntry& e : kExports) {
    SCOPED_TRACE(e.name);
    EXPECT_NE(dlsym(handle, e.name), nullptr);
  }
  // The internal operations share names with exports or are C++ symbols; none may leak out.
  const char* internals[] = {"_ZN5ovoid12LibraryWorldEv", "_ZN5ovoid7Vec2YawEfff",
                             "_ZN5ovoid14CheckObjNumberERNS_5WorldEj"};
  for (const char* name : internals) {
    SCOPED_TRACE(name);
    EXPECT_EQ(dlsym(handle, name), nullptr);
  }
}

TEST_F(SharedLibrary, AnglesTakeAndReturnFloatBits) {
  struct Case {
    const char* name;
    const char* fn;
    float x, y, z;
    uint32_t want;
  };
  // A right angle is the single just below 90, a straight angle the one just below 180.
  const Case cases[] = {
      {"Vec2Yaw(1, 0, 0)", "Vec2Yaw", 1, 0, 0, 0x42B3FFFF},
      {"Vec2Yaw(-1, 0, 0)", "Vec2Yaw", -1, 0, 0, 0x42B3FFFF},
      {"Vec2Yaw(0, 0, -1)", "Vec2Yaw", 0, 0, -1, 0x4333FFFF},
      {"Vec2Yaw(0, 5, 1)", "Vec2Yaw", 0, 5, 1, 0},
      {"Vec2Pitch(0, 1, 0)", "Vec2Pitch", 0, 1, 0, 0x42B3FFFF},
      {"Vec2Pitch(1, 0, 0)", "Vec2Pitch", 1, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Call(c.fn, Bits(c.x), Bits(c.y), Bits(c.z)), c.want);
  }
}

TEST_F(SharedLibrary, PositionsCrossAsBits) {
  struct Case {
    uint32_t number;
    float x, y, z;
  };
  const Case cases[] = {{1, 1, 2, 3}, {5000, -0.5f, 1e-3f, 1e6f}};
  for (const Case& c : cases) {
    Call<void>("NewCollObjNUV", c.number, 0u);
    Call<void>("UpdateObjNUV", c.number, Bits(c.x), Bits(c.y), Bits(c.z), 1u);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    EXPECT_EQ(Call("PeekObjXNUV", c.number), Bits(c.x));
    EXPECT_EQ(Call("PeekObjYNUV", c.number), Bits(c.y));
    EXPECT_EQ(Call("PeekObjZNUV", c.number), Bits(c.z));
  }

  // Gravity arrives as bits too, and an ordinary update lowers y by it.
  Call<void>("SetObjGravityNUV", 1u, Bits(0.5f));
  Call<void>("UpdateObjNUV", 1u, Bits(0), Bits(10), Bits(0), 0u);
  Call<void>("RunCollisionNUV");
  EXPECT_EQ(Call("PeekObjYNUV", 1u), Bits(9.5f));
}

TEST_F(SharedLibrary, RejectedCallsReturnZero) {
  Call<void>("NewCollObjNUV", 2u, 0u);
  Call<void>("UpdateObjNUV", 2u, Bits(4), Bits(5), Bits(6), 1u);
  EXPECT_EQ(Call("PeekObjXNUV", 0u), 0u);
  EXPECT_EQ(Call("PeekObjYNUV", 5001u), 0u);
  EXPECT_EQ(Call("PeekObjZNUV", 0xFFFFFFFFu), 0u);
  EXPECT_EQ(Call<int32_t>("CountCollisionsNUV", 7u), 0);
  EXPECT_EQ(Call<int32_t>("CheckShapeNUV", 0u, 1u), 0);
  Call<void>("UpdateObjNUV", 0u, Bits(7), Bits(7), Bits(7), 1u);
  EXPECT_EQ(Call("PeekObjXNUV", 2u), Bits(4));
}

TEST_F(SharedLibrary, ArmedErrorShowsOneLineOnStandardError) {
  Call<void>("StartCollisionDebugNUV");
  testing::internal::CaptureStderr();
  Call("PeekObjXNUV", 0u);
  Call("PeekObjXNUV", 0u);  // the arming is used up
  Call<int32_t>("CountCollisionsNUV", 0xFFFFFFFFu);
  std::string shown = testing::internal::GetCapturedStderr();
  EXPECT_EQ(shown, "Collision Error: Object number out of range for collision system: 0\n");
}

TEST_F(SharedLibrary, StopFreesEveryObject) {
  Call<void>("NewCollObjNUV", 1u, 0u);
  Call<void>("UpdateObjNUV", 1u, Bits(1), Bits(2), Bits(3), 1u);
  Call<void>("ActivateObjNUV", 1u);
  Call<void>("StopCollisionNUV");
  EXPECT_EQ(Call("PeekObjXNUV", 1u), 0u);
  Call<void>("ResetCollisionStackNUV");
  EXPECT_EQ(Call<int32_t>("PeekCollisionStackNUV"), 0);

  Call<void>("NewCollObjNUV", 1u, 0u);
  Call<void>("UpdateObjNUV", 1u, Bits(8), Bits(9), Bits(10), 1u);
  EXPECT_EQ(Call("PeekObjZNUV", 1u), Bits(10));
}

}  // namespace
