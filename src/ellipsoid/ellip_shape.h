// The axis-aligned ellipsoid: the moving volume of every rule.
#pragma once

#include <cstdint>

#include "core/world.h"

namespace ovoid {

struct EllipShape : CollShape {
  Vec3 offset;                    ///< centre relative to the body position, world units
  Vec3 radius{1.0f, 1.0f, 1.0f};  ///< semi-axes along world x, y, z; always > 0
};

inline EllipShape& AsEllip(CollShape& shape) {
  return static_cast<EllipShape&>(shape);
}

/// Sets the radii of every ellipsoid of the object; each must be strictly positive.
void SetObjRadius(World& world, uint32_t number, float rx, float ry, float rz);
/// Sets the offset of every ellipsoid of the object.
void SetEllipOffset(World& world, uint32_t number, float x, float y, float z);

/// The common radii that two meeting ellipsoids are measured with, per axis: the smaller
/// of the two under size mode 0, the larger under size mode 1.
Vec3 PairRadii(const World& world, Vec3 sourceRadius, Vec3 destRadius);

}  // namespace ovoid
