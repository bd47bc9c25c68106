// The mesh ray test against a reference written the other way round: Möller–Trumbore in
// double precision over every triangle, front faces only, on random rays over a random
// triangle soup placed away from the origin.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "core/registry.h"
#include "mesh/mesh_shape.h"
#include "motion/ray.h"
#include "motion/update.h"
#include "test_world.h"

namespace ovoid {
namespace {

struct D3 {
  double x, y, z;
};
D3 operator+(D3 a, D3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
D3 operator-(D3 a, D3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
D3 operator*(double s, D3 a) {
  return {s * a.x, s * a.y, s * a.z};
}
double Dot(D3 a, D3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
D3 Cross(D3 a, D3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Len(D3 a) {
  return std::sqrt(Dot(a, a));
}
D3 Wide(Vec3 v) {
  return {v.x, v.y, v.z};
}

struct RefTri {
  D3 a, b, c;
};

// Shortest distance between segments p0–p1 and q0–q1 (closest points by clamped
// parameters; neither segment is degenerate here).
double SegmentDistance(D3 p0, D3 p1, D3 q0, D3 q1) {
  const D3 d1 = p1 - p0, d2 = q1 - q0, r = p0 - q0;
  const double a = Dot(d1, d1), e = Dot(d2, d2), f = Dot(d2, r);
  const double c = Dot(d1, r), b = Dot(d1, d2), denom = a * e - b * b;
  double s = denom > 0 ? std::clamp((b * f - c * e) / denom, 0.0, 1.0) : 0.0;
  double t = (b * s + f) / e;
  if (t < 0) {
    t = 0;
    s = std::clamp(-c / a, 0.0, 1.0);
  } else if (t > 1) {
    t = 1;
    s = std::clamp((b - c) / a, 0.0, 1.0);
  }
  return Len((p0 + s * d1) - (q0 + t * d2));
}

// Möller–Trumbore on the segment o + t·e, 0 < t < 1. Only a front face counts: the ray
// must run against (b − a) × (c − a), which makes the determinant positive.
bool Crossing(const RefTri& tri, D3 o, D3 e, double* t) {
  const D3 e1 = tri.b - tri.a, e2 = tri.c - tri.a;
  const D3 pv = Cross(e, e2);
  const double det = Dot(e1, pv);
  if (!(det > 1e-12)) return false;
  const D3 tv = o - tri.a;
  const double u = Dot(tv, pv) / det;
  if (u < 0 || u > 1) return false;
  const D3 qv = Cross(tv, e1);
  const double v = Dot(e, qv) / det;
  if (v < 0 || u + v > 1) return false;
  *t = Dot(e2, qv) / det;
  return true;
}

class Uniform {
 public:
  explicit Uniform(uint32_t seed) : rng_(seed) {}
  float operator()(float lo, float hi) {
    return static_cast<float>(lo + (hi - lo) * (static_cast<double>(rng_()) / 4294967296.0));
  }
  Vec3 InBox(Vec3 centre, float half) {
    const float x = (*this)(-half, half), y = (*this)(-half, half), z = (*this)(-half, half);
    return Vec3{centre.x + x, centre.y + y, centre.z + z};
  }

 private:
  std::mt19937 rng_;
};

using RayMeshCheck = WorldTest;

TEST_F(RayMeshCheck, AgreesWithDoublePrecisionMollerTrumbore) {
  constexpr int kTriangles = 150;
  constexpr int kRays = 4000;
  constexpr double kEdgeClearance = 1e-3;
  constexpr double kTol = 1e-4;
  const Vec3 place{3, -2, 1.5f};
  Uniform uniform(20240611u);

  NewCollObj(world, 1, 0);
  AddObjShape(world, 1, 2);
  std::vector<RefTri> tris;
  while (static_cast<int>(tris.size()) < kTriangles) {
    const Vec3 centre = uniform.InBox(Vec3{}, 6);
    const Vec3 a = uniform.InBox(centre, 2.5f), b = uniform.InBox(centre, 2.5f),
               c = uniform.InBox(centre, 2.5f);
    // Keep clear of needle triangles whose normal the library would flush to zero.
    if (Len(Cross(Wide(b) - Wide(a), Wide(c) - Wide(a))) < 0.5) continue;
    AddMeshTri(world, 1, a, b, c);
    tris.push_back({Wide(a) + Wide(place), Wide(b) + Wide(place), Wide(c) + Wide(place)});
  }
  UpdateObj(world, 1, place.x, place.y, place.z, 1);

  int compared = 0, hits = 0, nearEdge = 0;
  double worstDist = 0, worstNormal = 0;
  for (int i = 0; i < kRays; ++i) {
    const Vec3 from = uniform.InBox(place, 10), to = uniform.InBox(place, 10);
    const D3 o = Wide(from), e = Wide(to) - Wide(from);
    bool clear = true;
    for (const RefTri& tri : tris) {
      if (SegmentDistance(o, o + e, tri.a, tri.b) < kEdgeClearance ||
          SegmentDistance(o, o + e, tri.b, tri.c) < kEdgeClearance ||
          SegmentDistance(o, o + e, tri.c, tri.a) < kEdgeClearance) {
        clear = false;
        break;
      }
    }
    if (!clear) {
      ++nearEdge;
      continue;
    }
    double bestT = 2;
    const RefTri* best = nullptr;
    for (const RefTri& tri : tris) {
      double t;
      if (Crossing(tri, o, e, &t) && t > 0 && t < 1 && t < bestT) {
        bestT = t;
        best = &tri;
      }
    }

    SCOPED_TRACE(i);
    ++compared;
    const int32_t got = RayIntersectObject(world, 1, 2, from, to);
    ASSERT_EQ(got, best != nullptr ? 1 : 0);
    if (best == nullptr) continue;
    ++hits;
    const D3 cross = Cross(best->b - best->a, best->c - best->a);
    const D3 n = (1 / Len(cross)) * cross;
    const RayCast& ray = *RayResult(world);
    const double dDist = std::fabs(ray.hitDist - bestT * Len(e));
    const double dNormal =
        std::max({std::fabs(ray.hitNormal.x - n.x), std::fabs(ray.hitNormal.y - n.y),
                  std::fabs(ray.hitNormal.z - n.z)});
    ASSERT_LT(dDist, kTol);
    ASSERT_LT(dNormal, kTol);
    worstDist = std::max(worstDist, dDist);
    worstNormal = std::max(worstNormal, dNormal);
  }
  std::printf(
      "mesh ray check: %d rays, %d left out near an edge, %d compared (%d hits), "
      "worst distance error %.3g, worst normal error %.3g\n",
      kRays, nearEdge, compared, hits, worstDist, worstNormal);
  EXPECT_GT(hits, kRays / 10);
  EXPECT_GT(compared - hits, kRays / 10);
}

}  // namespace
}  // namespace ovoid
