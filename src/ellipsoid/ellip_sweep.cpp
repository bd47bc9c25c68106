#include "ellipsoid/ellip_sweep.h"

namespace ovoid {

void SweepEllipEllip(World&, CollRule&, CollShape&, CollShape&) {}

void SweepEllipInterval(World&, CollRule&, CollBody&, CollShape&, CollBody&, CollShape&, Vec3,
                        bool) {}

bool SweptBoxesOverlap(Vec3, Vec3, Vec3, Vec3, float) { return false; }

}  // namespace ovoid
