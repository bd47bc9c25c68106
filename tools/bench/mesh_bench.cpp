// Times spheres falling onto a heightfield of 2 N^2 triangles and rays cast at it, through
// the internal operations (no exports). The checksum and the ray sum let two builds be
// compared for identical results.
//
//   mesh_bench N M WARMUP FRAMES RAYS
//
// M spheres fall for WARMUP frames untimed (to land), then FRAMES timed frames; RAYS
// segments are cast at the terrain afterwards. Built on request: --target mesh_bench.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/frame.h"
#include "core/registry.h"
#include "core/rules.h"
#include "core/run.h"
#include "mesh/mesh_shape.h"
#include "motion/ray.h"
#include "motion/update.h"

namespace ovoid {
namespace {

uint32_t state;
uint32_t Next() {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}
double Unit() {
  return Next() * (1.0 / 4294967296.0);
}
double Uniform(double a, double b) {
  return a + (b - a) * Unit();
}
double Ms(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

int Bench(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: mesh_bench N M WARMUP FRAMES RAYS\n");
    return 2;
  }
  const int n = atoi(argv[1]), m = atoi(argv[2]), warm = atoi(argv[3]), frames = atoi(argv[4]),
            rays = atoi(argv[5]);
  auto wp = std::make_unique<World>();
  World& w = *wp;
  NewCollObj(w, 5000, 2);
  AddObjShape(w, 5000, 2);
  auto v = [&](int i, int j) {
    const double x = -128.0 + (256.0 * i) / n, z = -128.0 + (256.0 * j) / n;
    return Vec3{(float)x, (float)(4.0 * sin(0.05 * x) * cos(0.07 * z)), (float)z};
  };
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      AddMeshTri(w, 5000, v(i, j), v(i, j + 1), v(i + 1, j + 1));
      AddMeshTri(w, 5000, v(i, j), v(i + 1, j + 1), v(i + 1, j));
    }
  }
  ActivateObj(w, 5000);
  UpdateObj(w, 5000, 0, 0, 0, 1);
  SetCollisions(w, 1, 2, 2, 2, 1);
  state = 0x9E3779B9;
  struct Sphere {
    double vx, vz;
  };
  std::unique_ptr<Sphere[]> vel(new Sphere[m > 0 ? m : 1]);
  for (int k = 1; k <= m; ++k) {
    const double x = Uniform(-100, 100), y = Uniform(10, 30), z = Uniform(-100, 100);
    vel[k - 1].vx = Uniform(-0.3, 0.3);
    vel[k - 1].vz = Uniform(-0.3, 0.3);
    NewCollObj(w, k, 1);
    AddObjShape(w, k, 1);
    ActivateObj(w, k);
    UpdateObj(w, k, (float)x, (float)y, (float)z, 1);
  }
  double checksum = 0;
  if (m > 0 && frames > 0) {
    auto t0 = std::chrono::steady_clock::now();
    for (int f = 0; f < warm + frames; ++f) {
      if (f == warm) t0 = std::chrono::steady_clock::now();
      for (int k = 1; k <= m; ++k) {
        const Vec3 p = CurrentPosition(*w.objectTable[k]->body);
        UpdateObj(w, k, p.x + (float)vel[k - 1].vx, p.y - 0.5f, p.z + (float)vel[k - 1].vz, 0);
      }
      RunCollision(w);
    }
    const double ms = Ms(t0);
    for (int k = 1; k <= m; ++k) {
      const Vec3 p = CurrentPosition(*w.objectTable[k]->body);
      checksum += (double)p.x + 3.0 * p.y + 7.0 * p.z;
    }
    printf("terrain(%d) fall(%d) frames %d..%d: %.2f ms/frame  checksum %.9g\n", n, m, warm,
           warm + frames, ms / frames, checksum);
  }
  if (rays > 0) {
    state = 0xC2B2AE35;
    int hits = 0;
    double sum = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int k = 0; k < rays; ++k) {
      const double x = Uniform(-120, 120), z = Uniform(-120, 120);
      const double dx = Uniform(-10, 10), dz = Uniform(-10, 10);
      const Vec3 from{(float)x, 50.0f, (float)z}, to{(float)(x + dx), -50.0f, (float)(z + dz)};
      if (RayIntersectObject(w, 5000, 2, from, to) == 1) {
        ++hits;
        sum += RayResult(w)->hitDist;
      }
    }
    const double ms = Ms(t0);
    printf("terrain(%d) rays(%d): %.3f us/ray  hits %d  sum %.9g\n", n, rays, 1000.0 * ms / rays,
           hits, sum);
  }
  return 0;
}

}  // namespace
}  // namespace ovoid

int main(int argc, char** argv) {
  return ovoid::Bench(argc, argv);
}
