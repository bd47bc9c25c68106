// Scene scripts: one statement a line, '#' starts a comment. A statement is an export called
// by its exact name with its arguments in decimal, "velocity n vx vy vz" (a per-frame
// displacement) or "step N" (N frames of a game loop). AddMeshNUV takes an OBJ file path in
// place of the block address. The whole script is read, and its OBJ files loaded, before
// anything is called, so a bad line stops a run before it starts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "obj_mesh.h"

namespace ovoid_run {

/// An OBJ model and the mesh block built from it.
struct SceneMesh {
  std::string path;  ///< as written in the scene
  ObjModel model;
  std::vector<uint32_t> block;
};

enum class StatementKind : uint8_t { kCall, kVelocity, kStep };

struct Statement {
  StatementKind kind = StatementKind::kCall;
  int line = 0;
  int exportIndex = -1;  ///< kCall: index into kExports
  /// kCall: one slot per argument (the mesh slot holds 0); kVelocity: object and the bit
  /// patterns of vx, vy, vz; kStep: the frame count.
  std::vector<uint32_t> args;
  std::string text;                       ///< the statement's words joined by single spaces
  std::shared_ptr<const SceneMesh> mesh;  ///< AddMeshNUV only
};

struct Scene {
  std::string file;
  std::vector<Statement> statements;
};

/// Most frames one step statement may ask for.
constexpr uint32_t kMaxStepFrames = 100000;

/// Parses a scene whose text came from file; relative OBJ paths are taken from the file's
/// directory. False with "file:line: reason" in error at the first bad line.
bool ParseScene(std::string_view text, const std::string& file, Scene& scene, std::string& error);

/// Reads the file and parses it as ParseScene does.
bool LoadScene(const std::string& file, Scene& scene, std::string& error);

}  // namespace ovoid_run
