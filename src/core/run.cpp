#include "core/run.h"

#include "core/contacts.h"
#include "core/dispatch.h"
#include "core/rules.h"

namespace ovoid {

void RunCollision(World& world) {
  world.passNumber = 1;
  for (CollBody* body = world.bodyList.head; body != nullptr; body = body->link.next) {
    FreePassList(body->prevPasses);
    body->prevPasses = body->passes;
    body->passes = List<CollPass>{};
    body->creaseCount = 0;
  }
  for (CollBody* body = world.bodyList.head; body != nullptr; body = body->link.next) {
    if (CollPass* pass = NewPass(world, *body)) {
      pass->start = body->position;
      pass->end = body->target;
    }
  }
  if (world.rerunFlag != 1) return;
  do {
    world.rerunFlag = 0;
    world.phase = 1;
    for (CollRule* rule = world.ruleList.head; rule != nullptr; rule = rule->link.next) {
      if (IsEllipMeshRule(*rule)) RulePass(world, *rule);
    }
    world.phase = 2;
    for (CollRule* rule = world.ruleList.head; rule != nullptr; rule = rule->link.next) {
      if (IsEllipEllipRule(*rule)) RulePass(world, *rule);
    }
    world.passNumber = world.passNumber + 1;
    RunResponsePass(world);
  } while (world.rerunFlag == 1);
}

void RulePass(World& world, CollRule& rule) {
  for (TypeMember* mover = MemberListHead(world, rule.srcKind, rule.srcType); mover != nullptr;
       mover = mover->link.next) {
    CollBody* body = mover->body;
    if (body->passes.tail == nullptr || body->passes.tail->passNo != world.passNumber) continue;
    for (TypeMember* obstacle = MemberListHead(world, rule.dstKind, rule.dstType);
         obstacle != nullptr; obstacle = obstacle->link.next) {
      if (obstacle->body == body) continue;
      if (AlreadyTouching(*body, rule, obstacle->body)) continue;
      SweepPair(world, rule, *mover->shape, *obstacle->shape);
    }
  }
}

bool AlreadyTouching(const CollBody& body, const CollRule& rule, const CollBody* other) {
  if (!IsEllipEllipRule(rule)) return false;
  for (const CollPass* pass = body.passes.head; pass != nullptr; pass = pass->link.next) {
    const CollHit* nearest = pass->nearest;
    if (nearest != nullptr && nearest->rule != nullptr && IsEllipEllipRule(*nearest->rule) &&
        nearest->other == other) {
      return true;
    }
  }
  return false;
}

}  // namespace ovoid
