#include "tools/common/MemoExchange.h"

#include <cctype>

namespace MemoExchange {

namespace {

struct Named {
  const char* name;
  Format format;
};
constexpr Named kFormats[] = {
    {"text", Format::TEXT},
    {"json", Format::JSON},
    {"csv", Format::CSV},
    {"keepass-xml", Format::KEEPASS_XML},
};

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::string_view tail = text.substr(text.size() - suffix.size());
  for (std::size_t i = 0; i < tail.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(tail[i])) != suffix[i]) return false;
  }
  return true;
}

}  // namespace

bool ParseFormat(std::string_view name, Format& format) {
  for (const Named& known : kFormats) {
    if (name == known.name) {
      format = known.format;
      return true;
    }
  }
  return false;
}

const char* FormatName(Format format) {
  for (const Named& known : kFormats) {
    if (known.format == format) return known.name;
  }
  return "text";
}

Format FormatForPath(std::string_view path) {
  if (EndsWithNoCase(path, ".json")) return Format::JSON;
  if (EndsWithNoCase(path, ".csv")) return Format::CSV;
  if (EndsWithNoCase(path, ".xml")) return Format::KEEPASS_XML;
  return Format::TEXT;
}

std::string Label(std::string_view text, std::size_t maxBytes) {
  const std::size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  bool cut = end != std::string_view::npos && end + 1 < text.size();
  if (line.size() > maxBytes) {
    std::size_t keep = maxBytes;
    // Back to the start of a UTF-8 character.
    while (keep > 0 && (static_cast<unsigned char>(line[keep]) & 0xC0) == 0x80) --keep;
    line = line.substr(0, keep);
    cut = true;
  }
  std::string label(line);
  for (char& c : label) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return cut ? label + "..." : label;
}

}  // namespace MemoExchange
