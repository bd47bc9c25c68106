// The per-frame hand-in of wanted positions, and where a body stands now.
#pragma once

#include <cstdint>

#include "core/world.h"

namespace ovoid {

/// Records the wanted position of an object. Mode (low 8 bits) 0 subtracts the object's
/// gravity from y and asks for a run when the body moves; 1 places the body without
/// collision and drops this run's records; any other mode moves it without gravity.
void UpdateObj(World& world, uint32_t number, float x, float y, float z, uint32_t mode);
void UpdateBody(World& world, CollBody& body, float x, float y, float z, uint8_t mode);

/// Where the body stands: the response's choice for its newest pass record, that record's
/// end when it has no contact, or the target before any run.
Vec3 CurrentPosition(const CollBody& body);

/// The object's current position; (0, 0, 0) for a bad number.
Vec3 PeekObjPosition(World& world, uint32_t number);
/// Component axis (0 x, 1 y, 2 z) of the object's current position; 0 for a bad number.
float PeekObj(World& world, uint32_t number, int axis);

}  // namespace ovoid
