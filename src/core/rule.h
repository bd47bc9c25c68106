// A collision rule: ellipsoids of one type are swept against shapes of one kind of another
// (or the same) type, and respond to contacts in a chosen way.
#pragma once

#include <cstdint>

#include "core/list.h"

namespace ovoid {

struct CollRule {
  ListLink<CollRule> link;
  int16_t srcKind = 1;  ///< movers are always ellipsoids
  int16_t dstKind = 0;  ///< 1 ellipsoids, 2 meshes
  int32_t srcType = 0;
  int32_t dstType = 0;
  int16_t response = 0;     ///< 1 stop, 2 slide, 3 and 4 slide with floor handling, 5 pass through
  int16_t dynResponse = 0;  ///< 1 static, 2 mesh motion carries the start, 3 also carries riders
};

inline bool IsEllipEllipRule(const CollRule& rule) {
  return rule.srcKind == 1 && rule.dstKind == 1;
}
/// Response 5: contacts are recorded and reported, the mover is not stopped.
inline bool IsPassThroughRule(const CollRule& rule) {
  return rule.response == 5;
}
inline bool IsEllipMeshRule(const CollRule& rule) {
  return rule.srcKind == 1 && rule.dstKind == 2;
}

}  // namespace ovoid
