// The collision run: repeated passes over the rules until no body moves on.
#pragma once

#include "core/world.h"

namespace ovoid {

/// One frame's run: recycle pass records, open pass 1 for every body, and, if anything
/// moved since the last run, sweep mesh rules then ellipsoid rules and respond, pass after
/// pass, until the response asks for no further pass.
void RunCollision(World& world);

/// Runs one rule for the current pass: every moving source member against every
/// destination member of another body.
void RulePass(World& world, CollRule& rule);

/// True when an earlier record of this run already stopped body at an ellipsoid of other
/// under an ellipsoid rule; always false for other rules.
bool AlreadyTouching(const CollBody& body, const CollRule& rule, const CollBody* other);

}  // namespace ovoid
