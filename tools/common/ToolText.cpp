#include "tools/common/ToolText.h"

#include <cstdint>
#include <cstring>

#include "platform/text/CodePage.h"
#include "platform/text/LineEnds.h"
#include "platform/text/Mbcs.h"
#include "tools/common/AnsiDecoder.h"

namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// Does the code page in use turn every ASCII byte into the same character?
// CP932 does; a code page that puts the yen sign at 0x5C does not.  The answer
// is worked out once per code page: the page is a process setting that rarely
// changes, and a listing asks for every memo.
bool CodePageKeepsAscii() {
  thread_local std::string page;
  thread_local bool keeps = false;
  std::string current = AnsiCodePage();
  if (current != page) {
    std::string ascii(0x80, '\0');
    for (std::size_t c = 0; c < ascii.size(); ++c) ascii[c] = static_cast<char>(c);
    keeps = AnsiToUtf8(ascii) == ascii;
    page = std::move(current);
  }
  return keeps;
}

bool AllAscii(std::string_view s) {
  // Eight bytes at a time: a byte with its high bit set is not ASCII.
  const char* p = s.data();
  std::size_t n = s.size();
  std::uint64_t high = 0;
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    high |= word;
  }
  for (; n > 0; ++p, --n) high |= static_cast<unsigned char>(*p);
  return (high & 0x8080808080808080ull) == 0;
}

// Appends text with every "\r\n" turned into "\n", copying the runs between
// carriage returns whole.
void AppendWithoutCr(std::string& out, std::string_view text) {
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t cr = text.find('\r', from);
    if (cr == std::string_view::npos) {
      out.append(text.data() + from, text.size() - from);
      return;
    }
    const bool lineEnd = cr + 1 < text.size() && text[cr + 1] == '\n';
    out.append(text.data() + from, cr - from + (lineEnd ? 0 : 1));
    from = cr + 1;
  }
}

// Appends the visible form of ANSI text: control characters become spaces.
// Control characters are never the second byte of a double-byte character, so
// replacing them splits nothing.
void AppendVisible(std::string& out, std::string_view ansi) {
  if (AnsiIsPlainAscii(ansi)) {
    const std::size_t start = out.size();
    out.append(ansi);
    for (std::size_t i = start; i < out.size(); ++i) {
      if (IsControl(static_cast<unsigned char>(out[i]))) out[i] = ' ';
    }
    return;
  }
  if (const CAnsiDecoder* decoder = CAnsiDecoder::ForCurrentCodePage()) {
    decoder->Append(out, ansi, false, true);
    return;
  }
  std::string visible(ansi);
  for (char& c : visible) {
    if (IsControl(static_cast<unsigned char>(c))) c = ' ';
  }
  out += AnsiToUtf8(visible);
}

}  // namespace

bool AnsiIsPlainAscii(std::string_view ansi) { return AllAscii(ansi) && CodePageKeepsAscii(); }

std::string AnsiToOutput(std::string_view ansi) {
  std::string out;
  AppendAnsiToOutput(out, ansi);
  return out;
}

void AppendAnsiToOutput(std::string& out, std::string_view ansi) {
  if (AnsiIsPlainAscii(ansi)) {
    AppendWithoutCr(out, ansi);
    return;
  }
  if (const CAnsiDecoder* decoder = CAnsiDecoder::ForCurrentCodePage()) {
    decoder->Append(out, ansi, true, false);
    return;
  }
  out += AnsiToUtf8(CrLfToLf(ansi));
}

std::string AnsiToVisible(std::string_view ansi) {
  std::string out;
  AppendVisible(out, ansi);
  return out;
}

bool InputToAnsi(std::string_view utf8, std::string& ansi) {
  ansi.clear();
  if (!Utf8ToAnsi(utf8, ansi)) {
    ansi.clear();
    return false;
  }
  return true;
}

std::string FirstLineForOutput(std::string_view ansi, std::size_t maxColumns) {
  std::string out;
  AppendFirstLineForOutput(out, ansi, maxColumns);
  return out;
}

void AppendFirstLineForOutput(std::string& out, std::string_view ansi, std::size_t maxColumns) {
  std::size_t end = 0;
  while (end < ansi.size() && ansi[end] != '\r' && ansi[end] != '\n') ++end;
  bool cut = end < ansi.size();
  std::string_view line = ansi.substr(0, end);
  if (line.size() > maxColumns) {
    line = line.substr(0, MbsTruncate(line, maxColumns));
    cut = true;
  }
  AppendVisible(out, line);
  if (cut) out += "...";
}
