// Pass records and contacts. Every body gets a pass record per pass in which it moves; the
// contacts found for it in that pass hang off the record, one marked as the nearest.
#pragma once

#include <cstdint>

#include "core/list.h"
#include "math/vec3.h"

namespace ovoid {

struct CollBody;
struct CollPass;
struct CollRule;

struct CollHit {
  ListLink<CollHit> link;
  int32_t phase = 0;        ///< 1 mesh rules, 2 ellipsoid rules
  uint8_t edgeContact = 0;  ///< 1 for a mesh contact on a triangle edge
  int16_t kind = 0;         ///< kind of the shape that was hit
  CollRule* rule = nullptr;
  CollBody* other = nullptr;  ///< the body that was hit; null once that body is destroyed
  Vec3 centre;                ///< mover's ellipsoid centre at the time of impact
  Vec3 finalCentre;           ///< that centre after the response
  Vec3 stopPos;               ///< mover's body position at the time of impact
  Vec3 nextTarget;            ///< mover's body position after the response
  Vec3 hitPos;                ///< the contact point
  Vec3 hitNormal;             ///< unit normal from the contact point toward the mover
  Vec3 slidePoint;            ///< contact point carried by the motion left after the impact
  Vec3 slide;
  Vec3 shapeOffset;
  double toi = 0.0;  ///< time of impact as a fraction of the pass motion
  CollPass* owner = nullptr;
  // Mesh contacts only.
  int32_t triIndex = 0;  ///< 1-based position of the triangle in its mesh
  Vec3 corner1;
  Vec3 corner2;
  Vec3 corner3;
};

struct CollPass {
  ListLink<CollPass> link;
  int32_t passNo = 0;
  Vec3 start;
  Vec3 end;
  CollHit* nearest = nullptr;
  CollBody* body = nullptr;
  List<CollHit> hits;
};

}  // namespace ovoid
