#include "scene_run.h"

#include "library_loader.h"
#include "numbers.h"

namespace ovoid_run {
namespace {

constexpr uint32_t kMaxObjectNumber = 5000;
constexpr uint32_t kMaxTypeId = 100;
// A frame's contacts are one per pass; more than this would be a runaway run.
constexpr int32_t kMaxContactsRead = 10000;

std::string PointText(const Point& p) {
  return FormatFloat(p[0]) + " " + FormatFloat(p[1]) + " " + FormatFloat(p[2]);
}

struct Runner {
  const OvoidLibrary& ovoid;
  RunRecord& record;
  std::ostream& out;

  uint32_t Call(int index, std::initializer_list<uint32_t> args, const void* mesh = nullptr) {
    return kExports[index].call(ovoid.exports[index], args.begin(), mesh);
  }
  uint32_t Call(int index, const std::vector<uint32_t>& args, const void* mesh) {
    return kExports[index].call(ovoid.exports[index], args.data(), mesh);
  }

  Point Position(uint32_t number) {
    return {BitsToFloat(Call(kPeekObjX, {number})), BitsToFloat(Call(kPeekObjY, {number})),
            BitsToFloat(Call(kPeekObjZ, {number}))};
  }

  ObjectTrack* Registered(uint32_t number) {
    auto found = record.objects.find(number);
    return found != record.objects.end() && found->second.registered ? &found->second : nullptr;
  }

  // Follows what the call did to the library's registry, so that the step loop and the
  // picture know the objects, their gravity, ellipsoids and triangles.
  void Mirror(const Statement& s, uint32_t result) {
    const std::vector<uint32_t>& a = s.args;
    auto f = [&](std::size_t i) { return BitsToFloat(a[i]); };
    switch (s.exportIndex) {
      case kStopCollision:
        for (auto& [number, track] : record.objects) track.registered = false;
        break;
      case kNewCollObj:
        if (a[0] >= 1 && a[0] <= kMaxObjectNumber && a[1] <= kMaxTypeId) {
          ObjectTrack& track = record.objects[a[0]];
          track.registered = true;
          track.typeId = a[1];
          track.gravity = 0.0f;
          track.ellipsoids.clear();
          track.meshes.clear();
        }
        break;
      case kFreeObj:
        if (ObjectTrack* track = Registered(a[0])) track->registered = false;
        break;
      case kAddObjShape:
        if (ObjectTrack* track = Registered(a[0])) {
          if (a[1] == 1) track->ellipsoids.emplace_back();
          if (a[1] == 2) track->meshes.emplace_back();
        }
        break;
      case kSetObjRadius:
        if (ObjectTrack* track = Registered(a[0]); track && f(1) > 0 && f(2) > 0 && f(3) > 0) {
          for (EllipsoidTrack& e : track->ellipsoids) e.radius = {f(1), f(2), f(3)};
        }
        break;
      case kSetEllipOffset:
        if (ObjectTrack* track = Registered(a[0])) {
          for (EllipsoidTrack& e : track->ellipsoids) e.offset = {f(1), f(2), f(3)};
        }
        break;
      case kSetObjGravity:
        if (ObjectTrack* track = Registered(a[0])) track->gravity = f(1);
        break;
      case kAddMeshTri:
        if (ObjectTrack* track = Registered(a[0])) {
          const Triangle tri{Point{f(1), f(2), f(3)}, Point{f(4), f(5), f(6)},
                             Point{f(7), f(8), f(9)}};
          for (auto& mesh : track->meshes) mesh.push_back(tri);
        }
        break;
      case kAddMesh:
        if (ObjectTrack* track = Registered(a[0])) {
          const ObjModel& model = s.mesh->model;
          for (auto& mesh : track->meshes) {
            for (const auto& t : model.triangles) {
              mesh.push_back({model.vertices[t[0]], model.vertices[t[1]], model.vertices[t[2]]});
            }
          }
        }
        break;
      case kRayIntersectObject:
      case kRayIntersectType: {
        constexpr int kRayHitPos[3] = {kRayHitPosX, kRayHitPosY, kRayHitPosZ};
        RayTrack ray{{f(2), f(3), f(4)}, {f(5), f(6), f(7)}, result != 0, {}};
        if (ray.hit) {
          for (int axis = 0; axis < 3; ++axis) {
            ray.hitPosition[axis] = BitsToFloat(Call(kRayHitPos[axis], {}));
          }
        }
        record.rays.push_back(ray);
        break;
      }
      default:
        break;
    }
  }

  void Frame() {
    const uint32_t frame = ++record.frames;
    // The host's game loop: hand in every moving object's wanted position, run once, read
    // back where everything ended and what it touched.
    for (auto& [number, track] : record.objects) {
      if (!track.registered) continue;
      const Point at = Position(number);
      if (track.path.empty()) track.path.push_back({frame - 1, at});
      if (!track.hasVelocity && !(track.gravity != 0.0f)) continue;
      const Point want{at[0] + track.velocity[0], at[1] + track.velocity[1],
                       at[2] + track.velocity[2]};
      Call(kUpdateObj,
           {number, FloatToBits(want[0]), FloatToBits(want[1]), FloatToBits(want[2]), 0});
    }
    Call(kRunCollision, {});
    std::string line = "frame " + std::to_string(frame);
    for (auto& [number, track] : record.objects) {
      if (!track.registered) continue;
      const Point at = Position(number);
      const auto contacts = static_cast<int32_t>(Call(kCountCollisions, {number}));
      const int32_t read = contacts < kMaxContactsRead ? contacts : kMaxContactsRead;
      for (int32_t i = 1; i <= read; ++i) {
        Point hit{};
        for (uint32_t axis = 1; axis <= 3; ++axis) {
          hit[axis - 1] =
              BitsToFloat(Call(kCollisionHitPos, {number, static_cast<uint32_t>(i), axis}));
        }
        track.contacts.push_back(hit);
      }
      track.contactTotal += contacts;
      track.path.push_back({frame, at});
      record.rows.push_back({frame, number, at, contacts});
      line += " | " + std::to_string(number) + ": " + PointText(at) + " c=" + FormatInt(contacts);
    }
    out << line << '\n';
  }

  void Execute(const Statement& s) {
    switch (s.kind) {
      case StatementKind::kVelocity: {
        ObjectTrack& track = record.objects[s.args[0]];
        track.hasVelocity = true;
        track.velocity = {BitsToFloat(s.args[1]), BitsToFloat(s.args[2]), BitsToFloat(s.args[3])};
        break;
      }
      case StatementKind::kStep:
        for (uint32_t i = 0; i < s.args[0]; ++i) Frame();
        break;
      case StatementKind::kCall: {
        const ExportInfo& info = kExports[s.exportIndex];
        const void* block = s.mesh ? s.mesh->block.data() : nullptr;
        const uint32_t result = Call(s.exportIndex, s.args, block);
        Mirror(s, result);
        if (info.result == ResultKind::kInt) {
          out << s.line << ": " << s.text << " -> " << FormatInt(static_cast<int32_t>(result))
              << '\n';
        } else if (info.result == ResultKind::kFloat) {
          out << s.line << ": " << s.text << " -> " << FormatFloatBits(result) << '\n';
        } else if (s.mesh) {
          out << s.line << ": " << s.text << " (" << s.mesh->model.faces << " faces, "
              << s.mesh->model.triangles.size() << " triangles, " << s.mesh->model.vertices.size()
              << " vertices)\n";
        }
        break;
      }
    }
  }
};

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool ResolveExports(void* library, OvoidLibrary& ovoid, std::string& missing) {
  missing.clear();
  for (int i = 0; i < kExportCount; ++i) {
    ovoid.exports[i] = FindSymbol(library, kExports[i].name);
    if (ovoid.exports[i] == nullptr)
      missing += std::string(missing.empty() ? "" : " ") + kExports[i].name;
  }
  return missing.empty();
}

void RunScene(const Scene& scene, const OvoidLibrary& ovoid, RunRecord& record, std::ostream& out) {
  record = RunRecord{};
  record.sceneName = BaseName(scene.file);
  out << "# scene " << record.sceneName << '\n';
  Runner runner{ovoid, record, out};
  for (const Statement& s : scene.statements) runner.Execute(s);

  // Objects that never saw a frame are drawn where they stand now.
  for (auto& [number, track] : record.objects) {
    if (track.registered && track.path.empty()) {
      track.path.push_back({record.frames, runner.Position(number)});
    }
  }
  out << "end after " << record.frames << (record.frames == 1 ? " frame" : " frames") << '\n';
  for (const auto& [number, track] : record.objects) {
    if (track.path.empty()) continue;
    out << "object " << number << ": at " << PointText(track.path.back().position) << ", "
        << track.contactTotal << (track.contactTotal == 1 ? " contact" : " contacts")
        << (track.registered ? "" : " (freed)") << '\n';
  }
}

void WriteCsv(const RunRecord& record, std::ostream& out) {
  out << "frame,object,x,y,z,contacts\n";
  for (const FrameRow& row : record.rows) {
    out << row.frame << ',' << row.object << ',' << FormatFloat(row.position[0]) << ','
        << FormatFloat(row.position[1]) << ',' << FormatFloat(row.position[2]) << ','
        << row.contacts << '\n';
  }
}

}  // namespace ovoid_run
