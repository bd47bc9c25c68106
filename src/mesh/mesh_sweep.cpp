#include "mesh/mesh_sweep.h"

namespace ovoid {

void SweepEllipMesh(World&, CollRule&, CollShape&, CollShape&) {}

}  // namespace ovoid
