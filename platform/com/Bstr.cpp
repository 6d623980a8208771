#include "platform/com/Bstr.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <limits>
#include <utility>

#include "platform/text/CodePage.h"

namespace {
constexpr std::size_t kPrefix = sizeof(std::uint32_t);

char* Block(BSTR text) { return reinterpret_cast<char*>(text) - kPrefix; }

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 character at `pos`; U+FFFD (and false) for a malformed,
// overlong or surrogate sequence, consuming one byte.
bool DecodeUtf8(std::string_view text, std::size_t& pos, char32_t& c) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(pos);
  int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2
                             : (lead & 0xF8) == 0xF0 ? 3 : -1;
  if (extra == 0) {
    c = lead;
    ++pos;
    return true;
  }
  const std::size_t count = extra > 0 ? static_cast<std::size_t>(extra) : 0;
  if (count > 0 && pos + count < text.size()) {
    char32_t value = lead & (0x3Fu >> count);
    bool ok = true;
    for (std::size_t i = 1; ok && i <= count; ++i) {
      ok = (byte(pos + i) & 0xC0) == 0x80;
      value = (value << 6) | (byte(pos + i) & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (ok && value >= kMin[count] && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF)) {
      c = value;
      pos += count + 1;
      return true;
    }
  }
  c = 0xFFFD;
  ++pos;
  return false;
}
}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  constexpr std::size_t kMaxLength = (std::numeric_limits<std::uint32_t>::max() - kPrefix) / 2 - 1;
  if (length > kMaxLength) return nullptr;
  std::uint32_t bytes = static_cast<std::uint32_t>(length) * 2;
  // From operator new like every other allocation of ours, so that the tests'
  // allocation-failure injection reaches the out-of-memory paths of the callers.
  char* block = new (std::nothrow) char[kPrefix + bytes + sizeof(OLECHAR)];
  if (!block) return nullptr;
  std::memcpy(block, &bytes, kPrefix);
  BSTR result = reinterpret_cast<BSTR>(block + kPrefix);
  if (text) {
    std::memcpy(result, text, bytes);
  } else {
    std::memset(result, 0, bytes);
  }
  result[length] = 0;
  return result;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::char_traits<char16_t>::length(text)));
}

void SysFreeString(BSTR text) {
  if (text) delete[] Block(text);
}

UINT SysStringByteLen(BSTR text) {
  if (!text) return 0;
  std::uint32_t bytes;
  std::memcpy(&bytes, Block(text), kPrefix);
  return bytes;
}

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / 2; }

bool Utf16ToUtf8(std::u16string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  bool exact = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00), out);
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(0xFFFD, out);
      exact = false;
    } else {
      AppendUtf8(unit, out);
    }
  }
  return exact;
}

bool Utf8ToUtf16(std::string_view text, std::u16string& out) {
  out.clear();
  out.reserve(text.size());
  bool exact = true;
  for (std::size_t pos = 0; pos < text.size();) {
    char32_t c;
    if (!DecodeUtf8(text, pos, c)) exact = false;
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return exact;
}

BSTR BstrFromUtf8(std::string_view utf8, bool* exact) {
  // Like SysAllocString, memory running out is a null result, never an
  // exception: the callers are COM methods.
  try {
    std::u16string wide;
    bool ok = Utf8ToUtf16(utf8, wide);
    if (exact) *exact = ok;
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool BstrToUtf8(BSTR text, std::string& out) {
  return Utf16ToUtf8(std::u16string_view(text ? text : u"", SysStringLen(text)), out);
}

BSTR BstrFromAnsi(std::string_view ansi, bool* exact) {
  try {
    std::string utf8 = AnsiToUtf8(ansi);
    // The ANSI code page has no U+FFFD of its own, so one in the result marks
    // a byte that could not be decoded.
    if (exact) *exact = utf8.find("\xEF\xBF\xBD") == std::string::npos;
    return BstrFromUtf8(utf8);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool BstrToAnsi(BSTR text, std::string& out) {
  std::string utf8;
  bool exact = BstrToUtf8(text, utf8);
  if (Utf8ToAnsi(utf8, out)) return exact;
  // Convert character by character so that only the characters the code page
  // cannot store are replaced.
  out.clear();
  for (std::size_t pos = 0; pos < utf8.size();) {
    std::size_t start = pos;
    char32_t c;
    DecodeUtf8(utf8, pos, c);
    std::string one;
    if (c != 0xFFFD && Utf8ToAnsi(utf8.substr(start, pos - start), one)) {
      out += one;
    } else {
      out += '?';
    }
  }
  return false;
}

CBstr::CBstr(std::u16string_view text)
    : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

CBstr CBstr::Attach(BSTR text) {
  CBstr result;
  result.m_text = text;
  return result;
}

CBstr CBstr::FromUtf8(std::string_view utf8) { return Attach(BstrFromUtf8(utf8)); }
CBstr CBstr::FromAnsi(std::string_view ansi) { return Attach(BstrFromAnsi(ansi)); }

CBstr::CBstr(const CBstr& other)
    : m_text(other.m_text ? SysAllocStringLen(other.m_text, other.Length()) : nullptr) {}

CBstr::CBstr(CBstr&& other) noexcept : m_text(std::exchange(other.m_text, nullptr)) {}

CBstr& CBstr::operator=(CBstr other) noexcept {
  std::swap(m_text, other.m_text);
  return *this;
}

CBstr::~CBstr() { SysFreeString(m_text); }

BSTR* CBstr::Out() {
  SysFreeString(std::exchange(m_text, nullptr));
  return &m_text;
}

BSTR CBstr::Detach() { return std::exchange(m_text, nullptr); }

std::string CBstr::Utf8() const {
  std::string out;
  BstrToUtf8(m_text, out);
  return out;
}

std::string CBstr::Ansi() const {
  std::string out;
  BstrToAnsi(m_text, out);
  return out;
}
