#include "core/rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/registry.h"
#include "test_world.h"

namespace ovoid {
namespace {

class RulesTest : public WorldTest {
 protected:
  std::vector<CollRule*> Rules() {
    std::vector<CollRule*> rules;
    for (CollRule* r = world.ruleList.head; r != nullptr; r = r->link.next) rules.push_back(r);
    return rules;
  }
};

TEST_F(RulesTest, FiveChecksInOrderFirstFailureOnly) {
  constexpr uint32_t kMinus1 = static_cast<uint32_t>(-1);
  struct Case {
    const char* name;
    uint32_t src, dst, method, response, dyn;
    std::string text;  // empty when the rule is created
  };
  const Case cases[] = {
      {"valid ellipsoid rule", 3, 3, 1, 2, 1, ""},
      {"valid mesh rule, highest values", 100, 0, 2, 5, 3, ""},
      {"every field bad: source only", 101, 200, 9, 0, 0,
       "Invalid Collision Definition SOURCE TYPE: 101"},
      {"negative source", kMinus1, 1, 1, 1, 1, "Invalid Collision Definition SOURCE TYPE: 0"},
      {"destination", 1, 101, 0, 0, 0, "Invalid Collision Definition DEST. TYPE: 101"},
      {"method 0", 1, 2, 0, 1, 1, "Invalid Collision Definition METHOD: 0"},
      {"method 3", 1, 2, 3, 1, 1, "Invalid Collision Definition METHOD: 3"},
      {"method before response", 1, 2, 3, 9, 9, "Invalid Collision Definition METHOD: 3"},
      {"response 0", 1, 2, 1, 0, 1, "Invalid Collision Definition Response Method: 0"},
      {"response 6", 1, 2, 1, 6, 9, "Invalid Collision Definition Response Method: 6"},
      {"dynamic response 4", 1, 2, 1, 5, 4,
       "Invalid Collision Definition Dynamic Response Method: 4"},
      {"dynamic response 0", 1, 2, 2, 1, 0,
       "Invalid Collision Definition Dynamic Response Method: 0"},
      {"negative dynamic response", 1, 2, 2, 1, kMinus1,
       "Invalid Collision Definition Dynamic Response Method: 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StopCollision(world);
    reports.clear();
    Arm();
    SetCollisions(world, c.src, c.dst, c.method, c.response, c.dyn);
    if (c.text.empty()) {
      EXPECT_TRUE(reports.empty());
      ASSERT_EQ(Rules().size(), 1u);
      const CollRule& r = *Rules()[0];
      EXPECT_EQ(r.srcKind, 1);
      EXPECT_EQ(r.dstKind, static_cast<int16_t>(c.method));
      EXPECT_EQ(r.srcType, static_cast<int32_t>(c.src));
      EXPECT_EQ(r.dstType, static_cast<int32_t>(c.dst));
      EXPECT_EQ(r.response, static_cast<int16_t>(c.response));
      EXPECT_EQ(r.dynResponse, static_cast<int16_t>(c.dyn));
    } else {
      EXPECT_EQ(reports, std::vector<std::string>{c.text});
      EXPECT_TRUE(Rules().empty());
    }
  }
}

TEST_F(RulesTest, RulesKeepCreationOrderAndAreNeverMerged) {
  SetCollisions(world, 1, 2, 2, 1, 1);
  SetCollisions(world, 1, 2, 2, 1, 1);
  SetCollisions(world, 4, 4, 1, 2, 3);
  const std::vector<CollRule*> rules = Rules();
  ASSERT_EQ(rules.size(), 3u);
  EXPECT_EQ(rules[0]->dstType, 2);
  EXPECT_EQ(rules[1]->dstType, 2);
  EXPECT_NE(rules[0], rules[1]);
  EXPECT_EQ(rules[2]->srcType, 4);
  // Registering and freeing objects leaves them alone; only the stop frees them.
  NewCollObj(world, 1, 4);
  FreeObj(world, 1);
  EXPECT_EQ(Rules().size(), 3u);
  StopCollision(world);
  EXPECT_TRUE(Rules().empty());
}

TEST_F(RulesTest, CheckShapeAnswersByTypeAndRulesOnly) {
  NewCollObj(world, 1, 1);  // no shapes at all
  NewCollObj(world, 4, 4);
  NewCollObj(world, 9, 9);
  EXPECT_EQ(CheckShape(world, 1, 1), 0) << "no rules";
  SetCollisions(world, 1, 4, 2, 1, 1);
  struct Case {
    const char* name;
    uint32_t number;
    uint32_t kind;
    int32_t want;
  };
  const Case cases[] = {
      {"source type, ellipsoid", 1, 1, 1},
      {"mesh destination type, mesh", 4, 2, 1},
      {"mesh destination type, ellipsoid", 4, 1, 0},
      {"source type, mesh", 1, 2, 0},
      {"unrelated type", 9, 1, 0},
      {"kind with high bits set", 1, 0x10001, 0},
      {"kind 0", 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CheckShape(world, c.number, c.kind), c.want);
  }
  SetCollisions(world, 9, 4, 1, 1, 1);  // now type 4 is an ellipsoid destination too
  EXPECT_EQ(CheckShape(world, 4, 1), 1);
  EXPECT_EQ(CheckShape(world, 9, 1), 1);
}

TEST_F(RulesTest, CheckShapeRejectsBadNumbers) {
  SetCollisions(world, 0, 0, 1, 1, 1);
  Arm();
  EXPECT_EQ(CheckShape(world, 0, 1), 0);
  EXPECT_EQ(reports,
            std::vector<std::string>{"Object number out of range for collision system: 0"});
  reports.clear();
  Arm();
  EXPECT_EQ(CheckShape(world, 12, 1), 0);
  EXPECT_EQ(reports, std::vector<std::string>{"Object not defined in collision system: 12"});
}

TEST_F(RulesTest, MemberListsAreSeparatePerKindAndType) {
  NewCollObj(world, 1, 100);
  AddObjShape(world, 1, 1);
  NewCollObj(world, 2, 0);
  AddObjShape(world, 2, 2);
  ActivateObj(world, 1);
  ActivateObj(world, 2);
  ASSERT_NE(MemberListHead(world, 1, 100), nullptr);
  EXPECT_EQ(MemberListHead(world, 1, 100)->body->number, 1);
  ASSERT_NE(MemberListHead(world, 2, 0), nullptr);
  EXPECT_EQ(MemberListHead(world, 2, 0)->body->number, 2);
  EXPECT_EQ(MemberListHead(world, 2, 100), nullptr);
  EXPECT_EQ(MemberListHead(world, 1, 0), nullptr);
}

}  // namespace
}  // namespace ovoid
