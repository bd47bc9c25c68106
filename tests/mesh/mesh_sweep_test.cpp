#include "mesh/mesh_sweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "mesh/mesh_fixture.h"
#include "motion/update.h"
#include "scene_builders.h"

namespace ovoid {
namespace {

// One large triangle in the plane y = 0, front facing +y.
constexpr Vec3 kFloorA{-10, 0, -10};
constexpr Vec3 kFloorB{-10, 0, 20};
constexpr Vec3 kFloorC{20, 0, -10};

class MeshSweepTest : public MeshFixture {};

TEST_F(MeshSweepTest, FaceContactsOfTheFloorTriangle) {
  struct Want {
    float f;
    Vec3 centre;
    Vec3 hitPos;
    Vec3 normal;
    Vec3 stopPos;
    Vec3 slidePoint;
  };
  struct Case {
    const char* name;
    Vec3 radius;
    Vec3 offset;
    float meshX;  // the mesh body's position on x
    Vec3 start;
    Vec3 end;
    std::optional<Want> want;
  };
  // clang-format off
  const Case cases[] = {
      // name: radius, offset, mesh x, start, end;
      //   want: toi, centre, hitPos, normal, stopPos, slidePoint
      {"falling onto the face",
       {1, 1, 1}, {}, 0, {0, 5, 0}, {0, -5, 0},
       Want{0.4f, {0, 1, 0}, {0, 0, 0}, {0, 1, 0}, {0, 1, 0}, {0, -6, 0}}},
      {"falling with radius 2",
       {2, 2, 2}, {}, 0, {0, 5, 0}, {0, -5, 0},
       Want{0.3f, {0, 2, 0}, {0, 0, 0}, {0, 1, 0}, {0, 2, 0}, {0, -7, 0}}},
      {"falling with the ellipsoid offset",
       {1, 1, 1}, {0, 1, 0}, 0, {0, 4, 0}, {0, -6, 0},
       Want{0.4f, {0, 1, 0}, {0, 0, 0}, {0, 1, 0}, {0, 0, 0}, {0, -6, 0}}},
      {"rising from behind", {1, 1, 1}, {}, 0, {0, -5, 0}, {0, 5, 0}, std::nullopt},
      {"starting inside the plane",
       {1, 1, 1}, {}, 0, {0, 0.5f, 0}, {0, -1, 0},
       Want{0, {0, 1, 0}, {0, 0, 0}, {0, 1, 0}, {0, 1, 0}, {0, -2, 0}}},
      {"standing still inside the plane",
       {1, 1, 1}, {}, 0, {0, 0.5f, 0}, {0, 0.5f, 0},
       Want{0, {0, 1, 0}, {0, 0, 0}, {0, 1, 0}, {0, 1, 0}, {0, -0.5f, 0}}},
      {"sliding level", {1, 1, 1}, {}, 0, {0, 0.5f, 0}, {5, 0.5f, 0}, std::nullopt},
      {"standing still above reach", {1, 1, 1}, {}, 0, {0, 3, 0}, {0, 3, 0}, std::nullopt},
      {"falling short of the plane", {1, 1, 1}, {}, 0, {0, 5, 0}, {0, 1.5f, 0}, std::nullopt},
      // Along (0.6, -0.8, 0) the touch comes after exactly the whole length 5.
      {"touching exactly at the end",
       {1, 1, 1}, {}, 0, {0, 5, 0}, {3, 1, 0},
       Want{1, {3, 1, 0}, {3, 0, 0}, {0, 1, 0}, {3, 1, 0}, {3, 0, 0}}},
      // Straight down the plane must already lie nearer than the length: a touch exactly at
      // the end of a perpendicular motion is out of reach.
      {"perpendicular, touching exactly at the end",
       {1, 1, 1}, {}, 0, {0, 5, 0}, {0, 1, 0}, std::nullopt},
      {"mesh moved to x = 100, fall at 0", {1, 1, 1}, {}, 100, {0, 5, 0}, {0, -5, 0}, std::nullopt},
      {"mesh moved to x = 100, fall at 100",
       {1, 1, 1}, {}, 100, {100, 5, 0}, {100, -5, 0},
       Want{0.4f, {100, 1, 0}, {100, 0, 0}, {0, 1, 0}, {100, 1, 0}, {100, -6, 0}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StopCollision(world);
    SetUp();
    Tri(kFloorA, kFloorB, kFloorC);
    Ellip().radius = c.radius;
    Ellip().offset = c.offset;
    if (c.meshX != 0) UpdateObj(world, kMeshObj, c.meshX, 0, 0, 1);
    Open(c.start, c.end);
    Sweep();
    const CollHit* hit = Nearest();
    ASSERT_EQ(hit != nullptr, c.want.has_value());
    if (hit == nullptr) continue;
    EXPECT_FLOAT_EQ(static_cast<float>(hit->toi), c.want->f);
    ExpectVecNear(hit->centre, c.want->centre);
    ExpectVecNear(hit->hitPos, c.want->hitPos);
    ExpectVecNear(hit->hitNormal, c.want->normal);
    ExpectVecNear(hit->stopPos, c.want->stopPos);
    ExpectVecNear(hit->slidePoint, c.want->slidePoint);
    ExpectVecNear(hit->shapeOffset, c.offset);
    EXPECT_EQ(hit->kind, kMesh);
    EXPECT_EQ(hit->phase, 1);
    EXPECT_EQ(hit->rule, rule);
    EXPECT_EQ(hit->other, &MeshBody());
    EXPECT_EQ(hit->edgeContact, 0);
    EXPECT_EQ(hit->triIndex, 1);
    ExpectVecNear(hit->corner1, Vec3Add(kFloorA, {c.meshX, 0, 0}));
    ExpectVecNear(hit->corner2, Vec3Add(kFloorB, {c.meshX, 0, 0}));
    ExpectVecNear(hit->corner3, Vec3Add(kFloorC, {c.meshX, 0, 0}));
  }
}

// On a 45° slope an ellipsoid twice as wide as it is tall touches where its own surface
// is tilted like the slope; the contact normal points from there to its centre, which is
// not the slope's normal.
TEST_F(MeshSweepTest, EllipsoidNormalRunsFromTheContactToTheCentre) {
  Tri({-10, -10, -10}, {-10, -10, 10}, {10, 10, -10});  // y = x, front (-1, 1, 0)
  Ellip().radius = {2, 1, 1};
  Open({-4, 4, 0}, {-4, -6, 0});
  Sweep();
  const CollHit* hit = Nearest();
  ASSERT_NE(hit, nullptr);
  const float root5 = std::sqrt(5.0f);
  EXPECT_NEAR(hit->toi, (8 - root5) / 10, 1e-6);
  ExpectVecNear(hit->centre, {-4, 4 - (8 - root5), 0});
  const float q = -2 + 2 / root5;  // the contact lies on y = x
  ExpectVecNear(hit->hitPos, {2 * q, 2 * q, 0});
  const float root17 = std::sqrt(17.0f);
  ExpectVecNear(hit->hitNormal, {-4 / root17, 1 / root17, 0});
}

TEST_F(MeshSweepTest, OnlyTheEarliestTriangleIsRecorded) {
  struct Case {
    const char* name;
    float firstY;  // height of the first triangle added; the second lies at the other
    int wantTri;
  };
  const Case cases[] = {
      {"second triangle further along", 0, 1},
      {"second triangle nearer", -2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StopCollision(world);
    SetUp();
    const float secondY = c.firstY == 0 ? -2.0f : 0.0f;
    Tri({-10, c.firstY, -10}, {-10, c.firstY, 20}, {20, c.firstY, -10});
    Tri({-10, secondY, -10}, {-10, secondY, 20}, {20, secondY, -10});
    CollPass& pass = Open({0, 5, 0}, {0, -5, 0});
    Sweep();
    ASSERT_NE(pass.nearest, nullptr);
    EXPECT_EQ(pass.nearest->triIndex, c.wantTri);
    EXPECT_FLOAT_EQ(static_cast<float>(pass.nearest->toi), 0.4f);
    EXPECT_EQ(pass.hits.head, pass.hits.tail);  // nothing else kept
  }
}

TEST_F(MeshSweepTest, DegenerateTriangleNeverTouched) {
  Tri({-10, 0, 0}, {0, 0, 0}, {10, 0, 0});  // on one line
  Tri({0, 0, 0}, {0, 0, 0}, {0, 0, 0});     // one point
  for (Vec3 start : {Vec3{0, 5, 0}, Vec3{0, 0.5f, 0}}) {
    Open(start, {0, -5, 0});
    Sweep();
    EXPECT_EQ(Nearest(), nullptr);
  }
}

TEST_F(MeshSweepTest, EmptyMeshAndOtherRuleKindsRecordNothing) {
  Open({0, 5, 0}, {0, -5, 0});
  Sweep();  // no triangle yet; the bounds mean nothing
  EXPECT_EQ(Nearest(), nullptr);
  Tri(kFloorA, kFloorB, kFloorC);
  rule->dstKind = 1;
  Sweep();
  EXPECT_EQ(Nearest(), nullptr);
  rule->dstKind = 2;
  Sweep();
  EXPECT_NE(Nearest(), nullptr);
}

// Two copies of the floor: triangle 1 and triangle 2 touch at the same time, so the
// first one wins unless it is skipped. Each pass falls at another x, so that the
// contacts lie far apart and none is dropped as the same point found again.
TEST_F(MeshSweepTest, EarlierPassSkipRemembersOnePassUnderConcaveModeOne) {
  struct Case {
    const char* name;
    int concaveMode;
    int wantTri[3];  // triangle recorded in passes 1, 2, 3; 0 for none
  };
  const Case cases[] = {
      {"mode 1: only the pass just before", 1, {1, 2, 1}},
      {"mode 3: every earlier pass", 3, {1, 2, 0}},
  };
  const float fallX[3] = {0, 5, -5};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StopCollision(world);
    SetUp();
    world.concaveMode = c.concaveMode;
    Tri(kFloorA, kFloorB, kFloorC);
    Tri(kFloorA, kFloorB, kFloorC);
    for (int pass = 1; pass <= 3; ++pass) {
      SCOPED_TRACE(pass);
      world.passNumber = pass;
      Open({fallX[pass - 1], 5, 0}, {fallX[pass - 1], -5, 0});
      Sweep();
      const CollHit* hit = Nearest();
      EXPECT_EQ(hit == nullptr ? 0 : hit->triIndex, c.wantTri[pass - 1]);
      if (hit == nullptr) break;
    }
  }
}

TEST_F(MeshSweepTest, EarlierPassSkipNeedsTheSameBodyAndAMeshRule) {
  struct Case {
    const char* name;
    bool otherBody;
    bool ellipRule;
    bool skipped;
  };
  const Case cases[] = {
      {"same body, mesh rule", false, false, true},
      {"another body", true, false, false},
      {"an ellipsoid rule", false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StopCollision(world);
    SetUp();
    Tri(kFloorA, kFloorB, kFloorC);
    NewCollObj(world, 3, 2);
    SetCollisions(world, 1, 2, 1, 2, 1);
    CollPass& earlier = Open({}, {});
    CollHit* seen = NewHit(2);
    seen->rule = c.ellipRule ? world.ruleList.tail : rule;
    seen->other = c.otherBody ? world.objectTable[3]->body : &MeshBody();
    seen->triIndex = 1;
    seen->hitPos = {50, 50, 50};
    InsertHit(world, earlier, seen);
    world.passNumber = 2;
    Open({0, 5, 0}, {0, -5, 0});
    Sweep();
    EXPECT_EQ(Nearest() == nullptr, c.skipped);
  }
}

// The floor moved by (0, 0, 1) in its last update. The fall from (0, 5, 0) to (0, -5, 0)
// touches at f = 0.4: the centre's z there shows which ends of the motion were carried
// (0 neither, 0.6 the start, 1 both).
TEST_F(MeshSweepTest, DynamicResponseCarriesStartAndRiderEnd) {
  const float justAbove = 0.3f;  // the float nearest to 0.3, above it: 0.30000001
  const float justBelow = std::nextafter(0.3f, 0.0f);  // 0.29999998
  struct Prev {
    bool onMesh;
    float normalY;
  };
  struct Case {
    const char* name;
    int dynResponse;
    int passNumber;
    std::vector<std::optional<Prev>> previousRun;  // nearest of each previous-run record
    float wantZ;
  };
  const Case cases[] = {
      {"static", 1, 1, {Prev{true, 1}}, 0},
      {"response 2 carries the start", 2, 1, {}, 0.6f},
      {"response 2 never carries the end", 2, 1, {Prev{true, 1}}, 0.6f},
      {"response 2 in pass 2", 2, 2, {}, 0},
      {"response 3 without a previous contact", 3, 1, {}, 0.6f},
      {"response 3 standing on it", 3, 1, {Prev{true, justAbove}}, 1},
      {"response 3 on a steeper contact", 3, 1, {Prev{true, justBelow}}, 0.6f},
      {"response 3 standing on another body", 3, 1, {Prev{false, 1}}, 0.6f},
      {"response 3, found after other records",
       3,
       1,
       {std::nullopt, Prev{false, 1}, Prev{true, 0.2f}, Prev{true, 0.9f}},
       1},
      {"response 3 in pass 2", 3, 2, {Prev{true, 1}}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StopCollision(world);
    SetUp();
    NewCollObj(world, 3, 2);
    Tri(kFloorA, kFloorB, kFloorC);
    rule->dynResponse = static_cast<int16_t>(c.dynResponse);
    UpdateObj(world, kMeshObj, 0, 0, 1, 0);
    for (const auto& prev : c.previousRun) {
      auto* record = new CollPass{};
      record->body = &Mover();
      ListAppend(record, Mover().prevPasses);
      if (!prev) continue;
      CollHit& hit = NearestContact(*record, 2);
      hit.rule = rule;
      hit.other = prev->onMesh ? &MeshBody() : world.objectTable[3]->body;
      hit.hitNormal = {0, prev->normalY, 0};
    }
    world.passNumber = c.passNumber;
    // The mesh now stands at z = 1; a fall well inside it either way.
    Open({0, 5, 0}, {0, -5, 0});
    Sweep();
    const CollHit* hit = Nearest();
    ASSERT_NE(hit, nullptr);
    EXPECT_FLOAT_EQ(static_cast<float>(hit->toi), 0.4f);
    EXPECT_NEAR(hit->centre.z, c.wantZ, 1e-6f);
    EXPECT_NEAR(hit->centre.y, 1, 1e-6f);
  }
}

}  // namespace
}  // namespace ovoid
