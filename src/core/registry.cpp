#include "core/registry.h"

#include <new>

#include "core/contacts.h"
#include "core/dispatch.h"
#include "core/report.h"

namespace ovoid {
namespace {

// The host sees no difference between an object that could not be allocated and one that
// was never registered: later calls on the number report it as undefined.
template <class T>
T* Allocate() {
  return new (std::nothrow) T{};
}

TypeMember* NewMember(World& world, CollBody* body, CollShape* shape) {
  auto* member = Allocate<TypeMember>();
  if (member == nullptr) return nullptr;
  member->shape = shape;
  member->typeId = body->typeId;
  member->body = body;
  ListAppend(member, MemberList(world, shape->kind, body->typeId));
  return member;
}

void FreeActiveLinkOf(World& world, uint32_t number) {
  ActiveLink* link = world.activeTable[number];
  if (link == nullptr) return;
  RemoveActiveLink(world, link);
  delete link;
}

// No contact or ray result may keep pointing at a body that is going away.
void ForgetBody(World& world, CollBody* gone) {
  for (CollBody* body = world.bodyList.head; body != nullptr; body = body->link.next) {
    for (List<CollPass>* list : {&body->passes, &body->prevPasses}) {
      for (CollPass* pass = list->head; pass != nullptr; pass = pass->link.next) {
        for (CollHit* hit = pass->hits.head; hit != nullptr; hit = hit->link.next) {
          if (hit->other == gone) hit->other = nullptr;
        }
      }
    }
  }
  ForgetRayBody(world, gone);
}

// FreeObjNUV, and NewCollObjNUV on a registered number. The other bodies live on, so their
// contacts must let go of this one first. (The stop destroys every body and so skips the
// walk, which would make it quadratic in the number of objects.)
void FreeObject(World& world, CollObj* obj) {
  FreeActiveLinkOf(world, static_cast<uint32_t>(obj->number));
  ForgetBody(world, obj->body);
  DestroyObj(world, obj);
}

}  // namespace

void NewCollObj(World& world, uint32_t number, uint32_t typeId) {
  if (number > kMaxObjectNumber || number == 0) {
    ReportError(world, "Object number out of range for collision system: ", number);
    return;
  }
  if (typeId > kMaxTypeId) {
    ReportError(world, "Invalid Collision TYPE ID: ", typeId);
    return;
  }
  // Allocate first: when memory runs out the call has no effect at all.
  auto* obj = Allocate<CollObj>();
  auto* body = Allocate<CollBody>();
  if (obj == nullptr || body == nullptr) {
    delete obj;
    delete body;
    return;
  }
  if (world.objectTable[number] != nullptr) FreeObject(world, world.objectTable[number]);
  obj->number = static_cast<int32_t>(number);
  obj->body = body;
  world.objectTable[number] = obj;
  body->number = static_cast<int32_t>(number);
  body->typeId = static_cast<int32_t>(typeId);
  ListAppend(body, world.bodyList);
  ListAppend(obj, world.objectList);
}

void FreeObj(World& world, uint32_t number) {
  CollObj* obj = CheckObjNumber(world, number);
  if (obj == nullptr) return;
  FreeObject(world, obj);
}

void DestroyObj(World& world, CollObj* obj) {
  DestroyBody(world, obj->body);
  obj->body = nullptr;
  world.objectTable[obj->number] = nullptr;
  ListRemove(obj, world.objectList);
  delete obj;
}

void DestroyBody(World& world, CollBody* body) {
  DeactivateBody(world, body);
  FreePassList(body->passes);
  FreePassList(body->prevPasses);
  while (CollShape* shape = body->shapes.head) {
    ListRemove(shape, body->shapes);
    shape->member = nullptr;
    shape->body = nullptr;
    DestroyShape(shape);
  }
  ListRemove(body, world.bodyList);
  delete body;
}

void SetObjGravity(World& world, uint32_t number, float gravity) {
  if (CollObj* obj = CheckObjNumber(world, number)) obj->gravity = gravity;
}

void AddObjShape(World& world, uint32_t number, uint32_t shapeKind) {
  CollObj* obj = CheckObjNumber(world, number);
  if (obj == nullptr) return;
  if (shapeKind != kEllipsoid && shapeKind != kMesh) return;
  CollShape* shape = NewShape(static_cast<int16_t>(shapeKind));
  if (shape == nullptr) return;
  AttachShape(world, obj->body, shape);
}

void AttachShape(World& world, CollBody* body, CollShape* shape) {
  shape->member = body->activeBody != nullptr ? NewMember(world, body, shape) : nullptr;
  shape->body = body;
  ListAppend(shape, body->shapes);
}

void ActivateObj(World& world, uint32_t number) {
  CollObj* obj = CheckObjNumber(world, number);
  if (obj == nullptr) return;
  auto* link = Allocate<ActiveLink>();
  if (link == nullptr) return;  // the object keeps its place on the stack
  FreeActiveLinkOf(world, number);
  link->obj = obj;
  world.activeTable[number] = link;
  ListAppend(link, world.activeList);
  ActivateBody(world, obj->body);
}

void ActivateBody(World& world, CollBody* body) {
  if (body->activeBody != nullptr) return;
  auto* bodyLink = Allocate<ActiveBodyLink>();
  if (bodyLink == nullptr) return;
  bodyLink->body = body;
  ListAppend(bodyLink, world.activeBodyList);
  body->activeBody = bodyLink;
  for (CollShape* shape = body->shapes.head; shape != nullptr; shape = shape->link.next) {
    shape->member = NewMember(world, body, shape);
  }
}

void DeActivateObj(World& world, uint32_t number) {
  CollObj* obj = CheckObjNumber(world, number);
  if (obj == nullptr) return;
  FreeActiveLinkOf(world, number);
  DeactivateBody(world, obj->body);
}

void DeactivateBody(World& world, CollBody* body) {
  if (body->activeBody == nullptr) return;
  ListRemove(body->activeBody, world.activeBodyList);
  delete body->activeBody;
  body->activeBody = nullptr;
  FreePassList(body->passes);
  FreePassList(body->prevPasses);
  for (CollShape* shape = body->shapes.head; shape != nullptr; shape = shape->link.next) {
    if (shape->member == nullptr) continue;
    ListRemove(shape->member, MemberList(world, shape->kind, body->typeId));
    delete shape->member;
    shape->member = nullptr;
  }
}

void RemoveActiveLink(World& world, ActiveLink* link) {
  if (world.stackCursor == link) world.stackCursor = link->link.next;
  world.activeTable[link->obj->number] = nullptr;
  link->obj = nullptr;
  ListRemove(link, world.activeList);
}

void ResetCollisionStack(World& world) {
  world.stackCursor = world.activeList.head;
}

int32_t PeekCollisionStack(World& world) {
  ActiveLink* link = world.stackCursor;
  if (link == nullptr) return 0;
  world.stackCursor = link->link.next;
  return link->obj->number;
}

}  // namespace ovoid
