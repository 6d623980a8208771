#pragma once
// HotSync user names.  A user name becomes the name of the user's HotSync
// folder and registry key, a line of the handheld's device file and part of
// one-line messages, so a name holding a control character (a line end, a tab,
// an escape: any byte below 0x20, or 0x7F) would split or garble all of them.
// Every place where a user name comes in (a command line, a handheld, the
// registry) refuses such a name with the reason given here.  Bytes from 0x80
// up are left alone: they are the multibyte characters of the name.

#include <cstdio>
#include <string>
#include <string_view>

namespace UserName {

inline bool IsControlByte(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

// Position of the first control character of the name, or npos.
inline std::size_t FindControlCharacter(std::string_view name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (IsControlByte(static_cast<unsigned char>(name[i]))) return i;
  }
  return std::string_view::npos;
}

// "" when the name may be used; else why not, worded to follow "the user
// name": "is empty", "holds a line end (0x0A)", "holds a control character
// (0x1B)".
inline std::string Problem(std::string_view name) {
  if (name.empty()) return "is empty";
  const std::size_t at = FindControlCharacter(name);
  if (at == std::string_view::npos) return std::string();
  const auto byte = static_cast<unsigned char>(name[at]);
  char code[8];
  std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(byte));
  const bool lineEnd = byte == '\n' || byte == '\r';
  return std::string(lineEnd ? "holds a line end (" : "holds a control character (") + code + ")";
}

inline bool IsValid(std::string_view name) { return Problem(name).empty(); }

}  // namespace UserName
