// The registry: one collision object per host number 1..5000, its body and shapes,
// activation, and the collision stack of active objects in activation order.
#pragma once

#include <cstdint>

#include "core/world.h"

namespace ovoid {

/// Registers number with typeId, replacing any object already there.
void NewCollObj(World& world, uint32_t number, uint32_t typeId);
void FreeObj(World& world, uint32_t number);
void SetObjGravity(World& world, uint32_t number, float gravity);
/// Adds an ellipsoid (kind 1, radius 1, no offset) or an empty mesh (kind 2).
void AddObjShape(World& world, uint32_t number, uint32_t shapeKind);
void ActivateObj(World& world, uint32_t number);
void DeActivateObj(World& world, uint32_t number);
void ResetCollisionStack(World& world);
/// The next active object number of the walk, 0 at its end.
int32_t PeekCollisionStack(World& world);

void DestroyObj(World& world, CollObj* obj);
void DestroyBody(World& world, CollBody* body);
void ActivateBody(World& world, CollBody* body);
void DeactivateBody(World& world, CollBody* body);
void AttachShape(World& world, CollBody* body, CollShape* shape);
/// Takes link off the collision stack and out of activeTable; the caller frees it.
void RemoveActiveLink(World& world, ActiveLink* link);

}  // namespace ovoid
