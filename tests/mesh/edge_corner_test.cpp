#include "mesh/edge_corner.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "mesh/mesh_fixture.h"

namespace ovoid {
namespace {

// Triangle A B C in the plane y = 0, front facing +y; edge AB runs along z, edge CA along x.
constexpr Vec3 kA{0, 0, 0};
constexpr Vec3 kB{0, 0, 10};
constexpr Vec3 kC{10, 0, 0};

class EdgeCornerTest : public MeshFixture {
 protected:
  void SetUp() override {
    MeshFixture::SetUp();
    Tri(kA, kB, kC);
  }

  // Runs one stage on its own against a fresh record; returns what it recorded.
  const CollHit* RunStage(int stage, Vec3 start, Vec3 end) {
    MeshSweep sweep = StageSweep(start, end);
    RunStage(stage, sweep);
    return sweep.pass->nearest;
  }
  static void RunStage(int stage, MeshSweep& sweep) {
    switch (stage) {
      case 0:
        SweepMeshEdge(sweep, kA, kB);
        break;
      case 1:
        SweepMeshEdge(sweep, kB, kC);
        break;
      case 2:
        SweepMeshEdge(sweep, kC, kA);
        break;
      case 3:
        SweepMeshCorner(sweep, kA);
        break;
      case 4:
        SweepMeshCorner(sweep, kB);
        break;
      case 5:
        SweepMeshCorner(sweep, kC);
        break;
    }
  }
};

const char* const kStageNames[6] = {"edge AB",  "edge BC",  "edge CA",
                                    "corner A", "corner B", "corner C"};

struct Want {
  double f;
  Vec3 centre;
  Vec3 hitPos;
  Vec3 normal;
  uint8_t edge;
};

constexpr int kNotReached = -2;

struct Case {
  const char* name;
  Vec3 start;
  Vec3 end;
  int stage;  // the one stage that records, -1 for none, kNotReached
  std::optional<Want> want;
};

const float r75 = std::sqrt(0.75f);
const float r5 = std::sqrt(0.5f);
const float r82 = std::sqrt(0.82f);

const Case kCases[] = {
    {"falling past the edge",
     {-0.5f, 5, 5},
     {-0.5f, -5, 5},
     0,
     Want{(5 - r75) / 10, {-0.5f, r75, 5}, {0, 0, 5}, {-0.5f, r75, 0}, 1}},
    {"falling past the corner",
     {-0.5f, 5, -0.5f},
     {-0.5f, -5, -0.5f},
     3,
     Want{(5 - r5) / 10, {-0.5f, r5, -0.5f}, {0, 0, 0}, {-0.5f, r5, -0.5f}, 0}},
    {"already touching the edge",
     {-0.5f, 0.5f, 5},
     {-0.5f, -1, 5},
     0,
     Want{(0.5f - r75) / 1.5f, {-r5, r5, 5}, {0, 0, 5}, {-r5, r5, 0}, 1}},
    {"already containing the corner",
     {-0.3f, 0.3f, -0.3f},
     {-0.3f, -1, -0.3f},
     3,
     Want{(0.3f - r82) / 1.3f, {-0.3f, r82, -0.3f}, {0, 0, 0}, {-0.3f, r82, -0.3f}, 0}},
    {"falling past the far edge",
     {5.6f, 5, 5.6f},
     {5.6f, -5, 5.6f},
     1,
     Want{(5 - std::sqrt(1 - 18.0f / 25)) / 10,
          {5.6f, std::sqrt(1 - 18.0f / 25), 5.6f},
          {5, 0, 5},
          {0.6f, std::sqrt(1 - 18.0f / 25), 0.6f},
          1}},
    {"falling past the edge along x",
     {5, 5, -0.5f},
     {5, -5, -0.5f},
     2,
     Want{(5 - r75) / 10, {5, r75, -0.5f}, {5, 0, 0}, {0, r75, -0.5f}, 1}},
    {"falling past corner B",
     {-0.5f, 5, 10.5f},
     {-0.5f, -5, 10.5f},
     4,
     Want{(5 - r5) / 10, {-0.5f, r5, 10.5f}, {0, 0, 10}, {-0.5f, r5, 0.5f}, 0}},
    {"falling past corner C",
     {10.5f, 5, -0.5f},
     {10.5f, -5, -0.5f},
     5,
     Want{(5 - r5) / 10, {10.5f, r5, -0.5f}, {10, 0, 0}, {0.5f, r5, -0.5f}, 0}},
    // The face stage stops (no approach to the plane), so no edge or corner is tried;
    // corners A and B would be touched on the way.
    {"moving along the edge", {-0.5f, 0.5f, -5}, {-0.5f, 0.5f, 20}, kNotReached, std::nullopt},
    {"standing beside the edge", {-0.5f, 0.5f, 5}, {-0.5f, 0.5f, 5}, -1, std::nullopt},
    {"passing the edge out of reach", {-1.5f, 5, 5}, {-1.5f, -5, 5}, -1, std::nullopt},
};

void ExpectHit(const CollHit* hit, const Want& want) {
  ASSERT_NE(hit, nullptr);
  EXPECT_NEAR(hit->toi, want.f, 1e-6);
  ExpectVecNear(hit->centre, want.centre);
  ExpectVecNear(hit->hitPos, want.hitPos);
  ExpectVecNear(hit->hitNormal, want.normal);
  EXPECT_EQ(hit->edgeContact, want.edge);
}

// The six stages one by one: exactly the expected one records, with the expected touch.
TEST_F(EdgeCornerTest, OnlyTheTouchedEdgeOrCornerRecords) {
  for (const Case& c : kCases) {
    if (c.stage == kNotReached) continue;
    SCOPED_TRACE(c.name);
    for (int stage = 0; stage < 6; ++stage) {
      SCOPED_TRACE(kStageNames[stage]);
      const CollHit* hit = RunStage(stage, c.start, c.end);
      EXPECT_EQ(hit != nullptr, stage == c.stage);
      if (hit != nullptr && stage == c.stage) ExpectHit(hit, *c.want);
    }
  }
}

// The same cases through the whole sweep: the plane contact falls outside the triangle
// and the edge or corner contact is what the mover keeps.
TEST_F(EdgeCornerTest, WholeSweepKeepsTheEdgeOrCornerContact) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    FreePassList(Mover().passes);
    Open(c.start, c.end);
    Sweep();
    if (!c.want) {
      EXPECT_EQ(Nearest(), nullptr);
      continue;
    }
    ExpectHit(Nearest(), *c.want);
    EXPECT_EQ(Nearest()->triIndex, 1);
    ExpectVecNear(Nearest()->corner2, kB);
  }
}

// A face already cut at the start has f = 0, and the next triangle's face, also at f = 0,
// still goes on to its edges: an edge the sphere already reaches has f < 0 and wins.
TEST_F(EdgeCornerTest, EdgeReachedAtTheStartBeatsAFaceCutAtTheStart) {
  StopCollision(world);
  MeshFixture::SetUp();
  Tri({-10, 0, -10}, {-10, 0, 20}, {20, 0, -10});
  Tri(kA, kB, kC);
  Open({-0.5f, 0.5f, 5}, {-0.5f, -1, 5});
  Sweep();
  ASSERT_NE(Nearest(), nullptr);
  EXPECT_EQ(Nearest()->triIndex, 2);
  EXPECT_EQ(Nearest()->edgeContact, 1);
  EXPECT_LT(Nearest()->toi, 0.0);
}

// A stage records nothing that is not strictly earlier than the nearest contact so far:
// a held contact at the very time of the touch stays, one a step later is replaced.
TEST_F(EdgeCornerTest, NotEarlierThanTheNearestIsNotRecorded) {
  for (const Case& c : kCases) {
    if (!c.want) continue;
    SCOPED_TRACE(c.name);
    const CollHit* alone = RunStage(c.stage, c.start, c.end);
    ASSERT_NE(alone, nullptr);
    const auto touch = static_cast<float>(alone->toi);
    for (float heldToi : {touch, std::nextafter(touch, 1.0f)}) {
      MeshSweep sweep = StageSweep(c.start, c.end);
      CollHit* held = NewHit(2);
      held->toi = heldToi;
      held->hitPos = {50, 50, 50};
      InsertHit(world, *sweep.pass, held);
      RunStage(c.stage, sweep);
      EXPECT_EQ(sweep.pass->nearest == held, heldToi == touch);
    }
  }
}

// Motion parallel to an edge leaves no direction across it: nothing, even within reach.
TEST_F(EdgeCornerTest, MotionAlongAnEdgeNeverTouchesIt) {
  for (float x : {-0.5f, -0.1f, 0.0f}) {
    SCOPED_TRACE(x);
    MeshSweep sweep = StageSweep({x, 0.5f, -5}, {x, 0.5f, 20});
    SweepMeshEdge(sweep, kA, kB);
    SweepMeshEdge(sweep, kB, kA);
    EXPECT_EQ(sweep.pass->nearest, nullptr);
  }
}

// The smallest motion length, in float steps, at which a stage records: the stage's
// direction and start stay fixed, only L changes.
float SmallestRecordingLength(const std::function<bool(float)>& records) {
  uint32_t lo = std::bit_cast<uint32_t>(0.0f);
  uint32_t hi = std::bit_cast<uint32_t>(20.0f);
  EXPECT_FALSE(records(0.0f));
  EXPECT_TRUE(records(20.0f));
  while (hi - lo > 1) {
    const uint32_t mid = lo + (hi - lo) / 2;
    (records(std::bit_cast<float>(mid)) ? hi : lo) = mid;
  }
  return std::bit_cast<float>(hi);
}

// A touch exactly at the end of the motion: a face or an edge records it with f = 1, a
// corner does not (the shortest length that records a corner gives f just below 1).
TEST_F(EdgeCornerTest, TouchExactlyAtTheEndOfTheMotion) {
  struct StageCase {
    const char* name;
    int stage;
    Vec3 start;
    bool recordsAtTheEnd;
  };
  const StageCase cases[] = {
      {"edge", 0, {-0.5f, 5, 5}, true},
      {"corner", 3, {-0.5f, 5, -0.5f}, false},
  };
  for (const StageCase& c : cases) {
    SCOPED_TRACE(c.name);
    double toi = -1;
    auto records = [&](float length) {
      MeshSweep sweep = StageSweep(c.start, Vec3Add(c.start, {0, -1, 0}));
      sweep.length = length;
      RunStage(c.stage, sweep);
      if (sweep.pass->nearest != nullptr) toi = sweep.pass->nearest->toi;
      return sweep.pass->nearest != nullptr;
    };
    const float shortest = SmallestRecordingLength(records);
    records(shortest);
    if (c.recordsAtTheEnd) {
      EXPECT_EQ(toi, 1.0);
    } else {
      EXPECT_LT(toi, 1.0);
      EXPECT_GT(toi, 1.0 - 1e-6);
    }
  }
  // The face, through the sweep: along (0.6, -0.8, 0) the touch comes after exactly the
  // whole length 5.
  FreePassList(Mover().passes);
  Open({1, 5, 2}, {4, 1, 2});
  Sweep();
  ASSERT_NE(Nearest(), nullptr);
  EXPECT_EQ(Nearest()->toi, 1.0);
  EXPECT_EQ(Nearest()->edgeContact, 0);
}

}  // namespace
}  // namespace ovoid
