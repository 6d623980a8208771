#include "tools/common/JsonWriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <ostream>

#include "tools/common/ToolText.h"

namespace {

// Length of the well-formed UTF-8 sequence starting at s[i], or 0.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
  const auto b = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  if (c < 0x80) return 1;
  std::size_t n;
  unsigned char lo = 0x80, hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;  // no surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  if (b(i + 1) < lo || b(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < n; ++k) {
    if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
  }
  return n;
}

// The stream receives the document in blocks of this size.
constexpr std::size_t BLOCK = 64 * 1024;

// The most bytes the quoted form of n bytes can take: every byte a six-byte
// \u escape or a three-byte U+FFFD, and the two quotes.
std::size_t QuotedRoom(std::size_t n) { return 6 * n + 2; }

char* WriteEscape(char* to, unsigned char c) {
  static const char kHex[] = "0123456789abcdef";
  *to++ = '\\';
  switch (c) {
    case '"': *to++ = '"'; break;
    case '\\': *to++ = '\\'; break;
    case '\b': *to++ = 'b'; break;
    case '\f': *to++ = 'f'; break;
    case '\n': *to++ = 'n'; break;
    case '\r': *to++ = 'r'; break;
    case '\t': *to++ = 't'; break;
    default:
      *to++ = 'u';
      *to++ = '0';
      *to++ = '0';
      *to++ = kHex[c >> 4];
      *to++ = kHex[c & 0x0F];
  }
  return to;
}

// True when any of eight bytes is not printable ASCII, or is '"' or '\\'.
bool NeedsCloserLook(std::uint64_t word) {
  constexpr std::uint64_t ones = 0x0101010101010101ull;
  constexpr std::uint64_t highs = 0x8080808080808080ull;
  const auto hasZero = [](std::uint64_t v) { return (v - ones) & ~v & highs; };
  const std::uint64_t below = (word - ones * 0x20) & ~word & highs;  // a byte below 0x20
  return ((word | below) & highs) != 0 || hasZero(word ^ (ones * '"')) != 0 ||
         hasZero(word ^ (ones * '\\')) != 0 || hasZero(word ^ (ones * 0x7F)) != 0;
}

// Writes the quoted form of s at to, which has QuotedRoom(s.size()) bytes of
// room, and returns the end.  ASCII that needs no escape and well-formed UTF-8
// are copied as they are.  With foldCrLf, each "\r\n" is written as the "\n"
// alone.
char* WriteQuoted(char* to, std::string_view s, bool foldCrLf) {
  // Printable ASCII but the two characters that need escapes.
  static const auto plain = [] {
    std::array<bool, 256> t{};
    for (int c = 0x20; c < 0x7F; ++c) t[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
    return t;
  }();
  *to++ = '"';
  const std::size_t n = s.size();
  // Bytes up to here are looked at one by one: a word that needs a closer
  // look is not read as a word again.
  std::size_t closer = 0;
  for (std::size_t i = 0; i < n;) {
    if (i >= closer && i + 8 <= n) {
      // Eight bytes at a time while none of them needs a closer look.
      std::uint64_t word;
      std::memcpy(&word, s.data() + i, 8);
      if (!NeedsCloserLook(word)) {
        std::memcpy(to, &word, 8);
        to += 8;
        i += 8;
        continue;
      }
      closer = i + 8;
    }
    const auto c = static_cast<unsigned char>(s[i]);
    if (plain[c]) {
      *to++ = static_cast<char>(c);
      ++i;
    } else if (c >= 0xE1 && c <= 0xEF && c != 0xED && i + 3 <= n &&
               (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80 &&
               (static_cast<unsigned char>(s[i + 2]) & 0xC0) == 0x80) {
      // A three-byte character whose lead byte puts no limit on the bytes
      // after it (kana and kanji among them).
      std::memcpy(to, s.data() + i, 3);
      to += 3;
      i += 3;
    } else if (c >= 0x80) {
      const std::size_t length = Utf8SequenceLength(s, i);
      if (length == 0) {
        // U+FFFD for a byte that starts no UTF-8 character.
        *to++ = '\xEF';
        *to++ = '\xBF';
        *to++ = '\xBD';
        ++i;
      } else {
        for (const std::size_t end = i + length; i < end; ++i) *to++ = s[i];
      }
    } else {
      if (!(foldCrLf && c == '\r' && i + 1 < n && s[i + 1] == '\n')) to = WriteEscape(to, c);
      ++i;
    }
  }
  *to++ = '"';
  return to;
}

}  // namespace

CJsonWriter::CJsonWriter(std::ostream& out, int indent) : out_(out), indent_(indent) {}

CJsonWriter::~CJsonWriter() { Flush(); }

void CJsonWriter::Flush() {
  if (used_ == 0) return;
  out_.write(buffer_.data(), static_cast<std::streamsize>(used_));
  used_ = 0;
}

char* CJsonWriter::Room(std::size_t n) {
  if (buffer_.size() - used_ < n) {
    Flush();
    if (buffer_.size() < n) buffer_.resize(std::max(n, BLOCK));
  }
  return buffer_.data() + used_;
}

void CJsonWriter::Put(std::string_view bytes) {
  std::memcpy(Room(bytes.size()), bytes.data(), bytes.size());
  used_ += bytes.size();
}

void CJsonWriter::Put(char c) {
  *Room(1) = c;
  ++used_;
}

void CJsonWriter::PutQuoted(std::string_view text, bool foldCrLf) {
  char* start = Room(QuotedRoom(text.size()));
  used_ += static_cast<std::size_t>(WriteQuoted(start, text, foldCrLf) - start);
}

void CJsonWriter::NewLine(std::size_t depth) {
  if (indent_ <= 0) return;
  const std::size_t spaces = depth * static_cast<std::size_t>(indent_);
  char* to = Room(spaces + 1);
  *to = '\n';
  std::memset(to + 1, ' ', spaces);
  used_ += spaces + 1;
}

void CJsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (stack_.empty()) return;
  Level& top = stack_.back();
  if (top.count > 0) Put(',');
  ++top.count;
  NewLine(stack_.size());
}

void CJsonWriter::BeginObject() {
  BeforeValue();
  Put('{');
  stack_.push_back(Level{true, 0});
}

void CJsonWriter::EndObject() { Close('}'); }

void CJsonWriter::BeginArray() {
  BeforeValue();
  Put('[');
  stack_.push_back(Level{false, 0});
}

void CJsonWriter::EndArray() { Close(']'); }

void CJsonWriter::Close(char bracket) {
  const std::size_t count = stack_.empty() ? 0 : stack_.back().count;
  if (!stack_.empty()) stack_.pop_back();
  if (count > 0) NewLine(stack_.size());
  Put(bracket);
}

void CJsonWriter::Key(std::string_view name) {
  BeforeValue();
  PutQuoted(name, false);
  Put(indent_ > 0 ? std::string_view(": ") : std::string_view(":"));
  afterKey_ = true;
}

void CJsonWriter::String(std::string_view utf8) {
  BeforeValue();
  PutQuoted(utf8, false);
}

void CJsonWriter::AnsiString(std::string_view ansi) {
  BeforeValue();
  if (AnsiIsPlainAscii(ansi)) {
    // ASCII converts to itself: only the line ends change.
    PutQuoted(ansi, true);
  } else {
    scratch_.clear();
    AppendAnsiToOutput(scratch_, ansi);
    PutQuoted(scratch_, false);
  }
}

void CJsonWriter::Int(std::int64_t value) {
  BeforeValue();
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  Put(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void CJsonWriter::UInt(std::uint64_t value) {
  BeforeValue();
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  Put(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void CJsonWriter::Bool(bool value) {
  BeforeValue();
  Put(value ? std::string_view("true") : std::string_view("false"));
}

void CJsonWriter::Null() {
  BeforeValue();
  Put("null");
}

void CJsonWriter::Finish() {
  Put('\n');
  Flush();
}

std::string CJsonWriter::Quote(std::string_view utf8) {
  std::string q(QuotedRoom(utf8.size()), '\0');
  q.resize(static_cast<std::size_t>(WriteQuoted(q.data(), utf8, false) - q.data()));
  return q;
}
