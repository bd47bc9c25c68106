#include "motion/ray.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/contacts.h"
#include "core/registry.h"
#include "ellipsoid/ellip_shape.h"
#include "expect_vec.h"
#include "mesh/mesh_shape.h"
#include "motion/update.h"
#include "test_world.h"

namespace ovoid {
namespace {

constexpr float kTol = 1e-5f;

/// An object of typeId with one ellipsoid, standing at `at`.
void Ellipsoid(World& world, uint32_t number, uint32_t typeId, Vec3 at, Vec3 radius = {1, 1, 1}) {
  NewCollObj(world, number, typeId);
  AddObjShape(world, number, kEllipsoid);
  SetObjRadius(world, number, radius.x, radius.y, radius.z);
  UpdateObj(world, number, at.x, at.y, at.z, 1);
}

/// An object of typeId with one mesh holding triangle abc, placed at `at`.
void Triangle(World& world, uint32_t number, uint32_t typeId, Vec3 at, Vec3 a, Vec3 b, Vec3 c) {
  NewCollObj(world, number, typeId);
  AddObjShape(world, number, kMesh);
  AddMeshTri(world, number, a, b, c);
  UpdateObj(world, number, at.x, at.y, at.z, 1);
}

CollBody& Body(World& world, uint32_t number) {
  return *world.objectTable[number]->body;
}

class RayTest : public WorldTest {
 protected:
  /// The hit, as the RayHit exports would read it.
  void ExpectHit(int32_t object, float dist, Vec3 pos, Vec3 normal) {
    const RayCast* ray = RayResult(world);
    ASSERT_NE(ray, nullptr);
    EXPECT_EQ(ray->hitObject, object);
    EXPECT_NEAR(ray->hitDist, dist, kTol);
    ExpectVecNear(ray->hitPos, pos, kTol);
    ExpectVecNear(ray->hitNormal, normal, kTol);
  }
};

// Level triangle, front (b − a) × (c − a) pointing up (+z), and the same corners reversed.
constexpr Vec3 kUpA{-1, -1, 0}, kUpB{1, -1, 0}, kUpC{-1, 1, 0};

// What the RayHit exports should read after the cast; object 0 means no hit.
struct Want {
  int32_t object;
  float dist;
  Vec3 pos, normal;
};

// Each scene is built fresh; the ray is cast at one object (byType false) or at a type.
struct Case {
  const char* name;
  void (*build)(World&);
  bool byType;
  uint32_t target;  // object number or type id
  uint32_t kind;
  Vec3 from, to;
  Want want;
};

void SphereAt5(World& w) {
  Ellipsoid(w, 1, 3, {0, 0, 5});
}
void StretchedAtOrigin(World& w) {
  Ellipsoid(w, 1, 3, {0, 0, 0}, {2, 1, 1});
}
void TwoSpheresNearFirst(World& w) {
  Ellipsoid(w, 1, 3, {0, 0, 5});
  Ellipsoid(w, 2, 3, {0, 0, 8});
  ActivateObj(w, 1);
  ActivateObj(w, 2);
}
void TwoSpheresFarFirst(World& w) {
  Ellipsoid(w, 1, 3, {0, 0, 5});
  Ellipsoid(w, 2, 3, {0, 0, 8});
  ActivateObj(w, 2);
  ActivateObj(w, 1);
}
void LevelTriangle(World& w) {
  Triangle(w, 4, 3, {10, 0, 2}, kUpA, kUpB, kUpC);
}
void LevelTriangleReversed(World& w) {
  Triangle(w, 4, 3, {10, 0, 2}, kUpA, kUpC, kUpB);
}
void OffsetSphere(World& w) {
  Ellipsoid(w, 1, 3, {0, 0, 5});
  SetEllipOffset(w, 1, 0, 0, 3);
}
// The newest pass record ends at (0, 0, 7) while the target stays at (0, 0, 5).
void SphereMovedByRun(World& w) {
  Ellipsoid(w, 1, 3, {0, 0, 5});
  CollPass* pass = NewPass(w, Body(w, 1));
  pass->start = Vec3{0, 0, 5};
  pass->end = Vec3{0, 0, 7};
}
// Meshes stay where worldMatrix put them, whatever their pass records say.
void TriangleWithPassElsewhere(World& w) {
  LevelTriangle(w);
  NewPass(w, Body(w, 4))->end = Vec3{-10, 0, 0};
}
// The first ellipsoid has radius 0.5, a second one radius 2.
void TwoEllipsoidsOneBody(World& w) {
  Ellipsoid(w, 1, 3, {0, 0, 5}, {0.5f, 0.5f, 0.5f});
  AddObjShape(w, 1, kEllipsoid);
  AsEllip(*Body(w, 1).shapes.tail).radius = Vec3{2, 2, 2};
}
// The first mesh is empty; only the second one holds the triangle.
void TwoMeshesOneBody(World& w) {
  NewCollObj(w, 4, 3);
  AddObjShape(w, 4, kMesh);
  AddObjShape(w, 4, kMesh);
  MeshAddTriangle(AsMesh(*Body(w, 4).shapes.tail), kUpA, kUpB, kUpC);
}
// A mesh attached before the ellipsoid: kind 1 still finds the ellipsoid.
void MeshThenEllipsoid(World& w) {
  NewCollObj(w, 1, 3);
  AddObjShape(w, 1, kMesh);
  AddObjShape(w, 1, kEllipsoid);
  UpdateObj(w, 1, 0, 0, 5, 1);
}
void InactiveSphere(World& w) {
  Ellipsoid(w, 1, 3, {0, 0, 5});
}
void SphereOfOtherType(World& w) {
  Ellipsoid(w, 1, 4, {0, 0, 5});
  ActivateObj(w, 1);
}

TEST_F(RayTest, CastsAtObjectsAndTypes) {
  const Vec3 o{0, 0, 0}, z10{0, 0, 10}, down0{9.5f, -0.5f, 7}, down1{9.5f, -0.5f, -3};
  const Want miss{0, 0, {}, {}};
  const Want sphere{1, 4, {0, 0, 4}, {0, 0, -1}};
  const Want tri{4, 5, {9.5f, -0.5f, 2}, {0, 0, 1}};
  // clang-format off
  const Case cases[] = {
      {"unit sphere ahead", SphereAt5, false, 1, 1, o, z10, sphere},
      {"ray ending exactly at the entry", SphereAt5, false, 1, 1, o, {0, 0, 4}, miss},
      {"ellipsoid (2, 1, 1)", StretchedAtOrigin, false, 1, 1, {-10, 0, 0}, {10, 0, 0},
       {1, 8, {-2, 0, 0}, {-1, 0, 0}}},
      {"nearer sphere, activated first", TwoSpheresNearFirst, true, 3, 1, o, z10, sphere},
      {"nearer sphere, activated second", TwoSpheresFarFirst, true, 3, 1, o, z10, sphere},
      {"level triangle from above", LevelTriangle, false, 4, 2, down0, down1, tri},
      {"level triangle from below", LevelTriangle, false, 4, 2, down1, down0, miss},
      {"level triangle, corners reversed", LevelTriangleReversed, false, 4, 2, down0, down1,
       miss},
      {"level triangle, above it heading away", LevelTriangle, false, 4, 2, {9.5f, -0.5f, 3},
       {9.5f, -0.5f, 13}, miss},
      {"level triangle, beside it", LevelTriangle, false, 4, 2, {10.5f, 0.5f, 7},
       {10.5f, 0.5f, -3}, miss},
      {"mesh kind on an ellipsoid", SphereAt5, false, 1, 2, o, z10, miss},
      {"kind 3", SphereAt5, false, 1, 3, o, z10, miss},
      {"kind 65537 is not kind 1", SphereAt5, false, 1, 65537, o, z10, miss},
      {"offset ignored", OffsetSphere, false, 1, 1, o, z10, sphere},
      {"ellipsoid where the run left it", SphereMovedByRun, false, 1, 1, o, z10,
       {1, 6, {0, 0, 6}, {0, 0, -1}}},
      {"mesh where worldMatrix puts it", TriangleWithPassElsewhere, false, 4, 2, down0, down1,
       tri},
      {"first ellipsoid of the body only", TwoEllipsoidsOneBody, false, 1, 1, o, z10,
       {1, 4.5f, {0, 0, 4.5f}, {0, 0, -1}}},
      {"first mesh of the body only", TwoMeshesOneBody, false, 4, 2, {-0.5f, -0.5f, 5},
       {-0.5f, -0.5f, -5}, miss},
      {"first shape of the kind, not first shape", MeshThenEllipsoid, false, 1, 1, o, z10,
       sphere},
      {"object need not be active", InactiveSphere, false, 1, 1, o, z10, sphere},
      {"type cast skips inactive objects", InactiveSphere, true, 3, 1, o, z10, miss},
      {"type cast skips other types", SphereOfOtherType, true, 3, 1, o, z10, miss},
      {"type id beyond 100 finds nothing", SphereOfOtherType, true, 5000, 1, o, z10, miss},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StopCollision(world);
    c.build(world);
    const int32_t got = c.byType ? RayIntersectType(world, c.target, c.kind, c.from, c.to)
                                 : RayIntersectObject(world, c.target, c.kind, c.from, c.to);
    if (c.want.object == 0) {
      EXPECT_EQ(got, 0);
      EXPECT_EQ(RayResult(world), nullptr);
      EXPECT_EQ(RayHitType(world), 0);
    } else {
      EXPECT_EQ(got, 1);
      ExpectHit(c.want.object, c.want.dist, c.want.pos, c.want.normal);
      EXPECT_EQ(RayHitType(world), 3);
    }
  }
  EXPECT_TRUE(reports.empty());
}

TEST_F(RayTest, InvalidObjectNumberLeavesThePreviousRayReadable) {
  Ellipsoid(world, 1, 3, {0, 0, 5});
  ASSERT_EQ(RayIntersectObject(world, 1, 1, {0, 0, 0}, {0, 0, 10}), 1);
  for (uint32_t bad : {0u, 42u, 5001u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(bad);
    Arm();
    EXPECT_EQ(RayIntersectObject(world, bad, 1, {0, 0, 20}, {0, 0, 30}), 0);
    ExpectHit(1, 4, {0, 0, 4}, {0, 0, -1});
    EXPECT_EQ(RayHitType(world), 3);
  }
  EXPECT_EQ(reports.size(), 4u);
}

TEST_F(RayTest, NoRecordBeforeTheFirstRayNorAfterARejectedOne) {
  EXPECT_EQ(RayResult(world), nullptr);  // RayHitPosX and the rest read 0
  EXPECT_EQ(RayHitType(world), 0);
  EXPECT_EQ(RayIntersectObject(world, 42, 1, {0, 0, 0}, {0, 0, 10}), 0);
  EXPECT_EQ(world.rayRecord, nullptr);

  // The record lives until the stop, which frees it; a later ray makes a new one.
  EXPECT_EQ(RayIntersectType(world, 3, 1, {0, 0, 0}, {0, 0, 10}), 0);
  ASSERT_NE(world.rayRecord, nullptr);
  StopCollision(world);
  EXPECT_EQ(world.rayRecord, nullptr);
  Ellipsoid(world, 1, 3, {0, 0, 5});
  EXPECT_EQ(RayIntersectObject(world, 1, 1, {0, 0, 0}, {0, 0, 10}), 1);
}

TEST_F(RayTest, NextRayStartsFromNothing) {
  Ellipsoid(world, 1, 3, {0, 0, 5});
  Ellipsoid(world, 2, 7, {0, 0, -5});
  ASSERT_EQ(RayIntersectObject(world, 1, 1, {0, 0, 0}, {0, 0, 10}), 1);
  // A miss clears the hit even though hitBody and hitObject stay behind in the record.
  EXPECT_EQ(RayIntersectObject(world, 1, 1, {0, 0, 0}, {0, 0, -10}), 0);
  EXPECT_EQ(RayResult(world), nullptr);
  EXPECT_EQ(RayHitType(world), 0);
  // A far ray does not have to beat the previous ray's distance.
  EXPECT_EQ(RayIntersectObject(world, 2, 1, {0, 0, 100}, {0, 0, -100}), 1);
  ExpectHit(2, 104, {0, 0, -4}, {0, 0, 1});
  EXPECT_EQ(RayHitType(world), 7);
}

// Spheres the ray starts inside of, or that lie wholly behind its start, enter at s < 0;
// they are not on the segment and must not beat the sphere ahead, in either activation
// order.
TEST_F(RayTest, EntryBehindTheStartIsNoHit) {
  struct Behind {
    const char* name;
    Vec3 behind, ahead, to;
    float dist;  // to the sphere ahead
    Vec3 pos, normal;
  };
  const float h = std::sqrt(0.5f);
  const Behind cases[] = {
      {"start inside", {0, 0, -0.5f}, {0, 0, 5}, {0, 0, 10}, 4, {0, 0, 4}, {0, 0, -1}},
      {"wholly behind",
       {-0.9f, -0.9f, 0},
       {5, 5, 0},
       {10, 10, 0},
       5 * std::sqrt(2.0f) - 1,
       {5 - h, 5 - h, 0},
       {-h, -h, 0}},
  };
  for (const Behind& c : cases) {
    for (bool behindFirst : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (behindFirst ? ", behind first" : ", ahead first"));
      StopCollision(world);
      Ellipsoid(world, 1, 5, c.behind);
      Ellipsoid(world, 2, 5, c.ahead);
      ActivateObj(world, behindFirst ? 1 : 2);
      ActivateObj(world, behindFirst ? 2 : 1);
      EXPECT_EQ(RayIntersectType(world, 5, 1, {0, 0, 0}, c.to), 1);
      ExpectHit(2, c.dist, c.pos, c.normal);
      // Alone, the sphere behind is no hit at all.
      EXPECT_EQ(RayIntersectObject(world, 1, 1, {0, 0, 0}, c.to), 0);
    }
  }
}

TEST_F(RayTest, EntryExactlyAtTheStartIsAHit) {
  Ellipsoid(world, 1, 3, {0, 0, 5});
  EXPECT_EQ(RayIntersectObject(world, 1, 1, {0, 0, 4}, {0, 0, 10}), 1);
  ExpectHit(1, 0, {0, 0, 4}, {0, 0, -1});
}

// Without a usable length a ray has no direction: it clears the previous results, tests
// nothing and keeps a zero direction instead of a NaN one.
TEST_F(RayTest, RayWithoutLengthTestsNothing) {
  const float nan = std::nanf("");
  struct NoLength {
    const char* name;
    Vec3 from, to;
  };
  const NoLength cases[] = {
      {"end equals start, inside a sphere", {0, 0, 5}, {0, 0, 5}},
      {"end equals start, on a triangle's front", {-0.5f, -0.5f, 0.5f}, {-0.5f, -0.5f, 0.5f}},
      {"squared difference underflows", {0, 0, 1e-30f}, {0, 0, 2e-30f}},
      {"difference overflows", {0, 0, -3e38f}, {0, 0, 3e38f}},
      {"squared length overflows", {0, 0, 0}, {2e19f, 2e19f, 2e19f}},
      {"not a number", {0, 0, 0}, {0, 0, nan}},
  };
  Ellipsoid(world, 1, 3, {0, 0, 5});
  Triangle(world, 2, 3, {0, 0, 0}, kUpA, kUpB, kUpC);
  ActivateObj(world, 1);
  ActivateObj(world, 2);
  for (const NoLength& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(RayIntersectObject(world, 1, 1, {0, 0, 0}, {0, 0, 10}), 1);
    EXPECT_EQ(RayIntersectObject(world, 1, 1, c.from, c.to), 0);
    EXPECT_EQ(RayResult(world), nullptr);
    EXPECT_EQ(RayHitType(world), 0);
    ASSERT_EQ(RayIntersectObject(world, 1, 1, {0, 0, 0}, {0, 0, 10}), 1);
    for (uint32_t kind : {1u, 2u}) {
      EXPECT_EQ(RayIntersectType(world, 3, kind, c.from, c.to), 0);
      EXPECT_EQ(RayResult(world), nullptr);
    }
    const RayCast& ray = *world.rayRecord;
    EXPECT_FALSE(RayHasDirection(ray));
    EXPECT_EQ(ray.dir.x, 0.0f);
    EXPECT_EQ(ray.dir.y, 0.0f);
    EXPECT_EQ(ray.dir.z, 0.0f);
  }
}

// The record must not keep pointing at a destroyed body (ASan catches the read); the values
// stored in the record stay readable.
TEST_F(RayTest, HitObjectFreedOrReplaced) {
  struct Gone {
    const char* name;
    void (*destroy)(World&);
  };
  const Gone cases[] = {
      {"freed", [](World& w) { FreeObj(w, 7); }},
      {"replaced", [](World& w) { NewCollObj(w, 7, 12); }},
      {"replaced by its own type", [](World& w) { NewCollObj(w, 7, 9); }},
      {"stopped and rebuilt",
       [](World& w) {
         StopCollision(w);
         NewCollObj(w, 7, 9);
       }},
  };
  for (const Gone& c : cases) {
    SCOPED_TRACE(c.name);
    StopCollision(world);
    Ellipsoid(world, 7, 9, {0, 0, 5});
    Ellipsoid(world, 8, 2, {0, 0, -5});
    ActivateObj(world, 7);
    ASSERT_EQ(RayIntersectType(world, 9, 1, {0, 0, 0}, {0, 0, 10}), 1);
    FreeObj(world, 8);  // another object going away changes nothing
    EXPECT_EQ(RayHitType(world), 9);
    c.destroy(world);
    EXPECT_EQ(RayHitType(world), 0);
    if (world.rayRecord != nullptr) ExpectHit(7, 4, {0, 0, 4}, {0, 0, -1});
  }
}

}  // namespace
}  // namespace ovoid
