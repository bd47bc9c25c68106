// The one world the exports act on.
#pragma once

#include "core/world.h"

namespace ovoid {

World& LibraryWorld();

}  // namespace ovoid
