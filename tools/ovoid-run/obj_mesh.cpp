#include "obj_mesh.h"

#include <bit>
#include <cstddef>
#include <fstream>

#include "tiny_obj_loader.h"

namespace ovoid_run {

static_assert(std::is_same_v<tinyobj::real_t, float>, "positions are read as floats");

namespace {

// Keeps every byte offset of the block well inside 32 bits.
constexpr std::size_t kMaxTriangles = 4'000'000;

std::string Directory(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

bool LoadObjModel(const std::string& path, ObjModel& model, std::string& error) {
  model = ObjModel{};
  {
    std::ifstream probe(path, std::ios::binary);
    if (!probe) {
      error = "cannot open '" + path + "'";
      return false;
    }
  }
  tinyobj::attrib_t attrib;
  std::vector<tinyobj::shape_t> shapes;
  std::vector<tinyobj::material_t> materials;
  std::string warning;
  std::string failure;
  const std::string directory = Directory(path);
  // Triangulation off: the loader's own splits quads by their shorter diagonal, which can
  // differ with rounding; fanning here keeps the corners exactly as the file orders them.
  const bool ok = tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &failure, path.c_str(),
                                   directory.empty() ? nullptr : directory.c_str(),
                                   /*triangulate=*/false);
  if (!ok) {
    while (!failure.empty() && (failure.back() == '\n' || failure.back() == '\r')) {
      failure.pop_back();
    }
    error = "cannot read '" + path + "'" + (failure.empty() ? "" : ": " + failure);
    return false;
  }
  const std::size_t vertexCount = attrib.vertices.size() / 3;
  model.vertices.reserve(vertexCount);
  for (std::size_t v = 0; v < vertexCount; ++v) {
    model.vertices.push_back(
        {attrib.vertices[3 * v], attrib.vertices[3 * v + 1], attrib.vertices[3 * v + 2]});
  }
  for (const tinyobj::shape_t& shape : shapes) {
    std::size_t first = 0;
    for (const unsigned char corners : shape.mesh.num_face_vertices) {
      ++model.faces;
      // The loader counts corners in a byte: a face of 256 or more wraps around.
      if (corners < 3 || first + corners > shape.mesh.indices.size()) {
        error = "'" + path + "': face " + std::to_string(model.faces) +
                " has more corners than can be read (at most 255)";
        return false;
      }
      for (std::size_t k = 0; k < corners; ++k) {
        const int index = shape.mesh.indices[first + k].vertex_index;
        if (index < 0 || static_cast<std::size_t>(index) >= vertexCount) {
          error = "'" + path + "': face " + std::to_string(model.faces) +
                  " names a vertex the file does not have";
          return false;
        }
      }
      const int32_t v0 = shape.mesh.indices[first].vertex_index;
      for (std::size_t k = 1; k + 1 < corners; ++k) {
        model.triangles.push_back({v0, shape.mesh.indices[first + k].vertex_index,
                                   shape.mesh.indices[first + k + 1].vertex_index});
      }
      first += corners;
    }
    if (first != shape.mesh.indices.size()) {
      error = "'" + path + "': a face has more corners than can be read (at most 255)";
      return false;
    }
  }
  if (model.triangles.size() > kMaxTriangles || model.vertices.size() > kMaxTriangles) {
    error = "'" + path + "' is too large (more than " + std::to_string(kMaxTriangles) +
            " triangles or vertices)";
    return false;
  }
  if (model.triangles.empty()) {
    error = "'" + path + "' has no faces";
    return false;
  }
  return true;
}

std::vector<uint32_t> BuildMeshBlock(const ObjModel& model) {
  // Layout: 24-byte header, 8 bytes of padding, the face records, then the vertices; the
  // offsets in the header are what tells the reader where each part starts.
  const auto faceCount = static_cast<uint32_t>(model.triangles.size());
  const uint32_t faceOffset = 32;
  const uint32_t vertexOffset = faceOffset + kBlockFaceSize * faceCount;
  const uint32_t size =
      vertexOffset + kBlockVertexSize * static_cast<uint32_t>(model.vertices.size());
  std::vector<uint32_t> words(size / 4, 0);

  words[0] = 0x4853454Du;  // "MESH": a tag the library does not read
  words[kBlockVertexOffset / 4] = vertexOffset;
  words[2] = static_cast<uint32_t>(model.vertices.size());  // a host's vertex count, unread
  words[3] = 0xA5A5A5A5u;
  words[kBlockFaceCount / 4] = faceCount;
  words[kBlockFaceOffset / 4] = faceOffset;
  words[6] = 0xFFFFFFFFu;
  words[7] = 0x7FC00001u;

  for (uint32_t k = 0; k < faceCount; ++k) {
    uint32_t* record = &words[(faceOffset + kBlockFaceSize * k) / 4];
    const std::array<int32_t, 3>& tri = model.triangles[k];
    // Words 0, 2, 4 and 6 of a record are unread: fill them with what a host might keep
    // there (a face number, normal indices) and with patterns that are no valid index.
    record[0] = k + 1;
    record[1] = static_cast<uint32_t>(tri[0]);
    record[2] = 0xFFFFFFFFu;
    record[3] = static_cast<uint32_t>(tri[1]);
    record[4] = 0x80000000u + k;
    record[5] = static_cast<uint32_t>(tri[2]);
    record[6] = 0xDEADBEEFu;
  }
  for (std::size_t v = 0; v < model.vertices.size(); ++v) {
    uint32_t* entry = &words[(vertexOffset + kBlockVertexSize * v) / 4];
    for (int axis = 0; axis < 3; ++axis)
      entry[axis] = std::bit_cast<uint32_t>(model.vertices[v][axis]);
  }
  return words;
}

}  // namespace ovoid_run
