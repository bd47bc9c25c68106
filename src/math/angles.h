// The two angles the host asks of a direction vector, in degrees.
#pragma once

namespace ovoid {

/// Unsigned angle between (x, 0, z) and +z, 0..180. A zero horizontal part gives a right
/// angle. y plays no part.
float Vec2Yaw(float x, float y, float z);

/// Unsigned angle between (x, y, z) and its horizontal projection, 0..90.
float Vec2Pitch(float x, float y, float z);

}  // namespace ovoid
