#include "core/run.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <vector>

#include "core/contacts.h"
#include "core/queries.h"
#include "core/registry.h"
#include "core/rules.h"
#include "motion/update.h"
#include "scene_builders.h"
#include "test_world.h"

namespace ovoid {
namespace {

// One pair handed to the sweeps: which pass, phase and rule, and which shapes (object
// number, 1-based position in the body's shape list).
struct Visit {
  int32_t pass;
  int32_t phase;
  int rule;
  int32_t src;
  int srcShape;
  int32_t dst;
  int dstShape;
  bool operator==(const Visit&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Visit& v) {
  return out << "{pass " << v.pass << " phase " << v.phase << " rule " << v.rule << ": " << v.src
             << "#" << v.srcShape << " -> " << v.dst << "#" << v.dstShape << "}";
}

int Position(const CollShape& shape) {
  int position = 1;
  for (const CollShape* s = shape.body->shapes.head; s != &shape; s = s->link.next) ++position;
  return position;
}

class RunTest : public WorldTest {
 protected:
  RunTest() {
    world.sweepHookContext = this;
    world.sweepHook = [](void* context, World& w, CollRule& rule, CollShape& src, CollShape& dst) {
      auto& self = *static_cast<RunTest*>(context);
      int index = 0;
      for (CollRule* r = w.ruleList.head; r != &rule; r = r->link.next) ++index;
      self.visits.push_back(Visit{w.passNumber, w.phase, index, src.body->number, Position(src),
                                  dst.body->number, Position(dst)});
      if (self.onSweep) self.onSweep(rule, src, dst);
    };
  }

  void Object(uint32_t number, uint32_t type, std::vector<uint32_t> kinds) {
    NewCollObj(world, number, type);
    for (uint32_t kind : kinds) AddObjShape(world, number, kind);
  }

  CollRule* Rule(int index) {
    CollRule* r = world.ruleList.head;
    while (index-- > 0) r = r->link.next;
    return r;
  }

  // Hands the mover a contact with the obstacle, as a sweep would. The body stops where it
  // touched, whichever response answers it.
  void Touch(CollRule& rule, CollShape& src, CollShape& dst, float toi, Vec3 at = {}) {
    CollHit* hit = NewHit(dst.kind);
    const Vec3 centre{at.x, at.y + 1, at.z};
    InitHit(world, *hit, &rule, dst.body, Vec3{}, centre, at, Vec3{0, 1, 0}, Vec3{}, toi);
    hit->nextTarget = hit->stopPos;
    InsertHit(world, *src.body->passes.tail, hit);
  }

  std::vector<Visit> visits;
  std::function<void(CollRule&, CollShape&, CollShape&)> onSweep;
};

TEST_F(RunTest, VisitsPairsInRuleAndMemberListOrder) {
  SetCollisions(world, 1, 2, 1, 1, 1);  // rule 0: ellipsoids of 1 against ellipsoids of 2
  SetCollisions(world, 1, 3, 2, 1, 1);  // rule 1: against meshes of 3
  SetCollisions(world, 1, 1, 1, 1, 1);  // rule 2: type 1 among itself
  SetCollisions(world, 1, 3, 2, 1, 1);  // rule 3: the same as rule 1, run again
  Object(11, 1, {1, 1});
  Object(12, 1, {1});
  Object(13, 1, {1});
  Object(14, 1, {1});  // never activated
  Object(21, 2, {1});
  Object(22, 2, {1});
  Object(23, 2, {1});  // never activated
  Object(31, 3, {2, 1});
  for (uint32_t n : {13u, 11u, 12u, 22u, 21u, 31u}) ActivateObj(world, n);
  UpdateObj(world, 12, 0, 0, 1, 0);
  ASSERT_EQ(world.rerunFlag, 1);

  RunCollision(world);

  const std::vector<Visit> want = {
      // Phase 1: mesh rules in creation order, movers in activation order.
      {1, 1, 1, 13, 1, 31, 1},
      {1, 1, 1, 11, 1, 31, 1},
      {1, 1, 1, 11, 2, 31, 1},
      {1, 1, 1, 12, 1, 31, 1},
      {1, 1, 3, 13, 1, 31, 1},
      {1, 1, 3, 11, 1, 31, 1},
      {1, 1, 3, 11, 2, 31, 1},
      {1, 1, 3, 12, 1, 31, 1},
      // Phase 2: ellipsoid rules; destinations in activation order.
      {1, 2, 0, 13, 1, 22, 1},
      {1, 2, 0, 13, 1, 21, 1},
      {1, 2, 0, 11, 1, 22, 1},
      {1, 2, 0, 11, 1, 21, 1},
      {1, 2, 0, 11, 2, 22, 1},
      {1, 2, 0, 11, 2, 21, 1},
      {1, 2, 0, 12, 1, 22, 1},
      {1, 2, 0, 12, 1, 21, 1},
      // A body never meets its own shapes, not even its other ellipsoid.
      {1, 2, 2, 13, 1, 11, 1},
      {1, 2, 2, 13, 1, 11, 2},
      {1, 2, 2, 13, 1, 12, 1},
      {1, 2, 2, 11, 1, 13, 1},
      {1, 2, 2, 11, 1, 12, 1},
      {1, 2, 2, 11, 2, 13, 1},
      {1, 2, 2, 11, 2, 12, 1},
      {1, 2, 2, 12, 1, 13, 1},
      {1, 2, 2, 12, 1, 11, 1},
      {1, 2, 2, 12, 1, 11, 2},
  };
  EXPECT_EQ(visits, want);
  EXPECT_EQ(world.passNumber, 2);

  // Every body, active or not, got one record for pass 1 from its position to its target.
  for (CollBody* b = world.bodyList.head; b != nullptr; b = b->link.next) {
    SCOPED_TRACE(b->number);
    ASSERT_NE(b->passes.head, nullptr);
    EXPECT_EQ(b->passes.head->passNo, 1);
    EXPECT_EQ(b->passes.head->start.z, b->position.z);
    EXPECT_EQ(b->passes.head->end.z, b->target.z);
  }
  EXPECT_EQ(Body(12).passes.head->end.z, 1.0f);
}

TEST_F(RunTest, InactiveObjectsGetPassRecordsButNeverSweep) {
  SetCollisions(world, 1, 1, 1, 1, 1);
  SetCollisions(world, 1, 1, 2, 1, 1);
  Object(1, 1, {1, 2});
  Object(2, 1, {1, 2});
  ActivateObj(world, 1);
  UpdateObj(world, 2, 5, 5, 5, 0);  // the inactive one moves
  RunCollision(world);
  EXPECT_TRUE(visits.empty()) << visits.size();
  EXPECT_EQ(Body(2).passes.head, Body(2).passes.tail);
  ASSERT_NE(Body(2).passes.head, nullptr);
  EXPECT_EQ(Body(2).passes.head->end.x, 5.0f);

  ActivateObj(world, 2);
  UpdateObj(world, 2, 6, 5, 5, 0);
  RunCollision(world);
  EXPECT_EQ(visits, (std::vector<Visit>{{1, 1, 1, 1, 1, 2, 2},
                                        {1, 1, 1, 2, 1, 1, 2},
                                        {1, 2, 0, 1, 1, 2, 1},
                                        {1, 2, 0, 2, 1, 1, 1}}));
}

TEST_F(RunTest, RunWithoutAMoveSweepsNothingAndForgetsTheContacts) {
  SetCollisions(world, 1, 2, 1, 1, 1);
  Object(1, 1, {1});
  Object(2, 2, {1});
  ActivateObj(world, 1);
  ActivateObj(world, 2);
  onSweep = [&](CollRule& rule, CollShape& src, CollShape& dst) {
    Touch(rule, src, dst, 0.5f, Vec3{0, 0, 2});
  };
  UpdateObj(world, 1, 0, 0, 5, 0);
  RunCollision(world);
  ASSERT_EQ(visits.size(), 1u);
  EXPECT_EQ(CountCollisions(world, 1), 1);
  EXPECT_EQ(PeekObj(world, 1, 2), 2.0f) << "stopped at the contact";

  visits.clear();
  RunCollision(world);
  EXPECT_TRUE(visits.empty());
  EXPECT_EQ(world.passNumber, 1);
  for (uint32_t n : {1u, 2u}) {
    SCOPED_TRACE(n);
    EXPECT_EQ(CountCollisions(world, n), 0);
    EXPECT_EQ(PeekObj(world, n, 0), Body(n).target.x);
    EXPECT_EQ(PeekObj(world, n, 1), Body(n).target.y);
    EXPECT_EQ(PeekObj(world, n, 2), Body(n).target.z);
  }
  EXPECT_EQ(PeekObj(world, 1, 2), 5.0f);
  // Last run's records are now the previous-run list; the run before that is freed.
  ASSERT_NE(Body(1).prevPasses.head, nullptr);
  EXPECT_EQ(Body(1).prevPasses.head->passNo, 1);
  EXPECT_EQ(Body(1).prevPasses.head->nearest->other, &Body(2));
}

TEST_F(RunTest, RecyclingKeepsOneRunBackAndResetsTheCreaseCount) {
  Object(1, 1, {1});
  Body(1).creaseCount = 2;
  RunCollision(world);
  CollPass* first = Body(1).passes.head;
  EXPECT_EQ(Body(1).creaseCount, 0u);
  RunCollision(world);
  EXPECT_EQ(Body(1).prevPasses.head, first);
  EXPECT_EQ(Body(1).prevPasses.tail, first);
  RunCollision(world);
  EXPECT_NE(Body(1).prevPasses.head, first);  // freed now (ASan checks the rest)
  EXPECT_EQ(Body(1).passes.head, Body(1).passes.tail);
}

TEST_F(RunTest, MeshContactThenNearerEllipsoidContactInOnePass) {
  SetCollisions(world, 1, 2, 1, 1, 1);
  SetCollisions(world, 1, 2, 2, 1, 1);
  Object(1, 1, {1});
  Object(2, 2, {1, 2});
  ActivateObj(world, 1);
  ActivateObj(world, 2);
  onSweep = [&](CollRule& rule, CollShape& src, CollShape& dst) {
    Touch(rule, src, dst, dst.kind == 2 ? 0.5f : 0.25f, Vec3{0, 0, dst.kind * 3.0f});
  };
  world.rerunFlag = 1;
  RunCollision(world);
  const CollPass& pass = *Body(1).passes.head;
  ASSERT_NE(pass.nearest, nullptr);
  EXPECT_EQ(pass.nearest->kind, 1);
  EXPECT_EQ(pass.nearest->phase, 2);
  ASSERT_NE(pass.hits.head, pass.hits.tail);
  EXPECT_EQ(pass.hits.head->kind, 2) << "the mesh contact stays in the list";
  EXPECT_EQ(pass.hits.head->phase, 1);
}

TEST_F(RunTest, OnlyBodiesWhoseNewestRecordBelongsToThisPassMove) {
  SetCollisions(world, 1, 2, 1, 1, 1);
  Object(1, 1, {1});
  Object(2, 1, {1});
  Object(3, 1, {1});
  Object(9, 2, {1});
  for (uint32_t n : {1u, 2u, 3u, 9u}) ActivateObj(world, n);
  world.passNumber = 1;
  NewPass(world, Body(1));
  NewPass(world, Body(2));
  world.passNumber = 2;
  NewPass(world, Body(1));  // body 1 moves on in pass 2; body 3 has no record at all
  RulePass(world, *Rule(0));
  EXPECT_EQ(visits, (std::vector<Visit>{{2, 0, 0, 1, 1, 9, 1}}));
}

TEST_F(RunTest, AlreadyTouching) {
  SetCollisions(world, 1, 2, 1, 1, 1);  // ellipsoid rule
  SetCollisions(world, 1, 2, 2, 1, 1);  // mesh rule
  SetCollisions(world, 1, 2, 1, 5, 1);  // ellipsoid pass-through rule
  Object(1, 1, {1});
  Object(2, 2, {1});
  Object(3, 2, {1});
  CollBody& mover = Body(1);
  struct Case {
    const char* name;
    int nearestRule;  // -1: the record has no nearest contact
    uint32_t nearestOther;
    int askedRule;
    bool want;
  };
  const Case cases[] = {
      {"ellipsoid contact with it", 0, 2, 0, true},
      {"asked under another ellipsoid rule", 0, 2, 2, true},
      {"asked under a mesh rule", 0, 2, 1, false},
      {"mesh contact with it", 1, 2, 0, false},
      {"ellipsoid contact with another", 0, 3, 0, false},
      {"pass-through ellipsoid contact with it", 2, 2, 0, true},
      {"no nearest contact", -1, 2, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FreePassList(mover.passes);
    CollPass* earlier = NewPass(world, mover);
    NewPass(world, mover);  // the newest, without contact
    if (c.nearestRule >= 0) {
      CollHit& hit = NearestContact(*earlier, 1);
      hit.rule = Rule(c.nearestRule);
      hit.other = &Body(c.nearestOther);
    }
    EXPECT_EQ(AlreadyTouching(mover, *Rule(c.askedRule), &Body(2)), c.want);
  }
}

TEST_F(RunTest, PairAlreadyTouchingIsSkippedByEllipsoidRulesOnly) {
  SetCollisions(world, 1, 2, 1, 1, 1);
  SetCollisions(world, 1, 2, 2, 1, 1);
  Object(1, 1, {1});
  Object(2, 2, {1, 2});
  Object(3, 2, {1});
  for (uint32_t n : {1u, 2u, 3u}) ActivateObj(world, n);
  world.passNumber = 1;
  CollPass* first = NewPass(world, Body(1));
  world.phase = 2;
  CollHit* hit = NewHit(1);
  InitHit(world, *hit, Rule(0), &Body(2), {}, {}, {}, {}, {}, 0.5f);
  InsertHit(world, *first, hit);
  world.passNumber = 2;
  NewPass(world, Body(1));
  world.phase = 1;
  RulePass(world, *Rule(1));
  world.phase = 2;
  RulePass(world, *Rule(0));
  EXPECT_EQ(visits, (std::vector<Visit>{{2, 1, 1, 1, 1, 2, 2}, {2, 2, 0, 1, 1, 3, 1}}));
}

}  // namespace
}  // namespace ovoid
