#include "motion/response.h"

#include <cmath>

#include "core/contacts.h"

namespace ovoid {
namespace {

// Double constants compared against single-precision values.
constexpr double kFloorNormalY = 0.3;
constexpr double kRestDrift = 0.002;
constexpr double kMinSlideSq = 4e-06;

bool IsPassThroughRecord(const CollPass& pass) {
  return pass.nearest != nullptr && IsPassThroughRule(*pass.nearest->rule);
}

bool Stop(CollHit& hit) {
  hit.finalCentre = hit.centre;
  hit.nextTarget = hit.stopPos;
  hit.slide = Vec3{};
  return false;
}

// Whether the mover caught between the previous contact's surface and this one slides
// along the crease between them. walked is the previous record; the walk goes on from it
// to the head of the body's list.
bool IsCrease(const World& world, const CollBody& body, const CollHit& hit,
              const CollPass* previous) {
  const Vec3 n = hit.hitNormal;
  switch (world.concaveMode) {
    case 1:
      return false;
    case 6:
      return true;
    default:
      break;
  }
  bool anyFacing = false;
  for (const CollPass* e = previous; e != nullptr; e = e->link.prev) {
    if (Vec3Dot(e->nearest->hitNormal, n) > 0.0f) anyFacing = true;
  }
  if (!anyFacing) return true;
  if (world.concaveMode == 2) return false;

  // Probe: the wanted direction of the whole frame's motion, within the contact plane,
  // scaled by 10 / |d · n|. Only the signs of dot products with it are used.
  const Vec3 d = Vec3Normalize(Vec3Sub(body.target, body.position));
  const float d2 = Vec3Dot(d, n);
  Vec3 probe{};
  if (d2 < 0.0f || d2 > 0.0f) {
    probe = Vec3Sub(Vec3Scale(10.0f, n), Vec3Scale(10.0f / d2, d));
    if (d2 > 0.0f) probe = Vec3Negate(probe);
  }

  switch (world.concaveMode) {
    case 3: {
      if (hit.edgeContact == 1) return false;
      bool considered = false;
      for (const CollPass* e = previous; e != nullptr; e = e->link.prev) {
        if (e->nearest->edgeContact != 0) continue;
        considered = true;
        if (Vec3Dot(probe, e->nearest->hitNormal) > 0.0f) return false;
      }
      return considered;
    }
    case 4:
      for (const CollPass* e = previous; e != nullptr; e = e->link.prev) {
        if (Vec3Dot(probe, e->nearest->hitNormal) > 0.0f) return false;
      }
      return true;
    case 5:
      for (const CollPass* e = previous; e != nullptr; e = e->link.prev) {
        if (Vec3Dot(probe, e->nearest->hitNormal) < 0.0f) return true;
      }
      return false;
    default:
      return false;
  }
}

// The normal to slide along in the crease: n made perpendicular to the previous normal pn,
// with the sign of −e / (pn · n). Zero when n and pn are parallel.
Vec3 CreaseNormal(const CollHit& hit, const CollHit& previous) {
  const Vec3 n = hit.hitNormal;
  const Vec3 pn = previous.hitNormal;
  const float d = -Vec3Dot(pn, n);
  if (!(d < 0.0f || d > 0.0f)) return n;
  const float e = Vec3Dot(Vec3Sub(hit.hitPos, previous.hitPos), pn);
  const float t = e / d;
  return Vec3Normalize(Vec3Add(Vec3Scale(t, n), Vec3Scale(e, pn)));
}

}  // namespace

void ResponsePass(World& world) {
  for (ActiveBodyLink* link = world.activeBodyList.head; link != nullptr; link = link->link.next) {
    CollBody& body = *link->body;
    CollPass* newest = body.passes.tail;
    if (newest == nullptr || newest->nearest == nullptr) continue;
    // Only records of the pass just swept. A record left newest because its successor could
    // not be allocated is not answered again, so running out of memory cannot loop the run.
    if (newest->passNo != world.passNumber - 1) continue;
    CollHit& hit = *newest->nearest;
    if (RespondToContact(world, hit)) world.rerunFlag = 1;
    if (CollPass* next = NewPass(world, body)) {
      next->start = hit.stopPos;
      next->end = hit.nextTarget;
    }
  }
}

bool RespondToContact(World& world, CollHit& hit) {
  CollPass& pass = *hit.owner;
  const CollRule& rule = *hit.rule;
  CollBody& body = *pass.body;

  // Clean up pass-throughs of this pass that lie beyond the stop: the body never got there.
  for (CollPass* earlier = pass.link.prev; earlier != nullptr;) {
    CollPass* before = earlier->link.prev;
    if (earlier->passNo == pass.passNo && earlier->nearest != nullptr &&
        earlier->nearest->toi > hit.toi) {
      FreePass(body.passes, earlier);
    }
    earlier = before;
  }

  // Stop rules.
  if (IsPassThroughRule(rule)) return false;
  if (rule.response == 1) return Stop(hit);

  // Ellipsoids slide on their first ellipsoid contact of the run and stop at every later one.
  if (world.ellipOptimize == 1 && IsEllipEllipRule(rule)) {
    for (CollPass* earlier = pass.link.prev; earlier != nullptr; earlier = earlier->link.prev) {
      if (earlier->nearest != nullptr && IsEllipEllipRule(*earlier->nearest->rule)) {
        return Stop(hit);
      }
    }
  }
  if (body.creaseCount > 1) return Stop(hit);

  // Previous contact: the nearest earlier record that is not a pass-through.
  Vec3 slideNormal = hit.hitNormal;
  bool crease = false;
  CollPass* previous = pass.link.prev;
  while (previous != nullptr && IsPassThroughRecord(*previous)) previous = previous->link.prev;

  // Concave test and crease normal.
  if (previous != nullptr && previous->nearest != nullptr && IsCrease(world, body, hit, previous)) {
    slideNormal = CreaseNormal(hit, *previous->nearest);
    crease = true;
    body.creaseCount = body.creaseCount + 1;
  }
  if (body.creaseCount > 1) return Stop(hit);

  const bool floorLike = slideNormal.y > kFloorNormalY && hit.centre.y > hit.hitPos.y;
  Vec3 rest = Vec3Sub(hit.slidePoint, hit.hitPos);

  // Rest on a floor: what is left of the motion points straight down.
  if ((rule.response == 3 || rule.response == 4) && floorLike && rest.y < 0.0f &&
      std::fabs(rest.x) < kRestDrift && std::fabs(rest.z) < kRestDrift) {
    return Stop(hit);
  }

  // No sliding down a floor: drop the downward part of the rest of the motion.
  if (rule.response == 4 && !crease && floorLike && rest.y < 0.0f &&
      Vec3Dot(rest, slideNormal) < 0.0f) {
    hit.slidePoint.y = hit.hitPos.y;
    rest = Vec3Sub(hit.slidePoint, hit.hitPos);
  }

  // Slide: project the end contact point onto the plane through hitPos normal to the slide
  // normal; the centre keeps its offset from the contact point.
  const float k = Vec3Dot(Vec3Sub(hit.hitPos, hit.slidePoint), slideNormal);
  const Vec3 projected = Vec3Add(hit.slidePoint, Vec3Scale(k, slideNormal));
  hit.finalCentre = Vec3Sub(projected, Vec3Sub(hit.hitPos, hit.centre));
  hit.nextTarget = Vec3Sub(hit.finalCentre, hit.shapeOffset);

  // Decision: a slide longer than 0.002 must be checked by another pass. Riders measure it
  // from where the body stood this frame, shape offset removed.
  hit.slide = rule.dynResponse == 3 ? Vec3Sub(hit.nextTarget, body.position)
                                    : Vec3Sub(hit.finalCentre, hit.centre);
  if (static_cast<double>(Vec3LengthSq(hit.slide)) > kMinSlideSq) return true;
  return Stop(hit);
}

}  // namespace ovoid
