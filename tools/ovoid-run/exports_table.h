// The 46 host exports as the scene runner sees them: name, what each argument slot holds,
// what the result holds, and a caller typed from the public header's own prototype.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace ovoid_run {

enum class ResultKind : uint8_t { kNone, kInt, kFloat };

/// Calls the export at fn with the argument slots; mesh is the block for a pointer slot.
/// The result comes back as its 32-bit pattern (0 for exports without a result).
using ExportCaller = uint32_t (*)(void* fn, const uint32_t* args, const void* mesh);

struct ExportInfo {
  const char* name;
  /// One letter per argument: 'i' integer, 'f' float (passed as its bit pattern), 'm' the
  /// address of a mesh block (an OBJ file path in a scene).
  const char* args;
  ResultKind result;
  ExportCaller call;
};

constexpr int kExportCount = 46;

/// Indices into kExports (ordinal − 1) of the exports the runner calls by itself; checked
/// against the names at compile time.
enum ExportId : int {
  kStopCollision = 2,
  kNewCollObj = 7,
  kAddObjShape = 9,
  kSetObjRadius = 12,
  kSetEllipOffset = 13,
  kSetObjGravity = 14,
  kAddMeshTri = 15,
  kAddMesh = 16,
  kUpdateObj = 17,
  kRunCollision = 20,
  kPeekObjX = 21,
  kPeekObjY = 22,
  kPeekObjZ = 23,
  kFreeObj = 24,
  kRayIntersectObject = 25,
  kRayIntersectType = 26,
  kRayHitPosX = 27,
  kRayHitPosY = 28,
  kRayHitPosZ = 29,
  kCountCollisions = 38,
  kCollisionHitPos = 39,
};

/// In ordinal order: entry k is ordinal k + 1.
extern const std::array<ExportInfo, kExportCount> kExports;

/// Index into kExports of the export with exactly this name, or -1.
int FindExportIndex(std::string_view name);

}  // namespace ovoid_run
