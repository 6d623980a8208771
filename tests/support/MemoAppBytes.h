#pragma once
// What the memo application keeps inside a desktop record file, laid out by
// the tests themselves and not by the memo database under test: plain and
// encrypted bodies (with their own padding and their own word swapping around
// the Blowfish block operation), the 276-byte category block and the
// application-info data with the password digest and hint.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/crypto/Blowfish.h"
#include "platform/crypto/Md5.h"
#include "platform/recordfile/FileLayout.h"
#include "support/RecordFileBytes.h"

namespace recordfile {

// The memo application's plain body: "\n" line ends, a zero byte, zero
// padding to a multiple of 8.  `fileText` already has "\n" line ends.
inline Bytes PlainBody(std::string_view fileText) {
  Bytes body = FromString(fileText);
  body.push_back(0);
  while (body.size() % 8 != 0) body.push_back(0);
  return body;
}

// Blowfish ECB with each 8-byte block read as two big-endian words: swap
// each 32-bit word, run the cipher's plain block operation, swap back.
inline void SwapWords(Bytes& b, std::size_t length) {
  for (std::size_t i = 0; i + 4 <= length; i += 4) {
    std::swap(b[i], b[i + 3]);
    std::swap(b[i + 1], b[i + 2]);
  }
}
inline Bytes CipherBody(Bytes body, std::string_view password, bool encrypt) {
  CBlowfish fish;
  fish.SetKey(password);
  const std::size_t whole = body.size() / 8 * 8;
  SwapWords(body, whole);
  if (encrypt) {
    fish.Encrypt(body.data(), whole);
  } else {
    fish.Decrypt(body.data(), whole);
  }
  SwapWords(body, whole);
  return body;
}
inline Bytes EncryptBody(Bytes body, std::string_view password) { return CipherBody(std::move(body), password, true); }
inline Bytes DecryptBody(Bytes body, std::string_view password) { return CipherBody(std::move(body), password, false); }

struct Category {
  std::string name;
  std::uint8_t id = 0;
  bool renamed = false;
};

// The 276-byte category block.
inline Bytes CategoryBlock(const std::vector<std::optional<Category>>& categorySlots) {
  namespace fl = FileLayout;
  Bytes b(fl::CAT_BLOCK_SIZE, 0);
  std::uint16_t renamed = 0;
  for (std::size_t i = 0; i < categorySlots.size() && i < fl::CAT_COUNT; ++i) {
    if (!categorySlots[i]) continue;
    std::copy(categorySlots[i]->name.begin(), categorySlots[i]->name.end(),
              b.begin() + static_cast<std::ptrdiff_t>(fl::CAT_NAMES + fl::CAT_NAME_FIELD_SIZE * i));
    b[fl::CAT_IDS + i] = categorySlots[i]->id;
    if (categorySlots[i]->renamed) renamed = static_cast<std::uint16_t>(renamed | (1u << i));
  }
  b[fl::CAT_RENAMED] = static_cast<std::uint8_t>(renamed >> 8);
  b[fl::CAT_RENAMED + 1] = static_cast<std::uint8_t>(renamed & 0xFF);
  return b;
}

// The application-info data after the category block: 4 carried bytes, the
// digest (MD5 of the password, or zeros when there is none) and the hint.
inline Bytes ProtectionBytes(const std::array<std::uint8_t, 4>& carried, std::optional<std::string_view> password,
                             std::string_view hint) {
  Bytes b(carried.begin(), carried.end());
  if (password) {
    const auto digest = CMd5::Of(*password);
    b.insert(b.end(), digest.begin(), digest.end());
  } else {
    b.insert(b.end(), 16, 0);
  }
  b.insert(b.end(), hint.begin(), hint.end());
  b.push_back(0);
  return b;
}

// The memo application's app-info data: categories, 4 carried bytes, the
// digest and the hint.
inline Bytes MemoAppInfo(const std::vector<std::optional<Category>>& categorySlots,
                         std::optional<std::string_view> password, std::string_view hint) {
  Bytes b = CategoryBlock(categorySlots);
  const Bytes rest = ProtectionBytes({0xA1, 0xB2, 0xC3, 0xD4}, password, hint);
  b.insert(b.end(), rest.begin(), rest.end());
  return b;
}

inline std::vector<std::optional<Category>> DefaultCategories() {
  std::vector<std::optional<Category>> categorySlots(16);
  categorySlots[0] = Category{"Unfiled", 0, false};
  categorySlots[1] = Category{"Business", 1, false};
  categorySlots[2] = Category{"Personal", 2, false};
  return categorySlots;
}

}  // namespace recordfile
