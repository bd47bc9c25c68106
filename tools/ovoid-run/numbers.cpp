#include "numbers.h"

#include <bit>
#include <charconv>
#include <system_error>

namespace ovoid_run {

std::optional<uint32_t> ParseInt(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  // from_chars would accept a second sign; only digits may follow.
  if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
  uint64_t magnitude = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (negative) {
    if (magnitude > 0x80000000u) return std::nullopt;
    return static_cast<uint32_t>(0u - static_cast<uint32_t>(magnitude));
  }
  if (magnitude > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<uint32_t>(magnitude);
}

std::optional<uint32_t> ParseFloatBits(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    const std::string_view digits = text.substr(2);
    if (digits.size() > 8) return std::nullopt;
    uint32_t bits = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), bits, 16);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return bits;
  }
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (!text.empty() && (text.back() == 'f' || text.back() == 'F')) {
    // "inf" keeps its f; a literal's suffix follows a digit or a point.
    const char before = text.size() > 1 ? text[text.size() - 2] : ' ';
    if ((before >= '0' && before <= '9') || before == '.') text.remove_suffix(1);
  }
  if (text.empty() || text[0] == '-' || text[0] == '+') return std::nullopt;
  float value = 0.0f;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return FloatToBits(negative ? -value : value);
}

float BitsToFloat(uint32_t bits) {
  return std::bit_cast<float>(bits);
}
uint32_t FloatToBits(float value) {
  return std::bit_cast<uint32_t>(value);
}

std::string FormatFloat(float value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string FormatHex(uint32_t bits) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text = "0x00000000";
  for (int i = 0; i < 8; ++i) text[9 - i] = kDigits[(bits >> (4 * i)) & 0xFu];
  return text;
}

std::string FormatFloatBits(uint32_t bits) {
  return FormatFloat(BitsToFloat(bits)) + " [" + FormatHex(bits) + "]";
}

std::string FormatFixed(double value, int decimals) {
  char text[64];
  const auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return "0";
  std::string out(text, result.ptr);
  if (out == "-0" || out.find_first_not_of("-0.") == std::string::npos) {
    out.erase(0, out[0] == '-' ? 1 : 0);  // no "-0.00" in the drawing
  }
  return out;
}

std::string FormatInt(int64_t value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace ovoid_run
