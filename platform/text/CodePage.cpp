#include "platform/text/CodePage.h"

#include <iconv.h>
#include <strings.h>

#include <cerrno>
#include <mutex>

#include "platform/text/Mbcs.h"

namespace {

constexpr const char* DEFAULT_CODE_PAGE = "CP932";
constexpr const char* FALLBACK_CODE_PAGE = "SHIFT_JIS";
constexpr const char* UTF8 = "UTF-8";
constexpr const char REPLACEMENT[] = "\xEF\xBF\xBD";  // U+FFFD

std::mutex g_codePageLock;
std::string g_codePage = DEFAULT_CODE_PAGE;

const iconv_t NO_CONVERTER = reinterpret_cast<iconv_t>(-1);

std::string ConfiguredCodePage() {
  std::lock_guard<std::mutex> lock(g_codePageLock);
  return g_codePage;
}

// An iconv descriptor between the configured code page and UTF-8, closed on
// scope exit.  When the configured page is the default and this C library
// does not know it, the fallback page is used.
class CConverter {
 public:
  explicit CConverter(bool toUtf8) {
    const std::string page = ConfiguredCodePage();
    m_cd = Open(toUtf8, page.c_str());
    if (m_cd == NO_CONVERTER && strcasecmp(page.c_str(), DEFAULT_CODE_PAGE) == 0)
      m_cd = Open(toUtf8, FALLBACK_CODE_PAGE);
  }
  ~CConverter() {
    if (m_cd != NO_CONVERTER) iconv_close(m_cd);
  }
  CConverter(const CConverter&) = delete;
  CConverter& operator=(const CConverter&) = delete;

  bool Ok() const { return m_cd != NO_CONVERTER; }

  // Converts as far as possible, appending to out.  Returns false at an
  // invalid or incomplete sequence, with in/inLeft pointing at it.
  bool Pump(char*& in, std::size_t& inLeft, std::string& out) {
    char chunk[1024];
    for (;;) {
      char* outPtr = chunk;
      std::size_t outLeft = sizeof chunk;
      const std::size_t result = iconv(m_cd, &in, &inLeft, &outPtr, &outLeft);
      const int error = errno;
      out.append(chunk, static_cast<std::size_t>(outPtr - chunk));
      if (result != static_cast<std::size_t>(-1)) return true;
      if (error != E2BIG) return false;
    }
  }

  // Back to the initial state after an error.
  void Reset() { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

 private:
  static iconv_t Open(bool toUtf8, const char* page) {
    return toUtf8 ? iconv_open(UTF8, page) : iconv_open(page, UTF8);
  }

  iconv_t m_cd = NO_CONVERTER;
};

// True for a CP932 trail byte: 0x40-0x7E and 0x80-0xFC.
bool IsTrailByte(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// Bytes to skip at an undecodable position: a lead byte with a byte of the
// trail range after it is one unknown character; anything else is one
// bad byte, and decoding resumes right after it.
std::size_t UndecodableLength(const char* p, std::size_t left) {
  const auto lead = static_cast<unsigned char>(p[0]);
  if (left >= 2 && IsLeadByte(lead) &&
      IsTrailByte(static_cast<unsigned char>(p[1])))
    return 2;
  return 1;
}

}  // namespace

void SetAnsiCodePage(const char* name) {
  std::lock_guard<std::mutex> lock(g_codePageLock);
  g_codePage = (name != nullptr && *name != '\0') ? name : DEFAULT_CODE_PAGE;
}

std::string AnsiCodePage() { return ConfiguredCodePage(); }

std::string AnsiToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 2);
  CConverter converter(true);
  if (!converter.Ok()) {
    // No converter at all: keep ASCII, replace everything else.
    for (std::size_t i = 0; i < ansi.size();) {
      const auto c = static_cast<unsigned char>(ansi[i]);
      if (c < 0x80) {
        out += static_cast<char>(c);
        ++i;
      } else {
        out += REPLACEMENT;
        i += UndecodableLength(ansi.data() + i, ansi.size() - i);
      }
    }
    return out;
  }

  // iconv takes a non-const input pointer but does not write through it.
  char* in = const_cast<char*>(ansi.data());
  std::size_t inLeft = ansi.size();
  while (inLeft > 0) {
    if (converter.Pump(in, inLeft, out)) break;
    out += REPLACEMENT;
    const std::size_t skip = UndecodableLength(in, inLeft);
    in += skip;
    inLeft -= skip;
    converter.Reset();
  }
  return out;
}

bool Utf8ToAnsi(std::string_view utf8, std::string& out) {
  out.clear();
  CConverter converter(false);
  if (!converter.Ok()) return false;
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  if (inLeft == 0) return true;
  return converter.Pump(in, inLeft, out);
}
