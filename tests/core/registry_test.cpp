#include "core/registry.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "core/contacts.h"
#include "core/queries.h"
#include "core/rules.h"
#include "scene_builders.h"
#include "test_world.h"

namespace ovoid {
namespace {

class RegistryTest : public WorldTest {
 protected:
  std::vector<int32_t> Stack() {
    std::vector<int32_t> numbers;
    for (ActiveLink* l = world.activeList.head; l != nullptr; l = l->link.next) {
      numbers.push_back(l->obj->number);
    }
    return numbers;
  }

  // The shapes in the membership list of (kind, type), as (object number, shape position).
  std::vector<std::pair<int32_t, int>> Members(int kind, int32_t type) {
    std::vector<std::pair<int32_t, int>> out;
    for (TypeMember* m = MemberListHead(world, kind, type); m != nullptr; m = m->link.next) {
      EXPECT_EQ(m->shape->member, m);
      EXPECT_EQ(m->body, m->shape->body);
      EXPECT_EQ(m->typeId, type);
      EXPECT_EQ(m->shape->kind, kind);
      int position = 1;
      for (CollShape* s = m->body->shapes.head; s != m->shape; s = s->link.next) ++position;
      out.emplace_back(m->body->number, position);
    }
    return out;
  }

  // Gives the body a contact in the current-run and the previous-run lists.
  void GiveContacts(CollBody& body) {
    NewPass(world, body);
    body.prevPasses = body.passes;
    body.passes = {};
    NearestContact(*NewPass(world, body), 1);
    NewPass(world, body);
  }

  int BodiesNumbered(int32_t number) {
    int count = 0;
    for (CollBody* b = world.bodyList.head; b != nullptr; b = b->link.next) {
      if (b->number == number) ++count;
    }
    return count;
  }
};

TEST_F(RegistryTest, NewCollObjChecksNumberThenTypeId) {
  struct Case {
    const char* name;
    uint32_t number;
    uint32_t typeId;
    std::string text;  // empty when registered
  };
  const Case cases[] = {
      {"highest number and type", 5000, 100, ""},
      {"lowest number and type", 1, 0, ""},
      {"number above 5000", 5001, 1, "Object number out of range for collision system: 5001"},
      {"number zero", 0, 1, "Object number out of range for collision system: 0"},
      {"both bad: number first", 0, 101, "Object number out of range for collision system: 0"},
      {"type above 100", 7, 101, "Invalid Collision TYPE ID: 101"},
      {"negative type", 8, static_cast<uint32_t>(-1), "Invalid Collision TYPE ID: 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reports.clear();
    Arm();
    NewCollObj(world, c.number, c.typeId);
    if (c.text.empty()) {
      EXPECT_TRUE(reports.empty());
      ASSERT_NE(world.objectTable[c.number], nullptr);
      const CollObj& obj = *world.objectTable[c.number];
      EXPECT_EQ(obj.number, static_cast<int32_t>(c.number));
      EXPECT_EQ(obj.body->number, static_cast<int32_t>(c.number));
      EXPECT_EQ(obj.body->typeId, static_cast<int32_t>(c.typeId));
      EXPECT_EQ(obj.gravity, 0.0f);
      EXPECT_EQ(obj.body->activeBody, nullptr);
      EXPECT_EQ(obj.body->shapes.head, nullptr);
    } else {
      EXPECT_EQ(reports, std::vector<std::string>{c.text});
      if (c.number >= 1 && c.number <= 5000) {
        EXPECT_EQ(world.objectTable[c.number], nullptr);
      }
    }
  }
}

TEST_F(RegistryTest, NewBodyIsZeroedWithIdentityMatrices) {
  NewCollObj(world, 3, 4);
  const CollBody& body = Body(3);
  const Matrix4 identity;
  for (const Matrix4* m : {&body.motionMatrix, &body.worldMatrix, &body.translationMatrix}) {
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m->m[i], identity.m[i]);
  }
  EXPECT_EQ(body.position.x, 0.0f);
  EXPECT_EQ(body.target.y, 0.0f);
  EXPECT_EQ(body.creaseCount, 0u);
  EXPECT_EQ(body.passes.head, nullptr);
  EXPECT_EQ(world.bodyList.tail, &body);
  EXPECT_EQ(world.objectList.tail, world.objectTable[3]);
}

TEST_F(RegistryTest, NewCollObjReplacesAnActiveObjectCompletely) {
  NewCollObj(world, 5, 2);
  AddObjShape(world, 5, 1);
  AddObjShape(world, 5, 2);
  SetObjGravity(world, 5, 3.0f);
  NewCollObj(world, 6, 2);
  ActivateObj(world, 6);
  ActivateObj(world, 5);
  GiveContacts(Body(5));
  ASSERT_EQ(CountCollisions(world, 5), 1);

  NewCollObj(world, 5, 9);

  EXPECT_EQ(Stack(), std::vector<int32_t>{6});
  EXPECT_EQ(world.activeTable[5], nullptr);
  EXPECT_TRUE(Members(1, 2).empty());
  EXPECT_TRUE(Members(2, 2).empty());
  EXPECT_EQ(BodiesNumbered(5), 1);
  const CollObj& obj = *world.objectTable[5];
  EXPECT_EQ(obj.gravity, 0.0f);
  EXPECT_EQ(obj.body->typeId, 9);
  EXPECT_EQ(obj.body->activeBody, nullptr);
  EXPECT_EQ(obj.body->shapes.head, nullptr);
  EXPECT_EQ(obj.body->passes.head, nullptr);
  EXPECT_EQ(obj.body->prevPasses.head, nullptr);
  EXPECT_EQ(CountCollisions(world, 5), 0);
  // The active body list holds only object 6 now.
  ASSERT_NE(world.activeBodyList.head, nullptr);
  EXPECT_EQ(world.activeBodyList.head, world.activeBodyList.tail);
  EXPECT_EQ(world.activeBodyList.head->body, &Body(6));
}

TEST_F(RegistryTest, FreeObjRemovesEverything) {
  NewCollObj(world, 5, 2);
  AddObjShape(world, 5, 1);
  ActivateObj(world, 5);
  GiveContacts(Body(5));
  FreeObj(world, 5);
  EXPECT_EQ(world.objectTable[5], nullptr);
  EXPECT_EQ(world.activeTable[5], nullptr);
  EXPECT_EQ(world.objectList.head, nullptr);
  EXPECT_EQ(world.bodyList.head, nullptr);
  EXPECT_EQ(world.activeList.head, nullptr);
  EXPECT_EQ(world.activeBodyList.head, nullptr);
  EXPECT_TRUE(Members(1, 2).empty());
  Arm();
  FreeObj(world, 5);
  EXPECT_EQ(reports, std::vector<std::string>{"Object not defined in collision system: 5"});
}

TEST_F(RegistryTest, ActivatingTwiceMovesToTheEndOnce) {
  for (uint32_t n : {1u, 2u, 3u}) {
    NewCollObj(world, n, 1);
    AddObjShape(world, n, 1);
    ActivateObj(world, n);
  }
  ActivateObj(world, 1);
  EXPECT_EQ(Stack(), (std::vector<int32_t>{2, 3, 1}));
  // The body and its shapes are not entered again.
  EXPECT_EQ(Members(1, 1), (std::vector<std::pair<int32_t, int>>{{1, 1}, {2, 1}, {3, 1}}));
  int activeBodies = 0;
  for (ActiveBodyLink* l = world.activeBodyList.head; l != nullptr; l = l->link.next) {
    ++activeBodies;
  }
  EXPECT_EQ(activeBodies, 3);
}

TEST_F(RegistryTest, CollisionStackWalk) {
  for (uint32_t n : {3u, 9u, 4u}) NewCollObj(world, n, 1);
  EXPECT_EQ(PeekCollisionStack(world), 0) << "before any reset";
  for (uint32_t n : {3u, 9u, 4u}) ActivateObj(world, n);
  EXPECT_EQ(PeekCollisionStack(world), 0) << "still no reset";
  ResetCollisionStack(world);
  EXPECT_EQ(PeekCollisionStack(world), 3);
  EXPECT_EQ(PeekCollisionStack(world), 9);
  EXPECT_EQ(PeekCollisionStack(world), 4);
  EXPECT_EQ(PeekCollisionStack(world), 0);
  EXPECT_EQ(PeekCollisionStack(world), 0);
  ResetCollisionStack(world);
  EXPECT_EQ(PeekCollisionStack(world), 3);
}

TEST_F(RegistryTest, RemovingTheLinkUnderTheCursorMovesTheCursorOn) {
  struct Case {
    const char* name;
    void (*remove)(World&, uint32_t);
    uint32_t removed;
    std::vector<int32_t> rest;
  };
  const Case cases[] = {
      {"deactivate the next", [](World& w, uint32_t n) { DeActivateObj(w, n); }, 9, {4, 0}},
      {"free the next", [](World& w, uint32_t n) { FreeObj(w, n); }, 9, {4, 0}},
      {"replace the next", [](World& w, uint32_t n) { NewCollObj(w, n, 1); }, 9, {4, 0}},
      {"reactivate the next", [](World& w, uint32_t n) { ActivateObj(w, n); }, 9, {4, 9, 0}},
      {"deactivate the last", [](World& w, uint32_t n) { DeActivateObj(w, n); }, 4, {9, 0}},
      {"deactivate the one seen", [](World& w, uint32_t n) { DeActivateObj(w, n); }, 3, {9, 4, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StopCollision(world);
    for (uint32_t n : {3u, 9u, 4u}) {
      NewCollObj(world, n, 1);
      ActivateObj(world, n);
    }
    ResetCollisionStack(world);
    ASSERT_EQ(PeekCollisionStack(world), 3);
    c.remove(world, c.removed);
    std::vector<int32_t> rest;
    for (int i = 0; i < 3; ++i) {
      rest.push_back(PeekCollisionStack(world));
      if (rest.back() == 0) break;
    }
    EXPECT_EQ(rest, c.rest);
  }
}

TEST_F(RegistryTest, ShapesJoinMemberListsOnlyWhileActive) {
  NewCollObj(world, 1, 7);
  AddObjShape(world, 1, 2);
  AddObjShape(world, 1, 1);
  EXPECT_TRUE(Members(1, 7).empty()) << "inactive: no membership yet";
  EXPECT_TRUE(Members(2, 7).empty());
  for (CollShape* s = Body(1).shapes.head; s != nullptr; s = s->link.next) {
    EXPECT_EQ(s->member, nullptr);
    EXPECT_EQ(s->body, &Body(1));
  }

  NewCollObj(world, 2, 7);
  AddObjShape(world, 2, 1);
  ActivateObj(world, 2);
  ActivateObj(world, 1);
  EXPECT_EQ(Members(1, 7), (std::vector<std::pair<int32_t, int>>{{2, 1}, {1, 2}}));
  EXPECT_EQ(Members(2, 7), (std::vector<std::pair<int32_t, int>>{{1, 1}}));

  AddObjShape(world, 2, 1);  // joins at once, at the end of its list
  EXPECT_EQ(Members(1, 7), (std::vector<std::pair<int32_t, int>>{{2, 1}, {1, 2}, {2, 2}}));

  DeActivateObj(world, 2);
  EXPECT_EQ(Members(1, 7), (std::vector<std::pair<int32_t, int>>{{1, 2}}));
  for (CollShape* s = Body(2).shapes.head; s != nullptr; s = s->link.next) {
    EXPECT_EQ(s->member, nullptr);
  }
  EXPECT_TRUE(Members(1, 0).empty()) << "other types untouched";
}

TEST_F(RegistryTest, AddObjShapeWithAnotherKindChangesNothing) {
  NewCollObj(world, 1, 0);
  ActivateObj(world, 1);
  for (uint32_t kind : {0u, 3u, 0x10001u, static_cast<uint32_t>(-1)}) {
    SCOPED_TRACE(kind);
    Arm();
    AddObjShape(world, 1, kind);
    EXPECT_EQ(Body(1).shapes.head, nullptr);
    EXPECT_TRUE(reports.empty());
  }
  AddObjShape(world, 1, 1);
  AddObjShape(world, 1, 2);
  ASSERT_NE(Body(1).shapes.head, nullptr);
  EXPECT_EQ(Body(1).shapes.head->kind, 1);
  EXPECT_EQ(Body(1).shapes.tail->kind, 2);
}

TEST_F(RegistryTest, DeactivationFreesBothPassListsAndIsIdempotent) {
  NewCollObj(world, 1, 0);
  AddObjShape(world, 1, 1);
  ActivateObj(world, 1);
  GiveContacts(Body(1));
  ASSERT_EQ(CountCollisions(world, 1), 1);
  DeActivateObj(world, 1);
  EXPECT_EQ(CountCollisions(world, 1), 0);
  EXPECT_EQ(Body(1).passes.head, nullptr);
  EXPECT_EQ(Body(1).prevPasses.head, nullptr);
  EXPECT_EQ(Body(1).activeBody, nullptr);
  Arm();
  DeActivateObj(world, 1);
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(world.activeList.head, nullptr);
}

TEST_F(RegistryTest, InactiveBodyKeepsItsPassRecordsUntilDestroyed) {
  NewCollObj(world, 1, 0);
  GiveContacts(Body(1));
  DeActivateObj(world, 1);  // inactive already: nothing happens
  EXPECT_EQ(CountCollisions(world, 1), 1);
  FreeObj(world, 1);  // the records go with the body
  EXPECT_EQ(world.bodyList.head, nullptr);
}

TEST_F(RegistryTest, GravityIsStoredBitForBit) {
  NewCollObj(world, 1, 0);
  for (float g : {-0.0f, 0.5f, std::bit_cast<float>(0x7FC01234u), 1e-45f}) {
    SetObjGravity(world, 1, g);
    EXPECT_EQ(std::bit_cast<uint32_t>(world.objectTable[1]->gravity), std::bit_cast<uint32_t>(g));
  }
}

TEST_F(RegistryTest, ObjectCallsRejectBadNumbersWithoutEffect) {
  NewCollObj(world, 1, 0);
  struct Case {
    const char* name;
    void (*call)(World&, uint32_t);
  };
  const Case cases[] = {
      {"FreeObj", [](World& w, uint32_t n) { FreeObj(w, n); }},
      {"SetObjGravity", [](World& w, uint32_t n) { SetObjGravity(w, n, 1.0f); }},
      {"AddObjShape", [](World& w, uint32_t n) { AddObjShape(w, n, 1); }},
      {"ActivateObj", [](World& w, uint32_t n) { ActivateObj(w, n); }},
      {"DeActivateObj", [](World& w, uint32_t n) { DeActivateObj(w, n); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (uint32_t n : {0u, 5001u, 2u}) {
      reports.clear();
      Arm();
      c.call(world, n);
      EXPECT_EQ(reports.size(), 1u);
    }
    EXPECT_EQ(world.objectList.head, world.objectList.tail);
    EXPECT_EQ(world.activeList.head, nullptr);
    EXPECT_EQ(Body(1).shapes.head, nullptr);
  }
}

}  // namespace
}  // namespace ovoid
