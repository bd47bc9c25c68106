#include "core/report.h"

#include <cstdio>

#include "core/world.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace ovoid {

void FormatErrorText(char* out, unsigned size, const char* message, float value) {
  // Truncation toward zero through a 64-bit integer; the low 32 bits print signed, so a
  // host's -1 (4294967296 as a float) prints as 0. Values outside the 64-bit range
  // saturate instead of invoking an undefined conversion.
  int64_t wide = 0;
  if (value >= 9.2233720368547758e18f) {
    wide = INT64_MAX;
  } else if (value > -9.2233720368547758e18f) {
    wide = static_cast<int64_t>(value);
  } else if (value <= -9.2233720368547758e18f) {
    wide = INT64_MIN;
  }
  const auto low = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(wide)));
  std::snprintf(out, size, "%s%ld", message, static_cast<long>(low));
}

void ShowErrorBox(const char* text) {
#if defined(_WIN32)
  MessageBoxA(nullptr, text, "Collision Error", MB_OK | MB_ICONINFORMATION);
#else
  std::fprintf(stderr, "Collision Error: %s\n", text);
#endif
}

void ReportError(World& world, const char* message, float value) {
  if (world.debugFlag == 0) return;
  world.debugFlag = 0;  // one box per arming, even if showing it fails
  char text[160];
  FormatErrorText(text, sizeof text, message, value);
  if (world.errorSink != nullptr) {
    world.errorSink(world.errorSinkContext, text);
  } else {
    ShowErrorBox(text);
  }
}

void ReportError(World& world, const char* message, uint32_t value) {
  ReportError(world, message, static_cast<float>(value));
}

CollObj* CheckObjNumber(World& world, uint32_t number) {
  if (number > kMaxObjectNumber || number == 0) {
    ReportError(world, "Object number out of range for collision system: ", number);
    return nullptr;
  }
  CollObj* obj = world.objectTable[number];
  if (obj == nullptr) {
    ReportError(world, "Object not defined in collision system: ", number);
  }
  return obj;
}

}  // namespace ovoid
