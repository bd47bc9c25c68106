#include "mesh/tri_tests.h"

#include <gtest/gtest.h>

#include <array>

#include "mesh/mesh_shape.h"

namespace ovoid {
namespace {

// The three orders of the corners that keep the triangle's front: a test that holds for
// one must hold for all, which catches a fault in any one of the three edge checks.
std::array<std::array<Vec3, 3>, 3> Rotations(Vec3 a, Vec3 b, Vec3 c) {
  return {{{a, b, c}, {b, c, a}, {c, a, b}}};
}

TEST(SegmentTriBoxOverlap, MarginOfOneAroundTheTriangleBox) {
  struct Case {
    const char* name;
    Vec3 s;
    Vec3 e;
    bool want;
  };
  // Triangle box (0, 0, 0)..(1, 1, 0), grown by 1: (-1, -1, -1)..(2, 2, 1).
  const Case cases[] = {
      {"end exactly at the margin above", {0, 0, 1}, {0, 0, 3}, true},
      {"both ends beyond the margin above", {0, 0, 1.5f}, {0, 0, 3}, false},
      {"ends on opposite sides of the box", {-5, 0.5f, 0}, {5, 0.5f, 0}, true},
      {"both ends beyond the margin below", {0, 0, -1.5f}, {0, 0, -3}, false},
      {"end exactly at the margin below", {0, 0, -1}, {0, 0, -3}, true},
      {"beyond on x only", {2.5f, 0, 0}, {3, 0, 0}, false},
      {"beyond below on x only", {-2.5f, 0, 0}, {-1.5f, 0, 0}, false},
      {"beyond on y only", {0, 2.5f, 0}, {0, 9, 0}, false},
      {"one end in reach", {0, 9, 0}, {0, 1.5f, 0}, true},
      {"inside the box", {0.2f, 0.2f, 0}, {0.3f, 0.3f, 0}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& t : Rotations({0, 0, 0}, {1, 0, 0}, {0, 1, 0})) {
      EXPECT_EQ(SegmentTriBoxOverlap(c.s, c.e, t[0], t[1], t[2]), c.want);
      EXPECT_EQ(SegmentTriBoxOverlap(c.e, c.s, t[0], t[1], t[2]), c.want);
    }
  }
}

TEST(SegmentMeshBoxOverlap, BoxPlacedByTheMatrixAndScaled) {
  MeshShape mesh;
  mesh.boundsMin = {-1, -1, -1};
  mesh.boundsMax = {1, 1, 1};
  const Matrix4 at10 = Matrix4Translation(10, 0, 0);
  const Vec3 scale{2, 2, 2};
  struct Case {
    const char* name;
    Vec3 s;
    Vec3 e;
    bool want;
  };
  // The box lands at (4.5, -0.5, -0.5)..(5.5, 0.5, 0.5) in the scaled space.
  const Case cases[] = {
      {"within the margin beyond", {6.4f, 0, 0}, {7, 0, 0}, true},
      {"beyond the margin", {6.6f, 0, 0}, {7, 0, 0}, false},
      {"exactly at the margin beyond", {6.5f, 0, 0}, {7, 0, 0}, true},
      {"within the margin below", {3.6f, 0, 0}, {0, 0, 0}, true},
      {"beyond the margin below", {3.4f, 0, 0}, {0, 0, 0}, false},
      {"crossing the box", {0, 0, 0}, {9, 0, 0}, true},
      {"beyond on y", {5, 1.6f, 0}, {5, 3, 0}, false},
      {"beyond below on z", {5, 0, -1.6f}, {5, 0, -3}, false},
      {"where the unplaced box would be", {0, 0, 0}, {0, 0, 0}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SegmentMeshBoxOverlap(mesh, c.s, c.e, at10, scale), c.want);
    EXPECT_EQ(SegmentMeshBoxOverlap(mesh, c.e, c.s, at10, scale), c.want);
  }
}

TEST(PointInTriangle, InsideBorderAndOutsideFromEveryCornerOrder) {
  struct Case {
    const char* name;
    Vec3 q;
    Vec3 n;
    bool want;
  };
  const Case cases[] = {
      {"inside, off the plane", {0.25f, 0.25f, 5}, {0, 0, 1}, true},
      {"on the hypotenuse", {0.5f, 0.5f, 0}, {0, 0, 1}, true},
      {"beyond the hypotenuse", {0.6f, 0.6f, 0}, {0, 0, 1}, false},
      {"on a corner", {1, 0, 0}, {0, 0, 1}, true},
      {"on the edge along x", {0.5f, 0, 0}, {0, 0, 1}, true},
      {"below the edge along x", {0.5f, -0.01f, 0}, {0, 0, 1}, false},
      {"left of the edge along y", {-0.01f, 0.5f, 0}, {0, 0, 1}, false},
      {"beyond a corner on the edge's line", {2, 0, 0}, {0, 0, 1}, false},
      {"long normal", {0.25f, 0.25f, 0}, {0, 0, 7}, true},
      {"seen from behind", {0.25f, 0.25f, 5}, {0, 0, -1}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& t : Rotations({0, 0, 0}, {1, 0, 0}, {0, 1, 0})) {
      EXPECT_EQ(PointInTriangle(c.q, c.n, t[0], t[1], t[2]), c.want);
    }
  }
}

TEST(ProjectsInsideSegment, StrictlyBetweenTheEnds) {
  struct Case {
    const char* name;
    Vec3 p0;
    Vec3 p1;
    Vec3 x;
    bool want;
  };
  const Case cases[] = {
      {"middle, off the line", {0, 0, 0}, {2, 0, 0}, {1, 5, 0}, true},
      {"over the first end", {0, 0, 0}, {2, 0, 0}, {0, 1, 0}, false},
      {"over the second end", {0, 0, 0}, {2, 0, 0}, {2, 1, 0}, false},
      {"before the first end", {0, 0, 0}, {2, 0, 0}, {-1, 0, 0}, false},
      {"beyond the second end", {0, 0, 0}, {2, 0, 0}, {3, 0, 0}, false},
      {"reversed segment", {2, 0, 0}, {0, 0, 0}, {0.5f, 0, 3}, true},
      {"zero length", {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ProjectsInsideSegment(c.p0, c.p1, c.x), c.want);
  }
}

TEST(ClosestPointOnLine, NotClampedToTheSegment) {
  struct Case {
    const char* name;
    Vec3 p0;
    Vec3 p1;
    Vec3 x;
    Vec3 want;
  };
  const Case cases[] = {
      {"beyond the end", {0, 0, 0}, {2, 0, 0}, {5, 1, 0}, {5, 0, 0}},
      {"before the start", {1, 1, 0}, {1, 3, 0}, {4, -2, 7}, {1, -2, 0}},
      {"zero length gives the start", {3, 4, 5}, {3, 4, 5}, {9, 9, 9}, {3, 4, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Vec3 got = ClosestPointOnLine(c.p0, c.p1, c.x);
    EXPECT_FLOAT_EQ(got.x, c.want.x);
    EXPECT_FLOAT_EQ(got.y, c.want.y);
    EXPECT_FLOAT_EQ(got.z, c.want.z);
  }
}

}  // namespace
}  // namespace ovoid
