// A host's view of ovoid.dll: every export is a cdecl function whose arguments and result
// are 32-bit slots, floats travelling as their bit patterns. Checks call exports by name.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ovoid/ovoid.h"

namespace host {

struct ExportEntry {
  unsigned ordinal;
  const char* name;
};

// Every export of the library, in ordinal order, generated from src/api/exports.txt.
inline constexpr ExportEntry kExports[] = {
#define OVOID_EXPORT(ordinal, name) {ordinal, #name},
#include "ovoid_exports.inc"
#undef OVOID_EXPORT
};
inline constexpr unsigned kExportCount = sizeof kExports / sizeof kExports[0];

inline uint32_t Bits(float value) {
  return OvoidFloatBits(value);
}

struct Host {
  HMODULE module = nullptr;
  std::vector<std::string> failures;  // of the check that is running

  // Records a failure of the running check; the check goes on to report everything it finds.
  void Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Expect(bool ok, const char* what) {
    if (!ok) Fail("%s", what);
  }
  void ExpectInt(const char* what, int32_t got, int32_t want) {
    if (got != want) Fail("%s: got %ld, want %ld", what, long(got), long(want));
  }
  void ExpectBits(const char* what, uint32_t got, uint32_t want) {
    if (got != want) {
      Fail("%s: got 0x%08lx (%.9g), want 0x%08lx (%.9g)", what, static_cast<unsigned long>(got),
           double(OvoidBitsFloat(got)), static_cast<unsigned long>(want),
           double(OvoidBitsFloat(want)));
    }
  }

  // Calls an export by name with the argument slots given (uint32_t, int or a pointer).
  // An export that cannot be found fails the check and yields 0 instead of a call.
  template <typename R = uint32_t, typename... A>
  R Call(const char* name, A... args) {
    FARPROC proc = GetProcAddress(module, name);
    if (proc == nullptr) {
      Fail("export %s not found", name);
      return R{};
    }
    // Through the generic function pointer type, which -Wcast-function-type accepts.
    auto fn = reinterpret_cast<R(__cdecl*)(A...)>(reinterpret_cast<void (*)(void)>(proc));
    return fn(args...);
  }
};

struct Check {
  const char* name;
  void (*run)(Host& host);
};

// The checks, run in this order; the library is stopped after each.
extern const Check kChecks[];
extern const unsigned kCheckCount;

}  // namespace host
