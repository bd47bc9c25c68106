// Scenes a game would run against meshes, through the library's exports only: the host
// loads the shared library, builds a world, and runs frame after frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "host_library.h"

namespace ovoid_host {
namespace {

constexpr uint32_t kMeshType = 1;
constexpr uint32_t kMoverType = 2;
constexpr uint32_t kMeshObj = 1;
constexpr uint32_t kMover = 2;

class MeshScene : public HostTest {
 protected:
  // A level floor y = 0 over [-50, 50] on x and z, facing up.
  void Floor(uint32_t n) { Quad(n, {-50, 0, -50}, {-50, 0, 50}, {50, 0, 50}, {50, 0, -50}); }

  // A closed 10-unit room [-5, 5] on every axis, of inward-facing triangles.
  void Room(uint32_t n) {
    const float h = 5;
    Quad(n, {-h, -h, -h}, {-h, -h, h}, {h, -h, h}, {h, -h, -h});  // floor, +y
    Quad(n, {-h, h, -h}, {h, h, -h}, {h, h, h}, {-h, h, h});      // ceiling, -y
    Quad(n, {-h, -h, -h}, {-h, h, -h}, {-h, h, h}, {-h, -h, h});  // x = -5, +x
    Quad(n, {h, -h, -h}, {h, -h, h}, {h, h, h}, {h, h, -h});      // x = 5, -x
    Quad(n, {-h, -h, -h}, {h, -h, -h}, {h, h, -h}, {-h, h, -h});  // z = -5, +z
    Quad(n, {-h, -h, h}, {-h, h, h}, {h, h, h}, {h, -h, h});      // z = 5, -z
  }

  // A slope y = -0.75 x (normal (0.6, 0.8, 0)), descending toward +x.
  void Slope(uint32_t n) {
    Quad(n, {-50, 37.5f, -50}, {-50, 37.5f, 50}, {50, -37.5f, 50}, {50, -37.5f, -50});
  }
};

TEST_F(MeshScene, FallingOntoAFloorComesToRestOnIt) {
  struct Case {
    const char* name;
    Point radius;
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
    AddMesh(kMeshObj, kMeshType);
    Floor(kMeshObj);
    lib.SetCollisionsNUV(kMoverType, kMeshType, 2, c.response, 1);
    AddEllipsoid(kMover, kMoverType, c.radius, 0.05f, {1.5f, 6, -2.5f});
    int landed = -1;
    for (int frame = 0; frame < 400; ++frame) {
      Frame(kMover, {});
      const Point at = Peek(kMover);
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
  AddMesh(kMeshObj, kMeshType);
  // The wall x = 0, facing +x.
  Quad(kMeshObj, {0, -100, -100}, {0, 100, -100}, {0, 100, 100}, {0, -100, 100});
  lib.SetCollisionsNUV(kMoverType, kMeshType, 2, 2, 1);
  AddEllipsoid(kMover, kMoverType, {1, 1, 1}, 0, {3, 0, 0});
  for (int frame = 1; frame <= 300; ++frame) {
    Frame(kMover, {-0.3f, 0, 0.2f});
    const Point at = Peek(kMover);
    ASSERT_GT(at.x - 1, -1e-3f) << "frame " << frame;
    ASSERT_NEAR(at.z, 0.2f * frame, 1e-3f * frame) << "frame " << frame;
    EXPECT_FLOAT_EQ(at.y, 0);
  }
  EXPECT_NEAR(Peek(kMover).x, 1, 1e-3f);  // pressed against the wall, not stuck off it
}

// Random wanted motions of up to 0.5 per axis; mt19937's output is the same everywhere.
Point RandomMotion(std::mt19937& rng) {
  auto one = [&] { return static_cast<float>(rng() * 0x1p-32) - 0.5f; };
  const float x = one();
  const float y = one();
  const float z = one();
  return {x, y, z};
}

// How far the centre of the unit sphere got past the room's inner limit (4 on every axis).
float Overshoot(Point at) {
  const float worst = std::fmax(std::fabs(at.x), std::fmax(std::fabs(at.y), std::fabs(at.z)));
  return worst - 4;
}

TEST_F(MeshScene, SphereShakenInAClosedRoomNeverLeavesIt) {
  for (uint32_t mode = 1; mode <= 6; ++mode) {
    SCOPED_TRACE(mode);
    lib.StopCollisionNUV();
    lib.SetConcaveModeNUV(mode);
    AddMesh(kMeshObj, kMeshType);
    Room(kMeshObj);
    lib.SetCollisionsNUV(kMoverType, kMeshType, 2, 2, 1);
    AddEllipsoid(kMover, kMoverType, {1, 1, 1}, 0, {0, 0, 0});
    std::mt19937 rng(20240501);
    int touching = 0;
    for (int frame = 1; frame <= 1000; ++frame) {
      const Point before = Peek(kMover);
      const Point motion = RandomMotion(rng);
      Frame(kMover, motion);
      const Point at = Peek(kMover);
      ASSERT_LT(Overshoot(at), 1e-3f)
          << "frame " << frame << " from (" << before.x << ", " << before.y << ", " << before.z
          << ") by (" << motion.x << ", " << motion.y << ", " << motion.z << ") to (" << at.x
          << ", " << at.y << ", " << at.z << ")";
      if (lib.CountCollisionsNUV(kMover) > 0) ++touching;
    }
    EXPECT_GT(touching, 50);  // it did meet the walls, again and again
  }
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
    AddMesh(kMeshObj, kMeshType);
    Slope(kMeshObj);
    lib.SetCollisionsNUV(kMoverType, kMeshType, 2, c.response, 1);
    // Resting on the slope: the centre one radius from the contact point (0, 0, 20).
    const Point start{0.6f, 0.8f, 20};
    AddEllipsoid(kMover, kMoverType, {1, 1, 1}, 0.05f, start);
    for (int frame = 1; frame <= 100; ++frame) {
      Frame(kMover, {});
      const Point at = Peek(kMover);
      // Never into the slope: the centre stays one radius above its plane.
      ASSERT_GT(0.6f * at.x + 0.8f * at.y, 1 - 1e-3f) << "frame " << frame;
      EXPECT_FLOAT_EQ(at.z, 20);
    }
    const Point at = Peek(kMover);
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
  AddMesh(kPlatform, kMeshType);
  Quad(kPlatform, {-5, 0, -5}, {-5, 0, 5}, {5, 0, 5}, {5, 0, -5});
  lib.SetCollisionsNUV(kMoverType, kMeshType, 2, 3, 3);
  AddEllipsoid(kMover, kMoverType, {1, 1, 1}, 0.05f, {-3, 1, 0});
  // Let it settle on the still platform first.
  for (int frame = 0; frame < 10; ++frame) Frame(kMover, {});
  const Point before = Peek(kMover);
  ASSERT_NEAR(before.y, 1, 1e-3f);
  ASSERT_NEAR(before.x, -3, 1e-3f);
  for (int frame = 1; frame <= 50; ++frame) {
    const Point deck = Peek(kPlatform);
    Move(kPlatform, {deck.x + 0.1f, deck.y, deck.z});
    Frame(kMover, {});
  }
  const Point deck = Peek(kPlatform);
  const Point at = Peek(kMover);
  EXPECT_NEAR(deck.x, 5, 1e-3f);
  EXPECT_NEAR(at.x - before.x, deck.x, 1e-3f);
  EXPECT_NEAR(at.y, 1, 1e-3f);  // still standing on it
  EXPECT_NEAR(at.z, before.z, 1e-3f);
  EXPECT_LT(std::fabs(at.x - deck.x), 5);  // still over the platform
}

// The contact queries name the triangle the sphere landed on, placed where the mesh
// stands in the world.
TEST_F(MeshScene, ContactQueriesReportTheTriangleHit) {
  AddMesh(kMeshObj, kMeshType);
  Place(kMeshObj, {100, 0, 0});
  // Four tiles of two triangles; the sphere lands on the seventh triangle.
  for (float x0 : {-10.0f, 0.0f}) {
    for (float z0 : {-10.0f, 0.0f}) {
      Quad(kMeshObj, {x0, 0, z0}, {x0, 0, z0 + 10}, {x0 + 10, 0, z0 + 10}, {x0 + 10, 0, z0});
    }
  }
  lib.SetCollisionsNUV(kMoverType, kMeshType, 2, 3, 1);
  AddEllipsoid(kMover, kMoverType, {1, 1, 1}, 0.25f, {107, 3, 2});  // over x 7, z 2
  int frame = 0;
  while (lib.CountCollisionsNUV(kMover) == 0 && frame < 20) {
    Frame(kMover, {});
    ++frame;
  }
  ASSERT_EQ(lib.CountCollisionsNUV(kMover), 1);
  EXPECT_EQ(lib.CollisionHitShape(kMover, 1), 2);
  EXPECT_EQ(lib.CollisionHitObj(kMover, 1), static_cast<int32_t>(kMeshObj));
  // Tile (0, 0) is triangles 7 (corners (0,0,0), (0,0,10), (10,0,10)) and 8; (7, 2) lies
  // in triangle 8: (0,0,0), (10,0,10), (10,0,0).
  EXPECT_EQ(lib.CollisionHitPoly(kMover, 1), 8);
  const Point want[3] = {{100, 0, 0}, {110, 0, 10}, {110, 0, 0}};
  for (uint32_t corner = 1; corner <= 3; ++corner) {
    SCOPED_TRACE(corner);
    EXPECT_EQ(Float(lib.CollisionTriCorner(kMover, 1, corner, 1)), want[corner - 1].x);
    EXPECT_EQ(Float(lib.CollisionTriCorner(kMover, 1, corner, 2)), want[corner - 1].y);
    EXPECT_EQ(Float(lib.CollisionTriCorner(kMover, 1, corner, 3)), want[corner - 1].z);
  }
}

}  // namespace
}  // namespace ovoid_host
