// The registry's records: a collision object per host number, its body, the shapes the body
// carries, and the links that put active objects, bodies and shapes on the run's lists.
#pragma once

#include <cstdint>

#include "core/list.h"
#include "math/matrix4.h"
#include "math/vec3.h"

namespace ovoid {

struct CollBody;
struct CollPass;
struct TypeMember;
struct ActiveBodyLink;

constexpr uint32_t kMaxObjectNumber = 5000;
constexpr uint32_t kMaxTypeId = 100;

enum ShapeKind : int16_t { kEllipsoid = 1, kMesh = 2 };

/// The common beginning of every shape; `kind` tells an EllipShape from a MeshShape.
struct CollShape {
  ListLink<CollShape> link;
  int16_t kind = 0;
  TypeMember* member = nullptr;  ///< entry in the membership list while the body is active
  CollBody* body = nullptr;
};

struct CollBody {
  ListLink<CollBody> link;
  int32_t typeId = 0;
  int32_t number = 0;
  uint32_t creaseCount = 0;  ///< crease normals used by the response in this run
  ActiveBodyLink* activeBody = nullptr;
  Vec3 position;  ///< where the body stood at the last update
  Vec3 target;    ///< where the last update wants it
  Matrix4 motionMatrix;
  Matrix4 worldMatrix;
  Matrix4 translationMatrix;
  List<CollShape> shapes;
  List<CollPass> passes;      ///< this run's pass records; the tail is the current one
  List<CollPass> prevPasses;  ///< the previous run's pass records
};

struct CollObj {
  ListLink<CollObj> link;
  int32_t number = 0;
  float gravity = 0.0f;  ///< lowers the wanted y of every ordinary update
  CollBody* body = nullptr;
};

/// One shape of an active body in the list of its (shape kind, type id).
struct TypeMember {
  ListLink<TypeMember> link;
  CollShape* shape = nullptr;
  int32_t typeId = 0;
  CollBody* body = nullptr;
};

/// An active object's place on the collision stack.
struct ActiveLink {
  ListLink<ActiveLink> link;
  CollObj* obj = nullptr;
};

/// An active body's place in the list the response pass walks.
struct ActiveBodyLink {
  ListLink<ActiveBodyLink> link;
  CollBody* body = nullptr;
};

}  // namespace ovoid
