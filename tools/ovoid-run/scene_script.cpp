#include "scene_script.h"

#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "exports_table.h"
#include "numbers.h"

namespace ovoid_run {
namespace {

std::vector<std::string_view> SplitWords(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string Arguments(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " argument" : " arguments");
}

std::string Directory(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsAbsolute(std::string_view path) {
  return (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
         (path.size() > 1 && path[1] == ':');
}

struct Parser {
  const std::string& file;
  std::string directory;
  std::map<std::string, std::shared_ptr<const SceneMesh>> meshes;  // by path as opened
  std::string error;

  bool Fail(int line, const std::string& reason) {
    error = file + ":" + std::to_string(line) + ": " + reason;
    return false;
  }

  bool Count(int line, std::string_view name, std::size_t want, std::size_t got, const char* what) {
    if (want == got) return true;
    return Fail(line, "'" + std::string(name) + "' takes " + Arguments(want) + what + ", not " +
                          std::to_string(got));
  }

  std::optional<uint32_t> Number(int line, std::string_view name, std::size_t position,
                                 std::string_view word, char kind) {
    std::optional<uint32_t> value = kind == 'f' ? ParseFloatBits(word) : ParseInt(word);
    if (!value) {
      Fail(line, "argument " + std::to_string(position) + " of '" + std::string(name) + "': '" +
                     std::string(word) + "' is not " +
                     (kind == 'f' ? "a float" : "an integer (-2147483648 to 4294967295)"));
    }
    return value;
  }

  std::shared_ptr<const SceneMesh> Mesh(int line, std::string_view written) {
    const std::string path =
        IsAbsolute(written) ? std::string(written) : directory + std::string(written);
    auto found = meshes.find(path);
    if (found != meshes.end()) return found->second;
    auto mesh = std::make_shared<SceneMesh>();
    mesh->path = std::string(written);
    std::string reason;
    if (!LoadObjModel(path, mesh->model, reason)) {
      Fail(line, reason);
      return nullptr;
    }
    mesh->block = BuildMeshBlock(mesh->model);
    meshes.emplace(path, mesh);
    return mesh;
  }

  bool Call(int line, const std::vector<std::string_view>& words, Statement& statement) {
    const std::string_view name = words[0];
    const ExportInfo& info = kExports[statement.exportIndex];
    const std::string_view kinds = info.args;
    if (!Count(line, name, kinds.size(), words.size() - 1, "")) return false;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
      if (kinds[i] == 'm') {
        statement.mesh = Mesh(line, words[i + 1]);
        if (statement.mesh == nullptr) return false;
        statement.args.push_back(0);
        continue;
      }
      const std::optional<uint32_t> value = Number(line, name, i + 1, words[i + 1], kinds[i]);
      if (!value) return false;
      statement.args.push_back(*value);
    }
    return true;
  }

  bool Velocity(int line, const std::vector<std::string_view>& words, Statement& statement) {
    if (!Count(line, words[0], 4, words.size() - 1, " (object vx vy vz)")) return false;
    for (std::size_t i = 1; i < words.size(); ++i) {
      const std::optional<uint32_t> value = Number(line, words[0], i, words[i], i == 1 ? 'i' : 'f');
      if (!value) return false;
      statement.args.push_back(*value);
    }
    return true;
  }

  bool Step(int line, const std::vector<std::string_view>& words, Statement& statement) {
    if (!Count(line, words[0], 1, words.size() - 1, " (frames)")) return false;
    const std::optional<uint32_t> frames = ParseInt(words[1]);
    if (!frames || *frames > kMaxStepFrames || words[1][0] == '-') {
      return Fail(line, "'step': '" + std::string(words[1]) + "' is not a frame count (0 to " +
                            std::to_string(kMaxStepFrames) + ")");
    }
    statement.args.push_back(*frames);
    return true;
  }

  bool Line(int line, std::string_view text, Scene& scene) {
    const std::size_t hash = text.find('#');
    if (hash != std::string_view::npos) text = text.substr(0, hash);
    const std::vector<std::string_view> words = SplitWords(text);
    if (words.empty()) return true;

    Statement statement;
    statement.line = line;
    for (std::string_view word : words) {
      if (!statement.text.empty()) statement.text += ' ';
      statement.text += word;
    }
    const std::string_view name = words[0];
    bool ok = false;
    if (name == "velocity") {
      statement.kind = StatementKind::kVelocity;
      ok = Velocity(line, words, statement);
    } else if (name == "step") {
      statement.kind = StatementKind::kStep;
      ok = Step(line, words, statement);
    } else if ((statement.exportIndex = FindExportIndex(name)) >= 0) {
      ok = Call(line, words, statement);
    } else {
      std::string reason = "unknown statement '" + std::string(name) + "'";
      for (const ExportInfo& info : kExports) {
        if (Lower(info.name) == Lower(name))
          reason += " (did you mean '" + std::string(info.name) + "'?)";
      }
      return Fail(line, reason);
    }
    if (ok) scene.statements.push_back(std::move(statement));
    return ok;
  }
};

}  // namespace

bool ParseScene(std::string_view text, const std::string& file, Scene& scene, std::string& error) {
  scene = Scene{};
  scene.file = file;
  Parser parser{file, Directory(file), {}, {}};
  int line = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    ++line;
    if (!parser.Line(line, text.substr(start, end - start), scene)) {
      error = parser.error;
      scene.statements.clear();
      return false;
    }
    start = end + 1;
  }
  return true;
}

bool LoadScene(const std::string& file, Scene& scene, std::string& error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = file + ": cannot open the scene file";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return ParseScene(text.str(), file, scene, error);
}

}  // namespace ovoid_run
