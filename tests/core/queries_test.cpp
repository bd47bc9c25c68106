#include "core/queries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/contacts.h"
#include "core/registry.h"
#include "core/rules.h"
#include "core/run.h"
#include "motion/update.h"
#include "test_world.h"

namespace ovoid {
namespace {

// Object 1 (type 1) has, between runs, the records: [ellipsoid contact with object 2,
// no contact (the newest)]. Object 2 is type 5, object 3 carries a mesh contact.
class QueriesTest : public WorldTest {
 protected:
  QueriesTest() {
    SetCollisions(world, 1, 5, 1, 1, 1);
    SetCollisions(world, 1, 5, 2, 1, 1);
    NewCollObj(world, 1, 1);
    NewCollObj(world, 2, 5);
    NewCollObj(world, 3, 1);
    world.passNumber = 1;
    CollPass* pass = NewPass(world, Body(1));
    world.phase = 2;
    CollHit* hit = NewHit(1);
    InitHit(world, *hit, world.ruleList.head, &Body(2), {}, {1, 2, 3}, {4, 5, 6}, {0, 0, 1}, {},
            0.5f);
    InsertHit(world, *pass, hit);
    NewPass(world, Body(1));

    pass = NewPass(world, Body(3));
    world.phase = 1;
    hit = NewHit(2);
    hit->triIndex = 7;
    hit->corner1 = {1, 2, 3};
    hit->corner2 = {4, 5, 6};
    hit->corner3 = {7, 8, 9};
    InitHit(world, *hit, world.ruleList.tail, &Body(2), {}, {}, {-1, -2, -3}, {0, 1, 0}, {}, 0.25f);
    InsertHit(world, *pass, hit);
  }
};

TEST_F(QueriesTest, FindContactReportsBadIndexes) {
  const std::string kIndex = "Collision index out of range: ";
  struct Case {
    const char* name;
    uint32_t number;
    uint32_t index;
    bool found;
    std::string text;
  };
  const Case cases[] = {
      {"first", 1, 1, true, ""},
      {"index zero", 1, 0, false, kIndex + "0"},
      {"record without a contact", 1, 2, false, kIndex + "2"},
      {"beyond the list", 1, 3, false, kIndex + "3"},
      {"minus one", 1, 0xFFFFFFFFu, false, kIndex + "0"},
      {"object never hit", 2, 1, false, kIndex + "1"},
      {"bad number reports only the number", 0, 0, false,
       "Object number out of range for collision system: 0"},
      {"unregistered number", 4, 1, false, "Object not defined in collision system: 4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reports.clear();
    Arm();
    const CollHit* hit = FindContact(world, c.number, c.index);
    EXPECT_EQ(hit != nullptr, c.found);
    if (c.found) {
      EXPECT_TRUE(reports.empty());
    } else {
      EXPECT_EQ(reports, std::vector<std::string>{c.text});
    }
  }
}

TEST_F(QueriesTest, ReadsTheNearestContactOfEachRecord) {
  EXPECT_EQ(CountCollisions(world, 1), 1);
  EXPECT_EQ(CountCollisions(world, 2), 0);
  EXPECT_EQ(CountCollisions(world, 3), 1);
  EXPECT_EQ(CountCollisions(world, 0), 0);

  EXPECT_EQ(CollisionHitPos(world, 1, 1, 1), 4.0f);
  EXPECT_EQ(CollisionHitPos(world, 1, 1, 2), 5.0f);
  EXPECT_EQ(CollisionHitPos(world, 1, 1, 3), 6.0f);
  EXPECT_EQ(CollisionHitNorm(world, 1, 1, 3), 1.0f);
  EXPECT_EQ(CollisionHitObj(world, 1, 1), 2) << "the object hit, not the one asked about";
  EXPECT_EQ(CollisionHitType(world, 1, 1), 5);
  EXPECT_EQ(CollisionHitShape(world, 1, 1), 1);
  EXPECT_EQ(CollisionHitPoly(world, 1, 1), 0);
  Arm();
  EXPECT_EQ(CollisionTriCorner(world, 1, 1, 1, 1), 0.0f);
  EXPECT_TRUE(reports.empty()) << "an ellipsoid contact has no triangle, silently";

  EXPECT_EQ(CollisionHitShape(world, 3, 1), 2);
  EXPECT_EQ(CollisionHitPoly(world, 3, 1), 7);
  EXPECT_EQ(CollisionHitPos(world, 3, 1, 2), -2.0f);
  for (uint32_t corner = 1; corner <= 3; ++corner) {
    for (uint32_t axis = 1; axis <= 3; ++axis) {
      EXPECT_EQ(CollisionTriCorner(world, 3, 1, corner, axis),
                static_cast<float>(3 * (corner - 1) + axis));
    }
  }
}

TEST_F(QueriesTest, FailedLookupsReturnZero) {
  EXPECT_EQ(CollisionHitPos(world, 2, 1, 1), 0.0f);
  EXPECT_EQ(CollisionHitNorm(world, 1, 2, 1), 0.0f);
  EXPECT_EQ(CollisionHitObj(world, 1, 0), 0);
  EXPECT_EQ(CollisionHitType(world, 9, 1), 0);
  EXPECT_EQ(CollisionHitShape(world, 1, 5), 0);
  EXPECT_EQ(CollisionHitPoly(world, 5001, 1), 0);
  EXPECT_EQ(CollisionTriCorner(world, 3, 2, 1, 1), 0.0f);
  EXPECT_EQ(CollisionHitPos(world, 1, 1, 4), 0.0f);
  EXPECT_EQ(CollisionTriCorner(world, 3, 1, 4, 1), 0.0f);
  EXPECT_EQ(CollisionTriCorner(world, 3, 1, 1, 0), 0.0f);
}

// No contact may keep pointing at a body that is gone: the queries then answer 0.
TEST_F(QueriesTest, ContactsForgetADestroyedBody) {
  struct Case {
    const char* name;
    void (*destroy)(World&);
  };
  const Case cases[] = {
      {"freed", [](World& w) { FreeObj(w, 2); }},
      {"replaced", [](World& w) { NewCollObj(w, 2, 6); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (world.objectTable[2] != nullptr) FreeObj(world, 2);
    NewCollObj(world, 2, 5);
    for (uint32_t n : {1u, 3u}) {
      world.objectTable[n]->body->passes.head->nearest->other = &Body(2);
    }
    ASSERT_EQ(CollisionHitObj(world, 1, 1), 2);
    c.destroy(world);
    EXPECT_EQ(CollisionHitObj(world, 1, 1), 0);
    EXPECT_EQ(CollisionHitType(world, 1, 1), 0);
    EXPECT_EQ(CollisionHitObj(world, 3, 1), 0);
    EXPECT_EQ(CollisionHitType(world, 3, 1), 0);
    EXPECT_EQ(CollisionHitPos(world, 1, 1, 1), 4.0f) << "the rest of the contact stays";
  }
}

TEST_F(QueriesTest, ContactsMadeInARunForgetAFreedBodyInBothPassLists) {
  StopCollision(world);
  SetCollisions(world, 1, 2, 1, 1, 1);
  NewCollObj(world, 1, 1);
  NewCollObj(world, 2, 2);
  AddObjShape(world, 1, 1);
  AddObjShape(world, 2, 1);
  ActivateObj(world, 1);
  ActivateObj(world, 2);
  world.sweepHook = [](void*, World& w, CollRule& rule, CollShape& src, CollShape& dst) {
    CollHit* hit = NewHit(dst.kind);
    InitHit(w, *hit, &rule, dst.body, {}, {0, 0, 1}, {0, 0, 2}, {0, 0, -1}, {}, 0.5f);
    hit->nextTarget = hit->stopPos;
    InsertHit(w, *src.body->passes.tail, hit);
  };
  UpdateObj(world, 1, 0, 0, 4, 0);
  RunCollision(world);  // contact with 2 in the current-run list
  ASSERT_EQ(CountCollisions(world, 1), 1);
  ASSERT_EQ(CollisionHitObj(world, 1, 1), 2);
  UpdateObj(world, 1, 0, 0, 8, 0);
  RunCollision(world);  // and again, with last run's contact in the previous-run list
  ASSERT_EQ(CollisionHitObj(world, 1, 1), 2);
  const CollHit* old = Body(1).prevPasses.head->nearest;
  ASSERT_NE(old, nullptr);
  ASSERT_EQ(old->other, &Body(2));

  FreeObj(world, 2);

  EXPECT_EQ(old->other, nullptr);
  EXPECT_EQ(CountCollisions(world, 1), 1);
  EXPECT_EQ(CollisionHitObj(world, 1, 1), 0);
  EXPECT_EQ(CollisionHitType(world, 1, 1), 0);
}

}  // namespace
}  // namespace ovoid
