#include "ellipsoid/ellip_sweep.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/contacts.h"
#include "core/registry.h"
#include "ellipsoid/ellip_shape.h"
#include "expect_vec.h"
#include "test_world.h"

namespace ovoid {
namespace {

class EllipSweepTest : public WorldTest {
 protected:
  EllipSweepTest() {
    world.passNumber = 1;
    world.phase = 2;
    rule.dstKind = kEllipsoid;
    rule.response = 2;
    rule.dynResponse = 1;
  }

  /// A body with one ellipsoid moving from start to end in the current pass.
  CollBody& Body(uint32_t number, Vec3 start, Vec3 end, Vec3 radius = {1, 1, 1}, Vec3 offset = {}) {
    NewCollObj(world, number, 1);
    AddObjShape(world, number, kEllipsoid);
    CollBody& body = *world.objectTable[number]->body;
    EllipShape& ellip = AsEllip(*body.shapes.head);
    ellip.radius = radius;
    ellip.offset = offset;
    CollPass* pass = NewPass(world, body);
    pass->start = start;
    pass->end = end;
    return body;
  }

  /// Gives body a nearest contact in its current pass: it stops at toi with its centre there.
  CollHit* StopAt(CollBody& body, float toi, Vec3 centre, Vec3 hitPos) {
    CollHit* hit = NewHit(kEllipsoid);
    InitHit(world, *hit, &rule, nullptr, centre, centre, hitPos, Vec3{0, 1, 0}, Vec3{}, toi);
    InsertHit(world, *body.passes.tail, hit);
    return body.passes.tail->nearest;
  }

  void Sweep(CollBody& source, CollBody& destination) {
    SweepEllipEllip(world, rule, *source.shapes.head, *destination.shapes.head);
  }

  CollRule rule;
};

TEST_F(EllipSweepTest, RecordsTheEarliestTouch) {
  struct Case {
    const char* name;
    Vec3 srcStart, srcEnd, srcRadius, srcOffset;
    Vec3 dstStart, dstEnd, dstRadius, dstOffset;
    int sizeMode;
    bool dstStopped;  // the destination already stopped at dstToi with centre dstCentre
    float dstToi;
    Vec3 dstCentre;
    double toi;
    Vec3 centre, stopPos, hitPos, normal, slidePoint;
  };
  const Vec3 one{1, 1, 1};
  // clang-format off
  const Case cases[] = {
      // name
      //   source start, end, radius, offset; destination start, end, radius, offset
      //   size mode; destination stopped, at toi, with centre
      //   toi; centre, stopPos, hitPos, normal, slidePoint
      {"static destination",
       {0, 0, 0}, {10, 0, 0}, one, {}, {5, 0, 0}, {5, 0, 0}, one, {},
       0, false, 0, {},
       0.3, {3, 0, 0}, {3, 0, 0}, {4, 0, 0}, {-1, 0, 0}, {11, 0, 0}},
      {"head-on",
       {0, 0, 0}, {10, 0, 0}, one, {}, {10, 0, 0}, {0, 0, 0}, one, {},
       0, false, 0, {},
       0.4, {4, 0, 0}, {4, 0, 0}, {5, 0, 0}, {-1, 0, 0}, {11, 0, 0}},
      {"destination stopped first",
       {0, 0, 0}, {10, 0, 0}, one, {}, {10, 0, 0}, {0, 0, 0}, one, {},
       0, true, 0.2f, {8, 0, 0},
       0.6, {6, 0, 0}, {6, 0, 0}, {7, 0, 0}, {-1, 0, 0}, {11, 0, 0}},
      {"size mode min",
       {0, 0, 0}, {10, 0, 0}, one, {}, {5, 0, 0}, {5, 0, 0}, {3, 3, 3}, {},
       0, false, 0, {},
       0.3, {3, 0, 0}, {3, 0, 0}, {4, 0, 0}, {-1, 0, 0}, {11, 0, 0}},
      {"size mode max starts overlapping",
       {0, 0, 0}, {10, 0, 0}, one, {}, {5, 0, 0}, {5, 0, 0}, {3, 3, 3}, {},
       1, false, 0, {},
       -0.1, {-1, 0, 0}, {-1, 0, 0}, {2, 0, 0}, {-1, 0, 0}, {13, 0, 0}},
      {"overlap crossed by the motion",
       {0, 0, 0}, {0.6f, 0, 0}, one, {}, {1.5f, 0, 0}, {1.5f, 0, 0}, one, {},
       0, false, 0, {},
       -5.0 / 6.0, {-0.5f, 0, 0}, {-0.5f, 0, 0}, {0.5f, 0, 0}, {-1, 0, 0}, {1.6f, 0, 0}},
      {"offsets move the centres, not the stop position",
       {0, -1, 0}, {10, -1, 0}, one, {0, 1, 0}, {5, 2, 0}, {5, 2, 0}, one, {0, -2, 0},
       0, false, 0, {},
       0.3, {3, 0, 0}, {3, -1, 0}, {4, 0, 0}, {-1, 0, 0}, {11, 0, 0}},
      {"touch exactly at the end of the motion",
       {0, 0, 0}, {3, 0, 0}, one, {}, {5, 0, 0}, {5, 0, 0}, one, {},
       0, false, 0, {},
       1.0, {3, 0, 0}, {3, 0, 0}, {4, 0, 0}, {-1, 0, 0}, {4, 0, 0}},
      {"radii scale each axis",
       {0, 0, 0}, {0, 20, 0}, {1, 2, 1}, {}, {0, 10, 0}, {0, 10, 0}, {1, 2, 1}, {},
       0, false, 0, {},
       0.3, {0, 6, 0}, {0, 6, 0}, {0, 8, 0}, {0, -1, 0}, {0, 22, 0}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    world.ellipSizeMode = c.sizeMode;
    CollBody& src = Body(1, c.srcStart, c.srcEnd, c.srcRadius, c.srcOffset);
    CollBody& dst = Body(2, c.dstStart, c.dstEnd, c.dstRadius, c.dstOffset);
    if (c.dstStopped) StopAt(dst, c.dstToi, c.dstCentre, c.dstCentre);
    Sweep(src, dst);
    const CollHit* hit = src.passes.tail->nearest;
    ASSERT_NE(hit, nullptr);
    EXPECT_NEAR(hit->toi, c.toi, 1e-6);
    ExpectVecNear(hit->centre, c.centre);
    ExpectVecNear(hit->stopPos, c.stopPos);
    ExpectVecNear(hit->hitPos, c.hitPos);
    ExpectVecNear(hit->hitNormal, c.normal);
    ExpectVecNear(hit->slidePoint, c.slidePoint);
    ExpectVecNear(hit->shapeOffset, c.srcOffset);
    EXPECT_EQ(hit->kind, kEllipsoid);
    EXPECT_EQ(hit->phase, 2);
    EXPECT_EQ(hit->rule, &rule);
    EXPECT_EQ(hit->other, &dst);
    EXPECT_EQ(hit->edgeContact, 0);
    EXPECT_EQ(hit->owner, src.passes.tail);
    // Only the source records: the destination's record is as it was.
    EXPECT_EQ(dst.passes.tail->hits.head == nullptr, !c.dstStopped);
    StopCollision(world);
  }
}

TEST_F(EllipSweepTest, RecordsNothingWithoutAnApproachingTouch) {
  struct Case {
    const char* name;
    Vec3 srcStart, srcEnd, dstStart, dstEnd;
  };
  const Case cases[] = {
      {"both move by the same vector", {0, 0, 0}, {10, 0, 0}, {3, 0, 0}, {13, 0, 0}},
      {"source stands still, destination runs into it", {0, 0, 0}, {0, 0, 0}, {5, 0, 0}, {0, 0, 0}},
      {"source moves away, destination follows faster",
       {0, 0, 0},
       {2, 0, 0},
       {-5, 0, 0},
       {1, 0, 0}},
      {"source moves away from a static destination", {0, 0, 0}, {-10, 0, 0}, {3, 0, 0}, {3, 0, 0}},
      {"overlap deeper than the motion", {0, 0, 0}, {0.4f, 0, 0}, {1.5f, 0, 0}, {1.5f, 0, 0}},
      {"too short to reach", {0, 0, 0}, {2.9f, 0, 0}, {5, 0, 0}, {5, 0, 0}},
      {"line of motion passes wide", {0, 1.5f, 1.5f}, {10, 1.5f, 1.5f}, {5, 0, 0}, {5, 0, 0}},
      {"grazing along the surface", {0, 2, 0}, {10, 2, 0}, {5, 0, 0}, {5, 0, 0}},
      {"touch beyond the end of an oblique motion",
       {0, 1.9f, 0},
       {4.3f, 1.9f, 0},
       {5, 0, 0},
       {5, 0, 0}},
      {"boxes apart on z", {0, 0, 0}, {10, 0, 0}, {5, 0, 4.5f}, {5, 0, 4.5f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CollBody& src = Body(1, c.srcStart, c.srcEnd);
    CollBody& dst = Body(2, c.dstStart, c.dstEnd);
    Sweep(src, dst);
    EXPECT_EQ(src.passes.tail->hits.head, nullptr);
    EXPECT_EQ(dst.passes.tail->hits.head, nullptr);
    StopCollision(world);
  }
}

TEST_F(EllipSweepTest, DestinationStoppedFirstIsFoundOnlyAfterItsStop) {
  // Stage 1 alone, over [0, 0.2], sees the two still 6 apart: the contact at 0.6 comes from
  // the rest of the motion against the destination standing at its stop.
  CollBody& src = Body(1, {0, 0, 0}, {10, 0, 0});
  CollBody& dst = Body(2, {10, 0, 0}, {0, 0, 0});
  StopAt(dst, 0.2f, {8, 0, 0}, {8, 0, 0});
  const Vec3 radii{1, 1, 1};
  CollShape& s = *src.shapes.head;
  CollShape& d = *dst.shapes.head;
  SweepEllipInterval(world, rule, src, s, dst, d, radii, false);
  EXPECT_EQ(src.passes.tail->nearest, nullptr);
  SweepEllipInterval(world, rule, src, s, dst, d, radii, true);
  ASSERT_NE(src.passes.tail->nearest, nullptr);
  EXPECT_NEAR(src.passes.tail->nearest->toi, 0.6, 1e-6);
}

TEST_F(EllipSweepTest, StageTwoWaitsForAStoppedDestinationNotLaterThanTheSource) {
  struct Case {
    const char* name;
    bool dstStopped;
    float dstToi;
    bool srcStopped;
    float srcToi;
    bool found;
  };
  const Case cases[] = {
      {"destination still moving", false, 0, false, 0, false},
      {"destination stopped", true, 0.2f, false, 0, true},
      {"destination stopped after the source", true, 0.2f, true, 0.1f, false},
      {"both stopped at the same time", true, 0.2f, true, 0.2f, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CollBody& src = Body(1, {0, 0, 0}, {10, 0, 0});
    CollBody& dst = Body(2, {10, 0, 0}, {0, 0, 0});
    if (c.dstStopped) StopAt(dst, c.dstToi, {8, 0, 0}, {8, 0, 0});
    // A source stop somewhere far away, so that only the times compete.
    const CollHit* before = c.srcStopped ? StopAt(src, c.srcToi, {1, 50, 0}, {1, 50, 0}) : nullptr;
    SweepEllipInterval(world, rule, src, *src.shapes.head, dst, *dst.shapes.head, {1, 1, 1}, true);
    const CollHit* after = src.passes.tail->nearest;
    EXPECT_EQ(after != before, c.found);
    StopCollision(world);
  }
}

TEST_F(EllipSweepTest, OnlyAStrictlyEarlierTouchReplacesTheNearestContact) {
  struct Case {
    const char* name;
    float nearestToi;
    bool replaced;
  };
  const Case cases[] = {
      {"equal time keeps the earlier contact", 0.3f, false},
      {"one step later is replaced", std::nextafter(0.3f, 1.0f), true},
      {"earlier is kept", 0.29f, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CollBody& src = Body(1, {0, 0, 0}, {10, 0, 0});
    CollBody& dst = Body(2, {5, 0, 0}, {5, 0, 0});
    const CollHit* before = StopAt(src, c.nearestToi, {3, 20, 0}, {3, 20, 0});
    Sweep(src, dst);
    const CollHit* after = src.passes.tail->nearest;
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after != before, c.replaced);
    if (c.replaced) {
      EXPECT_EQ(after->other, &dst);
      EXPECT_LT(after->toi, static_cast<double>(c.nearestToi));
    }
    StopCollision(world);
  }
}

TEST_F(EllipSweepTest, LaterPairsSeeTheNearestContactSoFar) {
  // Two destinations on the path, swept in either order: the nearer one wins.
  for (bool nearFirst : {true, false}) {
    SCOPED_TRACE(nearFirst ? "near one first" : "far one first");
    CollBody& src = Body(1, {0, 0, 0}, {10, 0, 0});
    CollBody& nearDst = Body(2, {5, 0, 0}, {5, 0, 0});
    CollBody& farDst = Body(3, {8, 0, 0}, {8, 0, 0});
    Sweep(src, nearFirst ? nearDst : farDst);
    Sweep(src, nearFirst ? farDst : nearDst);
    const CollHit* hit = src.passes.tail->nearest;
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->other, &nearDst);
    EXPECT_NEAR(hit->toi, 0.3, 1e-6);
    // A farther touch is not even created after the nearer one is known.
    int count = 0;
    for (const CollHit* h = src.passes.tail->hits.head; h != nullptr; h = h->link.next) ++count;
    EXPECT_EQ(count, 1);
    StopCollision(world);
  }
}

TEST_F(EllipSweepTest, ActsOnlyForAnEllipsoidRule) {
  CollBody& src = Body(1, {0, 0, 0}, {10, 0, 0});
  CollBody& dst = Body(2, {5, 0, 0}, {5, 0, 0});
  rule.dstKind = kMesh;
  Sweep(src, dst);
  EXPECT_EQ(src.passes.tail->nearest, nullptr);
}

TEST(SweptBoxesOverlap, FacesThatTouchOverlap) {
  struct Case {
    const char* name;
    Vec3 a0, a1, b;
    float margin;
    bool overlap;
  };
  const Case cases[] = {
      {"below by exactly the margin", {0, 0, 0}, {1, 0, 0}, {3, 0, 0}, 2.0f, true},
      {"below by more than the margin", {0, 0, 0}, {1, 0, 0}, {3, 0, 0}, 1.9f, false},
      {"above by exactly the margin", {5, 0, 0}, {6, 0, 0}, {3, 0, 0}, 2.0f, true},
      {"above by more than the margin", {5, 0, 0}, {6, 0, 0}, {3, 0, 0}, 1.9f, false},
      {"apart on y only", {0, 0, 0}, {0, 1, 0}, {0, 3, 0}, 1.9f, false},
      {"apart on z only", {0, 0, 0}, {0, 0, 1}, {0, 0, 3}, 1.9f, false},
      {"spans on x, apart on y", {0, 0, 0}, {10, 0, 0}, {5, 9, 0}, 2.0f, false},
      {"segment runs backwards", {1, 0, 0}, {0, 0, 0}, {3, 0, 0}, 2.0f, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SweptBoxesOverlap(c.a0, c.a1, c.b, c.b, c.margin), c.overlap);
  }
}

TEST(SweptBoxesOverlap, UsesTheBoxOfTheWholeDestinationSegment) {
  // The destination's box spans 0..10 on x: a segment at x 11 is within a margin of 2 of it.
  EXPECT_TRUE(SweptBoxesOverlap({11, 0, 0}, {12, 0, 0}, {0, 0, 0}, {10, 0, 0}, 2.0f));
  EXPECT_TRUE(SweptBoxesOverlap({11, 0, 0}, {12, 0, 0}, {10, 0, 0}, {0, 0, 0}, 2.0f));
  EXPECT_FALSE(SweptBoxesOverlap({12.5f, 0, 0}, {13, 0, 0}, {10, 0, 0}, {0, 0, 0}, 2.0f));
}

}  // namespace
}  // namespace ovoid
