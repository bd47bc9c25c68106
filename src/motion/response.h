// The response: a body stops or slides at its nearest contact of the pass.
#pragma once

#include "core/world.h"

namespace ovoid {

/// Answers the nearest contact of every active body's newest pass record and opens the
/// body's next pass record; sets rerunFlag when a slid motion must be checked.
void ResponsePass(World& world);

/// Answers one contact; true when the body slid far enough to need another pass.
bool RespondToContact(World& world, CollHit& hit);

}  // namespace ovoid
