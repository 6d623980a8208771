#pragma once
// A table-driven decoder of CP932 text to UTF-8 for output that must convert
// many texts (a listing of every memo), giving the same bytes as AnsiToUtf8
// (platform/text/CodePage.h) at a fraction of its cost.  Its tables are filled
// from AnsiToUtf8 itself the first time they are needed, one character of each
// kind at a time, and then checked against AnsiToUtf8 on a text that holds
// every character in every kind of company; when the code page in use is not
// CP932, or the check finds any difference, the decoder declines and callers
// convert with AnsiToUtf8 as before.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CAnsiDecoder {
 public:
  // The decoder for the code page now in use, or null when that page is not one
  // the decoder can stand in for.  Built on first use for each page.
  static const CAnsiDecoder* ForCurrentCodePage();

  // Appends AnsiToUtf8 of the text to out.  With dropCrBeforeLf, every "\r\n"
  // is taken as "\n"; with controlsAsSpaces, every control character (below
  // 0x20, and 0x7F) is taken as a space.
  void Append(std::string& out, std::string_view ansi, bool dropCrBeforeLf,
              bool controlsAsSpaces) const;

  // The UTF-8 form of one character: up to four bytes.
  struct Entry {
    std::uint8_t size = 0;
    char bytes[4] = {};
  };

  // The character-by-character walk, for writers that put some characters in a
  // form of their own (the JSON writer's escapes) in the same pass as the
  // decoding.  A byte that is not a lead byte is a character on its own and
  // Single gives its UTF-8 form; a lead byte starts a character that Double
  // gives, with its trail byte when one follows and alone when none does.
  bool IsSingle(unsigned char c) const { return m_row[c] < 0; }
  const Entry& Single(unsigned char c) const { return m_single[c]; }
  // The character that starts with the lead byte at ansi[i]; moves i past it.
  // The step is a branch rather than a value read from the tables, so that the
  // walk does not wait for the tables: a trail byte nearly always follows.
  const Entry& Double(std::string_view ansi, std::size_t& i) const {
    const auto lead = static_cast<unsigned char>(ansi[i]);
    if (i + 1 < ansi.size() && IsTrail(static_cast<unsigned char>(ansi[i + 1]))) {
      const auto trail = static_cast<unsigned char>(ansi[i + 1]);
      i += 2;
      return m_pairs[static_cast<std::size_t>(m_row[lead])][trail];
    }
    ++i;
    return m_lone[lead];
  }
  // True when test holds for the UTF-8 form of every character that starts
  // with a lead byte, lone lead bytes included.
  bool AllDoubleForms(const std::function<bool(std::string_view)>& test) const;

 private:
  // CP932 trail bytes: 0x40-0x7E and 0x80-0xFC.
  static bool IsTrail(unsigned char c) { return static_cast<unsigned>(c - 0x40) <= 0xFC - 0x40 && c != 0x7F; }

  CAnsiDecoder() = default;
  bool Build();
  bool Matches(std::string_view ansi) const;

  std::array<bool, 256> m_plain{};         // printable ASCII that stays as it is
  std::array<Entry, 256> m_single{};       // a byte that is not a lead byte
  std::array<Entry, 256> m_lone{};         // a lead byte without a trail byte after it
  std::array<std::int16_t, 256> m_row{};   // lead byte -> row of m_pairs, -1 for none
  std::vector<std::array<Entry, 256>> m_pairs;  // per lead byte, by trail byte
};
