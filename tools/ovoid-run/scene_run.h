// Running a parsed scene against the library: each statement becomes its call, "step" plays
// frames of a host's game loop, and everything the picture and the CSV need is recorded.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "exports_table.h"
#include "scene_script.h"

namespace ovoid_run {

using Point = std::array<float, 3>;
using Triangle = std::array<Point, 3>;

/// The exports of one loaded library, by index into kExports.
struct OvoidLibrary {
  std::array<void*, kExportCount> exports{};
};

/// Looks up all 46 exports by name. False with the missing names in missing.
bool ResolveExports(void* library, OvoidLibrary& ovoid, std::string& missing);

struct EllipsoidTrack {
  Point radius{1.0f, 1.0f, 1.0f};
  Point offset{};
};

struct PathPoint {
  uint32_t frame = 0;  ///< 0 for the position before the object's first frame
  Point position{};
};

/// What the runner knows about one object number: the library's registry as the calls made
/// it (mirrored, since no export tells it back), the host's velocity, and the record.
struct ObjectTrack {
  bool registered = false;
  uint32_t typeId = 0;
  float gravity = 0.0f;
  bool hasVelocity = false;
  Point velocity{};
  std::vector<EllipsoidTrack> ellipsoids;
  std::vector<std::vector<Triangle>> meshes;  ///< each mesh shape's triangles, local
  std::vector<PathPoint> path;
  std::vector<Point> contacts;  ///< every contact position read after each frame
  int64_t contactTotal = 0;
};

struct FrameRow {
  uint32_t frame = 0;
  uint32_t object = 0;
  Point position{};
  int32_t contacts = 0;
};

struct RayTrack {
  Point start{};
  Point end{};
  bool hit = false;
  Point hitPosition{};
};

struct RunRecord {
  std::string sceneName;
  uint32_t frames = 0;
  std::map<uint32_t, ObjectTrack> objects;
  std::vector<FrameRow> rows;
  std::vector<RayTrack> rays;
};

/// Makes every call of the scene, writing the transcript to out.
void RunScene(const Scene& scene, const OvoidLibrary& ovoid, RunRecord& record, std::ostream& out);

/// One row per frame and object: frame,object,x,y,z,contacts.
void WriteCsv(const RunRecord& record, std::ostream& out);

}  // namespace ovoid_run
