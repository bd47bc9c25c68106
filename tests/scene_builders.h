// Small builders for hand-made run state that several test files need.
#pragma once

#include "core/contacts.h"
#include "core/list.h"
#include "core/world.h"

namespace ovoid {

/// Puts a zeroed contact of kind (1 ellipsoid, 2 mesh) into record as its nearest, linked
/// the way InsertHit leaves a kept contact but without its checks, so a test can fill in
/// only the fields the code under test reads.
inline CollHit& NearestContact(CollPass& record, int16_t kind) {
  CollHit* hit = NewHit(kind);
  ListAppend(hit, record.hits);
  hit->owner = &record;
  record.nearest = hit;
  return *hit;
}

}  // namespace ovoid
