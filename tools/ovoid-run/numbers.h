// Reading the decimal numbers of a scene and writing numbers the same way on every host:
// everything goes through std::from_chars / std::to_chars, never the C library's printf.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ovoid_run {

/// An integer argument: optional sign and decimal digits, from -2147483648 to 4294967295.
/// A negative value becomes its two's-complement pattern, as a host passing an int would.
std::optional<uint32_t> ParseInt(std::string_view text);

/// A float argument, as the bit pattern of the nearest float: a decimal literal (an integer,
/// a fraction and/or an exponent, an optional f suffix, inf or nan), or 0x followed by one
/// to eight hex digits giving the bits themselves.
std::optional<uint32_t> ParseFloatBits(std::string_view text);

float BitsToFloat(uint32_t bits);
uint32_t FloatToBits(float value);

/// The shortest decimal that reads back as the same float.
std::string FormatFloat(float value);
/// 0x and eight lower-case hex digits.
std::string FormatHex(uint32_t bits);
/// Shortest decimal and bit pattern: "1.5 [0x3fc00000]".
std::string FormatFloatBits(uint32_t bits);
/// Fixed-point with the given number of decimals (for drawing).
std::string FormatFixed(double value, int decimals);
std::string FormatInt(int64_t value);

}  // namespace ovoid_run
