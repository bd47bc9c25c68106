#include "exports_table.h"

#include <cstddef>
#include <iterator>
#include <string_view>
#include <type_traits>
#include <utility>

#include "ovoid/ovoid.h"

namespace ovoid_run {
namespace {

// Every export is a plain cdecl function of 32-bit slots (and one block address), so the
// header's prototype is the exact type to call through.
template <class F>
struct Caller;

template <class R, class... A>
struct Caller<R(A...)> {
  using Pointer = R (*)(A...);
  static constexpr std::size_t kArity = sizeof...(A);

  template <class T>
  static T Slot(const uint32_t* args, const void* mesh, std::size_t i) {
    if constexpr (std::is_pointer_v<T>) {
      return static_cast<T>(mesh);
    } else {
      return static_cast<T>(args[i]);
    }
  }

  template <std::size_t... I>
  static uint32_t Apply(void* fn, const uint32_t* args, const void* mesh,
                        std::index_sequence<I...>) {
    auto target = reinterpret_cast<Pointer>(fn);
    if constexpr (std::is_void_v<R>) {
      target(Slot<A>(args, mesh, I)...);
      return 0;
    } else {
      return static_cast<uint32_t>(target(Slot<A>(args, mesh, I)...));
    }
  }

  static uint32_t Call(void* fn, const uint32_t* args, const void* mesh) {
    return Apply(fn, args, mesh, std::index_sequence_for<A...>{});
  }

  // A float result comes back as its bit pattern in a uint32_t; an int result is int32_t.
  static constexpr ResultKind Result() {
    if constexpr (std::is_void_v<R>) {
      return ResultKind::kNone;
    } else if constexpr (std::is_same_v<R, int32_t>) {
      return ResultKind::kInt;
    } else {
      static_assert(std::is_same_v<R, uint32_t>);
      return ResultKind::kFloat;
    }
  }

  // The argument letters must match the prototype: one per parameter, 'm' exactly where
  // the parameter is a pointer.
  static constexpr bool Matches(std::string_view letters) {
    if (letters.size() != kArity) return false;
    constexpr bool kPointer[] = {std::is_pointer_v<A>..., false};
    for (std::size_t i = 0; i < kArity; ++i) {
      const bool isMesh = letters[i] == 'm';
      if (isMesh != kPointer[i]) return false;
      if (!isMesh && letters[i] != 'i' && letters[i] != 'f') return false;
    }
    return true;
  }
};

template <class F>
consteval ExportInfo Entry(const char* name, const char* args) {
  if (!Caller<F>::Matches(args)) throw "argument letters do not match the prototype";
  return ExportInfo{name, args, Caller<F>::Result(), &Caller<F>::Call};
}

#define OVOID_RUN_EXPORT(name, args) Entry<decltype(::name)>(#name, args)

constexpr std::array<ExportInfo, kExportCount> kTable = {
    OVOID_RUN_EXPORT(StartCollisionNUV, ""),
    OVOID_RUN_EXPORT(StartCollisionDebugNUV, ""),
    OVOID_RUN_EXPORT(StopCollisionNUV, ""),
    OVOID_RUN_EXPORT(SetEllipOptimizeNUV, "i"),
    OVOID_RUN_EXPORT(SetEllipSizeModeNUV, "i"),
    OVOID_RUN_EXPORT(SetConcaveModeNUV, "i"),
    OVOID_RUN_EXPORT(SetCollisionsNUV, "iiiii"),
    OVOID_RUN_EXPORT(NewCollObjNUV, "ii"),
    OVOID_RUN_EXPORT(CheckShapeNUV, "ii"),
    OVOID_RUN_EXPORT(AddObjShapeNUV, "ii"),
    OVOID_RUN_EXPORT(ActivateObjNUV, "i"),
    OVOID_RUN_EXPORT(DeActivateObjNUV, "i"),
    OVOID_RUN_EXPORT(SetObjRadiusNUV, "ifff"),
    OVOID_RUN_EXPORT(SetEllipOffsetNUV, "ifff"),
    OVOID_RUN_EXPORT(SetObjGravityNUV, "if"),
    OVOID_RUN_EXPORT(AddMeshTri, "ifffffffff"),
    OVOID_RUN_EXPORT(AddMeshNUV, "im"),
    OVOID_RUN_EXPORT(UpdateObjNUV, "ifffi"),
    OVOID_RUN_EXPORT(ResetCollisionStackNUV, ""),
    OVOID_RUN_EXPORT(PeekCollisionStackNUV, ""),
    OVOID_RUN_EXPORT(RunCollisionNUV, ""),
    OVOID_RUN_EXPORT(PeekObjXNUV, "i"),
    OVOID_RUN_EXPORT(PeekObjYNUV, "i"),
    OVOID_RUN_EXPORT(PeekObjZNUV, "i"),
    OVOID_RUN_EXPORT(FreeObjNUV, "i"),
    OVOID_RUN_EXPORT(RayIntersectObjectNUV, "iiffffff"),
    OVOID_RUN_EXPORT(RayIntersectTypeNUV, "iiffffff"),
    OVOID_RUN_EXPORT(RayHitPosX, ""),
    OVOID_RUN_EXPORT(RayHitPosY, ""),
    OVOID_RUN_EXPORT(RayHitPosZ, ""),
    OVOID_RUN_EXPORT(RayHitNormX, ""),
    OVOID_RUN_EXPORT(RayHitNormY, ""),
    OVOID_RUN_EXPORT(RayHitNormZ, ""),
    OVOID_RUN_EXPORT(RayHitDist, ""),
    OVOID_RUN_EXPORT(RayHitObjNUV, ""),
    OVOID_RUN_EXPORT(RayHitTypeNUV, ""),
    OVOID_RUN_EXPORT(Vec2Yaw, "fff"),
    OVOID_RUN_EXPORT(Vec2Pitch, "fff"),
    OVOID_RUN_EXPORT(CountCollisionsNUV, "i"),
    OVOID_RUN_EXPORT(CollisionHitPos, "iii"),
    OVOID_RUN_EXPORT(CollisionHitNorm, "iii"),
    OVOID_RUN_EXPORT(CollisionHitObj, "ii"),
    OVOID_RUN_EXPORT(CollisionHitType, "ii"),
    OVOID_RUN_EXPORT(CollisionHitShape, "ii"),
    OVOID_RUN_EXPORT(CollisionHitPoly, "ii"),
    OVOID_RUN_EXPORT(CollisionTriCorner, "iiii"),
};

// The same names in the same order as the library's ordinal list.
constexpr std::string_view kOrdinalNames[] = {
#define OVOID_EXPORT(ordinal, name) #name,
#include "ovoid_exports.inc"
#undef OVOID_EXPORT
};
static_assert(std::size(kOrdinalNames) == kExportCount);

constexpr bool InOrdinalOrder() {
  for (int i = 0; i < kExportCount; ++i) {
    if (kOrdinalNames[i] != kTable[i].name) return false;
  }
  return true;
}
static_assert(InOrdinalOrder(), "the table must list the exports in ordinal order");

constexpr bool Named(ExportId id, std::string_view name) {
  return name == kTable[id].name;
}
static_assert(Named(kStopCollision, "StopCollisionNUV") && Named(kNewCollObj, "NewCollObjNUV") &&
              Named(kAddObjShape, "AddObjShapeNUV") && Named(kSetObjRadius, "SetObjRadiusNUV") &&
              Named(kSetEllipOffset, "SetEllipOffsetNUV") &&
              Named(kSetObjGravity, "SetObjGravityNUV") && Named(kAddMeshTri, "AddMeshTri") &&
              Named(kAddMesh, "AddMeshNUV") && Named(kUpdateObj, "UpdateObjNUV") &&
              Named(kRunCollision, "RunCollisionNUV") && Named(kPeekObjX, "PeekObjXNUV") &&
              Named(kPeekObjY, "PeekObjYNUV") && Named(kPeekObjZ, "PeekObjZNUV") &&
              Named(kFreeObj, "FreeObjNUV") &&
              Named(kRayIntersectObject, "RayIntersectObjectNUV") &&
              Named(kRayIntersectType, "RayIntersectTypeNUV") && Named(kRayHitPosX, "RayHitPosX") &&
              Named(kRayHitPosY, "RayHitPosY") && Named(kRayHitPosZ, "RayHitPosZ") &&
              Named(kCountCollisions, "CountCollisionsNUV") &&
              Named(kCollisionHitPos, "CollisionHitPos"));

}  // namespace

const std::array<ExportInfo, kExportCount> kExports = kTable;

int FindExportIndex(std::string_view name) {
  for (int i = 0; i < kExportCount; ++i) {
    if (name == kExports[i].name) return i;
  }
  return -1;
}

}  // namespace ovoid_run
