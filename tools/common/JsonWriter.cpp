#include "tools/common/JsonWriter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <memory>
#include <ostream>

#include <nlohmann/json.hpp>

#include "platform/text/CodePage.h"
#include "tools/common/AnsiDecoder.h"
#include "tools/common/ToolText.h"

namespace {

// What a UTF-8 lead byte announces: the length of its sequence and the range
// its second byte must lie in (which excludes overlong forms, surrogates and
// code points above U+10FFFF); n = 0 for a byte that leads no sequence.
struct Utf8Lead {
  std::size_t n = 0;
  unsigned char lo = 0x80, hi = 0xBF;
};

Utf8Lead LeadOf(unsigned char c) {
  Utf8Lead lead;
  if (c >= 0xC2 && c <= 0xDF) {
    lead.n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    lead.n = 3;
    if (c == 0xE0) lead.lo = 0xA0;
    if (c == 0xED) lead.hi = 0x9F;  // no surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    lead.n = 4;
    if (c == 0xF0) lead.lo = 0x90;
    if (c == 0xF4) lead.hi = 0x8F;
  }
  return lead;
}

// Length of the well-formed UTF-8 sequence starting at s[i], or 0.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
  const auto b = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  if (b(i) < 0x80) return 1;
  const Utf8Lead lead = LeadOf(b(i));
  if (lead.n == 0 || i + lead.n > s.size()) return 0;
  if (b(i + 1) < lead.lo || b(i + 1) > lead.hi) return 0;
  for (std::size_t k = 2; k < lead.n; ++k) {
    if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
  }
  return lead.n;
}

// The number of bytes from s[i] that one U+FFFD stands for, where no
// well-formed UTF-8 character starts: the start of a character that breaks off
// (a lead byte and the bytes that may follow it), or the one byte that starts
// none.  nlohmann-json replaces the same runs.
std::size_t InvalidRunLength(std::string_view s, std::size_t i) {
  const auto b = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const Utf8Lead lead = LeadOf(b(i));
  if (lead.n == 0) return 1;
  std::size_t k = 1;
  if (i + k < s.size() && b(i + k) >= lead.lo && b(i + k) <= lead.hi) {
    for (++k; k < lead.n && i + k < s.size() && b(i + k) >= 0x80 && b(i + k) <= 0xBF;) ++k;
  }
  return k;
}

// Spaces for the indent before a member name, copied as one block.
constexpr std::string_view kSpaces = "                                ";

// The stream receives the document in blocks of this size.
constexpr std::size_t BLOCK = 64 * 1024;

// The most bytes the quoted form of n bytes can take: every byte a six-byte
// \u escape or a three-byte U+FFFD, and the two quotes.
std::size_t QuotedRoom(std::size_t n) { return 6 * n + 2; }

// ASCII but the control characters and the two characters that need escapes:
// the bytes that stand for themselves inside a JSON string.
const std::array<bool, 256>& PlainBytes() {
  static const auto plain = [] {
    std::array<bool, 256> t{};
    for (int c = 0x20; c < 0x80; ++c) t[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
    return t;
  }();
  return plain;
}

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

// A mark (the byte's high bit) for each of eight bytes, read from memory in
// order, that is not ASCII, is a control character below 0x20, or is '"' or
// '\\'.  Only marks above the lowest can be false: a borrow between bytes
// starts only at a byte that is marked.
inline std::uint64_t SpecialBytes(std::uint64_t word) {
  constexpr std::uint64_t ones = 0x0101010101010101ull;
  constexpr std::uint64_t highs = 0x8080808080808080ull;
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  // A byte at or above 0x80 is marked by its own high bit; for one below, each
  // term below sets the high bit when the byte is below 0x20, is '"' or is
  // '\\'.
  return (word | (word - ones * 0x20) | ((word ^ (ones * '"')) - ones) |
          ((word ^ (ones * '\\')) - ones)) &
         highs;
}

inline bool NeedsCloserLook(std::uint64_t word) { return SpecialBytes(word) != 0; }

// Writes the quoted form of s at to, which has QuotedRoom(s.size()) bytes of
// room, and returns the end.  ASCII that needs no escape and well-formed UTF-8
// are copied as they are.  With foldCrLf, each "\r\n" is written as the "\n"
// alone.
char* WriteQuoted(char* to, std::string_view s, bool foldCrLf) {
  const std::array<bool, 256>& plain = PlainBytes();
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
        // U+FFFD for bytes that make no UTF-8 character.
        *to++ = '\xEF';
        *to++ = '\xBF';
        *to++ = '\xBD';
        i += InvalidRunLength(s, i);
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

// True when s is a run of whole, well-formed UTF-8 characters.
bool IsWellFormed(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t length = Utf8SequenceLength(s, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

// The quoted form of UTF-8 text without its quotes.
std::string Escaped(std::string_view utf8) {
  std::string q(QuotedRoom(utf8.size()), '\0');
  q.resize(static_cast<std::size_t>(WriteQuoted(q.data(), utf8, false) - q.data()));
  return q.substr(1, q.size() - 2);
}

// The JSON forms of the characters of ANSI text, for quoting the text in the
// same pass as its decoding.  A single-byte character is written as the
// escaped form of its UTF-8; a double-byte character (or a lone lead byte)
// never needs an escape and is written as the decoder gives it.  Each form is
// whole, well-formed UTF-8, so writing them one after another gives the same
// bytes as quoting the whole decoded text at once.
struct AnsiForms {
  // Eight bytes, copied whole: the size that follows the form's bytes lands
  // past the end of the form and is written over by what comes next.
  struct Form {
    char bytes[7];
    std::uint8_t size;
  };
  static constexpr std::size_t kMaxForm = sizeof(Form::bytes);

  // A copy of the decoder: the forms outlive any change of the code page that
  // replaces the decoder itself.
  explicit AnsiForms(const CAnsiDecoder& d) : decoder(d) {}

  CAnsiDecoder decoder;
  std::array<Form, 256> single{};

  // The forms for the code page in use, or null when there is no table decoder
  // for it or its characters do not fit the forms; the text is then decoded
  // and quoted in two passes.
  static const AnsiForms* ForCurrentCodePage() {
    thread_local std::string page;
    thread_local std::unique_ptr<AnsiForms> forms;
    std::string current = AnsiCodePage();
    if (current != page) {
      forms.reset();
      if (const CAnsiDecoder* d = CAnsiDecoder::ForCurrentCodePage()) {
        auto built = std::make_unique<AnsiForms>(*d);
        if (built->Build()) forms = std::move(built);
      }
      page = std::move(current);
    }
    return forms.get();
  }

  bool Build() {
    const CAnsiDecoder& d = decoder;
    for (int b = 0; b < 256; ++b) {
      const auto c = static_cast<unsigned char>(b);
      if (!d.IsSingle(c)) {
        // The eight-byte copy of plain ASCII needs every ASCII byte to be a
        // character on its own.
        if (c < 0x80) return false;
        continue;
      }
      const std::string_view utf8(d.Single(c).bytes, d.Single(c).size);
      // ...and to stand for itself.
      if (c < 0x80 && utf8 != std::string_view(reinterpret_cast<const char*>(&c), 1)) return false;
      if (!IsWellFormed(utf8)) return false;
      const std::string escaped = Escaped(utf8);
      if (escaped.size() > kMaxForm) return false;
      escaped.copy(single[c].bytes, escaped.size());
      single[c].size = static_cast<std::uint8_t>(escaped.size());
    }
    return d.AllDoubleForms([](std::string_view utf8) {
      return utf8.size() <= kMaxForm && IsWellFormed(utf8) && Escaped(utf8) == utf8;
    });
  }
};

// The most bytes the quoted form of n bytes of ANSI text can take, with room
// for the last form's whole-word copy.
std::size_t QuotedAnsiRoom(std::size_t n) { return AnsiForms::kMaxForm * n + 2 + sizeof(AnsiForms::Form); }

// Writes the quoted UTF-8 form of ANSI text at to, which has QuotedAnsiRoom
// bytes of room, and returns the end: the decoded text with each "\r\n" taken
// as "\n", quoted as WriteQuoted quotes it, in one pass.  A byte that may be a
// trail byte ('\\' among them) is taken as one only after a lead byte, as the
// decoder walks characters.
char* WriteQuotedAnsi(char* to, std::string_view s, const AnsiForms& forms) {
  const std::array<bool, 256>& plain = PlainBytes();
  const CAnsiDecoder& decoder = forms.decoder;
  *to++ = '"';
  const std::size_t n = s.size();
  for (std::size_t i = 0; i < n;) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      if (decoder.IsSingle(c)) {
        const AnsiForms::Form& form = forms.single[c];
        std::memcpy(to, &form, sizeof form);
        to += form.size;
        ++i;
      } else {
        const CAnsiDecoder::Entry& e = decoder.Double(s, i);
        std::memcpy(to, e.bytes, sizeof e.bytes);
        to += e.size;
      }
      continue;
    }
    if (i + 8 <= n) {
      // ASCII, eight bytes at a time: all of them go out, and the output then
      // goes on from the first byte that is not plain ASCII.
      std::uint64_t word;
      std::memcpy(&word, s.data() + i, 8);
      std::memcpy(to, &word, 8);
      const std::uint64_t special = SpecialBytes(word);
      if (special == 0) {
        to += 8;
        i += 8;
        continue;
      }
      const auto plainRun = static_cast<std::size_t>(std::countr_zero(special) / 8);
      to += plainRun;
      i += plainRun;
      c = static_cast<unsigned char>(s[i]);
      if (c >= 0x80) continue;
    }
    // An ASCII byte that needs a look of its own, or one of the last few.
    if (plain[c]) {
      *to++ = static_cast<char>(c);
      ++i;
      continue;
    }
    if (c == '\r' && i + 1 < n && s[i + 1] == '\n') ++i;  // "\r\n" goes out as "\n"
    const AnsiForms::Form& form = forms.single[static_cast<unsigned char>(s[i])];
    std::memcpy(to, &form, sizeof form);
    to += form.size;
    ++i;
  }
  *to++ = '"';
  return to;
}

}  // namespace

CJsonWriter::CJsonWriter(std::ostream& out, int indent) : m_out(out), m_indent(indent) {}

CJsonWriter::~CJsonWriter() { Flush(); }

void CJsonWriter::Flush() {
  if (m_used == 0) return;
  m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_used));
  m_used = 0;
}

void CJsonWriter::MakeRoom(std::size_t n) {
  Flush();
  if (m_buffer.size() < n) m_buffer.resize(std::max(n, BLOCK));
}

void CJsonWriter::Put(std::string_view bytes) {
  std::memcpy(Room(bytes.size()), bytes.data(), bytes.size());
  m_used += bytes.size();
}

void CJsonWriter::Put(char c) {
  *Room(1) = c;
  ++m_used;
}

void CJsonWriter::PutQuoted(std::string_view text, bool foldCrLf) {
  char* start = Room(QuotedRoom(text.size()));
  m_used += static_cast<std::size_t>(WriteQuoted(start, text, foldCrLf) - start);
}

void CJsonWriter::NewLine(std::size_t depth) {
  if (m_indent <= 0) return;
  const std::size_t spaces = depth * static_cast<std::size_t>(m_indent);
  char* to = Room(spaces + 1);
  *to = '\n';
  std::memset(to + 1, ' ', spaces);
  m_used += spaces + 1;
}

void CJsonWriter::BeforeValue() {
  if (m_afterKey) {
    m_afterKey = false;
    return;
  }
  if (m_stack.empty()) return;
  Level& top = m_stack.back();
  if (top.count > 0) Put(',');
  ++top.count;
  NewLine(m_stack.size());
}

void CJsonWriter::BeginObject() {
  BeforeValue();
  Put('{');
  m_stack.push_back(Level{true, 0});
}

void CJsonWriter::EndObject() { Close('}'); }

void CJsonWriter::BeginArray() {
  BeforeValue();
  Put('[');
  m_stack.push_back(Level{false, 0});
}

void CJsonWriter::EndArray() { Close(']'); }

void CJsonWriter::Close(char bracket) {
  const std::size_t count = m_stack.empty() ? 0 : m_stack.back().count;
  if (!m_stack.empty()) m_stack.pop_back();
  if (count > 0) NewLine(m_stack.size());
  Put(bracket);
}

char* CJsonWriter::BeginPlainKey(std::size_t size) {
  if (m_afterKey || m_stack.empty()) return nullptr;
  const std::size_t spaces = m_indent > 0 ? m_stack.size() * static_cast<std::size_t>(m_indent) : 0;
  if (spaces > kSpaces.size()) return nullptr;
  // The indent is copied as a whole word of kSpaces, and ": " whole after the
  // name when the separator is ":" alone: Room leaves space for both.
  Level& top = m_stack.back();
  const bool comma = top.count > 0;
  const std::size_t separator = m_indent > 0 ? 2 : 1;
  const std::size_t total = (comma ? 1 : 0) + (m_indent > 0 ? 1 + spaces : 0) + size + 2 + separator;
  char* to = Room(total + kSpaces.size());
  if (comma) *to++ = ',';
  if (m_indent > 0) {
    *to++ = '\n';
    std::memcpy(to, kSpaces.data(), kSpaces.size());
    to += spaces;
  }
  *to++ = '"';
  m_used += total;
  ++top.count;
  m_afterKey = true;
  return to;
}

void CJsonWriter::EscapedKey(std::string_view name) {
  BeforeValue();
  PutQuoted(name, false);
  Put(m_indent > 0 ? std::string_view(": ") : std::string_view(":"));
  m_afterKey = true;
}

void CJsonWriter::String(std::string_view utf8) {
  BeforeValue();
  PutQuoted(utf8, false);
}

void CJsonWriter::AnsiString(std::string_view ansi) {
  BeforeValue();
  if (const AnsiForms* forms = AnsiForms::ForCurrentCodePage()) {
    char* start = Room(QuotedAnsiRoom(ansi.size()));
    m_used += static_cast<std::size_t>(WriteQuotedAnsi(start, ansi, *forms) - start);
  } else if (AnsiIsPlainAscii(ansi)) {
    // ASCII converts to itself: only the line ends change.
    PutQuoted(ansi, true);
  } else {
    m_scratch.clear();
    AppendAnsiToOutput(m_scratch, ansi);
    PutQuoted(m_scratch, false);
  }
}

void CJsonWriter::Int(std::int64_t value) {
  BeforeValue();
  char* to = Room(24);
  m_used += static_cast<std::size_t>(std::to_chars(to, to + 24, value).ptr - to);
}

void CJsonWriter::UInt(std::uint64_t value) {
  BeforeValue();
  char* to = Room(24);
  m_used += static_cast<std::size_t>(std::to_chars(to, to + 24, value).ptr - to);
}

void CJsonWriter::Bool(bool value) {
  BeforeValue();
  // Five bytes either way; "true" uses four of them.
  std::memcpy(Room(5), value ? "true " : "false", 5);
  m_used += value ? 4 : 5;
}

void CJsonWriter::Null() {
  BeforeValue();
  Put("null");
}

void CJsonWriter::Value(const nlohmann::ordered_json& value) {
  BeforeValue();
  const std::string text = value.dump(m_indent > 0 ? m_indent : -1, ' ', false,
                                      nlohmann::ordered_json::error_handler_t::replace);
  // Each line end of the dump starts one of its own lines (a line end inside a
  // string is written as "\n"): the lines after the first go one level deeper
  // for each level this value stands at.
  const std::size_t spaces = m_indent > 0 ? m_stack.size() * static_cast<std::size_t>(m_indent) : 0;
  std::size_t from = 0;
  for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
    Put(std::string_view(text).substr(from, end + 1 - from));
    std::memset(Room(spaces), ' ', spaces);
    m_used += spaces;
  }
  Put(std::string_view(text).substr(from));
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
