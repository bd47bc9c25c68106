// The picture of a run: a side view (x right, y up) above a top view (x right, z down),
// sharing the x axis and one scale. Meshes are a light wireframe, each object's path a
// coloured line with its ellipsoid outline at the start (dashed) and the end (filled),
// contacts are dots, rays are thin lines ending in a cross where they hit.
#pragma once

#include <ostream>

#include "scene_run.h"

namespace ovoid_run {

void WriteSvg(const RunRecord& record, std::ostream& out);

}  // namespace ovoid_run
