// Makes a protected desktop record file for timing `quillet list` and for
// comparing its output before and after a change, and the password file that
// opens it:
//
//   bench_make_listing_file DIR [--kind ascii|japanese|mixed] [--count N]
//
// writes DIR/record.dat and DIR/password (mode 0600, the password in UTF-8
// without a line end).  Every memo body is encrypted under the password.
//   ascii     memos of about 200 bytes of lower-case letters and line ends, all
//             Unfiled, made the way the memo database benchmark makes its file;
//   japanese  memos of about 200 bytes of kanji, kana and ASCII words over six
//             categories with Japanese names;
//   mixed     the awkward cases of the output: control characters, quotes and
//             backslashes, bytes that are no Shift-JIS character, a double-byte
//             character at the 48-column cut, empty and equal texts, every flag,
//             categories without a name and indexes past the table.
// The content depends only on the arguments, so two runs make the same file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/crypto/Blowfish.h"
#include "platform/crypto/Md5.h"
#include "platform/recordfile/FileLayout.h"

namespace {

using namespace FileLayout;

// The password: ASCII and two katakana, as the memo file uses it (CP932) and
// as the password file holds it (UTF-8).
const char* const PASSWORD = "bench \x83\x70\x83\x58 password";
const char* const PASSWORD_UTF8 = "bench \xe3\x83\x91\xe3\x82\xb9 password";
constexpr std::size_t MEMO_TEXT_SIZE = 200;

enum class Kind { ASCII, JAPANESE, MIXED };

class CRandom {
 public:
  std::uint32_t Next() {
    m_seed = m_seed * 1103515245u + 12345u;
    return m_seed >> 8;
  }
  std::uint32_t Below(std::uint32_t n) { return Next() % n; }

 private:
  std::uint32_t m_seed = 12345;
};

struct Memo {
  std::string text;  // "\n" line ends, as the file holds it
  std::uint32_t category = 0;
  std::uint16_t attributes = 0;
};

// One double-byte character: hiragana, katakana or a first-level kanji.
void AppendJapanese(std::string& s, CRandom& random) {
  switch (random.Below(3)) {
    case 0:
      s += '\x82';
      s += static_cast<char>(0x9F + random.Below(0xF1 - 0x9F + 1));
      break;
    case 1: {
      s += '\x83';
      std::uint32_t trail = 0x40 + random.Below(0x96 - 0x40 + 1);
      if (trail == 0x7F) trail = 0x80;
      s += static_cast<char>(trail);
      break;
    }
    default: {
      s += static_cast<char>(0x89 + random.Below(0x97 - 0x89 + 1));
      std::uint32_t trail = 0x40 + random.Below(0xFC - 0x40);
      if (trail == 0x7F) trail = 0x80;
      s += static_cast<char>(trail);
    }
  }
}

std::string AsciiText(std::uint32_t i, CRandom& random) {
  std::string text = "memo " + std::to_string(i) + "\n";
  while (text.size() < MEMO_TEXT_SIZE) {
    const std::uint32_t r = random.Next();
    text.push_back((r % 17) == 0 ? '\n' : static_cast<char>('a' + (r >> 4) % 26));
  }
  return text;
}

std::string JapaneseText(std::uint32_t i, CRandom& random) {
  std::string text = "\x83\x81\x83\x82 " + std::to_string(i) + "\n";  // "メモ N"
  while (text.size() < MEMO_TEXT_SIZE) {
    const std::uint32_t r = random.Below(20);
    if (r == 0) {
      text += '\n';
    } else if (r < 4) {
      text += " word";
    } else {
      AppendJapanese(text, random);
    }
  }
  return text;
}

// The awkward cases, cycled through; every seventh memo repeats an earlier
// text so that equal texts meet in the sort.
std::string MixedText(std::uint32_t i, CRandom& random) {
  static const std::vector<std::string> cases = {
      "",
      "tab\there, bell\x07, escape\x1b[31m, delete\x7f, nul-free \x01\x1f",
      "quote \" backslash \\ slash / brace { } and a lone \r carriage return",
      "line one\nline two\n\nafter a blank line",
      "\n starts with a line end",
      std::string("\x95\x5c\x8e\xa6 ends with a table kanji whose trail is a backslash \x95\x5c"),
      std::string(47, 'x') + "\x82\xa0 a double-byte character across the cut",
      std::string(48, 'y') + " exactly 48 columns before this",
      std::string(48, 'z'),
      "broken: \x80 \xa0 \xfd \xfe \xff and an unassigned pair \x85\x40 end",
      "lead byte before a line end \x82\nnext line",
      "ends with a lead byte \x82",
      "\xb1\xb2\xb3 half-width katakana \xdd\xde\xdf",
      "\x83\x81\x83\x82 \x93\xfa\x96\x7b\x8c\xea \x81\x40 full-width space and \x81\x5f",
      "same text",
      "same text",
      "Same text",
      "same text ",
      "~ tilde and \\ yen-or-backslash",
      std::string(300, 'w') + "\n" + std::string(3000, 'v'),
  };
  if (i % 7 == 6) return cases[random.Below(static_cast<std::uint32_t>(cases.size()))];
  if (i % 3 == 0) return cases[i / 3 % cases.size()];
  return random.Below(2) == 0 ? AsciiText(i, random) : JapaneseText(i, random);
}

std::vector<std::uint8_t> AppInfo(Kind kind) {
  std::vector<std::string> names = {"Unfiled"};
  std::string hint = "the bench hint";
  if (kind == Kind::JAPANESE) {
    names = {"Unfiled", "\x8e\x64\x8e\x96", "\x83\x76\x83\x89\x83\x43\x83\x78\x81\x5b\x83\x67",
             "\x8f\xee\x95\xf1", "Ideas", "\x94\xe9\x96\xa7"};
    hint = "\x83\x71\x83\x93\x83\x67 hint";
  } else if (kind == Kind::MIXED) {
    names = {"Unfiled", "Business", "", "Tab\there", "\x8e\x64\x8e\x96", "bad \x80\xff", "",
             "\x95\x5c", "Fifteen chars!!"};
    hint = "hint with a line end\nand \x83\x71\x83\x93\x83\x67";
  }
  const std::size_t dataSize = APP_HINT + hint.size() + 1;
  std::vector<std::uint8_t> block(BLK_HEADER_SIZE + dataSize, 0);
  WriteU32(block.data() + BLK_TOTAL_SIZE, static_cast<std::uint32_t>(block.size()));
  WriteU16(block.data() + BLK_KIND, BLK_KIND_VALUE);
  WriteU32(block.data() + BLK_DATA_OFFSET, static_cast<std::uint32_t>(BLK_HEADER_SIZE));
  WriteU32(block.data() + BLK_CAPACITY, static_cast<std::uint32_t>(dataSize));
  WriteU32(block.data() + BLK_LENGTH, static_cast<std::uint32_t>(dataSize));
  std::uint8_t* data = block.data() + BLK_HEADER_SIZE;
  for (std::size_t slot = 0; slot < names.size(); ++slot) {
    if (names[slot].empty()) continue;
    std::memcpy(data + CAT_NAMES + slot * CAT_NAME_FIELD_SIZE, names[slot].data(), names[slot].size());
    data[CAT_IDS + slot] = static_cast<std::uint8_t>(slot == 0 ? 0 : 128 + slot);
  }
  if (kind == Kind::MIXED) WriteU16BE(data + CAT_RENAMED, 0x0012);
  const auto digest = CMd5::Of(PASSWORD);
  std::memcpy(data + APP_DIGEST, digest.data(), digest.size());
  std::memcpy(data + APP_HINT, hint.data(), hint.size());
  return block;
}

Memo MakeMemo(Kind kind, std::uint32_t i, CRandom& random) {
  Memo memo;
  switch (kind) {
    case Kind::ASCII:
      memo.text = AsciiText(i, random);
      break;
    case Kind::JAPANESE:
      memo.text = JapaneseText(i, random);
      memo.category = random.Below(6);
      break;
    case Kind::MIXED: {
      memo.text = MixedText(i, random);
      static const std::uint32_t categories[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 15, 16, 200, 0xFFFFFFFFu};
      memo.category = categories[random.Below(sizeof categories / sizeof categories[0])];
      memo.attributes = static_cast<std::uint16_t>(random.Below(32));
      break;
    }
  }
  return memo;
}

bool WritePassword(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const std::size_t size = std::strlen(PASSWORD_UTF8);
  const bool ok = ::write(fd, PASSWORD_UTF8, size) == static_cast<ssize_t>(size);
  return ::close(fd) == 0 && ok;
}

int Usage() {
  std::fprintf(stderr, "usage: bench_make_listing_file DIR [--kind ascii|japanese|mixed] [--count N]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string dir = argv[1];
  Kind kind = Kind::ASCII;
  std::uint32_t count = 65535;
  for (int a = 2; a < argc; ++a) {
    const std::string arg = argv[a];
    if (arg == "--kind" && a + 1 < argc) {
      const std::string value = argv[++a];
      if (value == "ascii") kind = Kind::ASCII;
      else if (value == "japanese") kind = Kind::JAPANESE;
      else if (value == "mixed") kind = Kind::MIXED;
      else return Usage();
    } else if (arg == "--count" && a + 1 < argc) {
      const unsigned long value = std::strtoul(argv[++a], nullptr, 10);
      if (value == 0 || value > 65535) return Usage();
      count = static_cast<std::uint32_t>(value);
    } else {
      return Usage();
    }
  }

  const std::string path = dir + "/record.dat";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::vector<std::uint8_t> header(HDR_SIZE, 0);
  const std::vector<std::uint8_t> appInfo = AppInfo(kind);
  const char name[] = "QuilletMemoDB";
  std::memcpy(header.data() + HDR_NAME, name, sizeof name - 1);
  WriteU32(header.data() + HDR_SIZE_FIELD, HDR_SIZE);
  WriteU16(header.data() + HDR_KIND, HDR_KIND_VALUE);
  WriteU32(header.data() + HDR_RECORD_COUNT, count);
  WriteU32(header.data() + HDR_APPINFO_SIZE, static_cast<std::uint32_t>(appInfo.size()));
  out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  out.write(reinterpret_cast<const char*>(appInfo.data()), static_cast<std::streamsize>(appInfo.size()));

  CBlowfish cipher;
  cipher.SetKey(PASSWORD);
  CRandom random;
  std::vector<std::uint8_t> record;
  for (std::uint32_t i = 0; i < count; ++i) {
    const Memo memo = MakeMemo(kind, i, random);
    const std::size_t body = (memo.text.size() + 1 + 7) / 8 * 8;
    record.assign(REC_HEADER_SIZE + body, 0);
    WriteU32(record.data() + REC_TOTAL_SIZE, static_cast<std::uint32_t>(record.size()));
    WriteU32(record.data() + REC_KIND, REC_KIND_VALUE);
    WriteU32(record.data() + REC_DATA_OFFSET, static_cast<std::uint32_t>(REC_HEADER_SIZE));
    WriteU32(record.data() + REC_ID, i + 1);
    WriteU16(record.data() + REC_ATTRIBUTES, memo.attributes);
    WriteU32(record.data() + REC_CATEGORY, memo.category);
    WriteU32(record.data() + REC_LENGTH, static_cast<std::uint32_t>(body));
    std::memcpy(record.data() + REC_HEADER_SIZE, memo.text.data(), memo.text.size());
    cipher.EncryptBody(record.data() + REC_HEADER_SIZE, body);
    out.write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size()));
  }
  out.close();
  if (!out) {
    std::fprintf(stderr, "bench_make_listing_file: cannot write %s\n", path.c_str());
    return 1;
  }
  if (!WritePassword(dir + "/password")) {
    std::fprintf(stderr, "bench_make_listing_file: cannot write %s/password\n", dir.c_str());
    return 1;
  }
  return 0;
}
