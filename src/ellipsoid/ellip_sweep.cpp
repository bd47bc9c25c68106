#include "ellipsoid/ellip_sweep.h"

namespace ovoid {

void SweepEllipEllip(World&, CollRule&, CollShape&, CollShape&) {}

void SweepEllipInterval(World&, CollRule&, CollBody&, CollShape&, CollBody&, CollShape&, Vec3,
                        bool) {}

bool SweptBoxesOverlap(Vec3 a0, Vec3 a1, Vec3 b0, Vec3 b1, float m) {
  auto apart = [m](float a0, float a1, float b0, float b1) {
    const float lo0 = b0 - m, lo1 = b1 - m, hi0 = b0 + m, hi1 = b1 + m;
    const bool below = a0 < lo0 && a0 < lo1 && a1 < lo0 && a1 < lo1;
    const bool above = a0 > hi0 && a0 > hi1 && a1 > hi0 && a1 > hi1;
    return below || above;
  };
  return !(apart(a0.x, a1.x, b0.x, b1.x) || apart(a0.y, a1.y, b0.y, b1.y) ||
           apart(a0.z, a1.z, b0.z, b1.z));
}

}  // namespace ovoid
