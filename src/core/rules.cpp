#include "core/rules.h"

#include <new>

#include "core/report.h"

namespace ovoid {

void SetCollisions(World& world, uint32_t sourceType, uint32_t destType, uint32_t method,
                   uint32_t response, uint32_t dynamicResponse) {
  if (sourceType > kMaxTypeId) {
    ReportError(world, "Invalid Collision Definition SOURCE TYPE: ", sourceType);
    return;
  }
  if (destType > kMaxTypeId) {
    ReportError(world, "Invalid Collision Definition DEST. TYPE: ", destType);
    return;
  }
  if (method != 1 && method != 2) {
    ReportError(world, "Invalid Collision Definition METHOD: ", method);
    return;
  }
  if (response < 1 || response > 5) {
    ReportError(world, "Invalid Collision Definition Response Method: ", response);
    return;
  }
  if (dynamicResponse < 1 || dynamicResponse > 3) {
    ReportError(world, "Invalid Collision Definition Dynamic Response Method: ", dynamicResponse);
    return;
  }
  auto* rule = new (std::nothrow) CollRule{};
  if (rule == nullptr) return;
  rule->srcKind = kEllipsoid;
  rule->dstKind = static_cast<int16_t>(method);
  rule->srcType = static_cast<int32_t>(sourceType);
  rule->dstType = static_cast<int32_t>(destType);
  rule->response = static_cast<int16_t>(response);
  rule->dynResponse = static_cast<int16_t>(dynamicResponse);
  ListAppend(rule, world.ruleList);
}

int32_t CheckShape(World& world, uint32_t number, uint32_t shapeKind) {
  CollObj* obj = CheckObjNumber(world, number);
  if (obj == nullptr) return 0;
  const int32_t type = obj->body->typeId;
  const auto kind = static_cast<int32_t>(shapeKind);
  for (CollRule* rule = world.ruleList.head; rule != nullptr; rule = rule->link.next) {
    if ((rule->srcType == type && rule->srcKind == kind) ||
        (rule->dstType == type && rule->dstKind == kind)) {
      return 1;
    }
  }
  return 0;
}

}  // namespace ovoid
