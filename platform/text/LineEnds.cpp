#include "platform/text/LineEnds.h"

#include <cstring>

std::string CrLfToLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
      continue;
    out += text[i];
  }
  return out;
}

std::string LfToCrLf(std::string_view text) {
  // Counted first and copied in runs between line ends: every memo of every
  // load goes through here.
  const char* from = text.data();
  const char* const end = from + text.size();
  std::size_t lineEnds = 0;
  for (const char* p = from; p < end && (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))); ++p)
    ++lineEnds;
  std::string out(text.size() + lineEnds, '\0');
  char* to = out.data();
  while (from < end) {
    const char* lf = static_cast<const char*>(std::memchr(from, '\n', static_cast<std::size_t>(end - from)));
    const char* stop = lf ? lf : end;
    std::memcpy(to, from, static_cast<std::size_t>(stop - from));
    to += stop - from;
    if (!lf) break;
    *to++ = '\r';
    *to++ = '\n';
    from = lf + 1;
  }
  return out;
}
