// Fuzz target: the handling of ANSI (CP932) text as it comes from memo files
// and the handheld.  The input is split at its first zero byte into a text and
// a pattern.  Character steps must stay inside the text and never land on a
// trail byte; searches must report matches on character boundaries; compares
// must be antisymmetric; conversion to UTF-8 must give valid UTF-8; and line
// ends must convert there and back to the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/CodePage.h"
#include "platform/text/LineEnds.h"
#include "platform/text/Mbcs.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "AnsiText: %s\n", what);
    std::abort();
  }
}

// Offsets at which a character starts.
std::vector<bool> Boundaries(std::string_view s) {
  std::vector<bool> starts(s.size() + 1, false);
  std::size_t pos = 0;
  while (pos < s.size()) {
    starts[pos] = true;
    const std::size_t length = MbsCharLength(s, pos);
    Check(length == 1 || length == 2, "a character of neither one nor two bytes");
    Check(pos + length <= s.size(), "a character runs past the end");
    pos += length;
  }
  starts[s.size()] = true;
  return starts;
}

// Lead and continuation bytes in their places (overlong forms not checked).
bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t extra = 0;
    if (c < 0x80) {
      extra = 0;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
    } else {
      return false;
    }
    if (s.size() - i <= extra) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

int Sign(int v) { return (v > 0) - (v < 0); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Exact-size copies, so a read past either end is seen by the sanitizer.
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string text = input.substr(0, split);
  const std::string pattern = split == std::string::npos ? std::string() : input.substr(split + 1);

  const std::vector<bool> starts = Boundaries(text);
  (void)Boundaries(pattern);

  for (bool ignoreCase : {false, true}) {
    const std::size_t at = MbsFind(text, pattern, ignoreCase);
    if (at != std::string_view::npos) {
      Check(at + pattern.size() <= text.size() && starts[at], "a match off a character boundary");
      if (!ignoreCase) Check(text.compare(at, pattern.size(), pattern) == 0, "a match that differs");
    }
    const int ab = ignoreCase ? MbsCompareNoCase(text, pattern) : MbsCompare(text, pattern);
    const int ba = ignoreCase ? MbsCompareNoCase(pattern, text) : MbsCompare(pattern, text);
    Check(Sign(ab) == -Sign(ba), "compare is not antisymmetric");
  }
  Check(MbsCompareNoCase(MbsToLower(text), text) == 0, "lower case compares unequal without case");
  Check(MbsToLower(text).size() == text.size(), "lower case changes the length");

  if (!text.empty()) {
    const std::size_t last = MbsFindLast(text, text.back());
    if (last != std::string_view::npos) Check(starts[last], "the last match off a character boundary");
  }
  for (std::size_t max : {std::size_t{0}, text.size() / 2, text.size(), text.size() + 1}) {
    const std::size_t cut = MbsTruncate(text, max);
    Check(cut <= max && cut <= text.size() && starts[cut], "a cut that splits a character or runs long");
  }

  Check(IsValidUtf8(AnsiToUtf8(text)), "conversion gives bad UTF-8");
  std::string back;
  (void)Utf8ToAnsi(text, back);
  Check(CrLfToLf(LfToCrLf(text)) == text, "line ends do not convert back");
  return 0;
}
