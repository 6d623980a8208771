#include "platform/text/LineEnds.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace {

// Memo texts are scanned eight bytes at a time where the byte order lets a
// loaded word's lowest byte be the first in memory.
constexpr bool kWordScan = std::endian::native == std::endian::little;
constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
// From this average line length on, a text is copied by runs between line
// feeds: each run then takes one search and one copy of many bytes, which is
// faster than looking at every word.
constexpr std::size_t kLongLine = 64;

std::uint64_t LoadWord(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Bit 7 of a byte of the result is set exactly where that byte of `word` is a
// line feed (no carry runs from one byte into the next).
std::uint64_t LineFeedBits(std::uint64_t word) {
  const std::uint64_t x = word ^ (kOnes * '\n');
  return ~(((x & kLow7) + kLow7) | x | kLow7);
}

std::size_t CountWordLineFeeds(const char* p, std::size_t size) {
  std::size_t count = 0;
  std::size_t i = 0;
  if constexpr (kWordScan) {
    // The marks are one bit per byte: their sum lands in the top byte.
    for (; i + 8 <= size; i += 8) {
      count += static_cast<std::size_t>(((LineFeedBits(LoadWord(p + i)) >> 7) * kOnes) >> 56);
    }
  }
  for (; i < size; ++i) count += p[i] == '\n';
  return count;
}

// Counts by words when the text starts with a short line; else by memchr
// while the lines are long, and by words from the first short line on.
std::size_t CountLineFeeds(const char* p, const char* end) {
  const std::size_t head = std::min(static_cast<std::size_t>(end - p), kLongLine);
  std::size_t count = CountWordLineFeeds(p, head);
  p += head;
  if (count > 0) return count + CountWordLineFeeds(p, static_cast<std::size_t>(end - p));
  while (const void* found = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
    const char* lf = static_cast<const char*>(found);
    ++count;
    const bool shortLine = static_cast<std::size_t>(lf - p) < kLongLine;
    p = lf + 1;
    if (shortLine) return count + CountWordLineFeeds(p, static_cast<std::size_t>(end - p));
  }
  return count;
}

}  // namespace

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
  // Every memo of every load goes through here, so the text is counted and
  // then copied by runs between line feeds when its lines are long, else a
  // word at a time.
  if (text.empty()) return std::string();
  const char* from = text.data();
  const char* const end = from + text.size();
  const std::size_t lineEnds = CountLineFeeds(from, end);
  if (lineEnds == 0) return std::string(text);
  const std::size_t size = text.size() + lineEnds;
  if (!kWordScan || text.size() / lineEnds >= kLongLine) {
    // Long lines: the line feeds are found by memchr and the runs between
    // them copied whole.
    std::string out(size, '\0');
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
  // Room behind the text for what the word stores below write past the last
  // byte kept; later stores overwrite it, and the end is cut off.
  std::string out(size + 16, '\0');
  char* to = out.data();
  if constexpr (kWordScan) {
    // Short lines: a word with at most one line feed is copied without a
    // branch: the word, then "\r\n" over its line feed, then the bytes
    // behind the line feed.  Without a line feed those two land behind the
    // word and are overwritten by the next one.  Only a word with two or more
    // line feeds takes the loop, which writes its pieces one line feed at a
    // time.
    for (; end - from >= 8; from += 8) {
      const std::uint64_t word = LoadWord(from);
      std::uint64_t feeds = LineFeedBits(word);
      // The first line feed's byte, 8 without one.  The top bit keeps the
      // count defined (and free of a branch) for a word without a line feed;
      // it is the mark of byte 7 anyway.
      const unsigned none = feeds == 0 ? 1 : 0;
      const auto at = static_cast<unsigned>(std::countr_zero(feeds | (std::uint64_t{1} << 63))) / 8 + none;
      const std::uint64_t behind = (word >> (8 * (at & 7))) >> 8;
      std::memcpy(to, &word, sizeof word);
      to[at] = '\r';
      to[at + 1] = '\n';
      std::memcpy(to + at + 2, &behind, sizeof behind);
      if ((feeds & (feeds - 1)) == 0) {
        to += 9 - none;
        continue;
      }
      unsigned first = 0;  // the first byte of the word not yet written
      for (; feeds != 0; feeds &= feeds - 1) {
        const auto lf = static_cast<unsigned>(std::countr_zero(feeds)) / 8;
        const std::uint64_t rest = word >> (8 * first);
        std::memcpy(to, &rest, sizeof rest);
        to += lf - first;
        to[0] = '\r';
        to[1] = '\n';
        to += 2;
        first = lf + 1;
      }
      const std::uint64_t rest = first < 8 ? word >> (8 * first) : 0;
      std::memcpy(to, &rest, sizeof rest);
      to += 8 - first;
    }
  }
  for (; from < end; ++from) {
    if (*from == '\n') *to++ = '\r';
    *to++ = *from;
  }
  out.resize(size);
  return out;
}
