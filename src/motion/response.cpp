#include "motion/response.h"

namespace ovoid {

void ResponsePass(World&) {}

bool RespondToContact(World&, CollHit&) { return false; }

}  // namespace ovoid
