#include "tools/common/AnsiDecoder.h"

#include <strings.h>

#include <cstring>
#include <memory>

#include "platform/text/CodePage.h"
#include "platform/text/Mbcs.h"

namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// Ends each character of the text that fills the tables; never part of one.
constexpr char SEPARATOR = '\x01';

}  // namespace

const CAnsiDecoder* CAnsiDecoder::ForCurrentCodePage() {
  thread_local std::string page;
  thread_local std::unique_ptr<CAnsiDecoder> decoder;
  std::string current = AnsiCodePage();
  if (current != page) {
    decoder.reset();
    if (strcasecmp(current.c_str(), "CP932") == 0) {
      auto built = std::unique_ptr<CAnsiDecoder>(new CAnsiDecoder());
      if (built->Build()) decoder = std::move(built);
    }
    page = std::move(current);
  }
  return decoder.get();
}

void CAnsiDecoder::Append(std::string& out, std::string_view ansi, bool dropCrBeforeLf,
                          bool controlsAsSpaces) const {
  // No character takes more than four bytes of UTF-8; the characters are
  // written into room made at once and the rest is cut off at the end.
  const std::size_t start = out.size();
  out.resize(start + 4 * ansi.size());
  char* to = out.data() + start;
  const auto put = [&to](const Entry& e) {
    std::memcpy(to, e.bytes, sizeof e.bytes);
    to += e.size;
  };
  const std::size_t n = ansi.size();
  for (std::size_t i = 0; i < n;) {
    const auto c = static_cast<unsigned char>(ansi[i]);
    if (m_plain[c]) {
      *to++ = static_cast<char>(c);
      ++i;
    } else if (c < 0x80) {
      if (!(c == '\r' && dropCrBeforeLf && i + 1 < n && ansi[i + 1] == '\n')) {
        put(controlsAsSpaces && IsControl(c) ? m_single[' '] : m_single[c]);
      }
      ++i;
    } else if (m_row[c] < 0) {
      put(m_single[c]);
      ++i;
    } else {
      put(Double(ansi, i));
    }
  }
  out.resize(static_cast<std::size_t>(to - out.data()));
}

bool CAnsiDecoder::AllDoubleForms(const std::function<bool(std::string_view)>& test) const {
  const auto form = [](const Entry& e) { return std::string_view(e.bytes, e.size); };
  for (int b = 0; b < 256; ++b) {
    const auto c = static_cast<unsigned char>(b);
    if (m_row[c] < 0) continue;
    if (!test(form(m_lone[c]))) return false;
    for (int t = 0; t < 256; ++t) {
      if (IsTrail(static_cast<unsigned char>(t)) &&
          !test(form(m_pairs[static_cast<std::size_t>(m_row[c])][static_cast<std::size_t>(t)]))) {
        return false;
      }
    }
  }
  return true;
}

bool CAnsiDecoder::Build() {
  // Every character the decoder tells apart: each byte that is not a lead byte,
  // each lead byte alone, and each lead byte with each trail byte.
  std::vector<std::string> units;
  std::vector<Entry*> entries;
  m_row.fill(-1);
  for (int b = 0; b < 256; ++b) {
    const auto c = static_cast<unsigned char>(b);
    if (IsLeadByte(c)) {
      m_row[c] = static_cast<std::int16_t>(m_pairs.size());
      m_pairs.emplace_back();
    }
  }
  for (int b = 0; b < 256; ++b) {
    const auto c = static_cast<unsigned char>(b);
    if (c == static_cast<unsigned char>(SEPARATOR)) continue;
    units.emplace_back(1, static_cast<char>(c));
    entries.push_back(IsLeadByte(c) ? &m_lone[c] : &m_single[c]);
    if (!IsLeadByte(c)) continue;
    for (int t = 0; t < 256; ++t) {
      if (!IsTrail(static_cast<unsigned char>(t))) continue;
      units.push_back({static_cast<char>(c), static_cast<char>(t)});
      entries.push_back(&m_pairs[static_cast<std::size_t>(m_row[c])][static_cast<std::size_t>(t)]);
    }
  }

  // One conversion of all of them, each followed by the separator, which is
  // never a trail byte and so ends every character before it.
  std::string all;
  for (const std::string& unit : units) {
    all += unit;
    all += SEPARATOR;
  }
  const std::string utf8 = AnsiToUtf8(all);
  std::size_t from = 0;
  for (Entry* entry : entries) {
    const std::size_t end = utf8.find(SEPARATOR, from);
    if (end == std::string::npos || end - from > sizeof entry->bytes) return false;
    entry->size = static_cast<std::uint8_t>(end - from);
    utf8.copy(entry->bytes, end - from, from);
    from = end + 1;
  }
  if (from != utf8.size()) return false;
  for (std::size_t b = 0x20; b < 0x7F; ++b) {
    m_plain[b] = m_single[b].size == 1 && m_single[b].bytes[0] == static_cast<char>(b);
  }
  const std::string separator = AnsiToUtf8(std::string(1, SEPARATOR));
  if (separator.size() > sizeof m_single[0].bytes) return false;
  m_single[static_cast<unsigned char>(SEPARATOR)].size = static_cast<std::uint8_t>(separator.size());
  separator.copy(m_single[static_cast<unsigned char>(SEPARATOR)].bytes, separator.size());

  // The check: every character followed by a double-byte character, every lead
  // byte followed by each byte that cannot be its trail byte, and every lead
  // byte at the very end of a text.
  std::string check;
  for (const std::string& unit : units) {
    if (unit.size() == 1 && IsLeadByte(static_cast<unsigned char>(unit[0]))) {
      for (int x = 0; x < 256; ++x) {
        if (IsTrail(static_cast<unsigned char>(x))) continue;
        check += unit;
        check += static_cast<char>(x);
      }
      if (!Matches(unit)) return false;
    } else {
      check += unit;
      check += "\x81\x40";
    }
  }
  check += SEPARATOR;
  return Matches(check);
}

bool CAnsiDecoder::Matches(std::string_view ansi) const {
  std::string decoded;
  Append(decoded, ansi, false, false);
  return decoded == AnsiToUtf8(ansi);
}
