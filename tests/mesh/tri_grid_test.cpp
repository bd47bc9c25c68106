// The mesh search grid must not change a single result: sweeps and rays through the grid
// are compared bit for bit with the plain walk over every triangle, on random meshes with
// large offsets, slivers, degenerate and non-finite triangles, moved bodies and ellipsoids
// of many sizes. The query itself is checked to hand over every triangle that passes the
// box test, in list order, including segments placed right at a triangle box's reach.
#include "mesh/tri_grid.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "mesh/mesh_fixture.h"
#include "mesh/tri_tests.h"
#include "motion/ray.h"

namespace ovoid {
namespace {

// xorshift32: the same sequence on every build.
struct Random {
  uint32_t s;
  uint32_t Next() {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return s;
  }
  float Uniform(float a, float b) {
    return static_cast<float>(a + (b - a) * (Next() * (1.0 / 4294967296.0)));
  }
  bool Chance(uint32_t percent) { return Next() % 100 < percent; }
  Vec3 Point(Vec3 lo, Vec3 hi) {
    return Vec3{Uniform(lo.x, hi.x), Uniform(lo.y, hi.y), Uniform(lo.z, hi.z)};
  }
};

struct MeshCase {
  const char* name;
  uint32_t seed;
  Vec3 centre;     // where the triangles lie, local
  float span;      // half size of the region they fill
  float triSize;   // typical triangle size
  Vec3 placement;  // the mesh body's translation
  bool terrain;    // a jittered heightfield rather than a soup
};

const MeshCase kMeshes[] = {
    {"soup at the origin", 11, {0, 0, 0}, 20, 2, {0, 0, 0}, false},
    {"soup offset 1e4, body moved back", 12, {1e4f, -1e4f, 1e4f}, 30, 3, {-1e4f, 0, -1e4f}, false},
    {"fine soup, body moved", 13, {0, 0, 0}, 5, 0.2f, {3.5f, -2.25f, 100}, false},
    {"terrain at the origin", 14, {0, 0, 0}, 24, 1.5f, {0, 0, 0}, true},
    {"terrain offset 1e4", 15, {-1e4f, 50, 1e4f}, 40, 2.5f, {0, 0, 0}, true},
    {"terrain on a moved body", 16, {0, 0, 0}, 16, 1, {1e4f, 7.5f, -3e3f}, true},
};

// Fills the mesh with about 600 triangles: mostly ordinary ones, with slivers, degenerate
// ones, a few that span the whole region, and one with a corner that is not finite.
template <class AddTri>
void BuildMesh(const MeshCase& c, Random& rng, AddTri add) {
  const Vec3 lo{c.centre.x - c.span, c.centre.y - c.span, c.centre.z - c.span};
  const Vec3 hi{c.centre.x + c.span, c.centre.y + c.span, c.centre.z + c.span};
  if (c.terrain) {
    const int n = 17;
    auto v = [&](int i, int j) {
      const float x = c.centre.x - c.span + 2 * c.span * i / n + rng.Uniform(-0.1f, 0.1f);
      const float z = c.centre.z - c.span + 2 * c.span * j / n + rng.Uniform(-0.1f, 0.1f);
      return Vec3{x, c.centre.y + rng.Uniform(-2, 2), z};
    };
    for (int j = 0; j < n; ++j) {
      for (int i = 0; i < n; ++i) {
        const Vec3 v00 = v(i, j), v01 = v(i, j + 1), v11 = v(i + 1, j + 1), v10 = v(i + 1, j);
        add(v00, v01, v11);
        add(v00, v11, v10);
      }
    }
  }
  const int soup = c.terrain ? 40 : 600;
  for (int k = 0; k < soup; ++k) {
    const Vec3 a = rng.Point(lo, hi);
    const float s = c.triSize;
    Vec3 b = Vec3Add(a, rng.Point({-s, -s, -s}, {s, s, s}));
    Vec3 d = Vec3Add(a, rng.Point({-s, -s, -s}, {s, s, s}));
    const uint32_t kind = rng.Next() % 20;
    if (kind == 0) d = b;                                                     // two corners meet
    if (kind == 1) d = Vec3Add(a, Vec3Scale(0.5f, Vec3Sub(b, a)));            // collinear
    if (kind == 2) d = Vec3Add(b, Vec3{s * 1e-6f, 0, 0});                     // sliver
    if (kind == 3) b = rng.Point(lo, hi), d = rng.Point(lo, hi);              // spans the region
    if (kind == 4) b = Vec3{a.x + s, a.y, a.z}, d = Vec3{a.x, a.y, a.z + s};  // axis-aligned
    add(a, b, d);
  }
  add(c.centre, Vec3{std::numeric_limits<float>::infinity(), 0, 0}, c.centre);
}

void PushBits(std::vector<uint32_t>& out, Vec3 v) {
  out.push_back(std::bit_cast<uint32_t>(v.x));
  out.push_back(std::bit_cast<uint32_t>(v.y));
  out.push_back(std::bit_cast<uint32_t>(v.z));
}

// Every field of every contact of every pass record, bit for bit, and which is nearest.
std::vector<uint32_t> PassBits(const CollBody& body) {
  std::vector<uint32_t> out;
  for (const CollPass* pass = body.passes.head; pass != nullptr; pass = pass->link.next) {
    out.push_back(0xAAAAAAAAu);
    PushBits(out, pass->start);
    PushBits(out, pass->end);
    for (const CollHit* hit = pass->hits.head; hit != nullptr; hit = hit->link.next) {
      out.push_back(hit == pass->nearest ? 1u : 0u);
      out.push_back(static_cast<uint32_t>(hit->phase));
      out.push_back(hit->edgeContact);
      out.push_back(static_cast<uint32_t>(hit->kind));
      out.push_back(hit->rule != nullptr ? 1u : 0u);
      out.push_back(hit->other != nullptr ? 1u : 0u);
      for (Vec3 v : {hit->centre, hit->finalCentre, hit->stopPos, hit->nextTarget, hit->hitPos,
                     hit->hitNormal, hit->slidePoint, hit->slide, hit->shapeOffset, hit->corner1,
                     hit->corner2, hit->corner3}) {
        PushBits(out, v);
      }
      const auto toi = std::bit_cast<uint64_t>(hit->toi);
      out.push_back(static_cast<uint32_t>(toi));
      out.push_back(static_cast<uint32_t>(toi >> 32));
      out.push_back(static_cast<uint32_t>(hit->triIndex));
    }
  }
  return out;
}

class TriGridTest : public MeshFixture {
 protected:
  // Three passes of one mover, each starting where the last stopped (or ended) and heading
  // off again, so that the earlier-pass skip comes into play.
  std::vector<uint32_t> Chain(Vec3 start, const Vec3 moves[3], bool useGrid) {
    FreePassList(Mover().passes);
    Vec3 from = start;
    for (int k = 0; k < 3; ++k) {
      world.passNumber = k + 1;
      const Vec3 to = Vec3Add(from, moves[k]);
      CollPass& pass = Open(from, to);
      SweepEllipMesh(world, *rule, Ellip(), Mesh(), useGrid);
      from = pass.nearest != nullptr ? pass.nearest->stopPos : to;
    }
    std::vector<uint32_t> bits = PassBits(Mover());
    FreePassList(Mover().passes);
    return bits;
  }

  static std::vector<uint32_t> RayBits(const RayCast& ray) {
    std::vector<uint32_t> out{ray.hit, std::bit_cast<uint32_t>(ray.hitDist)};
    PushBits(out, ray.hitPos);
    PushBits(out, ray.hitNormal);
    return out;
  }
};

TEST_F(TriGridTest, SweepsAndRaysMatchThePlainWalkBitForBit) {
  int contacts = 0;
  int rayHits = 0;
  for (const MeshCase& c : kMeshes) {
    SCOPED_TRACE(c.name);
    MeshFreeTriangles(Mesh());
    Random rng{c.seed};
    BuildMesh(c, rng, [&](Vec3 a, Vec3 b, Vec3 d) { Tri(a, b, d); });
    MeshBody().worldMatrix = Matrix4Translation(c.placement.x, c.placement.y, c.placement.z);
    const Vec3 mid = Vec3Add(c.centre, c.placement);
    const float reach = c.span + 3;
    const Vec3 lo{mid.x - reach, mid.y - reach, mid.z - reach};
    const Vec3 hi{mid.x + reach, mid.y + reach, mid.z + reach};

    for (int k = 0; k < 150; ++k) {
      SCOPED_TRACE(k);
      const float size = std::exp(rng.Uniform(std::log(0.1f), std::log(5.0f)));
      Ellip().radius = rng.Chance(50) ? Vec3{size, size, size}
                                      : Vec3{size, rng.Uniform(0.1f, 5), rng.Uniform(0.1f, 5)};
      Ellip().offset = rng.Chance(70) ? Vec3{} : rng.Point({-1, -1, -1}, {1, 1, 1});
      world.concaveMode = rng.Chance(50) ? 1 : 3;
      const float stride = rng.Chance(30) ? 0.5f : c.span;
      Vec3 moves[3];
      for (Vec3& m : moves) m = rng.Point({-stride, -stride, -stride}, {stride, stride, stride});
      if (rng.Chance(10)) moves[0] = Vec3{};  // standing still
      const Vec3 start = rng.Point(lo, hi);
      const std::vector<uint32_t> plain = Chain(start, moves, false);
      const std::vector<uint32_t> grid = Chain(start, moves, true);
      ASSERT_EQ(plain, grid);
      contacts += static_cast<int>(plain.size() > 3 * 7);

      RayCast* ray = SetupRay(world, start, Vec3Add(start, Vec3Scale(3, moves[0])));
      ASSERT_NE(ray, nullptr);
      if (!RayHasDirection(*ray)) continue;
      RayVsMesh(*ray, Mesh(), MeshBody(), false);
      const std::vector<uint32_t> plainRay = RayBits(*ray);
      SetupRay(world, ray->from, ray->to);
      RayVsMesh(*ray, Mesh(), MeshBody(), true);
      ASSERT_EQ(plainRay, RayBits(*ray));
      rayHits += ray->hit;
    }
    // The grid was built and used, not bypassed.
    EXPECT_NE(Mesh().grid, nullptr);
  }
  // The comparison is worth something only if many sweeps and rays touched the meshes.
  EXPECT_GT(contacts, 200);
  EXPECT_GT(rayHits, 100);
}

// Every triangle that passes the box test is handed over, once, in list order; segments
// are placed right at (and one float inside or outside) a triangle box's reach, where the
// rounding of the placement and the division decides.
TEST_F(TriGridTest, QueryHandsOverEveryTriangleThatPassesTheBoxTest) {
  uint64_t handed = 0;
  uint64_t total = 0;
  int walked = 0;
  for (const MeshCase& c : kMeshes) {
    SCOPED_TRACE(c.name);
    MeshFreeTriangles(Mesh());
    Random rng{c.seed ^ 0x5bd1e995u};
    std::vector<MeshTri> tris;
    BuildMesh(c, rng, [&](Vec3 a, Vec3 b, Vec3 d) {
      Tri(a, b, d);
      tris.push_back(MeshTri{{}, a, b, d});
    });
    const Matrix4 place = Matrix4Translation(c.placement.x, c.placement.y, c.placement.z);
    for (int k = 0; k < 400; ++k) {
      const float size = std::exp(rng.Uniform(std::log(0.1f), std::log(5.0f)));
      const Vec3 r{size, rng.Chance(50) ? size : rng.Uniform(0.1f, 5), size};
      // A segment ending exactly at the reach of a random triangle's box on one side of
      // one axis, give or take one float.
      const MeshTri& t = tris[rng.Next() % (tris.size() - 1)];
      const Vec3 a = Vec3Div(Vec3TransformCoord(t.corner1, place), r);
      const Vec3 b = Vec3Div(Vec3TransformCoord(t.corner2, place), r);
      const Vec3 d = Vec3Div(Vec3TransformCoord(t.corner3, place), r);
      Vec3 s = Vec3Scale(1.0f / 3, Vec3Add(a, Vec3Add(b, d)));
      const int axis = static_cast<int>(rng.Next() % 3);
      float& at = (&s.x)[axis];
      const float lo = std::fmin(std::fmin((&a.x)[axis], (&b.x)[axis]), (&d.x)[axis]);
      const float hi = std::fmax(std::fmax((&a.x)[axis], (&b.x)[axis]), (&d.x)[axis]);
      at = rng.Chance(50) ? lo - 1.0f : hi + 1.0f;
      const uint32_t nudge = rng.Next() % 3;
      if (nudge == 1) at = std::nextafter(at, std::numeric_limits<float>::infinity());
      if (nudge == 2) at = std::nextafter(at, -std::numeric_limits<float>::infinity());
      const Vec3 e = rng.Chance(50) ? s : Vec3Add(s, rng.Point({-1, -1, -1}, {1, 1, 1}));

      TriCandidates near;
      // A segment box over much of the mesh leaves it to the walk.
      if (!TriGridQuery(Mesh(), s, e, place, r, near)) {
        ++walked;
        continue;
      }
      std::vector<bool> given(tris.size(), false);
      for (uint32_t n = 0; n < near.count; ++n) {
        if (n > 0) {
          ASSERT_LT(near.index[n - 1], near.index[n]);
        }
        ASSERT_LT(near.index[n], tris.size());
        given[near.index[n]] = true;
      }
      for (size_t i = 0; i < tris.size(); ++i) {
        const Vec3 ta = Vec3Div(Vec3TransformCoord(tris[i].corner1, place), r);
        const Vec3 tb = Vec3Div(Vec3TransformCoord(tris[i].corner2, place), r);
        const Vec3 tc = Vec3Div(Vec3TransformCoord(tris[i].corner3, place), r);
        if (SegmentTriBoxOverlap(s, e, ta, tb, tc)) {
          ASSERT_TRUE(given[i]) << "triangle " << i;
        }
      }
      handed += near.count;
      total += tris.size();
    }
  }
  // And it is a search: far fewer than all of them, for nearly every segment.
  EXPECT_LT(handed * 5, total);
  EXPECT_LT(walked, 200);
}

TEST_F(TriGridTest, AddingATriangleRebuildsTheGrid) {
  for (int i = 0; i < 100; ++i) {
    const auto x = static_cast<float>(i);
    Tri({x, 0, 0}, {x, 0, 1}, {x + 1, 0, 0});
  }
  const Matrix4 place;
  TriCandidates near;
  ASSERT_TRUE(TriGridQuery(Mesh(), {50.5f, 5, 0}, {50.5f, 5, 0}, place, {1, 1, 1}, near));
  EXPECT_EQ(near.count, 0u);
  Tri({50, 5, 0}, {50, 5, 1}, {51, 5, 0});
  ASSERT_TRUE(TriGridQuery(Mesh(), {50.5f, 5, 0}, {50.5f, 5, 0}, place, {1, 1, 1}, near));
  ASSERT_EQ(near.count, 1u);
  EXPECT_EQ(near.index[0], 100u);
  EXPECT_EQ(near.tris[100], Mesh().tris.tail);
}

TEST_F(TriGridTest, FallsBackToTheWalkWhereItCannotAnswer) {
  const Vec3 s{5, 1, 0};
  TriCandidates near;
  for (int i = 0; i < 10; ++i) {
    const auto x = static_cast<float>(i);
    Tri({x, 0, 0}, {x, 0, 1}, {x + 1, 0, 0});
  }
  EXPECT_FALSE(TriGridQuery(Mesh(), s, s, Matrix4{}, {1, 1, 1}, near)) << "small mesh";
  for (int i = 10; i < 100; ++i) {
    const auto x = static_cast<float>(i);
    Tri({x, 0, 0}, {x, 0, 1}, {x + 1, 0, 0});
  }
  EXPECT_TRUE(TriGridQuery(Mesh(), s, s, Matrix4{}, {1, 1, 1}, near));
  Matrix4 scaled;
  scaled.at(1, 1) = 2;
  EXPECT_FALSE(TriGridQuery(Mesh(), s, s, scaled, {1, 1, 1}, near)) << "not a translation";
  EXPECT_FALSE(TriGridQuery(Mesh(), s, s, Matrix4{}, {0, 1, 1}, near)) << "zero scale";
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(TriGridQuery(Mesh(), s, {nan, 0, 0}, Matrix4{}, {1, 1, 1}, near)) << "NaN end";
  EXPECT_FALSE(TriGridQuery(Mesh(), {-1000, 0, 0}, {1000, 0, 0}, Matrix4{}, {1, 1, 1}, near))
      << "a segment across the whole mesh";
}

}  // namespace
}  // namespace ovoid
