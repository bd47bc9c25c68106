// Ellipsoid scenes driven through the exports of the real shared library, frame by frame:
// register, rules, activate, update, run, peek and query, as a host does.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host_library.h"

namespace ovoid_host {
namespace {

constexpr uint32_t kMover = 1;

// Rule arguments: source type, destination type, method (1 ellipsoids), response, dynamic.
constexpr uint32_t kEllipsoids = 1;
constexpr uint32_t kStop = 1;
constexpr uint32_t kSlide = 2;
constexpr uint32_t kPassThrough = 5;

void ExpectNear(Point got, Point want, float tolerance) {
  EXPECT_NEAR(got.x, want.x, tolerance);
  EXPECT_NEAR(got.y, want.y, tolerance);
  EXPECT_NEAR(got.z, want.z, tolerance);
}

class EllipsoidScene : public HostTest {
 protected:
  /// The mover, from (-4, 0, 0) toward (6, 0, 0), meets a wall sphere (object 30, type 2)
  /// at (2, 0, 0) under a stop rule. Returns the mover's contact count.
  int32_t RunIntoWall() {
    lib.SetCollisionsNUV(1, 2, kEllipsoids, kStop, 1);
    AddSphere(30, 2, {2, 0, 0});
    AddSphere(kMover, 1, {-4, 0, 0});
    Move(kMover, {6, 0, 0});
    lib.RunCollisionNUV();
    return lib.CountCollisionsNUV(kMover);
  }
};

TEST_F(EllipsoidScene, LoaderResolvesEveryExport) {
  EXPECT_NE(lib.handle, nullptr);
  EXPECT_TRUE(lib.error.empty()) << lib.error;
}

TEST_F(EllipsoidScene, HeadOnSpheresBothStopTouching) {
  lib.SetCollisionsNUV(1, 1, kEllipsoids, kSlide, 1);
  AddSphere(1, 1, {-5, 0, 0});
  AddSphere(2, 1, {5, 0, 0});
  bool touched = false;
  for (int frame = 1; frame <= 10; ++frame) {
    SCOPED_TRACE(testing::Message() << "frame " << frame);
    const Point a = Peek(1);
    const Point b = Peek(2);
    Move(1, {a.x + 0.7f, 0, 0});
    Move(2, {b.x - 0.7f, 0, 0});
    lib.RunCollisionNUV();
    const float gap = Distance(Peek(1), Peek(2));
    EXPECT_GT(gap, 2.0f - 1e-4f);
    if (lib.CountCollisionsNUV(1) > 0) touched = true;
    if (touched) {
      EXPECT_NEAR(gap, 2.0f, 1e-4f);
      // Symmetric: each stops the same distance short of the middle.
      EXPECT_NEAR(Peek(1).x, -1.0f, 1e-4f);
      EXPECT_NEAR(Peek(2).x, 1.0f, 1e-4f);
    }
  }
  EXPECT_TRUE(touched);
}

TEST_F(EllipsoidScene, SphereDrivenIntoARowNeverSinksIntoIt) {
  // A row of static spheres with gaps narrower than the mover, which is driven along the
  // row and down into it, sliding (response 2, optimisation on) frame after frame.
  lib.SetCollisionsNUV(1, 2, kEllipsoids, kSlide, 1);
  std::vector<Point> row;
  for (int i = 0; i < 8; ++i) row.push_back({2.5f * static_cast<float>(i), 0, 0});
  for (size_t i = 0; i < row.size(); ++i) AddSphere(10 + static_cast<uint32_t>(i), 2, row[i]);
  AddSphere(kMover, 1, {-3, 3, 0});
  int contacts = 0;
  for (int frame = 1; frame <= 60; ++frame) {
    SCOPED_TRACE(testing::Message() << "frame " << frame);
    Frame(kMover, {0.4f, -0.25f, 0});
    contacts += lib.CountCollisionsNUV(kMover);
    const Point now = Peek(kMover);
    for (size_t i = 0; i < row.size(); ++i) {
      EXPECT_GE(Distance(now, row[i]), 2.0f - 1e-3f) << "sphere " << i;
    }
    // The row does not move.
    for (size_t i = 0; i < row.size(); ++i) {
      ExpectNear(Peek(10 + static_cast<uint32_t>(i)), row[i], 0.0f);
    }
  }
  EXPECT_GT(contacts, 0);
}

TEST_F(EllipsoidScene, PassThroughContactsAreReportedWithoutStopping) {
  lib.SetCollisionsNUV(1, 3, kEllipsoids, kPassThrough, 1);
  AddSphere(20, 3, {-1, 1.5f, 0});
  AddSphere(kMover, 1, {-4, 0, 0});
  Move(kMover, {6, 0, 0});
  lib.RunCollisionNUV();
  ExpectNear(Peek(kMover), {6, 0, 0}, 0.0f);
  ASSERT_EQ(lib.CountCollisionsNUV(kMover), 1);
  EXPECT_EQ(lib.CollisionHitObj(kMover, 1), 20);
  EXPECT_EQ(lib.CollisionHitType(kMover, 1), 3);
  EXPECT_EQ(lib.CollisionHitShape(kMover, 1), 1);
  // The touch lies where the centres are 2 apart: x = -1 - sqrt(1.75).
  const float touchX = -1.0f - std::sqrt(1.75f);
  ExpectNear(HitPos(kMover, 1), {(touchX - 1.0f) / 2, 0.75f, 0}, 1e-4f);
  ExpectNear(HitNorm(kMover, 1), {(touchX + 1.0f) / 2, -0.75f, 0}, 1e-4f);

  // Next frame the mover goes on through the trigger, now behind it: nothing new.
  Move(kMover, {10, 0, 0});
  lib.RunCollisionNUV();
  ExpectNear(Peek(kMover), {10, 0, 0}, 0.0f);
  EXPECT_EQ(lib.CountCollisionsNUV(kMover), 0);
}

TEST_F(EllipsoidScene, PassThroughBeyondTheStopIsDropped) {
  // The trigger rule comes first, so both triggers are found before the wall in the pass.
  lib.SetCollisionsNUV(1, 3, kEllipsoids, kPassThrough, 1);
  lib.SetCollisionsNUV(1, 2, kEllipsoids, kStop, 1);
  AddSphere(20, 3, {-1, 1.5f, 0});  // crossed before the wall
  AddSphere(21, 3, {5, 1.5f, 0});   // would be crossed after the wall
  AddSphere(30, 2, {2, 0, 0});
  AddSphere(kMover, 1, {-4, 0, 0});
  Move(kMover, {6, 0, 0});
  lib.RunCollisionNUV();
  ExpectNear(Peek(kMover), {0, 0, 0}, 1e-5f);
  ASSERT_EQ(lib.CountCollisionsNUV(kMover), 2);
  EXPECT_EQ(lib.CollisionHitObj(kMover, 1), 20);
  EXPECT_EQ(lib.CollisionHitObj(kMover, 2), 30);
  ExpectNear(HitPos(kMover, 2), {1, 0, 0}, 1e-5f);
  ExpectNear(HitNorm(kMover, 2), {-1, 0, 0}, 1e-6f);
}

TEST_F(EllipsoidScene, ContactsReadBackInPassOrder) {
  // Pass 1: through a trigger (type 3), then onto wall A (type 2) at a slant; the slide
  // runs into wall B (type 4) in pass 2, which stops the mover. With the ellipsoid
  // optimisation on, the trigger already counts as an earlier ellipsoid contact of the
  // run, so the mover does not slide at A but stops there.
  struct Case {
    const char* name;
    uint32_t optimize;
    int32_t count;
  };
  const Case cases[] = {{"optimisation off: slides from A into B", 0, 3},
                        {"optimisation on: stops at A", 1, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    lib.StopCollisionNUV();
    lib.SetEllipOptimizeNUV(c.optimize);
    lib.SetCollisionsNUV(1, 3, kEllipsoids, kPassThrough, 1);
    lib.SetCollisionsNUV(1, 2, kEllipsoids, kSlide, 1);
    lib.SetCollisionsNUV(1, 4, kEllipsoids, kStop, 1);
    const Point trigger{-1, 1.5f, 0}, wallA{5, -1, 0}, wallB{5.2f, 2.5f, 0};
    AddSphere(20, 3, trigger);
    AddSphere(30, 2, wallA);
    AddSphere(40, 4, wallB);
    AddSphere(kMover, 1, {-4, 0, 0});
    Move(kMover, {6, 0, 0});
    lib.RunCollisionNUV();

    ASSERT_EQ(lib.CountCollisionsNUV(kMover), c.count);
    struct Want {
      int32_t obj, type;
    };
    const Want wants[] = {{20, 3}, {30, 2}, {40, 4}};
    for (int32_t i = 1; i <= c.count; ++i) {
      SCOPED_TRACE(testing::Message() << "contact " << i);
      const auto index = static_cast<uint32_t>(i);
      EXPECT_EQ(lib.CollisionHitObj(kMover, index), wants[i - 1].obj);
      EXPECT_EQ(lib.CollisionHitType(kMover, index), wants[i - 1].type);
      EXPECT_EQ(lib.CollisionHitShape(kMover, index), 1);
      EXPECT_EQ(lib.CollisionHitPoly(kMover, index), 0);
      EXPECT_NEAR(Distance(HitNorm(kMover, index), {}), 1.0f, 1e-5f);
    }
    // Wall A is met where the mover's centre is at x = 5 - sqrt(3) on the axis; the
    // contact point is the middle of the two centres.
    const float touchX = 5.0f - std::sqrt(3.0f);
    ExpectNear(HitPos(kMover, 2), {(touchX + 5.0f) / 2, -0.5f, 0}, 1e-4f);
    ExpectNear(HitNorm(kMover, 2), {(touchX - 5.0f) / 2, 0.5f, 0}, 1e-4f);
    const Point end = Peek(kMover);
    EXPECT_GT(Distance(end, wallA), 2.0f - 1e-4f);
    EXPECT_GT(Distance(end, wallB), 2.0f - 1e-4f);
    if (c.count == 2) {
      ExpectNear(end, {touchX, 0, 0}, 1e-4f);
    } else {
      // Stopped touching B, its contact between the two centres.
      EXPECT_NEAR(Distance(end, wallB), 2.0f, 1e-4f);
      ExpectNear(HitPos(kMover, 3), {(end.x + wallB.x) / 2, (end.y + wallB.y) / 2, 0}, 1e-4f);
      EXPECT_GT(end.y, 0.5f);
    }
  }
}

TEST_F(EllipsoidScene, ContactQueriesReportBadNumbersAndIndexes) {
  ASSERT_EQ(RunIntoWall(), 1);
  // The wall was never the mover of a contact.
  EXPECT_EQ(lib.CountCollisionsNUV(30), 0);

  struct Case {
    const char* name;
    uint32_t number, index;
    const char* text;
  };
  const Case cases[] = {
      {"index 0", kMover, 0, "Collision index out of range: 0"},
      {"index beyond the contacts", kMover, 2, "Collision index out of range: 2"},
      {"object never hit", 30, 1, "Collision index out of range: 1"},
      {"unregistered object", 77, 1, "Object not defined in collision system: 77"},
      {"number out of range", 5001, 1, "Object number out of range for collision system: 5001"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    lib.StartCollisionDebugNUV();
    StderrCapture box;
    EXPECT_EQ(lib.CollisionHitObj(c.number, c.index), 0);
    // One report per arming: the second call stays silent.
    EXPECT_EQ(lib.CollisionHitPos(c.number, c.index, 1), 0u);
    const std::string text = box.Finish();
    EXPECT_NE(text.find(c.text), std::string::npos) << text;
    EXPECT_EQ(text.find("Collision Error"), text.rfind("Collision Error")) << text;
  }
}

TEST_F(EllipsoidScene, ContactsLastUntilTheNextRunOrDeactivation) {
  ASSERT_EQ(RunIntoWall(), 1);

  // The object hit goes away: its contact stays readable, without an object.
  lib.FreeObjNUV(30);
  ASSERT_EQ(lib.CountCollisionsNUV(kMover), 1);
  EXPECT_EQ(lib.CollisionHitObj(kMover, 1), 0);
  EXPECT_EQ(lib.CollisionHitType(kMover, 1), 0);
  EXPECT_EQ(lib.CollisionHitShape(kMover, 1), 1);
  ExpectNear(HitPos(kMover, 1), {1, 0, 0}, 1e-5f);

  // A run without any move since the last one sweeps nothing and makes no contact; the
  // position read back is then the wanted position of the last update, wall or no wall.
  lib.RunCollisionNUV();
  EXPECT_EQ(lib.CountCollisionsNUV(kMover), 0);
  ExpectNear(Peek(kMover), {6, 0, 0}, 0.0f);

  // Placed back and hit again, then deactivated: the contacts are gone.
  AddSphere(31, 2, {3, 0, 0});
  Place(kMover, {-4, 0, 0});
  Move(kMover, {5, 0, 0});
  lib.RunCollisionNUV();
  ASSERT_EQ(lib.CountCollisionsNUV(kMover), 1);
  EXPECT_EQ(lib.CollisionHitObj(kMover, 1), 31);
  ExpectNear(Peek(kMover), {1, 0, 0}, 1e-5f);
  lib.DeActivateObjNUV(kMover);
  EXPECT_EQ(lib.CountCollisionsNUV(kMover), 0);
}

TEST_F(EllipsoidScene, OutOfRangeAxisOrCornerGivesZeroWithoutReport) {
  ASSERT_EQ(RunIntoWall(), 1);
  ASSERT_EQ(Float(lib.CollisionHitPos(kMover, 1, 1)), 1.0f);

  lib.StartCollisionDebugNUV();
  StderrCapture quiet;
  for (uint32_t axis : {0u, 4u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(testing::Message() << "axis " << axis);
    EXPECT_EQ(lib.CollisionHitPos(kMover, 1, axis), 0u);
    EXPECT_EQ(lib.CollisionHitNorm(kMover, 1, axis), 0u);
    EXPECT_EQ(lib.CollisionTriCorner(kMover, 1, axis, 1), 0u);
    EXPECT_EQ(lib.CollisionTriCorner(kMover, 1, 1, axis), 0u);
  }
  EXPECT_EQ(quiet.Finish(), "");

  // Still armed: the next real error is the one that is reported.
  StderrCapture loud;
  EXPECT_EQ(lib.CollisionHitPos(kMover, 2, 1), 0u);
  EXPECT_NE(loud.Finish().find("Collision index out of range: 2"), std::string::npos);
}

}  // namespace
}  // namespace ovoid_host
