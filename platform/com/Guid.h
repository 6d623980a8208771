#pragma once
// 128-bit identifiers of classes, interfaces and services, laid out as the
// binary interface lays them out: a 32-bit, two 16-bit fields and 8 bytes.
// Text form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", the first three
// groups being the three fields as numbers and the last two the 8 bytes in
// order.

#include <cstdint>
#include <string>
#include <string_view>

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16);

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}
constexpr bool IsEqualGUID(const GUID& a, const GUID& b) { return a == b; }
// An order for maps keyed by identifier (field by field, then byte by byte).
bool operator<(const GUID& a, const GUID& b);

namespace com_detail {
constexpr int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
// Parses the braced text form; false when it is not exactly that form.
constexpr bool ParseGuid(std::string_view text, GUID& out) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  // Positions of the 32 hex digits inside the braces; hyphens at 9, 14, 19, 24.
  std::uint8_t bytes[16] = {};
  int digit = 0;
  for (std::size_t i = 1; i < 37; ++i) {
    char c = text[i];
    if (i == 9 || i == 14 || i == 19 || i == 24) {
      if (c != '-') return false;
      continue;
    }
    int value = HexDigit(c);
    if (value < 0) return false;
    bytes[digit / 2] = static_cast<std::uint8_t>(bytes[digit / 2] * 16 + value);
    ++digit;
  }
  out.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
              (std::uint32_t{bytes[2]} << 8) | bytes[3];
  out.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
  out.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) out.Data4[i] = bytes[8 + i];
  return true;
}
void InvalidGuidLiteral();  // never defined: makes a bad literal a compile error
}  // namespace com_detail

// A GUID from its braced text at compile time:
//   constexpr CLSID CLSID_Thing = GuidLiteral("{1FE514CE-013C-4D4B-963B-5C3A8352909C}");
consteval GUID GuidLiteral(const char (&text)[39]) {
  GUID guid{};
  if (!com_detail::ParseGuid(std::string_view(text, 38), guid)) com_detail::InvalidGuidLiteral();
  return guid;
}

// Parses the braced text form (hex digits of either case); false, leaving
// `out` unchanged, when the text is anything else.
bool GuidFromString(std::string_view text, GUID& out);
// The braced text form with upper-case hex digits, as registry keys spell it.
std::string GuidToString(const GUID& guid);

inline constexpr GUID GUID_NULL{};
inline constexpr IID IID_NULL{};
