// Changing the password of the memos: a new key for the bodies (or none) and
// the digest and hint in the app-info data.  The texts held in memory are
// plain whatever the file's protection, so re-keying is only a matter of which
// cipher the next Save encrypts with.

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <vector>

#include "platform/crypto/Md5.h"
#include "platform/crypto/SecureWipe.h"
#include "platform/recordfile/FileLayout.h"
#include "store/MemoDatabase.h"

using namespace FileLayout;

int CMemoDatabase::SetPassword(const char* newPassword, std::string_view hint) {
  if (!IsLoaded()) return PW_ERR_NOT_LOADED;
  if (newPassword != nullptr &&
      (hint.size() > MAX_HINT_BYTES || hint.find('\0') != std::string_view::npos)) {
    return PW_ERR_HINT;
  }
  std::vector<std::uint8_t>& block = MutableAppInfoBlock();
  if (block.size() < BLK_HEADER_SIZE) return PW_ERR_NO_APP_INFO;
  // The same data offset as AppInfoData reads.
  const std::size_t offset = std::min<std::size_t>(ReadU32(block.data() + BLK_DATA_OFFSET), block.size());
  const std::size_t dataSize = block.size() - offset;
  if (dataSize < CAT_BLOCK_SIZE) return PW_ERR_NO_APP_INFO;

  // Everything that can fail is built aside first; the database changes only
  // by the swaps at the end.
  std::unique_ptr<CBlockCipher> nextCipher;
  std::vector<std::uint8_t> fresh;
  std::array<std::uint8_t, CMd5::DIGEST_SIZE> digest{};
  try {
    if (newPassword != nullptr) {
      digest = CMd5::Of(std::string_view(newPassword));
      // An all-zero digest would read back as "not protected", and the
      // encrypted memos behind it would be shown as garbage.
      if (std::all_of(digest.begin(), digest.end(), [](std::uint8_t b) { return b == 0; })) {
        return PW_ERR_PASSWORD;
      }
      nextCipher = CreateCipher();
      if (!nextCipher) return PW_ERR_NO_MEMORY;
      nextCipher->SetKey(newPassword);
    } else {
      hint = std::string_view();
    }
    // Block header, category block and the four carried bytes stay; the data
    // then ends with the digest, the hint and its zero byte.  Bytes of a longer
    // old hint are not carried over.
    const std::size_t newDataSize = APP_HINT + hint.size() + 1;
    fresh.assign(offset + newDataSize, 0);
    std::copy_n(block.begin(), offset + std::min(dataSize, APP_DIGEST), fresh.begin());
  } catch (const std::bad_alloc&) {
    SecureWipe(digest.data(), digest.size());
    return PW_ERR_NO_MEMORY;
  }
  std::uint8_t* data = fresh.data() + offset;
  std::copy(digest.begin(), digest.end(), data + APP_DIGEST);
  std::copy(hint.begin(), hint.end(), data + APP_HINT);
  SecureWipe(digest.data(), digest.size());
  const auto newDataSize = static_cast<std::uint32_t>(fresh.size() - offset);
  WriteU32(fresh.data() + BLK_TOTAL_SIZE, static_cast<std::uint32_t>(fresh.size()));
  WriteU32(fresh.data() + BLK_CAPACITY, newDataSize);
  // The conduit reads the memo application's bytes up to the data length, so
  // the length must take in the digest and the hint.
  WriteU32(fresh.data() + BLK_LENGTH, newDataSize);

  block.swap(fresh);
  ReplaceCipher(std::move(nextCipher));
  return RDB_OK;
}
