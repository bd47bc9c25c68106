// ovoid-run: drives the library from a scene script, as a host engine would.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "library_loader.h"
#include "scene_run.h"
#include "scene_script.h"
#include "scene_svg.h"

using namespace ovoid_run;

namespace {

constexpr const char* kUsage =
    "usage: ovoid-run [--lib LIBRARY] [--csv FILE] [--svg FILE] SCENE\n"
    "  Runs the scene script against the Ovoid library and prints a transcript.\n"
    "  --lib LIBRARY  the library to load (default: $OVOID_LIBRARY, else %s next to\n"
    "                 this program)\n"
    "  --csv FILE     one row per frame and object: frame,object,x,y,z,contacts\n"
    "  --svg FILE     a side view and a top view of what happened\n";

int Usage(const char* problem) {
  if (problem != nullptr) std::fprintf(stderr, "ovoid-run: %s\n", problem);
  std::fprintf(stderr, kUsage, LibraryFileName());
  return 2;
}

void* Load(const std::string& chosen, const char* argv0) {
  std::string error;
  if (!chosen.empty()) {
    void* library = OpenLibrary(chosen, error);
    if (library == nullptr)
      std::fprintf(stderr, "ovoid-run: cannot load %s: %s\n", chosen.c_str(), error.c_str());
    return library;
  }
  const std::string beside = ExecutableDirectory(argv0) + LibraryFileName();
  if (void* library = OpenLibrary(beside, error)) return library;
  // Not beside the program: let the platform's own search find it.
  std::string fallbackError;
  if (void* library = OpenLibrary(LibraryFileName(), fallbackError)) return library;
  std::fprintf(stderr, "ovoid-run: cannot load %s: %s\n", beside.c_str(), error.c_str());
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  SetBinaryStdout();
  std::string libraryPath;
  std::string csvPath;
  std::string svgPath;
  std::string scenePath;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::printf(kUsage, LibraryFileName());
      return 0;
    }
    if (arg == "--lib" || arg == "--csv" || arg == "--svg") {
      if (i + 1 >= argc) return Usage((arg + " needs a value").c_str());
      std::string& target = arg == "--lib" ? libraryPath : arg == "--csv" ? csvPath : svgPath;
      target = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage(("unknown option " + arg).c_str());
    } else if (scenePath.empty()) {
      scenePath = arg;
    } else {
      return Usage("only one scene at a time");
    }
  }
  if (scenePath.empty()) return Usage("no scene given");
  if (libraryPath.empty()) {
    if (const char* fromEnv = std::getenv("OVOID_LIBRARY"); fromEnv != nullptr && *fromEnv) {
      libraryPath = fromEnv;
    }
  }

  // The whole scene, OBJ files included, is read before the library sees a single call.
  Scene scene;
  std::string error;
  if (!LoadScene(scenePath, scene, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::ofstream csv;
  std::ofstream svg;
  for (auto [path, stream] : {std::pair{&csvPath, &csv}, std::pair{&svgPath, &svg}}) {
    if (path->empty()) continue;
    stream->open(*path, std::ios::binary | std::ios::trunc);
    if (!*stream) {
      std::fprintf(stderr, "ovoid-run: cannot write %s\n", path->c_str());
      return 2;
    }
  }

  void* library = Load(libraryPath, argc > 0 ? argv[0] : nullptr);
  if (library == nullptr) return 2;
  OvoidLibrary ovoid;
  std::string missing;
  if (!ResolveExports(library, ovoid, missing)) {
    std::fprintf(stderr, "ovoid-run: the library lacks exports: %s\n", missing.c_str());
    CloseLibrary(library);
    return 2;
  }

  RunRecord record;
  RunScene(scene, ovoid, record, std::cout);
  std::cout.flush();
  if (!csvPath.empty()) WriteCsv(record, csv);
  if (!svgPath.empty()) WriteSvg(record, svg);
  bool written = true;
  for (auto [path, stream] : {std::pair{&csvPath, &csv}, std::pair{&svgPath, &svg}}) {
    if (path->empty()) continue;
    stream->close();
    if (!*stream) {
      std::fprintf(stderr, "ovoid-run: writing %s failed\n", path->c_str());
      written = false;
    }
  }
  CloseLibrary(library);
  return std::cout && written ? 0 : 2;
}
