#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/crypto/BlockCipher.h"

// Blowfish: 16 rounds, a P-array of 18 words and four S-boxes of 256 words,
// initialised from the hexadecimal digits of pi.
class CBlowfish final : public CBlockCipher {
 public:
  static constexpr int ROUNDS = 16;
  static constexpr std::size_t P_WORDS = ROUNDS + 2;
  static constexpr std::size_t S_BOXES = 4;
  static constexpr std::size_t S_WORDS = 256;
  // Key bytes beyond this many have no effect on the key schedule.
  static constexpr std::size_t MAX_KEY_BYTES = P_WORDS * 4;

  // Starts in the unkeyed state (Init).
  CBlowfish();
  // Wipes the tables.
  ~CBlowfish() override;
  CBlowfish(const CBlowfish&) = delete;
  CBlowfish& operator=(const CBlowfish&) = delete;

  void Init() override;
  void SetKey(std::string_view key) override;

  int Encrypt(std::uint8_t* buffer, std::size_t length) override;
  int Decrypt(std::uint8_t* buffer, std::size_t length) override;

  void EncryptBody(std::uint8_t* buffer, std::size_t length) override;
  void DecryptBody(std::uint8_t* buffer, std::size_t length) override;

  // One block on two halves, as used by the key schedule.
  void EncryptBlock(std::uint32_t& left, std::uint32_t& right) const;
  void DecryptBlock(std::uint32_t& left, std::uint32_t& right) const;

 private:
  std::uint32_t m_p[P_WORDS];
  std::uint32_t m_s[S_BOXES][S_WORDS];
};
