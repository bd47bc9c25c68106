#include "library_loader.h"

#include <cstring>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#else
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#endif

namespace ovoid_run {

#if defined(_WIN32)

const char* LibraryFileName() {
  return "ovoid.dll";
}

std::string ExecutableDirectory(const char*) {
  char path[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string text(path, length);
  const std::size_t slash = text.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
}

void* OpenLibrary(const std::string& path, std::string& error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    error = "LoadLibraryA failed with error " + std::to_string(GetLastError());
    return nullptr;
  }
  return reinterpret_cast<void*>(module);
}

void* FindSymbol(void* library, const char* name) {
  // GetProcAddress returns a generic function pointer; the caller knows the real type.
  FARPROC proc = GetProcAddress(reinterpret_cast<HMODULE>(library), name);
  void* address = nullptr;
  static_assert(sizeof proc == sizeof address);
  std::memcpy(&address, &proc, sizeof address);
  return address;
}

void CloseLibrary(void* library) {
  FreeLibrary(reinterpret_cast<HMODULE>(library));
}

void SetBinaryStdout() {
  _setmode(_fileno(stdout), _O_BINARY);
}

#else

const char* LibraryFileName() {
  return "libovoid.so";
}

std::string ExecutableDirectory(const char* argv0) {
  char path[PATH_MAX + 1];
  const ssize_t length = readlink("/proc/self/exe", path, PATH_MAX);
  std::string text = length > 0 ? std::string(path, static_cast<std::size_t>(length))
                                : std::string(argv0 != nullptr ? argv0 : "");
  const std::size_t slash = text.find_last_of('/');
  return slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
}

void* OpenLibrary(const std::string& path, std::string& error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    error = reason != nullptr ? reason : "dlopen failed";
  }
  return handle;
}

void* FindSymbol(void* library, const char* name) {
  return dlsym(library, name);
}

void CloseLibrary(void* library) {
  dlclose(library);
}

void SetBinaryStdout() {}

#endif

}  // namespace ovoid_run
