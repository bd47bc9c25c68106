// Start, stop and the three library-wide settings.
#pragma once

#include <cstdint>

#include "core/world.h"

namespace ovoid {

/// Arms the error box for the next report.
void StartCollisionDebug(World& world);

/// Frees the ray record, every object and body, every rule, and disarms the error box.
/// Settings and run counters keep their values; the world stays usable.
void StopCollision(World& world);

void SetEllipOptimize(World& world, uint32_t flag);
void SetEllipSizeMode(World& world, uint32_t mode);
/// Stores mode 1..6; reports anything else and keeps the current mode.
void SetConcaveMode(World& world, uint32_t mode);

}  // namespace ovoid
