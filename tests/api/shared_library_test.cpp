// The library as a host sees it: the built shared library loaded with dlopen, its exports
// found with dlsym, and every float crossing the boundary as its 32-bit bit pattern.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>

#include "host_library.h"

namespace ovoid_host {
namespace {

using SharedLibrary = HostTest;

TEST_F(SharedLibrary, ExportsEveryListedNameAndHidesInternals) {
  // ovoid.h declares 46 exports; the list the loader is built from must hold them all.
  EXPECT_EQ(std::size(kExports), 46u);
  for (const ExportEntry& e : kExports) {
    SCOPED_TRACE(e.name);
    EXPECT_NE(dlsym(lib.handle, e.name), nullptr);
  }
  // The internal operations share names with exports or are C++ symbols; none may leak out.
  const char* internals[] = {"_ZN5ovoid12LibraryWorldEv", "_ZN5ovoid7Vec2YawEfff",
                             "_ZN5ovoid14CheckObjNumberERNS_5WorldEj"};
  for (const char* name : internals) {
    SCOPED_TRACE(name);
    EXPECT_EQ(dlsym(lib.handle, name), nullptr);
  }
}

TEST_F(SharedLibrary, AnglesTakeAndReturnFloatBits) {
  struct Case {
    const char* name;
    decltype(&::Vec2Yaw) fn;
    float x, y, z;
    uint32_t want;
  };
  // A right angle is the single just below 90, a straight angle the one just below 180.
  const Case cases[] = {
      {"Vec2Yaw(1, 0, 0)", lib.Vec2Yaw, 1, 0, 0, 0x42B3FFFF},
      {"Vec2Yaw(-1, 0, 0)", lib.Vec2Yaw, -1, 0, 0, 0x42B3FFFF},
      {"Vec2Yaw(0, 0, -1)", lib.Vec2Yaw, 0, 0, -1, 0x4333FFFF},
      {"Vec2Yaw(0, 5, 1)", lib.Vec2Yaw, 0, 5, 1, 0},
      {"Vec2Pitch(0, 1, 0)", lib.Vec2Pitch, 0, 1, 0, 0x42B3FFFF},
      {"Vec2Pitch(1, 0, 0)", lib.Vec2Pitch, 1, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.fn(Bits(c.x), Bits(c.y), Bits(c.z)), c.want);
  }
}

TEST_F(SharedLibrary, PositionsCrossAsBits) {
  struct Case {
    uint32_t number;
    float x, y, z;
  };
  const Case cases[] = {{1, 1, 2, 3}, {5000, -0.5f, 1e-3f, 1e6f}};
  for (const Case& c : cases) {
    lib.NewCollObjNUV(c.number, 0);
    Place(c.number, {c.x, c.y, c.z});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    EXPECT_EQ(lib.PeekObjXNUV(c.number), Bits(c.x));
    EXPECT_EQ(lib.PeekObjYNUV(c.number), Bits(c.y));
    EXPECT_EQ(lib.PeekObjZNUV(c.number), Bits(c.z));
  }

  // Gravity arrives as bits too, and an ordinary update lowers y by it.
  lib.SetObjGravityNUV(1, Bits(0.5f));
  Move(1, {0, 10, 0});
  lib.RunCollisionNUV();
  EXPECT_EQ(lib.PeekObjYNUV(1), Bits(9.5f));
}

TEST_F(SharedLibrary, RejectedCallsReturnZero) {
  lib.NewCollObjNUV(2, 0);
  Place(2, {4, 5, 6});
  EXPECT_EQ(lib.PeekObjXNUV(0), 0u);
  EXPECT_EQ(lib.PeekObjYNUV(5001), 0u);
  EXPECT_EQ(lib.PeekObjZNUV(0xFFFFFFFFu), 0u);
  EXPECT_EQ(lib.CountCollisionsNUV(7), 0);
  EXPECT_EQ(lib.CheckShapeNUV(0, 1), 0);
  Place(0, {7, 7, 7});
  EXPECT_EQ(lib.PeekObjXNUV(2), Bits(4));
}

TEST_F(SharedLibrary, ArmedErrorShowsOneLineOnStandardError) {
  lib.StartCollisionDebugNUV();
  testing::internal::CaptureStderr();
  lib.PeekObjXNUV(0);
  lib.PeekObjXNUV(0);  // the arming is used up
  lib.CountCollisionsNUV(0xFFFFFFFFu);
  std::string shown = testing::internal::GetCapturedStderr();
  EXPECT_EQ(shown, "Collision Error: Object number out of range for collision system: 0\n");
}

TEST_F(SharedLibrary, StopFreesEveryObject) {
  lib.NewCollObjNUV(1, 0);
  Place(1, {1, 2, 3});
  lib.ActivateObjNUV(1);
  lib.StopCollisionNUV();
  EXPECT_EQ(lib.PeekObjXNUV(1), 0u);
  lib.ResetCollisionStackNUV();
  EXPECT_EQ(lib.PeekCollisionStackNUV(), 0);

  lib.NewCollObjNUV(1, 0);
  Place(1, {8, 9, 10});
  EXPECT_EQ(lib.PeekObjZNUV(1), Bits(10));
}

}  // namespace
}  // namespace ovoid_host
