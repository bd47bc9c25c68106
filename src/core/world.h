// All library-wide state in one record. The exports act on one static instance; every
// internal operation takes the world it acts on, so a test can build a fresh one.
#pragma once

#include <array>
#include <cstdint>

#include "core/contact.h"
#include "core/list.h"
#include "core/records.h"
#include "core/rule.h"

namespace ovoid {

struct RayCast;

/// Receives each error text that would go to the error box (caption "Collision Error").
using ErrorSink = void (*)(void* context, const char* text);

/// Replaces the sweeps when set: lets a test watch which pairs the run visits.
using SweepHook = void (*)(void* context, struct World& world, CollRule& rule, CollShape& source,
                           CollShape& destination);

struct World {
  // Settings.
  uint8_t debugFlag = 0;
  uint8_t ellipOptimize = 1;
  int32_t ellipSizeMode = 0;
  int32_t concaveMode = 3;

  // Registry; slot 0 of the tables is never used.
  std::array<CollObj*, kMaxObjectNumber + 1> objectTable{};
  std::array<ActiveLink*, kMaxObjectNumber + 1> activeTable{};
  std::array<std::array<List<TypeMember>, kMaxTypeId + 1>, 2> memberList{};
  List<CollObj> objectList;
  List<CollBody> bodyList;
  List<ActiveLink> activeList;
  List<ActiveBodyLink> activeBodyList;
  ActiveLink* stackCursor = nullptr;

  // Rules and the run.
  List<CollRule> ruleList;
  int32_t passNumber = 0;
  uint8_t rerunFlag = 0;
  int32_t phase = 0;

  RayCast* rayRecord = nullptr;

  // Test seams; null in the library's own instance.
  ErrorSink errorSink = nullptr;
  void* errorSinkContext = nullptr;
  SweepHook sweepHook = nullptr;
  void* sweepHookContext = nullptr;
};

/// The membership list of (kind 1..2, type id 0..100).
inline List<TypeMember>& MemberList(World& world, int kind, int32_t typeId) {
  return world.memberList[kind - 1][typeId];
}

}  // namespace ovoid
