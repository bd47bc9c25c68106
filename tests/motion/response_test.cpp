#include "motion/response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <vector>

#include "core/contacts.h"
#include "core/registry.h"
#include "expect_vec.h"
#include "test_world.h"

namespace ovoid {
namespace {

const Vec3 kUp{0, 1, 0};
// A slope rising toward -x: normal y 0.8.
const Vec3 kSlope{0.6f, 0.8f, 0};
// Steep slopes whose normal y lies at the floor limit and one float below it.
const Vec3 kSteep{0.9539392f, 0.3f, 0};
const Vec3 kSteeper{0.9539392f, 0.29999998f, 0};

// One body and the contacts of its pass records, built by hand so that each case shows one
// rule of the response.
class ResponseTest : public WorldTest {
 protected:
  ResponseTest() {
    NewCollObj(world, 1, 1);
    AddObjShape(world, 1, kEllipsoid);
    ActivateObj(world, 1);
    body = world.objectTable[1]->body;
    world.passNumber = 1;
    NewPass(world, *body);
  }

  CollRule& Rule(int16_t response, int16_t dstKind = kMesh, int16_t dynResponse = 1) {
    CollRule& rule = rules.emplace_back();
    rule.dstKind = dstKind;
    rule.response = response;
    rule.dynResponse = dynResponse;
    return rule;
  }

  /// Ends the current pass: the next contacts go to a new record of the next pass.
  void NextPass() {
    ++world.passNumber;
    NewPass(world, *body);
  }

  /// A contact of the current pass: the mover's centre at the impact, the contact point and
  /// normal, and rest, the motion of the centre left after the impact. Null if not kept.
  CollHit* Contact(CollRule& rule, Vec3 centre, Vec3 hitPos, Vec3 normal, Vec3 rest,
                   float toi = 0.5f, uint8_t edge = 0, Vec3 offset = {}) {
    world.phase = rule.dstKind == kEllipsoid ? 2 : 1;
    CollHit* hit = NewHit(rule.dstKind);
    hit->edgeContact = edge;
    InitHit(world, *hit, &rule, nullptr, Vec3Add(centre, rest), centre, hitPos, normal, offset,
            toi);
    CollPass& pass = *body->passes.tail;
    InsertHit(world, pass, hit);
    const bool kept =
        pass.nearest == hit || (pass.link.prev != nullptr && pass.link.prev->nearest == hit);
    EXPECT_TRUE(kept) << "contact not kept";
    return kept ? hit : nullptr;
  }

  /// Drops every record and opens a fresh one for pass 1, as a new run would.
  void Restart() {
    FreePassList(body->passes);
    body->creaseCount = 0;
    world.passNumber = 1;
    NewPass(world, *body);
  }

  bool Respond(CollHit* hit) { return RespondToContact(world, *hit); }

  std::vector<double> RecordTimes() const {
    std::vector<double> times;
    for (const CollPass* p = body->passes.head; p != nullptr; p = p->link.next) {
      times.push_back(p->nearest != nullptr ? p->nearest->toi : -1.0);
    }
    return times;
  }

  CollBody* body = nullptr;
  std::deque<CollRule> rules;
};

TEST_F(ResponseTest, StopsOrSlidesAtASingleContact) {
  struct Case {
    const char* name;
    int16_t response;
    Vec3 normal, centre, rest;
    bool moves;
    Vec3 finalCentre;
    float slidePointY;
  };
  const float belowThreshold = std::nextafter(0.002f, 0.0f);
  // clang-format off
  const Case cases[] = {
      // name: response, normal, centre, rest; moves, finalCentre, slidePoint.y
      {"response 1 stops", 1, kUp, {0, 1, 0}, {2, -2, 0}, false, {0, 1, 0}, -2},
      {"45 degree fall keeps its horizontal motion",
       2, kUp, {0, 1, 0}, {2, -2, 0}, true, {2, 1, 0}, -2},
      {"slope, straight down, response 2 slides down",
       2, kSlope, kSlope, {0, -1, 0}, true, {1.08f, 0.44f, 0}, -1},
      {"slope, straight down, response 3 rests", 3, kSlope, kSlope, {0, -1, 0}, false, kSlope, -1},
      {"slope, straight down, response 4 rests", 4, kSlope, kSlope, {0, -1, 0}, false, kSlope, -1},
      {"floor, down with a drift below 0.002, response 3 rests",
       3, kUp, {0, 1, 0}, {0.0019f, -1, 0.0019f}, false, {0, 1, 0}, -1},
      {"floor, down with a drift of 0.002, response 3 slides",
       3, kUp, {0, 1, 0}, {0, -1, 0.002f}, true, {0, 1, 0.002f}, -1},
      {"slope, along and down, response 4 drops the downward part",
       4, kSlope, kSlope, {0, -1, 1}, true, {0.6f, 0.8f, 1}, 0},
      {"slope normal with the centre below the contact is no floor",
       4, kSlope, {0, -1, 0}, {0, -1, 1}, true, {0.48f, -1.36f, 1}, -1},
      {"slope, along and down, response 3 drifts down",
       3, kSlope, kSlope, {0, -1, 1}, true, {1.08f, 0.44f, 1}, -1},
      {"slope, along and down, response 2 drifts down",
       2, kSlope, kSlope, {0, -1, 1}, true, {1.08f, 0.44f, 1}, -1},
      {"slide of 0.002 asks for another pass",
       2, kUp, {0, 1, 0}, {0.002f, -1, 0}, true, {0.002f, 1, 0}, -1},
      {"slide one float shorter stops",
       2, kUp, {0, 1, 0}, {belowThreshold, -1, 0}, false, {0, 1, 0}, -1},
      // 0.3f lies just above the double 0.3, so this steep slope still counts as a floor.
      {"normal y of 0.3f is floor-like, response 3 rests",
       3, kSteep, kSteep, {0, -1, 0}, false, kSteep, -1},
      {"normal y one float below 0.3f is no floor, response 3 slides",
       3, kSteeper, kSteeper, {0, -1, 0}, true, {1.2401209f, -0.61f, 0}, -1},
  };
  // clang-format on
  const Vec3 offset{0, 0.25f, 0};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CollHit* hit = Contact(Rule(c.response), c.centre, Vec3{}, c.normal, c.rest, 0.5f, 0, offset);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(Respond(hit), c.moves);
    ExpectVecNear(hit->finalCentre, c.finalCentre);
    ExpectVecNear(hit->nextTarget, Vec3Sub(c.finalCentre, offset));
    ExpectVecNear(hit->slide, c.moves ? Vec3Sub(c.finalCentre, c.centre) : Vec3{});
    EXPECT_NEAR(hit->slidePoint.y, c.slidePointY, 1e-5f);
    EXPECT_EQ(body->creaseCount, 0u);
    // Start over with a fresh record for the next case.
    RemoveHit(*body->passes.tail, hit);
  }
}

TEST_F(ResponseTest, FortyFiveDegreeFallEndsLevelWithItsStop) {
  CollHit* hit = Contact(Rule(2), {0, 1, 0}, {}, kUp, {2, -2, 0}, 0.5f, 0, {0, 0.5f, 0});
  ASSERT_TRUE(Respond(hit));
  EXPECT_EQ(hit->nextTarget.y, hit->stopPos.y);
  EXPECT_EQ(hit->nextTarget.x, 2.0f);
}

TEST_F(ResponseTest, ResponseFourKeepsTheDownwardPartAlongACrease) {
  world.concaveMode = 6;
  CollRule& rule = Rule(4);
  // A wall perpendicular to the slope: the crease normal is the slope's own normal.
  ASSERT_NE(Contact(rule, {0, 0, -2}, {0, 0, -3}, {0, 0, 1}, {0, -1, 1}), nullptr);
  NextPass();
  CollHit* hit = Contact(rule, kSlope, {}, kSlope, {0, -1, 1});
  ASSERT_NE(hit, nullptr);
  EXPECT_TRUE(Respond(hit));
  EXPECT_EQ(body->creaseCount, 1u);
  EXPECT_EQ(hit->slidePoint.y, -1.0f);
  ExpectVecNear(hit->finalCentre, {1.08f, 0.44f, 1});
}

TEST_F(ResponseTest, RidersMeasureTheSlideFromTheBodyPositionWithoutTheOffset) {
  struct Case {
    const char* name;
    int16_t dynResponse;
    Vec3 position;
    bool moves;
  };
  const Case cases[] = {
      {"short slide, static rule", 1, {-1, 0, 0}, false},
      {"short slide, rider started far back", 3, {-1, 0, 0}, true},
      {"short slide, rider started at the stop: the offset does not count", 3, {0, 0, 0}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    body->position = c.position;
    // The shape centre sits 1 above the body; the slide along the floor is 0.001.
    CollHit* hit = Contact(Rule(2, kMesh, c.dynResponse), {0, 1, 0}, {}, kUp, {0.001f, -1, 0}, 0.5f,
                           0, {0, 1, 0});
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(Respond(hit), c.moves);
    RemoveHit(*body->passes.tail, hit);
  }
}

TEST_F(ResponseTest, ResponsePassOpensTheNextRecordOfEveryAnsweredBody) {
  NewCollObj(world, 2, 1);
  AddObjShape(world, 2, kEllipsoid);
  ActivateObj(world, 2);
  CollBody* idle = world.objectTable[2]->body;
  NewPass(world, *idle);

  struct Case {
    const char* name;
    int16_t response;
    uint8_t rerun;
  };
  const Case cases[] = {{"stop", 1, 0}, {"slide", 2, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    CollPass* answered = body->passes.tail;
    CollHit* hit = Contact(Rule(c.response), {0, 1, 0}, {}, kUp, {2, -2, 0}, 0.5f, 0, {0, 1, 0});
    ASSERT_NE(hit, nullptr);
    world.passNumber = 2;
    world.rerunFlag = 0;
    ResponsePass(world);
    EXPECT_EQ(world.rerunFlag, c.rerun);
    const CollPass* next = body->passes.tail;
    ASSERT_NE(next, answered);
    EXPECT_EQ(next->link.prev, answered);
    EXPECT_EQ(next->passNo, 2);
    EXPECT_EQ(next->nearest, nullptr);
    ExpectVecNear(next->start, hit->stopPos);
    ExpectVecNear(next->end, hit->nextTarget);
    ExpectVecNear(next->end, c.response == 1 ? Vec3{0, 0, 0} : Vec3{2, 0, 0});
    // A body without a contact is not answered and gets no new record.
    EXPECT_EQ(idle->passes.head, idle->passes.tail);
  }
}

// A newest record left over from an earlier pass (its successor could not be allocated) is
// not answered again: answering it pass after pass would keep the run going for ever.
TEST_F(ResponseTest, ResponsePassAnswersOnlyTheRecordsOfThePassJustSwept) {
  CollPass* answered = body->passes.tail;
  ASSERT_NE(Contact(Rule(2), {0, 1, 0}, {}, kUp, {2, -2, 0}), nullptr);
  world.passNumber = 3;  // the record is from pass 1, and pass 2 was swept since
  world.rerunFlag = 0;
  ResponsePass(world);
  EXPECT_EQ(world.rerunFlag, 0);
  EXPECT_EQ(body->passes.tail, answered);
}

// The previous contact lies in the record of pass 1; the contact answered in pass 2.
TEST_F(ResponseTest, ConcaveModeOneNeverCreasesModeSixAlwaysDoes) {
  struct Case {
    const char* name;
    int32_t mode;
    uint32_t creases;
    bool thirdMoves;
  };
  const Case cases[] = {{"mode 1", 1, 0, true}, {"mode 6", 6, 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    world.concaveMode = c.mode;
    CollRule& rule = Rule(2);
    ASSERT_NE(Contact(rule, {0, 1, 0}, {0, 0, 0}, kUp, {1, -1, 0}), nullptr);
    NextPass();
    // A wall perpendicular to the floor: the sliding normal stays the wall's normal.
    CollHit* wall = Contact(rule, {2, 1, 0}, {3, 1, 0}, {-1, 0, 0}, {1, 0, 1});
    ASSERT_NE(wall, nullptr);
    EXPECT_TRUE(Respond(wall));
    ExpectVecNear(wall->finalCentre, {2, 1, 1});
    EXPECT_EQ(body->creaseCount, c.creases);
    NextPass();
    CollHit* third = Contact(rule, {2, 1, 2}, {2, 1, 3}, {0, 0, -1}, {1, 0, 1});
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(Respond(third), c.thirdMoves);
    ExpectVecNear(third->finalCentre, c.thirdMoves ? Vec3{3, 1, 2} : Vec3{2, 1, 2});
    Restart();
  }
}

TEST_F(ResponseTest, FacingWallsCreaseWithAZeroNormalAndASecondCreaseStops) {
  struct Case {
    const char* name;
    int32_t mode;
    uint32_t creasesBefore;
    bool moves;
  };
  std::vector<Case> cases;
  for (int32_t mode = 2; mode <= 5; ++mode) {
    cases.push_back({"first crease takes the whole remaining motion", mode, 0, true});
    cases.push_back({"second crease stops", mode, 1, false});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << ", mode " << c.mode);
    world.concaveMode = c.mode;
    body->position = {0, 0, 0};
    body->target = {3, 0, 1};
    CollRule& rule = Rule(2);
    CollHit* left = Contact(rule, {0, 0, 0}, {-1, 0, 0}, {1, 0, 0}, {-1, 0, 1});
    ASSERT_NE(left, nullptr);
    NextPass();
    body->creaseCount = c.creasesBefore;
    CollHit* right = Contact(rule, {0, 0, 0}, {1, 0, 0}, {-1, 0, 0}, {2, 0, 1});
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(Respond(right), c.moves);
    ExpectVecNear(right->finalCentre, c.moves ? Vec3{2, 0, 1} : Vec3{0, 0, 0});
    EXPECT_EQ(body->creaseCount, c.creasesBefore + 1);
    Restart();
  }
}

TEST_F(ResponseTest, ModeThreeLevelFloorTwiceIsACreaseAndTheSecondStops) {
  // The frame's motion: along x and down, at exactly half a unit down per unit, so the
  // probe's y is exactly zero and a level floor's normal gives S · m = 0.
  body->position = {0, 2, 0};
  body->target = {0.8660254f, 1.5f, 0};
  CollRule& rule = Rule(2);
  ASSERT_NE(Contact(rule, {0, 1, 0}, {0, 0, 0}, kUp, {1, -1, 0}), nullptr);
  NextPass();
  CollHit* second = Contact(rule, {1, 1, 0}, {1, 0, 0}, kUp, {1, -1, 0});
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(Respond(second));
  // n equals the previous normal: the crease normal is zero and the whole rest is taken.
  ExpectVecNear(second->finalCentre, {2, 0, 0});
  EXPECT_EQ(body->creaseCount, 1u);
  NextPass();
  CollHit* third = Contact(rule, {2, 1, 0}, {2, 0, 0}, kUp, {1, -1, 0});
  ASSERT_NE(third, nullptr);
  EXPECT_FALSE(Respond(third));
  ExpectVecNear(third->finalCentre, {2, 1, 0});
}

TEST_F(ResponseTest, ModeThreeIgnoresEdgeContacts) {
  struct Case {
    const char* name;
    uint8_t previousEdge, currentEdge;
  };
  const Case cases[] = {
      {"current contact on an edge", 0, 1},
      {"only earlier contact on an edge", 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    body->position = {0, 2, 0};
    body->target = {0.8660254f, 1.5f, 0};
    CollRule& rule = Rule(2);
    ASSERT_NE(Contact(rule, {0, 1, 0}, {0, 0, 0}, kUp, {1, -1, 0}, 0.5f, c.previousEdge), nullptr);
    NextPass();
    CollHit* second = Contact(rule, {1, 1, 0}, {1, 0, 0}, kUp, {1, -1, 0}, 0.5f, c.currentEdge);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(Respond(second));
    // No crease: an ordinary slide along the floor.
    ExpectVecNear(second->finalCentre, {2, 1, 0});
    EXPECT_EQ(body->creaseCount, 0u);
    Restart();
  }
}

// The answered contact is a level floor; the earlier contacts are walls leaning toward +x
// (ahead of a motion along +x) or toward -x (behind it). Each faces the floor (m · n > 0),
// so the mode's own test decides, by the sign of the probe S against each wall's normal.
TEST_F(ResponseTest, ModesTwoToFiveDecideByTheProbeAlongTheWantedMotion) {
  const Vec3 ahead{0.6f, 0.8f, 0};
  const Vec3 behind{-0.6f, 0.8f, 0};
  struct Case {
    const char* name;
    Vec3 target;  // the frame's motion runs from the origin to here
    std::vector<Vec3> walls;
    uint32_t creases[4];  // modes 2, 3, 4, 5
  };
  // clang-format off
  const Case cases[] = {
      {"along +x and down, wall ahead", {1, -1, 0}, {ahead}, {0, 0, 0, 0}},
      {"along +x and down, wall behind", {1, -1, 0}, {behind}, {0, 1, 1, 1}},
      {"along +x and down, walls both ways", {1, -1, 0}, {ahead, behind}, {0, 0, 0, 1}},
      // d · n > 0: the probe is negated, so it still points along +x.
      {"along +x and up, wall ahead", {1, 1, 0}, {ahead}, {0, 0, 0, 0}},
      {"along +x and up, wall behind", {1, 1, 0}, {behind}, {0, 1, 1, 1}},
      {"along -x and down, wall leaning to +x", {-1, -1, 0}, {ahead}, {0, 1, 1, 1}},
      {"no motion: a zero probe", {0, 0, 0}, {ahead}, {0, 1, 1, 0}},
  };
  // clang-format on
  for (const Case& c : cases) {
    for (int32_t mode = 2; mode <= 5; ++mode) {
      SCOPED_TRACE(testing::Message() << c.name << ", mode " << mode);
      Restart();
      world.concaveMode = mode;
      body->position = {0, 0, 0};
      body->target = c.target;
      CollRule& rule = Rule(2);
      float x = -10;
      for (const Vec3& wall : c.walls) {
        ASSERT_NE(Contact(rule, Vec3Add({x, 0, 0}, wall), {x, 0, 0}, wall, {1, 0, 0}), nullptr);
        NextPass();
        x -= 5;
      }
      CollHit* floor = Contact(rule, {10, 1, 0}, {10, 0, 0}, kUp, {1, -1, 0});
      ASSERT_NE(floor, nullptr);
      Respond(floor);
      EXPECT_EQ(body->creaseCount, c.creases[mode - 2]);
    }
  }
}

// Along a floor into a slope that rises toward +x: the crease between them runs along z.
TEST_F(ResponseTest, CreaseNormalIsTheSlopeNormalMadePerpendicularToTheFloor) {
  const Vec3 slope{-0.6f, 0.8f, 0};
  struct Case {
    const char* name;
    int32_t mode;
    bool passThroughBetween;
    Vec3 finalCentre;
  };
  const Case cases[] = {
      {"mode 1 slides up the slope", 1, false, {2.04f, 1.78f, 1}},
      {"mode 6 slides along the crease only", 6, false, {1.4f, 1.3f, 1}},
      // Were the trigger's record taken as the previous contact, its normal would be
      // perpendicular to the slope's and the body would slide up the slope.
      {"a pass-through in between is not the previous contact", 6, true, {1.4f, 1.3f, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    world.concaveMode = c.mode;
    CollRule& rule = Rule(2);
    ASSERT_NE(Contact(rule, {0, 1, 0}, {0, 0, 0}, kUp, {1, -1, 0}), nullptr);
    NextPass();
    if (c.passThroughBetween) {
      ASSERT_NE(Contact(Rule(5), {1, 1, 0}, {1, 1, -1}, {0, 0, 1}, {1, 0, 1}, 0.25f), nullptr);
    }
    CollHit* hit = Contact(rule, Vec3Add({2, 0.5f, 0}, slope), {2, 0.5f, 0}, slope, {1, 0, 1});
    ASSERT_NE(hit, nullptr);
    EXPECT_TRUE(Respond(hit));
    ExpectVecNear(hit->finalCentre, c.finalCentre);
    EXPECT_EQ(body->creaseCount, c.mode == 6 ? 1u : 0u);
  }
}

TEST_F(ResponseTest, OptimisationStopsAtTheSecondEllipsoidContact) {
  struct Case {
    const char* name;
    uint8_t optimize;
    int16_t earlierKind;
    int16_t earlierResponse;
    bool moves;
  };
  const Case cases[] = {
      {"on, earlier ellipsoid contact", 1, kEllipsoid, 2, false},
      {"off, earlier ellipsoid contact", 0, kEllipsoid, 2, true},
      {"on, earlier pass-through ellipsoid contact", 1, kEllipsoid, 5, false},
      {"on, earlier mesh contact", 1, kMesh, 2, true},
  };
  world.concaveMode = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    world.ellipOptimize = c.optimize;
    ASSERT_NE(Contact(Rule(c.earlierResponse, c.earlierKind), {0, 0, 0}, {-1, 0, 0}, {1, 0, 0},
                      {0, 0, 1}, 0.25f),
              nullptr);
    if (c.earlierResponse != 5) NextPass();
    CollHit* hit = Contact(Rule(2, kEllipsoid), {0, 0, 0}, {1, 0, 0}, {-1, 0, 0}, {1, 0, 1});
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(Respond(hit), c.moves);
    ExpectVecNear(hit->finalCentre, c.moves ? Vec3{0, 0, 1} : Vec3{0, 0, 0});
    Restart();
  }
}

TEST_F(ResponseTest, FreesPassThroughsOfThisPassBeyondTheStop) {
  CollRule& through = Rule(5);
  CollRule& wall = Rule(2);
  // Pass 1: a pass-through late in the motion, then a solid contact.
  ASSERT_NE(Contact(through, {0, 0, 0}, {0, 0, 9}, {0, 0, -1}, {0, 0, 1}, 0.9f), nullptr);
  ASSERT_NE(Contact(wall, {0, 0, 0}, {0, 0, 10}, {0, 0, -1}, {0, 0, 1}, 0.95f), nullptr);
  NextPass();
  // Pass 2: pass-throughs before and beyond the contact that stops the body.
  ASSERT_NE(Contact(through, {0, 0, 0}, {2, 0, 0}, {-1, 0, 0}, {1, 0, 0}, 0.2f), nullptr);
  ASSERT_NE(Contact(through, {0, 0, 0}, {8, 0, 0}, {-1, 0, 0}, {1, 0, 0}, 0.8f), nullptr);
  // One at the very time of the stop: not beyond it, so it stays.
  ASSERT_NE(Contact(through, {0, 0, 0}, {5, 1, 0}, {-1, 0, 0}, {1, 0, 0}, 0.5f), nullptr);
  CollHit* stop = Contact(Rule(1), {0, 0, 0}, {5, 0, 0}, {-1, 0, 0}, {1, 0, 0}, 0.5f);
  ASSERT_NE(stop, nullptr);
  ASSERT_EQ(RecordTimes(), (std::vector<double>{0.9f, 0.95f, 0.2f, 0.8f, 0.5f, 0.5f}));
  EXPECT_FALSE(Respond(stop));
  // The pass-1 pass-through stays though it is later: it belongs to another pass.
  EXPECT_EQ(RecordTimes(), (std::vector<double>{0.9f, 0.95f, 0.2f, 0.5f, 0.5f}));
}

}  // namespace
}  // namespace ovoid
