#include "core/contacts.h"

#include <new>

namespace ovoid {

CollHit* NewHit(int16_t kind) {
  auto* hit = new (std::nothrow) CollHit{};
  if (hit != nullptr) hit->kind = kind;
  return hit;
}

void InitHit(const World& world, CollHit& hit, CollRule* rule, CollBody* other, Vec3 motionEnd,
             Vec3 centre, Vec3 hitPos, Vec3 hitNormal, Vec3 shapeOffset, float toi) {
  hit.phase = world.phase;
  hit.rule = rule;
  hit.other = other;
  hit.centre = centre;
  hit.stopPos = Vec3Sub(centre, shapeOffset);
  hit.hitPos = hitPos;
  hit.hitNormal = hitNormal;
  hit.slidePoint = Vec3Add(Vec3Sub(hitPos, centre), motionEnd);
  hit.shapeOffset = shapeOffset;
  hit.toi = static_cast<double>(toi);
}

namespace {

double DistanceSq(Vec3 a, Vec3 b) {
  const double dx = static_cast<double>(a.x) - b.x;
  const double dy = static_cast<double>(a.y) - b.y;
  const double dz = static_cast<double>(a.z) - b.z;
  return dx * dx + dy * dy + dz * dz;
}

bool IsPassThrough(const CollHit& hit) {
  return hit.rule != nullptr && IsPassThroughRule(*hit.rule);
}

}  // namespace

void InsertHit(World& world, CollPass& pass, CollHit* hit) {
  if (hit == nullptr) return;
  // Nearer test: equal times lose.
  if (pass.nearest != nullptr && !(hit->toi < pass.nearest->toi)) {
    delete hit;
    return;
  }
  CollBody& body = *pass.body;
  // A pass-through contact gets a record of its own just before this one, so it is
  // reported without stopping the mover.
  if (IsPassThrough(*hit)) {
    CollPass* record = NewPass(world, body);
    if (record == nullptr) {
      delete hit;
      return;
    }
    ListMoveBefore(record, body.passes, &pass);
    record->nearest = hit;
    ListAppend(hit, record->hits);
    hit->owner = record;
    return;
  }
  // Duplicate test: the same solid contact found again in a later pass. Pass-through
  // contacts are not solid: a trigger just in front of a wall must not hide the wall.
  for (CollPass* earlier = pass.link.prev; earlier != nullptr; earlier = earlier->link.prev) {
    const CollHit* seen = earlier->nearest;
    if (seen == nullptr || IsPassThrough(*seen)) continue;
    if (DistanceSq(seen->hitPos, hit->hitPos) < 0.1) {
      delete hit;
      return;
    }
  }
  // Phase replacement: a record keeps at most one contact per phase.
  for (CollHit* other = pass.hits.head; other != nullptr;) {
    CollHit* next = other->link.next;
    if (other->phase == world.phase) RemoveHit(pass, other);
    other = next;
  }
  ListAppend(hit, pass.hits);
  hit->owner = &pass;
  pass.nearest = hit;
}

void RemoveHit(CollPass& pass, CollHit* hit) {
  if (pass.nearest == hit) {
    pass.nearest = nullptr;
    for (CollHit* other = pass.hits.head; other != nullptr; other = other->link.next) {
      if (other == hit) continue;
      if (pass.nearest == nullptr || other->toi < pass.nearest->toi) pass.nearest = other;
    }
  }
  ListRemove(hit, pass.hits);
  delete hit;
}

CollPass* NewPass(World& world, CollBody& body) {
  auto* pass = new (std::nothrow) CollPass{};
  if (pass == nullptr) return nullptr;
  pass->passNo = world.passNumber;
  pass->body = &body;
  ListAppend(pass, body.passes);
  return pass;
}

void FreePass(List<CollPass>& list, CollPass* pass) {
  if (pass->body != nullptr) {
    ListRemove(pass, list);
    pass->body = nullptr;
  }
  while (pass->hits.head != nullptr) RemoveHit(*pass, pass->hits.head);
  delete pass;
}

void FreePassList(List<CollPass>& list) {
  while (list.head != nullptr) FreePass(list, list.head);
}

}  // namespace ovoid
