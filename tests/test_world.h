// A fresh world per test, with the error box replaced by a list of the texts it would show.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/frame.h"
#include "core/world.h"

namespace ovoid {

class WorldTest : public ::testing::Test {
 protected:
  WorldTest() : worldPtr(std::make_unique<World>()), world(*worldPtr) {
    world.errorSink = [](void* context, const char* text) {
      static_cast<std::vector<std::string>*>(context)->push_back(text);
    };
    world.errorSinkContext = &reports;
  }
  ~WorldTest() override { StopCollision(world); }

  /// Arms the error box, as StartCollisionDebugNUV does.
  void Arm() { world.debugFlag = 1; }

  /// The body of a registered object.
  CollBody& Body(uint32_t number) { return *world.objectTable[number]->body; }

  std::unique_ptr<World> worldPtr;
  World& world;
  std::vector<std::string> reports;
};

}  // namespace ovoid
