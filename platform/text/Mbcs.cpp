#include "platform/text/Mbcs.h"

namespace {

inline unsigned char Byte(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

inline unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A'))
                                : c;
}

// Compares character by character.  Both strings are walked in step: at
// any point both positions are at a character start, and the bytes before
// them are equal, so a lead byte in one is a lead byte in the other and the
// characters have the same length until the first difference.
int Compare(std::string_view a, std::string_view b, bool ignoreCase) {
  std::size_t i = 0;
  while (i < a.size() && i < b.size()) {
    unsigned char ca = Byte(a, i);
    unsigned char cb = Byte(b, i);
    if (IsLeadByte(ca)) {
      // Same lead byte in b unless they already differ.
      if (ca != cb) return ca < cb ? -1 : 1;
      ++i;
      if (i >= a.size() || i >= b.size()) break;
      // Trail bytes compare as they are, never folded.
      ca = Byte(a, i);
      cb = Byte(b, i);
      if (ca != cb) return ca < cb ? -1 : 1;
      ++i;
      continue;
    }
    if (ignoreCase) {
      ca = FoldAscii(ca);
      cb = FoldAscii(cb);
    }
    if (ca != cb) return ca < cb ? -1 : 1;
    ++i;
  }
  // One is a prefix of the other.
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// Does needle match hay at pos, comparing by needle's characters?  pos is a
// character start in hay.
bool MatchAt(std::string_view hay, std::size_t pos, std::string_view needle,
             bool ignoreCase) {
  if (hay.size() - pos < needle.size()) return false;
  std::size_t j = 0;
  while (j < needle.size()) {
    unsigned char h = Byte(hay, pos + j);
    unsigned char n = Byte(needle, j);
    if (IsLeadByte(n)) {
      if (h != n) return false;
      ++j;
      if (j < needle.size()) {
        if (Byte(hay, pos + j) != Byte(needle, j)) return false;
        ++j;
      } else if (pos + j < hay.size()) {
        // The needle ends in a broken lead byte; in hay that byte starts a
        // whole character, so matching it would split the character.
        return false;
      }
      continue;
    }
    if (ignoreCase) {
      h = FoldAscii(h);
      n = FoldAscii(n);
    }
    if (h != n) return false;
    ++j;
  }
  return true;
}

}  // namespace

bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::size_t MbsCharLength(std::string_view s, std::size_t pos) {
  return (IsLeadByte(Byte(s, pos)) && pos + 1 < s.size()) ? 2 : 1;
}

int MbsCompare(std::string_view a, std::string_view b) {
  return Compare(a, b, false);
}

int MbsCompareNoCase(std::string_view a, std::string_view b) {
  return Compare(a, b, true);
}

std::size_t MbsFind(std::string_view hay, std::string_view needle,
                    bool ignoreCase) {
  if (needle.empty()) return 0;
  for (std::size_t pos = 0; pos < hay.size(); pos += MbsCharLength(hay, pos)) {
    if (MatchAt(hay, pos, needle, ignoreCase)) return pos;
  }
  return std::string_view::npos;
}

std::string MbsToLower(std::string_view s) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); i += MbsCharLength(s, i))
    out[i] = static_cast<char>(FoldAscii(Byte(s, i)));
  return out;
}

std::size_t MbsFindLast(std::string_view s, char c) {
  const auto target = static_cast<unsigned char>(c);
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < s.size(); i += MbsCharLength(s, i)) {
    if (Byte(s, i) == target && MbsCharLength(s, i) == 1) found = i;
  }
  return found;
}

std::size_t MbsTruncate(std::string_view s, std::size_t maxBytes) {
  if (s.size() <= maxBytes) return s.size();
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t next = i + MbsCharLength(s, i);
    if (next > maxBytes) break;
    i = next;
  }
  return i;
}
