#include "core/contacts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/registry.h"
#include "core/rules.h"
#include "test_world.h"

namespace ovoid {
namespace {

// A mover (object 1) and an obstacle (object 2) under a solid ellipsoid rule, a
// pass-through ellipsoid rule and a solid mesh rule.
class ContactsTest : public WorldTest {
 protected:
  ContactsTest() {
    SetCollisions(world, 1, 2, 1, 1, 1);
    SetCollisions(world, 1, 2, 1, 5, 1);
    SetCollisions(world, 1, 2, 2, 2, 1);
    solid = world.ruleList.head;
    passThrough = solid->link.next;
    meshRule = passThrough->link.next;
    NewCollObj(world, 1, 1);
    NewCollObj(world, 2, 2);
    mover = world.objectTable[1]->body;
    other = world.objectTable[2]->body;
    world.passNumber = 1;
    world.phase = 2;
  }

  CollHit* Hit(CollRule* rule, float toi, Vec3 at = {}) {
    CollHit* hit = NewHit(rule->dstKind);
    InitHit(world, *hit, rule, other, Vec3{}, Vec3{}, at, Vec3{0, 1, 0}, Vec3{}, toi);
    return hit;
  }

  // An earlier record of this run whose nearest contact lies at `at`.
  CollPass* EarlierRecord(CollRule* rule, Vec3 at) {
    CollPass* pass = NewPass(world, *mover);
    InsertHit(world, *pass, Hit(rule, 0.5f, at));
    return pass;
  }

  static std::vector<CollHit*> Hits(const CollPass& pass) {
    std::vector<CollHit*> hits;
    for (CollHit* h = pass.hits.head; h != nullptr; h = h->link.next) hits.push_back(h);
    return hits;
  }

  std::vector<CollPass*> Passes() {
    std::vector<CollPass*> passes;
    for (CollPass* p = mover->passes.head; p != nullptr; p = p->link.next) passes.push_back(p);
    return passes;
  }

  CollRule* solid = nullptr;
  CollRule* passThrough = nullptr;
  CollRule* meshRule = nullptr;
  CollBody* mover = nullptr;
  CollBody* other = nullptr;
};

TEST_F(ContactsTest, NewHitIsZeroedExceptKind) {
  for (int16_t kind : {int16_t{1}, int16_t{2}}) {
    CollHit* hit = NewHit(kind);
    EXPECT_EQ(hit->kind, kind);
    EXPECT_EQ(hit->phase, 0);
    EXPECT_EQ(hit->rule, nullptr);
    EXPECT_EQ(hit->other, nullptr);
    EXPECT_EQ(hit->owner, nullptr);
    EXPECT_EQ(hit->toi, 0.0);
    EXPECT_EQ(hit->triIndex, 0);
    EXPECT_EQ(hit->hitPos.x, 0.0f);
    EXPECT_EQ(hit->link.next, nullptr);
    delete hit;
  }
}

TEST_F(ContactsTest, InitHitDerivesStopPositionAndSlidePoint) {
  world.phase = 1;
  CollHit* hit = NewHit(2);
  InitHit(world, *hit, meshRule, other, /*motionEnd=*/Vec3{10, 0, 4}, /*centre=*/Vec3{2, 3, 4},
          /*hitPos=*/Vec3{2, 2, 4}, /*hitNormal=*/Vec3{0, 1, 0}, /*shapeOffset=*/Vec3{0, 1, 0},
          0.1f);
  EXPECT_EQ(hit->phase, 1);
  EXPECT_EQ(hit->rule, meshRule);
  EXPECT_EQ(hit->other, other);
  EXPECT_EQ(hit->kind, 2);
  EXPECT_EQ(hit->stopPos.y, 2.0f);
  EXPECT_EQ(hit->stopPos.x, 2.0f);
  // (hitPos - centre) + motionEnd
  EXPECT_EQ(hit->slidePoint.x, 10.0f);
  EXPECT_EQ(hit->slidePoint.y, -1.0f);
  EXPECT_EQ(hit->slidePoint.z, 4.0f);
  EXPECT_EQ(hit->shapeOffset.y, 1.0f);
  EXPECT_EQ(hit->hitNormal.y, 1.0f);
  EXPECT_EQ(hit->toi, static_cast<double>(0.1f)) << "widened, not re-rounded";
  delete hit;
}

TEST_F(ContactsTest, SlidePointIsFormedFromTheDifferenceFirst) {
  // (hitPos - centre) + motionEnd and hitPos + (motionEnd - centre) round differently here.
  CollHit* hit = NewHit(1);
  InitHit(world, *hit, solid, other, Vec3{1.0f, 0, 0}, Vec3{1e8f, 0, 0}, Vec3{1e8f + 8, 0, 0},
          Vec3{}, Vec3{}, 0.0f);
  EXPECT_EQ(hit->slidePoint.x, 9.0f);
  delete hit;
}

TEST_F(ContactsTest, FirstContactBecomesTheNearest) {
  CollPass* pass = NewPass(world, *mover);
  CollHit* hit = Hit(solid, 0.5f);
  InsertHit(world, *pass, hit);
  EXPECT_EQ(pass->nearest, hit);
  EXPECT_EQ(hit->owner, pass);
  EXPECT_EQ(Hits(*pass), std::vector<CollHit*>{hit});
}

TEST_F(ContactsTest, ContactsNotStrictlyNearerAreDropped) {
  CollPass* pass = NewPass(world, *mover);
  CollHit* first = Hit(solid, 0.5f);
  InsertHit(world, *pass, first);
  InsertHit(world, *pass, Hit(solid, 0.5f));        // equal time loses
  InsertHit(world, *pass, Hit(solid, 0.75f));       // later loses
  InsertHit(world, *pass, Hit(passThrough, 0.5f));  // so does a pass-through contact
  world.phase = 1;
  InsertHit(world, *pass, Hit(meshRule, 0.5f));  // and one of the other phase
  EXPECT_EQ(pass->nearest, first);
  EXPECT_EQ(Hits(*pass), std::vector<CollHit*>{first});
  EXPECT_EQ(Passes(), std::vector<CollPass*>{pass});
}

TEST_F(ContactsTest, NearerContactReplacesItsOwnPhaseOnly) {
  CollPass* pass = NewPass(world, *mover);
  world.phase = 1;
  CollHit* mesh = Hit(meshRule, 0.5f);
  InsertHit(world, *pass, mesh);
  world.phase = 2;
  CollHit* ellip = Hit(solid, 0.4f);
  InsertHit(world, *pass, ellip);
  EXPECT_EQ(pass->nearest, ellip);
  EXPECT_EQ(Hits(*pass), (std::vector<CollHit*>{mesh, ellip})) << "phase 1 contact stays";

  CollHit* nearerEllip = Hit(solid, 0.3f);
  InsertHit(world, *pass, nearerEllip);
  EXPECT_EQ(pass->nearest, nearerEllip);
  EXPECT_EQ(Hits(*pass), (std::vector<CollHit*>{mesh, nearerEllip}));

  world.phase = 1;
  CollHit* nearerMesh = Hit(meshRule, 0.2f);
  InsertHit(world, *pass, nearerMesh);
  EXPECT_EQ(pass->nearest, nearerMesh);
  EXPECT_EQ(Hits(*pass), (std::vector<CollHit*>{nearerEllip, nearerMesh}));
}

TEST_F(ContactsTest, PassThroughContactGetsARecordJustBeforeTheNewest) {
  CollPass* earlier = EarlierRecord(solid, Vec3{50, 0, 0});
  world.passNumber = 2;
  CollPass* pass = NewPass(world, *mover);
  CollHit* wall = Hit(solid, 0.5f);
  InsertHit(world, *pass, wall);

  CollHit* trigger = Hit(passThrough, 0.3f);
  InsertHit(world, *pass, trigger);
  std::vector<CollPass*> passes = Passes();
  ASSERT_EQ(passes.size(), 3u);
  EXPECT_EQ(passes[0], earlier);
  EXPECT_EQ(passes[2], pass);
  CollPass* record = passes[1];
  EXPECT_EQ(record->nearest, trigger);
  EXPECT_EQ(Hits(*record), std::vector<CollHit*>{trigger});
  EXPECT_EQ(trigger->owner, record);
  EXPECT_EQ(record->passNo, 2);
  EXPECT_EQ(record->body, mover);
  EXPECT_EQ(pass->nearest, wall) << "the mover is not stopped by the trigger";
  EXPECT_EQ(Hits(*pass), std::vector<CollHit*>{wall});

  // A second one goes just before the newest too, after the first.
  CollHit* trigger2 = Hit(passThrough, 0.1f);
  InsertHit(world, *pass, trigger2);
  passes = Passes();
  ASSERT_EQ(passes.size(), 4u);
  EXPECT_EQ(passes[1], record);
  EXPECT_EQ(passes[2]->nearest, trigger2);
  EXPECT_EQ(mover->passes.tail, pass);
}

TEST_F(ContactsTest, PassThroughIntoAnEmptyRecord) {
  CollPass* pass = NewPass(world, *mover);
  InsertHit(world, *pass, Hit(passThrough, 0.9f));
  ASSERT_EQ(Passes().size(), 2u);
  EXPECT_EQ(pass->nearest, nullptr);
  EXPECT_EQ(mover->passes.tail, pass);
  EXPECT_NE(mover->passes.head->nearest, nullptr);
}

// The smallest float x whose square, formed in double, is not below 0.1.
float SmallestKeptDistance() {
  float x = static_cast<float>(std::sqrt(0.1));
  while (static_cast<double>(x) * x >= 0.1) x = std::nextafter(x, 0.0f);
  while (static_cast<double>(x) * x < 0.1) x = std::nextafter(x, 1.0f);
  return x;
}

TEST_F(ContactsTest, DuplicateOfAnEarlierSolidContactIsDropped) {
  const float kept = SmallestKeptDistance();
  struct Case {
    const char* name;
    Vec3 at;
    bool keptWanted;
  };
  const Case cases[] = {
      {"same point", {0, 0, 0}, false},
      {"squared distance 0.099", {static_cast<float>(std::sqrt(0.099)), 0, 0}, false},
      {"just below 0.1", {std::nextafter(kept, 0.0f), 0, 0}, false},
      {"at 0.1", {kept, 0, 0}, true},
      // Just below 0.1 in double; summed in float it would round up to 0.1 and be kept.
      {"just below 0.1 over two axes", {0.316227734f, 0.000136999995f, 0}, false},
      {"0.1 over three axes", {0.1f, 0.3f, 0.0f}, true},
      {"far", {0, -3, 0}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FreePassList(mover->passes);
    EarlierRecord(solid, Vec3{0, 0, 0});
    CollPass* pass = NewPass(world, *mover);
    InsertHit(world, *pass, Hit(solid, 0.5f, c.at));
    EXPECT_EQ(pass->nearest != nullptr, c.keptWanted);
  }
}

TEST_F(ContactsTest, DuplicateTestWalksEveryEarlierRecordButNotTheNewest) {
  EarlierRecord(solid, Vec3{5, 5, 5});
  EarlierRecord(solid, Vec3{0, 0, 0});
  CollPass* pass = NewPass(world, *mover);
  InsertHit(world, *pass, Hit(solid, 0.5f, Vec3{5, 5, 5.2f}));
  EXPECT_EQ(pass->nearest, nullptr) << "matched the head record, two back";

  CollHit* first = Hit(solid, 0.5f, Vec3{9, 9, 9});
  InsertHit(world, *pass, first);
  CollHit* same = Hit(solid, 0.25f, Vec3{9, 9, 9});
  InsertHit(world, *pass, same);
  EXPECT_EQ(pass->nearest, same) << "the newest record's own contact is no duplicate";
}

TEST_F(ContactsTest, SolidContactNextToAPassThroughContactIsKept) {
  // A trigger volume just in front of a wall: the trigger's record must not hide the wall.
  CollPass* pass = NewPass(world, *mover);
  InsertHit(world, *pass, Hit(passThrough, 0.4f, Vec3{1, 0, 0}));
  ASSERT_EQ(Passes().size(), 2u);
  CollHit* wall = Hit(solid, 0.5f, Vec3{1.1f, 0, 0});
  InsertHit(world, *pass, wall);
  EXPECT_EQ(pass->nearest, wall);

  // A solid earlier contact at the same place still counts.
  world.passNumber = 2;
  CollPass* next = NewPass(world, *mover);
  InsertHit(world, *next, Hit(solid, 0.5f, Vec3{1.1f, 0, 0}));
  EXPECT_EQ(next->nearest, nullptr);
}

TEST_F(ContactsTest, RemoveHitElectsTheNearestRemaining) {
  CollPass* pass = NewPass(world, *mover);
  auto add = [&](float toi) {
    CollHit* h = Hit(solid, toi);
    ListAppend(h, pass->hits);
    h->owner = pass;
    return h;
  };
  CollHit* a = add(0.5f);
  CollHit* b = add(0.1f);
  CollHit* c = add(0.3f);
  CollHit* d = add(0.3f);
  CollHit* e = add(0.7f);
  pass->nearest = b;

  RemoveHit(*pass, e);  // not the nearest: the nearest stays
  EXPECT_EQ(pass->nearest, b);
  RemoveHit(*pass, b);
  EXPECT_EQ(pass->nearest, c) << "first of the equal minima";
  EXPECT_EQ(Hits(*pass), (std::vector<CollHit*>{a, c, d}));
  RemoveHit(*pass, c);
  EXPECT_EQ(pass->nearest, d);
  RemoveHit(*pass, d);
  EXPECT_EQ(pass->nearest, a);
  RemoveHit(*pass, a);
  EXPECT_EQ(pass->nearest, nullptr);
  EXPECT_EQ(pass->hits.head, nullptr);
}

TEST_F(ContactsTest, NewPassAndFreePass) {
  world.passNumber = 7;
  CollPass* first = NewPass(world, *mover);
  CollPass* second = NewPass(world, *mover);
  EXPECT_EQ(first->passNo, 7);
  EXPECT_EQ(first->body, mover);
  EXPECT_EQ(first->nearest, nullptr);
  EXPECT_EQ(mover->passes.tail, second);
  InsertHit(world, *first, Hit(solid, 0.5f));
  ListAppend(Hit(solid, 0.9f), first->hits);

  FreePass(mover->passes, first);  // frees its two contacts with it
  EXPECT_EQ(Passes(), std::vector<CollPass*>{second});
  EXPECT_EQ(second->link.prev, nullptr);

  mover->prevPasses = mover->passes;
  mover->passes = {};
  InsertHit(world, *second, Hit(solid, 0.5f));
  FreePass(mover->prevPasses, second);
  EXPECT_EQ(mover->prevPasses.head, nullptr);
  EXPECT_EQ(mover->prevPasses.tail, nullptr);
}

}  // namespace
}  // namespace ovoid
