// The error box: bad host arguments are reported once per arming, and only when armed.
#pragma once

#include <cstdint>

namespace ovoid {

struct World;
struct CollObj;

/// Shows message followed by value (truncated, low 32 bits as a signed decimal) in the
/// error box when debugFlag is armed, and disarms it. Otherwise does nothing.
void ReportError(World& world, const char* message, float value);

/// ReportError for a host integer: the unsigned value rounded to the nearest float first.
void ReportError(World& world, const char* message, uint32_t value);

/// The registered object under number, or null after reporting why there is none.
CollObj* CheckObjNumber(World& world, uint32_t number);

/// The text ReportError builds: message immediately followed by the formatted value.
/// Writes at most size bytes, NUL included.
void FormatErrorText(char* out, unsigned size, const char* message, float value);

/// Shows one error text: a message box on Windows, one line on standard error elsewhere.
void ShowErrorBox(const char* text);

}  // namespace ovoid
