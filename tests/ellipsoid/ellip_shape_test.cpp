#include "ellipsoid/ellip_shape.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/registry.h"
#include "expect_vec.h"
#include "mesh/mesh_shape.h"
#include "test_world.h"

namespace ovoid {
namespace {

// Object 1 carries an ellipsoid, a mesh and another ellipsoid.
class EllipShapeTest : public WorldTest {
 protected:
  EllipShapeTest() {
    NewCollObj(world, 1, 0);
    for (uint32_t kind : {1u, 2u, 1u}) AddObjShape(world, 1, kind);
  }

  std::vector<EllipShape*> Ellipsoids() {
    std::vector<EllipShape*> out;
    for (CollShape* s = world.objectTable[1]->body->shapes.head; s != nullptr; s = s->link.next) {
      if (s->kind == kEllipsoid) out.push_back(&AsEllip(*s));
    }
    return out;
  }

  MeshShape& Mesh() { return AsMesh(*world.objectTable[1]->body->shapes.head->link.next); }
};

TEST_F(EllipShapeTest, DefaultsAndSettersReachEveryEllipsoid) {
  ASSERT_EQ(Ellipsoids().size(), 2u);
  for (EllipShape* e : Ellipsoids()) {
    ExpectVecEq(e->radius, Vec3{1, 1, 1});
    ExpectVecEq(e->offset, Vec3{0, 0, 0});
  }
  SetObjRadius(world, 1, 2, 3, 4);
  SetEllipOffset(world, 1, -1, 0, 0.5f);
  for (EllipShape* e : Ellipsoids()) {
    ExpectVecEq(e->radius, Vec3{2, 3, 4});
    ExpectVecEq(e->offset, Vec3{-1, 0, 0.5f});
  }
  EXPECT_EQ(Mesh().kind, kMesh);
  ExpectVecEq(Mesh().boundsMax, Vec3{0, 0, 0});
  EXPECT_EQ(Mesh().tris.head, nullptr);

  AddObjShape(world, 1, 1);  // a later ellipsoid starts from the defaults
  ASSERT_EQ(Ellipsoids().size(), 3u);
  ExpectVecEq(Ellipsoids()[2]->radius, Vec3{1, 1, 1});
  ExpectVecEq(Ellipsoids()[2]->offset, Vec3{0, 0, 0});
}

TEST_F(EllipShapeTest, RadiusMustBeStrictlyPositiveOnEveryAxis) {
  SetObjRadius(world, 1, 5, 6, 7);
  const float nan = std::nanf("");
  struct Case {
    const char* name;
    Vec3 r;
  };
  const Case cases[] = {
      {"zero y", {2, 0, 2}},
      {"negative y", {2, -1, 2}},
      {"negative zero z", {2, 2, -0.0f}},
      {"NaN x", {nan, 2, 2}},
      {"negative infinity z", {2, 2, -INFINITY}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reports.clear();
    Arm();
    SetObjRadius(world, 1, c.r.x, c.r.y, c.r.z);
    EXPECT_EQ(reports,
              std::vector<std::string>{"Ellip radius values must be positive for object: 1"});
    for (EllipShape* e : Ellipsoids()) ExpectVecEq(e->radius, Vec3{5, 6, 7});
  }
  SetObjRadius(world, 1, 1e-38f, INFINITY, 0.25f);  // positive, however odd
  ExpectVecEq(Ellipsoids()[0]->radius, Vec3{1e-38f, INFINITY, 0.25f});
}

TEST_F(EllipShapeTest, BadNumberOrNoEllipsoid) {
  Arm();
  SetObjRadius(world, 5001, 1, 1, 1);
  EXPECT_EQ(reports,
            std::vector<std::string>{"Object number out of range for collision system: 5001"});
  reports.clear();
  Arm();
  SetEllipOffset(world, 2, 1, 1, 1);
  EXPECT_EQ(reports, std::vector<std::string>{"Object not defined in collision system: 2"});

  NewCollObj(world, 2, 0);
  AddObjShape(world, 2, 2);
  reports.clear();
  Arm();
  SetObjRadius(world, 2, 3, 3, 3);
  SetEllipOffset(world, 2, 3, 3, 3);
  EXPECT_TRUE(reports.empty());
}

TEST_F(EllipShapeTest, PairRadiiBySizeMode) {
  const float nan = std::nanf("");
  struct Case {
    const char* name;
    int32_t mode;
    Vec3 a, b, want;
  };
  const Case cases[] = {
      {"min", 0, {1, 4, 1}, {2, 2, 2}, {1, 2, 1}},
      {"max", 1, {1, 4, 1}, {2, 2, 2}, {2, 4, 2}},
      {"min, NaN destination keeps the source", 0, {1, 1, 1}, {nan, nan, nan}, {1, 1, 1}},
      {"max, NaN destination keeps the source", 1, {1, 1, 1}, {nan, nan, nan}, {1, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    world.ellipSizeMode = c.mode;
    ExpectVecEq(PairRadii(world, c.a, c.b), c.want);
    if (!std::isnan(c.b.x)) ExpectVecEq(PairRadii(world, c.b, c.a), c.want);
  }
}

}  // namespace
}  // namespace ovoid
