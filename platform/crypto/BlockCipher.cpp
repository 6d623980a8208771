#include "platform/crypto/BlockCipher.h"

namespace {

void ReverseWords(std::uint8_t* buffer, std::size_t length) {
  for (std::size_t i = 0; i + 4 <= length; i += 4) {
    std::uint8_t b0 = buffer[i];
    std::uint8_t b1 = buffer[i + 1];
    buffer[i] = buffer[i + 3];
    buffer[i + 1] = buffer[i + 2];
    buffer[i + 2] = b1;
    buffer[i + 3] = b0;
  }
}

}  // namespace

CBlockCipher::~CBlockCipher() = default;

void CBlockCipher::EncryptBody(std::uint8_t* buffer, std::size_t length) {
  ReverseWords(buffer, length);
  Encrypt(buffer, length);
  ReverseWords(buffer, length);
}

void CBlockCipher::DecryptBody(std::uint8_t* buffer, std::size_t length) {
  ReverseWords(buffer, length);
  Decrypt(buffer, length);
  ReverseWords(buffer, length);
}
