// Creating, inserting and freeing pass records and contacts.
#pragma once

#include "core/world.h"

namespace ovoid {

/// A zeroed contact of kind 1 (ellipsoid) or 2 (mesh); null if memory ran out.
CollHit* NewHit(int16_t kind);

/// Fills a new contact. motionEnd is the mover's centre at the end of the pass motion,
/// centre its centre at the impact; toi is widened to double.
void InitHit(const World& world, CollHit& hit, CollRule* rule, CollBody* other, Vec3 motionEnd,
             Vec3 centre, Vec3 hitPos, Vec3 hitNormal, Vec3 shapeOffset, float toi);

/// Hands hit to the mover's current pass record, which keeps it (as its nearest, or in a
/// pass-through record of its own) or frees it.
void InsertHit(World& world, CollPass& pass, CollHit* hit);

/// Unlinks and frees one contact of pass, electing a new nearest if it was the nearest.
void RemoveHit(CollPass& pass, CollHit* hit);

/// A zeroed pass record numbered passNumber, appended to the body's current-run list.
/// Null if memory ran out.
CollPass* NewPass(World& world, CollBody& body);

/// Removes pass from list (the body's current-run or previous-run list), frees its
/// contacts and the record.
void FreePass(List<CollPass>& list, CollPass* pass);

/// Frees every record of list from the head.
void FreePassList(List<CollPass>& list);

}  // namespace ovoid
