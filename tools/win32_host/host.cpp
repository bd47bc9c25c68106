// Loads ovoid.dll as a game engine would (LoadLibraryA, GetProcAddress) and runs the checks of
// host_checks.cpp against it. Usage: ovoid_host [path\to\ovoid.dll]; by default the DLL next
// to the program. Exits 0 only when every check passes.
#include "host.h"

#include <fcntl.h>
#include <io.h>

#include <cstdarg>

namespace host {

void Host::Fail(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  failures.emplace_back(text);
}

}  // namespace host

namespace {

std::string DefaultLibraryPath() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return "ovoid.dll";
  std::string folder(path, length);
  size_t slash = folder.find_last_of("\\/");
  folder.resize(slash == std::string::npos ? 0 : slash + 1);
  return folder + "ovoid.dll";
}

}  // namespace

int main(int argc, char** argv) {
  // Plain line ends, so the output compares equal to a Linux host's.
  _setmode(_fileno(stdout), _O_BINARY);
  const std::string path = argc > 1 ? argv[1] : DefaultLibraryPath();

  host::Host h;
  h.module = LoadLibraryA(path.c_str());
  if (h.module == nullptr) {
    std::printf("win32 host: cannot load %s (error %lu)\n", path.c_str(), GetLastError());
    std::printf("win32 host: FAILED\n");
    return 1;
  }
  std::printf("win32 host: loaded %s\n", path.c_str());

  unsigned failed = 0;
  for (unsigned i = 0; i < host::kCheckCount; ++i) {
    const host::Check& check = host::kChecks[i];
    h.failures.clear();
    check.run(h);
    h.Call<void>("StopCollisionNUV");
    std::printf("%s %s\n", h.failures.empty() ? "[  OK  ]" : "[ FAIL ]", check.name);
    for (const std::string& failure : h.failures) std::printf("           %s\n", failure.c_str());
    if (!h.failures.empty()) ++failed;
    std::fflush(stdout);
  }

  // Unloading runs the library's stop once more; it must come back cleanly.
  if (!FreeLibrary(h.module)) {
    std::printf("[ FAIL ] FreeLibrary (error %lu)\n", GetLastError());
    ++failed;
  }

  if (failed == 0) {
    std::printf("win32 host: all %u checks passed\n", host::kCheckCount);
    return 0;
  }
  std::printf("win32 host: %u of %u checks FAILED\n", failed, host::kCheckCount);
  return 1;
}
