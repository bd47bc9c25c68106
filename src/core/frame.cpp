#include "core/frame.h"

#include "core/dispatch.h"
#include "core/registry.h"
#include "core/report.h"

namespace ovoid {

void StartCollisionDebug(World& world) {
  world.debugFlag = 1;
}

void StopCollision(World& world) {
  FreeRayRecord(world);
  while (ActiveLink* link = world.activeList.head) {
    RemoveActiveLink(world, link);
    delete link;
  }
  while (CollObj* obj = world.objectList.head) DestroyObj(world, obj);
  while (CollBody* body = world.bodyList.head) DestroyBody(world, body);
  while (CollRule* rule = world.ruleList.head) {
    ListRemove(rule, world.ruleList);
    delete rule;
  }
  world.stackCursor = nullptr;
  world.debugFlag = 0;
}

void SetEllipOptimize(World& world, uint32_t flag) {
  world.ellipOptimize = flag != 0 ? 1 : 0;
}

void SetEllipSizeMode(World& world, uint32_t mode) {
  world.ellipSizeMode = mode != 0 ? 1 : 0;
}

void SetConcaveMode(World& world, uint32_t mode) {
  if (mode >= 1 && mode <= 6) {
    world.concaveMode = static_cast<int32_t>(mode);
  } else {
    ReportError(world, "Invalid System Concave Setting: ", mode);
  }
}

}  // namespace ovoid
