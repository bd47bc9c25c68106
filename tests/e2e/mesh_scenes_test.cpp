// Scenes a game would run against meshes, through the library's exports only: the host
// loads the shared library, builds a world, and runs frame after frame.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <type_traits>

#include "ovoid/ovoid.h"

namespace {

struct V {
  float x = 0, y = 0, z = 0;
};

// The exports this file uses, looked up by name in the loaded library.
struct Host {
  void* handle = nullptr;
#define OVOID_FN(name) decltype(&::name) name = nullptr
  OVOID_FN(StopCollisionNUV);
  OVOID_FN(SetEllipOptimizeNUV);
  OVOID_FN(SetConcaveModeNUV);
  OVOID_FN(SetCollisionsNUV);
  OVOID_FN(NewCollObjNUV);
  OVOID_FN(AddObjShapeNUV);
  OVOID_FN(ActivateObjNUV);
  OVOID_FN(SetObjRadiusNUV);
  OVOID_FN(SetObjGravityNUV);
  OVOID_FN(AddMeshTri);
  OVOID_FN(UpdateObjNUV);
  OVOID_FN(RunCollisionNUV);
  OVOID_FN(PeekObjXNUV);
  OVOID_FN(PeekObjYNUV);
  OVOID_FN(PeekObjZNUV);
  OVOID_FN(CountCollisionsNUV);
  OVOID_FN(CollisionHitShape);
  OVOID_FN(CollisionHitPoly);
  OVOID_FN(CollisionTriCorner);
  OVOID_FN(CollisionHitObj);
#undef OVOID_FN

  bool Load() {
    handle = dlopen(OVOID_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return false;
    bool ok = true;
    auto get = [&](auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(handle, name));
      ok = ok && fn != nullptr;
    };
#define OVOID_GET(name) get(name, #name)
    OVOID_GET(StopCollisionNUV);
    OVOID_GET(SetEllipOptimizeNUV);
    OVOID_GET(SetConcaveModeNUV);
    OVOID_GET(SetCollisionsNUV);
    OVOID_GET(NewCollObjNUV);
    OVOID_GET(AddObjShapeNUV);
    OVOID_GET(ActivateObjNUV);
    OVOID_GET(SetObjRadiusNUV);
    OVOID_GET(SetObjGravityNUV);
    OVOID_GET(AddMeshTri);
    OVOID_GET(UpdateObjNUV);
    OVOID_GET(RunCollisionNUV);
    OVOID_GET(PeekObjXNUV);
    OVOID_GET(PeekObjYNUV);
    OVOID_GET(PeekObjZNUV);
    OVOID_GET(CountCollisionsNUV);
    OVOID_GET(CollisionHitShape);
    OVOID_GET(CollisionHitPoly);
    OVOID_GET(CollisionTriCorner);
    OVOID_GET(CollisionHitObj);
#undef OVOID_GET
    return ok;
  }

  static uint32_t B(float v) {
    return OvoidFloatBits(v);
  }

  void Tri(uint32_t n, V a, V b, V c) {
    AddMeshTri(n, B(a.x), B(a.y), B(a.z), B(b.x), B(b.y), B(b.z), B(c.x), B(c.y), B(c.z));
  }
  // Two triangles a b c and a c d of a quad, front toward (b − a) × (c − a).
  void Quad(uint32_t n, V a, V b, V c, V d) {
    Tri(n, a, b, c);
    Tri(n, a, c, d);
  }
  void Update(uint32_t n, V p, uint32_t mode) {
    UpdateObjNUV(n, B(p.x), B(p.y), B(p.z), mode);
  }
  V Peek(uint32_t n) {
    return {OvoidBitsFloat(PeekObjXNUV(n)), OvoidBitsFloat(PeekObjYNUV(n)),
            OvoidBitsFloat(PeekObjZNUV(n))};
  }
  // One host frame for one moving object: hand in where it wants to go, run.
  void Frame(uint32_t n, V velocity) {
    const V at = Peek(n);
    Update(n, {at.x + velocity.x, at.y + velocity.y, at.z + velocity.z}, 0);
    RunCollisionNUV();
  }

  // A mesh object of the given type, active.
  void NewMesh(uint32_t n, uint32_t type) {
    NewCollObjNUV(n, type);
    AddObjShapeNUV(n, 2);
    ActivateObjNUV(n);
  }
  // An ellipsoid object of the given type, active, placed at p without collision.
  void NewEllip(uint32_t n, uint32_t type, V radius, float gravity, V p) {
    NewCollObjNUV(n, type);
    AddObjShapeNUV(n, 1);
    SetObjRadiusNUV(n, B(radius.x), B(radius.y), B(radius.z));
    SetObjGravityNUV(n, B(gravity));
    ActivateObjNUV(n);
    Update(n, p, 1);
  }
};

Host& Lib() {
  static Host host;
  static const bool loaded = host.Load();
  EXPECT_TRUE(loaded) << dlerror();
  return host;
}

constexpr uint32_t kMeshType = 1;
constexpr uint32_t kMoverType = 2;
constexpr uint32_t kMeshObj = 1;
constexpr uint32_t kMover = 2;

class MeshScene : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Lib().handle, nullptr);
    lib.StopCollisionNUV();
    lib.SetConcaveModeNUV(3);
    lib.SetEllipOptimizeNUV(1);
  }
  void TearDown() override { lib.StopCollisionNUV(); }

  // A level floor y = 0 over [-50, 50] on x and z, facing up.
  void Floor(uint32_t n) { lib.Quad(n, {-50, 0, -50}, {-50, 0, 50}, {50, 0, 50}, {50, 0, -50}); }

  Host& lib = Lib();
};

TEST_F(MeshScene, FallingOntoAFloorComesToRestOnIt) {
  struct Case {
    const char* name;
    V radius;
    uint32_t response;
  };
  const Case cases[] = {
      {"sphere, slide", {1, 1, 1}, 2},
      {"sphere, slide and rest", {1, 1, 1}, 3},
      {"tall ellipsoid, slide", {1, 2, 1}, 2},
      {"tall ellipsoid, slide and rest", {1, 2, 1}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    lib.StopCollisionNUV();
    lib.NewMesh(kMeshObj, kMeshType);
    Floor(kMeshObj);
    lib.SetCollisionsNUV(kMoverType, kMeshType, 2, c.response, 1);
    lib.NewEllip(kMover, kMoverType, c.radius, 0.05f, {1.5f, 6, -2.5f});
    int landed = -1;
    for (int frame = 0; frame < 400; ++frame) {
      lib.Frame(kMover, {});
      const V at = lib.Peek(kMover);
      const float lowest = at.y - c.radius.y;
      ASSERT_GT(lowest, -1e-3f) << "frame " << frame;  // never sinks into the floor
      EXPECT_FLOAT_EQ(at.x, 1.5f);
      EXPECT_FLOAT_EQ(at.z, -2.5f);
      if (landed < 0 && std::fabs(lowest) < 1e-3f) landed = frame;
      if (landed >= 0) {
        ASSERT_LT(std::fabs(lowest), 1e-3f) << "frame " << frame;
      }
    }
    // Gravity moves 0.05 a frame: the fall takes its height / 0.05 frames (100 for the
    // sphere), then it rests for the remaining 300 frames or so.
    const float fallFrames = (6 - c.radius.y) / 0.05f;
    EXPECT_NEAR(landed, fallFrames, 2);
  }
}

TEST_F(MeshScene, SpherePushedIntoAWallSlidesAlongIt) {
  lib.NewMesh(kMeshObj, kMeshType);
  // The wall x = 0, facing +x.
  lib.Quad(kMeshObj, {0, -100, -100}, {0, 100, -100}, {0, 100, 100}, {0, -100, 100});
  lib.SetCollisionsNUV(kMoverType, kMeshType, 2, 2, 1);
  lib.NewEllip(kMover, kMoverType, {1, 1, 1}, 0, {3, 0, 0});
  for (int frame = 1; frame <= 300; ++frame) {
    lib.Frame(kMover, {-0.3f, 0, 0.2f});
    const V at = lib.Peek(kMover);
    ASSERT_GT(at.x - 1, -1e-3f) << "frame " << frame;
    ASSERT_NEAR(at.z, 0.2f * frame, 1e-3f * frame) << "frame " << frame;
    EXPECT_FLOAT_EQ(at.y, 0);
  }
  EXPECT_NEAR(lib.Peek(kMover).x, 1, 1e-3f);  // pressed against the wall, not stuck off it
}

// A closed 10-unit room [-5, 5] on every axis, of inward-facing triangles.
void Room(Host& lib, uint32_t n) {
  const float h = 5;
  lib.Quad(n, {-h, -h, -h}, {-h, -h, h}, {h, -h, h}, {h, -h, -h});  // floor, +y
  lib.Quad(n, {-h, h, -h}, {h, h, -h}, {h, h, h}, {-h, h, h});      // ceiling, -y
  lib.Quad(n, {-h, -h, -h}, {-h, h, -h}, {-h, h, h}, {-h, -h, h});  // x = -5, +x
  lib.Quad(n, {h, -h, -h}, {h, -h, h}, {h, h, h}, {h, h, -h});      // x = 5, -x
  lib.Quad(n, {-h, -h, -h}, {h, -h, -h}, {h, h, -h}, {-h, h, -h});  // z = -5, +z
  lib.Quad(n, {-h, -h, h}, {-h, h, h}, {h, h, h}, {h, -h, h});      // z = 5, -z
}

// Random wanted motions of up to 0.5 per axis; mt19937's output is the same everywhere.
V RandomMotion(std::mt19937& rng) {
  auto one = [&] { return static_cast<float>(rng() * 0x1p-32) - 0.5f; };
  const float x = one();
  const float y = one();
  const float z = one();
  return {x, y, z};
}

// How far the centre of the unit sphere got past the room's inner limit (4 on every axis).
float Overshoot(V at) {
  const float worst = std::fmax(std::fabs(at.x), std::fmax(std::fabs(at.y), std::fabs(at.z)));
  return worst - 4;
}

TEST_F(MeshScene, SphereShakenInAClosedRoomNeverLeavesIt) {
  for (uint32_t mode = 1; mode <= 6; ++mode) {
    SCOPED_TRACE(mode);
    lib.StopCollisionNUV();
    lib.SetConcaveModeNUV(mode);
    lib.NewMesh(kMeshObj, kMeshType);
    Room(lib, kMeshObj);
    lib.SetCollisionsNUV(kMoverType, kMeshType, 2, 2, 1);
    lib.NewEllip(kMover, kMoverType, {1, 1, 1}, 0, {0, 0, 0});
    std::mt19937 rng(20240501);
    int touching = 0;
    for (int frame = 1; frame <= 1000; ++frame) {
      const V before = lib.Peek(kMover);
      const V motion = RandomMotion(rng);
      lib.Frame(kMover, motion);
      const V at = lib.Peek(kMover);
      ASSERT_LT(Overshoot(at), 1e-3f)
          << "frame " << frame << " from (" << before.x << ", " << before.y << ", " << before.z
          << ") by (" << motion.x << ", " << motion.y << ", " << motion.z << ") to (" << at.x
          << ", " << at.y << ", " << at.z << ")";
      if (lib.CountCollisionsNUV(kMover) > 0) ++touching;
    }
    EXPECT_GT(touching, 50);  // it did meet the walls, again and again
  }
}

// A slope y = -0.75 x (normal (0.6, 0.8, 0)), descending toward +x.
void Slope(Host& lib, uint32_t n) {
  lib.Quad(n, {-50, 37.5f, -50}, {-50, 37.5f, 50}, {50, -37.5f, 50}, {50, -37.5f, -50});
}

TEST_F(MeshScene, SphereOnASlopeSlidesOrRestsByResponse) {
  struct Case {
    const char* name;
    uint32_t response;
    bool slides;
  };
  const Case cases[] = {
      {"slide", 2, true},
      {"slide, rest on floors", 3, false},
      {"slide, rest, no sliding down", 4, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    lib.StopCollisionNUV();
    lib.SetConcaveModeNUV(3);
    lib.SetEllipOptimizeNUV(1);
    lib.NewMesh(kMeshObj, kMeshType);
    Slope(lib, kMeshObj);
    lib.SetCollisionsNUV(kMoverType, kMeshType, 2, c.response, 1);
    // Resting on the slope: the centre one radius from the contact point (0, 0, 20).
    const V start{0.6f, 0.8f, 20};
    lib.NewEllip(kMover, kMoverType, {1, 1, 1}, 0.05f, start);
    for (int frame = 1; frame <= 100; ++frame) {
      lib.Frame(kMover, {});
      const V at = lib.Peek(kMover);
      // Never into the slope: the centre stays one radius above its plane.
      ASSERT_GT(0.6f * at.x + 0.8f * at.y, 1 - 1e-3f) << "frame " << frame;
      EXPECT_FLOAT_EQ(at.z, 20);
    }
    const V at = lib.Peek(kMover);
    const float moved = std::hypot(at.x - start.x, at.y - start.y);
    if (c.slides) {
      EXPECT_GE(moved, 1);
      EXPECT_GT(at.x, start.x);  // down the slope
    } else {
      EXPECT_LT(moved, 1e-3f);
    }
  }
}

// Dynamic response 3: a sphere standing on a platform that the host moves sideways is
// carried along with it.
TEST_F(MeshScene, SphereRidesAMovingPlatform) {
  constexpr uint32_t kPlatform = kMeshObj;
  lib.NewMesh(kPlatform, kMeshType);
  lib.Quad(kPlatform, {-5, 0, -5}, {-5, 0, 5}, {5, 0, 5}, {5, 0, -5});
  lib.SetCollisionsNUV(kMoverType, kMeshType, 2, 3, 3);
  lib.NewEllip(kMover, kMoverType, {1, 1, 1}, 0.05f, {-3, 1, 0});
  // Let it settle on the still platform first.
  for (int frame = 0; frame < 10; ++frame) lib.Frame(kMover, {});
  const V before = lib.Peek(kMover);
  ASSERT_NEAR(before.y, 1, 1e-3f);
  ASSERT_NEAR(before.x, -3, 1e-3f);
  for (int frame = 1; frame <= 50; ++frame) {
    const V deck = lib.Peek(kPlatform);
    lib.Update(kPlatform, {deck.x + 0.1f, deck.y, deck.z}, 0);
    lib.Frame(kMover, {});
  }
  const V deck = lib.Peek(kPlatform);
  const V at = lib.Peek(kMover);
  EXPECT_NEAR(deck.x, 5, 1e-3f);
  EXPECT_NEAR(at.x - before.x, deck.x, 1e-3f);
  EXPECT_NEAR(at.y, 1, 1e-3f);  // still standing on it
  EXPECT_NEAR(at.z, before.z, 1e-3f);
  EXPECT_LT(std::fabs(at.x - deck.x), 5);  // still over the platform
}

// The contact queries name the triangle the sphere landed on, placed where the mesh
// stands in the world.
TEST_F(MeshScene, ContactQueriesReportTheTriangleHit) {
  lib.NewMesh(kMeshObj, kMeshType);
  lib.Update(kMeshObj, {100, 0, 0}, 1);
  // Four tiles of two triangles; the sphere lands on the seventh triangle.
  for (float x0 : {-10.0f, 0.0f}) {
    for (float z0 : {-10.0f, 0.0f}) {
      lib.Quad(kMeshObj, {x0, 0, z0}, {x0, 0, z0 + 10}, {x0 + 10, 0, z0 + 10}, {x0 + 10, 0, z0});
    }
  }
  lib.SetCollisionsNUV(kMoverType, kMeshType, 2, 3, 1);
  lib.NewEllip(kMover, kMoverType, {1, 1, 1}, 0.25f, {107, 3, 2});  // over x 7, z 2
  int frame = 0;
  while (lib.CountCollisionsNUV(kMover) == 0 && frame < 20) {
    lib.Frame(kMover, {});
    ++frame;
  }
  ASSERT_EQ(lib.CountCollisionsNUV(kMover), 1);
  EXPECT_EQ(lib.CollisionHitShape(kMover, 1), 2);
  EXPECT_EQ(lib.CollisionHitObj(kMover, 1), static_cast<int32_t>(kMeshObj));
  // Tile (0, 0) is triangles 7 (corners (0,0,0), (0,0,10), (10,0,10)) and 8; (7, 2) lies
  // in triangle 8: (0,0,0), (10,0,10), (10,0,0).
  EXPECT_EQ(lib.CollisionHitPoly(kMover, 1), 8);
  const V want[3] = {{100, 0, 0}, {110, 0, 10}, {110, 0, 0}};
  for (uint32_t corner = 1; corner <= 3; ++corner) {
    SCOPED_TRACE(corner);
    EXPECT_EQ(OvoidBitsFloat(lib.CollisionTriCorner(kMover, 1, corner, 1)), want[corner - 1].x);
    EXPECT_EQ(OvoidBitsFloat(lib.CollisionTriCorner(kMover, 1, corner, 2)), want[corner - 1].y);
    EXPECT_EQ(OvoidBitsFloat(lib.CollisionTriCorner(kMover, 1, corner, 3)), want[corner - 1].z);
  }
}

}  // namespace
