#pragma once

// Hexadecimal digits in text that people and other tools read: values written
// with a fixed number of digits, and runs of digits read back whole.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

// Appends `value` in hexadecimal, zero-padded to at least `width` digits, in
// lower case unless `upper`.
inline void AppendHex(std::string& out, std::uint64_t value, std::size_t width = 0, bool upper = false) {
  char digits[16];
  const char* end = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
  const auto count = static_cast<std::size_t>(end - digits);
  if (count < width) out.append(width - count, '0');
  for (const char* p = digits; p != end; ++p) {
    out += upper && *p >= 'a' ? static_cast<char>(*p - 'a' + 'A') : *p;
  }
}

// The value of `digits`, every character of which must be a hexadecimal digit
// (either case; no sign, prefix or space).  False when there are none, when a
// character is not a digit or when the value does not fit in T.
template <typename T>
bool ParseHex(std::string_view digits, T& value) {
  if (digits.empty()) return false;
  const char* last = digits.data() + digits.size();
  const auto [end, error] = std::from_chars(digits.data(), last, value, 16);
  return error == std::errc() && end == last;
}
