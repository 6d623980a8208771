#include "store/MemoRecord.h"

#include <cstring>

#include "platform/crypto/BlockCipher.h"
#include "platform/recordfile/FileLayout.h"

using namespace FileLayout;

namespace {
// Body lengths are whole cipher blocks.
constexpr std::size_t BODY_ALIGN = 8;
}  // namespace

CMemoRecord::~CMemoRecord() = default;

int CMemoRecord::SerializeTo(std::uint8_t* buffer, CBlockCipher* cipher) const {
  const std::size_t room = ReadU32(buffer + REC_LENGTH);
  CRecord::SerializeTo(buffer, cipher);
  std::uint8_t* body = buffer + REC_HEADER_SIZE;
  // The text with every "\r\n" turned into "\n", then at least one zero byte,
  // padded with zeros to the next multiple of 8.
  const char* src = text.data();
  const std::size_t size = text.size();
  std::size_t length = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (src[i] == '\r' && i + 1 < size && src[i + 1] == '\n') continue;
    if (length == room) return -1;
    body[length++] = static_cast<std::uint8_t>(src[i]);
  }
  const std::size_t padded = (length + 1 + BODY_ALIGN - 1) / BODY_ALIGN * BODY_ALIGN;
  if (padded > room) return -1;
  std::memset(body + length, 0, padded - length);
  WriteU32(buffer + REC_LENGTH, static_cast<std::uint32_t>(padded));
  if (cipher) cipher->EncryptBody(body, padded);
  return 0;
}
