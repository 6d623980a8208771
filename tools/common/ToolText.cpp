#include "tools/common/ToolText.h"

#include "platform/text/CodePage.h"
#include "platform/text/LineEnds.h"
#include "platform/text/Mbcs.h"

std::string AnsiToOutput(std::string_view ansi) { return AnsiToUtf8(CrLfToLf(ansi)); }

std::string AnsiToVisible(std::string_view ansi) {
  // Control characters are never the second byte of a double-byte character,
  // so replacing them splits nothing.
  std::string visible(ansi);
  for (char& c : visible) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return AnsiToUtf8(visible);
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
  std::size_t end = ansi.find_first_of("\r\n");
  bool cut = end != std::string_view::npos;
  std::string_view line = ansi.substr(0, end);
  if (line.size() > maxColumns) {
    line = line.substr(0, MbsTruncate(line, maxColumns));
    cut = true;
  }
  std::string out = AnsiToVisible(line);
  if (cut) out += "...";
  return out;
}
