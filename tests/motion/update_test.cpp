#include "motion/update.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "core/contacts.h"
#include "core/registry.h"
#include "core/run.h"
#include "expect_vec.h"
#include "scene_builders.h"
#include "test_world.h"

namespace ovoid {
namespace {

class UpdateTest : public WorldTest {
 protected:
  UpdateTest() {
    NewCollObj(world, 1, 0);
    body = world.objectTable[1]->body;
  }

  Vec3 Peek(uint32_t number = 1) {
    return Vec3{PeekObj(world, number, 0), PeekObj(world, number, 1), PeekObj(world, number, 2)};
  }

  static void ExpectMatrix(const Matrix4& got, const Matrix4& want) {
    for (int i = 0; i < 16; ++i) EXPECT_EQ(got.m[i], want.m[i]) << "element " << i;
  }

  // A record of the current run holding a contact the response sent to nextTarget.
  void RecordWithContact(Vec3 nextTarget) {
    NearestContact(*NewPass(world, *body), 1).nextTarget = nextTarget;
  }

  CollBody* body = nullptr;
};

TEST_F(UpdateTest, NewObjectStandsAtTheOrigin) {
  ExpectVecEq(Peek(), Vec3{0, 0, 0});
}

TEST_F(UpdateTest, ModesByTheirLowEightBits) {
  struct Case {
    const char* name;
    uint32_t mode;
    float gravity;
    Vec3 wantTarget;
    uint8_t wantFlag;
  };
  const Case cases[] = {
      {"mode 0 applies gravity and asks for a run", 0, 0.5f, {0, 9.5f, 0}, 1},
      {"mode 256 is mode 0", 256, 0.5f, {0, 9.5f, 0}, 1},
      {"mode 1 places without gravity", 1, 0.5f, {0, 10, 0}, 0},
      {"mode 257 is mode 1", 257, 0.5f, {0, 10, 0}, 0},
      {"mode 2 moves without gravity or run", 2, 0.5f, {0, 10, 0}, 0},
      {"mode 255 likewise", 255, 0.5f, {0, 10, 0}, 0},
      {"negative gravity lifts", 0, -2.0f, {0, 12, 0}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NewCollObj(world, 1, 0);
    body = world.objectTable[1]->body;
    world.rerunFlag = 0;
    SetObjGravity(world, 1, c.gravity);
    UpdateObj(world, 1, 0, 10, 0, c.mode);
    ExpectVecEq(body->target, c.wantTarget);
    EXPECT_EQ(world.rerunFlag, c.wantFlag);
    // Every mode here moved the body: both placement matrices go to the target.
    const Matrix4 placed = Matrix4Translation(c.wantTarget.x, c.wantTarget.y, c.wantTarget.z);
    ExpectMatrix(body->translationMatrix, placed);
    ExpectMatrix(body->worldMatrix, placed);
    const bool placing = (c.mode & 0xFF) == 1;
    ExpectMatrix(body->motionMatrix, placing ? Matrix4Identity() : placed);
    ExpectVecEq(body->position, placing ? c.wantTarget : Vec3{0, 0, 0});
  }
}

TEST_F(UpdateTest, ModeZeroToTheCurrentPositionChangesNothing) {
  UpdateObj(world, 1, 1, 2, 3, 1);
  const Matrix4 placed = body->translationMatrix;
  UpdateObj(world, 1, 4, 5, 6, 2);  // moves the matrices away from (1, 2, 3)...
  UpdateObj(world, 1, 1, 2, 3, 1);  // ...and back
  world.rerunFlag = 0;
  body->motionMatrix = Matrix4Translation(9, 9, 9);
  UpdateObj(world, 1, 1, 2, 3, 0);
  EXPECT_EQ(world.rerunFlag, 0);
  ExpectMatrix(body->translationMatrix, placed);
  ExpectMatrix(body->worldMatrix, placed);
  ExpectMatrix(body->motionMatrix, Matrix4Identity());
}

TEST_F(UpdateTest, OnlyExactEqualityIsNoMove) {
  struct Case {
    const char* name;
    Vec3 from;
    Vec3 to;
    uint8_t wantFlag;
  };
  const float nan = std::nanf("");
  const Case cases[] = {
      {"last bit of z", {1, 2, 3}, {1, 2, std::nextafter(3.0f, 4.0f)}, 1},
      {"minus zero equals zero", {0, 0, 0}, {-0.0f, 0, 0}, 0},
      {"NaN counts as equal", {0, 0, 0}, {nan, 0, 0}, 0},
      {"NaN does not hide another axis", {0, 0, 0}, {nan, 1, 0}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UpdateObj(world, 1, c.from.x, c.from.y, c.from.z, 1);
    world.rerunFlag = 0;
    UpdateObj(world, 1, c.to.x, c.to.y, c.to.z, 0);
    EXPECT_EQ(world.rerunFlag, c.wantFlag);
  }
}

TEST_F(UpdateTest, MotionMatrixIsTheStepFromTheCurrentPosition) {
  UpdateObj(world, 1, 1, 2, 3, 1);
  UpdateObj(world, 1, 4, 4, 4, 0);
  ExpectMatrix(body->motionMatrix, Matrix4Translation(3, 2, 1));
  ExpectVecEq(body->position, Vec3{1, 2, 3});
  // With no pass record at all, the current position is the last target.
  UpdateObj(world, 1, 5, 4, 4, 2);
  ExpectVecEq(body->position, Vec3{4, 4, 4});
  ExpectMatrix(body->motionMatrix, Matrix4Translation(1, 0, 0));
}

TEST_F(UpdateTest, FlagIsNeverClearedByAnUpdate) {
  world.rerunFlag = 1;
  UpdateObj(world, 1, 7, 7, 7, 1);
  EXPECT_EQ(world.rerunFlag, 1);
  UpdateObj(world, 1, 8, 7, 7, 2);
  EXPECT_EQ(world.rerunFlag, 1);
  UpdateObj(world, 1, 8, 7, 7, 0);
  EXPECT_EQ(world.rerunFlag, 1);
}

TEST_F(UpdateTest, WorldMatrixFollowsTranslationMatrixInEveryMode) {
  const struct {
    Vec3 at;
    uint32_t mode;
  } steps[] = {{{1, 1, 1}, 0}, {{1, 1, 1}, 0}, {{2, 1, 1}, 2}, {{2, 1, 1}, 2},
               {{3, 0, 1}, 1}, {{3, 0, 1}, 1}, {{0, 0, 0}, 7}, {{5, 5, 5}, 256}};
  for (const auto& s : steps) {
    UpdateObj(world, 1, s.at.x, s.at.y, s.at.z, s.mode);
    ExpectMatrix(body->worldMatrix, body->translationMatrix);
  }
}

TEST_F(UpdateTest, ModeOneFreesThisRunsRecordsOnly) {
  CollPass* old = NewPass(world, *body);
  body->prevPasses = body->passes;
  body->passes = {};
  RecordWithContact(Vec3{7, 7, 7});
  NewPass(world, *body);
  UpdateObj(world, 1, 1, 2, 3, 1);
  EXPECT_EQ(body->passes.head, nullptr);
  EXPECT_EQ(body->prevPasses.head, old);
  ExpectVecEq(Peek(), Vec3{1, 2, 3});
  ExpectVecEq(body->position, Vec3{1, 2, 3});
}

TEST_F(UpdateTest, CurrentPositionReadsTheNewestRecord) {
  body->target = Vec3{1, 1, 1};
  {
    SCOPED_TRACE("no record: the target");
    ExpectVecEq(CurrentPosition(*body), Vec3{1, 1, 1});
  }
  CollPass* pass = NewPass(world, *body);
  pass->end = Vec3{2, 2, 2};
  {
    SCOPED_TRACE("no contact: the record's end");
    ExpectVecEq(CurrentPosition(*body), Vec3{2, 2, 2});
  }
  RecordWithContact(Vec3{3, 3, 3});
  {
    SCOPED_TRACE("the response's choice");
    ExpectVecEq(CurrentPosition(*body), Vec3{3, 3, 3});
  }
  NewPass(world, *body)->end = Vec3{4, 4, 4};
  {
    SCOPED_TRACE("only the newest counts");
    ExpectVecEq(CurrentPosition(*body), Vec3{4, 4, 4});
  }
}

TEST_F(UpdateTest, UpdateStartsFromWhereTheLastRunLeftTheBody) {
  RecordWithContact(Vec3{3, 0, 0});
  UpdateObj(world, 1, 5, 0, 0, 0);
  ExpectVecEq(body->position, Vec3{3, 0, 0});
  ExpectMatrix(body->motionMatrix, Matrix4Translation(2, 0, 0));
  {
    SCOPED_TRACE("until the next run, the last run's result");
    ExpectVecEq(Peek(), Vec3{3, 0, 0});
  }
  RunCollision(world);
  ExpectVecEq(Peek(), Vec3{5, 0, 0});
}

TEST_F(UpdateTest, BadNumbersChangeNothingAndPeekZero) {
  const std::string kRange = "Object number out of range for collision system: ";
  for (uint32_t n : {0u, 5001u, 2u}) {
    SCOPED_TRACE(n);
    reports.clear();
    Arm();
    UpdateObj(world, n, 1, 1, 1, 0);
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(world.rerunFlag, 0);
    Arm();
    EXPECT_EQ(std::bit_cast<uint32_t>(PeekObj(world, n, 0)), 0u);
  }
  EXPECT_EQ(reports.back(), "Object not defined in collision system: 2");
  ExpectVecEq(Peek(), Vec3{0, 0, 0});
}

}  // namespace
}  // namespace ovoid
