#pragma once
// The message formatter of the HotSync log: fills a message from the string
// table in the way the Windows formatter the messages were written for does.
//
// Conversions: %s, %d, %i, %u, %x, %X, %c and %%, each with optional flags '-'
// (left-justify) and '0' (zero-pad numbers), an optional width in digits and an
// optional precision ".digits" (for %s: at most that many bytes); the size
// prefixes 'l' and 'h' are accepted and ignored.  "%1s" is width 1, which shows
// nothing for a longer text.  An argument of the wrong kind is converted (a
// number under %s is written in decimal, a text under a number conversion
// counts as 0); a missing argument writes nothing.  The result is cut to
// `limit` - 1 bytes without splitting a double-byte character.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

struct MessageArg {
  enum class Kind { Text, Signed, Unsigned };
  Kind kind;
  const char* text = nullptr;
  std::int64_t number = 0;

  MessageArg(const char* value) : kind(Kind::Text), text(value) {}                       // NOLINT
  MessageArg(std::int32_t value) : kind(Kind::Signed), number(value) {}                 // NOLINT
  MessageArg(std::uint32_t value) : kind(Kind::Unsigned), number(value) {}              // NOLINT
};

// Formats `format` with `args`; the result holds at most `limit` - 1 bytes
// (no limit when `limit` is 0).
std::string FormatLogMessage(const char* format, std::initializer_list<MessageArg> args,
                          std::size_t limit = 0);
