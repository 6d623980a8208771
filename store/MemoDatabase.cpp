#include "store/MemoDatabase.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

#include "platform/crypto/Blowfish.h"
#include "platform/crypto/Md5.h"
#include "platform/crypto/SecureWipe.h"
#include "platform/recordfile/FileLayout.h"
#include "platform/text/LineEnds.h"

using namespace FileLayout;

namespace {
// The text of a body: up to its first zero byte (all of it when there is
// none), with every "\n" turned into "\r\n".
std::string TextOf(const std::uint8_t* body, std::size_t length) {
  const char* text = reinterpret_cast<const char*>(body);
  const void* zero = std::memchr(text, 0, length);
  if (zero) length = static_cast<std::size_t>(static_cast<const char*>(zero) - text);
  return LfToCrLf(std::string_view(text, length));
}
}  // namespace

CMemoDatabase::CMemoDatabase() = default;

CMemoDatabase::~CMemoDatabase() = default;

std::unique_ptr<CRecord> CMemoDatabase::CreateRecord(std::uint8_t* buffer, std::size_t size, CBlockCipher* bodyCipher) {
  try {
    auto record = std::make_unique<CMemoRecord>();
    record->ReadHeader(buffer);
    // The body is every byte behind the record header, up to the record's
    // total size: the data-offset and length fields are not trusted, so that
    // the memo store and the conduit read a record whose fields disagree with
    // its size alike (a body cut short here would be saved cut for good).
    const std::size_t length = size > REC_HEADER_SIZE ? size - REC_HEADER_SIZE : 0;
    std::uint8_t* body = buffer + REC_HEADER_SIZE;
    if (bodyCipher) bodyCipher->DecryptBody(body, length);
    record->text = TextOf(body, length);
    return record;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::unique_ptr<CBlockCipher> CMemoDatabase::CreateCipher() {
  try {
    return std::make_unique<CBlowfish>();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool CMemoDatabase::IsEncrypted() const {
  const auto data = AppInfoData();
  if (data.size() < APP_DIGEST + APP_DIGEST_SIZE) return false;
  return std::any_of(data.begin() + APP_DIGEST, data.begin() + APP_DIGEST + APP_DIGEST_SIZE,
                     [](std::uint8_t byte) { return byte != 0; });
}

bool CMemoDatabase::CheckPassword(const char* password) const {
  if (password == nullptr) return false;
  const auto data = AppInfoData();
  if (data.size() < APP_DIGEST + APP_DIGEST_SIZE) return false;
  auto digest = CMd5::Of(std::string_view(password));
  const bool match = std::equal(digest.begin(), digest.end(), data.begin() + APP_DIGEST);
  SecureWipe(digest.data(), digest.size());
  return match;
}

std::string CMemoDatabase::PasswordHint() const {
  const auto data = AppInfoData();
  if (data.size() <= APP_HINT) return std::string();
  const auto* start = reinterpret_cast<const char*>(data.data() + APP_HINT);
  const std::size_t room = data.size() - APP_HINT;
  const void* zero = std::memchr(start, 0, room);
  return std::string(start, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - start) : room);
}

CMemoRecord* CMemoDatabase::MemoAt(int index) const {
  return dynamic_cast<CMemoRecord*>(RecordAt(index));
}
