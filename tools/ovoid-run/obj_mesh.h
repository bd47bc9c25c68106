// Wavefront OBJ models as mesh blocks: read with tinyobjloader (its triangulation off), every
// face fanned from its first corner, and laid out in the block format AddMeshNUV reads.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ovoid_run {

struct ObjModel {
  std::vector<std::array<float, 3>> vertices;
  /// Vertex indices of each triangle, corners in the file's order: face (v0, v1, ..., vk)
  /// gives (v0, v1, v2), (v0, v2, v3), ..., (v0, vk-1, vk).
  std::vector<std::array<int32_t, 3>> triangles;
  int faces = 0;
};

/// Reads the model at path. False with the reason in error when the file cannot be opened or
/// read, has no face, or a face names a vertex the file does not have.
bool LoadObjModel(const std::string& path, ObjModel& model, std::string& error);

/// Byte offsets of the mesh block's header words.
constexpr uint32_t kBlockVertexOffset = 4;
constexpr uint32_t kBlockFaceCount = 16;
constexpr uint32_t kBlockFaceOffset = 20;
constexpr uint32_t kBlockVertexSize = 12;
constexpr uint32_t kBlockFaceSize = 28;

/// The model as a host's mesh block, in 32-bit words (little-endian on every host we build
/// for): header, face records of 28 bytes with the vertex indices at 4, 12 and 20, then the
/// vertex positions, 12 bytes each. The words the library does not read hold junk, so that a
/// reader that looks at them shows it.
std::vector<uint32_t> BuildMeshBlock(const ObjModel& model);

}  // namespace ovoid_run
