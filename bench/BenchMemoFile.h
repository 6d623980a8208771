#pragma once
// A protected desktop record file of 65,535 memos of about 200 bytes each,
// made in a temporary folder for the benchmarks and removed with the object.
// The password is PASSWORD; every body is encrypted under it.
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/crypto/Blowfish.h"
#include "platform/crypto/Md5.h"
#include "platform/recordfile/FileLayout.h"

namespace BenchMemo {

using namespace FileLayout;

constexpr std::uint32_t MEMO_COUNT = 65535;
constexpr std::size_t MEMO_TEXT_SIZE = 200;
inline const char* const PASSWORD = "bench \x83\x70\x83\x58 password";

class CBenchFile {
 public:
  // `categories` user categories (named "Category 1" ...) besides Unfiled;
  // memo i goes to category i % (categories + 1).
  explicit CBenchFile(int categories = 0) : m_categories(categories) {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillet-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    dir = pattern;
    path = (dir / "record.dat").string();
    Generate();
    fileSize = std::filesystem::file_size(path);
  }
  ~CBenchFile() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  std::filesystem::path dir;
  std::string path;
  std::uintmax_t fileSize = 0;

 private:
  int m_categories;

  // Streams the file out record by record, so making it costs no memory.
  void Generate() {
    std::ofstream out(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(HDR_SIZE, 0);
    const std::size_t appInfoData = APP_HINT + 8;
    WriteU32(bytes.data() + HDR_SIZE_FIELD, HDR_SIZE);
    WriteU16(bytes.data() + HDR_KIND, HDR_KIND_VALUE);
    WriteU32(bytes.data() + HDR_RECORD_COUNT, MEMO_COUNT);
    WriteU32(bytes.data() + HDR_APPINFO_SIZE, static_cast<std::uint32_t>(BLK_HEADER_SIZE + appInfoData));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

    std::vector<std::uint8_t> block(BLK_HEADER_SIZE + appInfoData, 0);
    WriteU32(block.data() + BLK_TOTAL_SIZE, static_cast<std::uint32_t>(block.size()));
    WriteU16(block.data() + BLK_KIND, BLK_KIND_VALUE);
    WriteU32(block.data() + BLK_DATA_OFFSET, static_cast<std::uint32_t>(BLK_HEADER_SIZE));
    WriteU32(block.data() + BLK_CAPACITY, static_cast<std::uint32_t>(appInfoData));
    WriteU32(block.data() + BLK_LENGTH, static_cast<std::uint32_t>(appInfoData));
    std::uint8_t* data = block.data() + BLK_HEADER_SIZE;
    for (std::size_t c = 0; static_cast<int>(c) <= m_categories && c < CAT_COUNT; ++c) {
      const std::string name = c == 0 ? "Unfiled" : "Category " + std::to_string(c);
      std::copy(name.begin(), name.end(), data + CAT_NAMES + c * CAT_NAME_FIELD_SIZE);
      data[CAT_IDS + c] = static_cast<std::uint8_t>(c);
    }
    const auto digest = CMd5::Of(PASSWORD);
    std::copy(digest.begin(), digest.end(), data + APP_DIGEST);
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));

    CBlowfish cipher;
    cipher.SetKey(PASSWORD);
    std::uint32_t seed = 12345;
    std::vector<std::uint8_t> record;
    for (std::uint32_t i = 0; i < MEMO_COUNT; ++i) {
      std::string text = "memo " + std::to_string(i) + "\n";
      while (text.size() < MEMO_TEXT_SIZE) {
        seed = seed * 1103515245u + 12345u;
        const char c = static_cast<char>('a' + (seed >> 16) % 26);
        text.push_back((seed >> 8) % 17 == 0 ? '\n' : c);
      }
      const std::size_t body = (text.size() + 1 + 7) / 8 * 8;
      record.assign(REC_HEADER_SIZE + body, 0);
      WriteU32(record.data() + REC_TOTAL_SIZE, static_cast<std::uint32_t>(record.size()));
      WriteU32(record.data() + REC_KIND, REC_KIND_VALUE);
      WriteU32(record.data() + REC_DATA_OFFSET, static_cast<std::uint32_t>(REC_HEADER_SIZE));
      WriteU32(record.data() + REC_ID, i + 1);
      WriteU32(record.data() + REC_CATEGORY, static_cast<std::uint32_t>(i % static_cast<std::uint32_t>(m_categories + 1)));
      WriteU32(record.data() + REC_LENGTH, static_cast<std::uint32_t>(body));
      std::copy(text.begin(), text.end(), record.begin() + REC_HEADER_SIZE);
      cipher.EncryptBody(record.data() + REC_HEADER_SIZE, body);
      out.write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size()));
    }
  }
};

}  // namespace BenchMemo
