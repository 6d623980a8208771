#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

// MD5 message digest (RFC 1321).  Usage: Init (or construct), Update any
// number of times, Final, then read the digest.
class CMd5 {
 public:
  static constexpr std::size_t DIGEST_SIZE = 16;

  CMd5();
  // Wipes the state and buffered input: the digest may be of a password.
  ~CMd5();
  CMd5(const CMd5&) = delete;
  CMd5& operator=(const CMd5&) = delete;

  void Init();
  void Update(const void* data, std::size_t count);
  void Final();

  // A newly allocated copy of the 16 digest bytes.
  std::unique_ptr<std::uint8_t[]> Digest() const;
  std::array<std::uint8_t, DIGEST_SIZE> DigestBytes() const;

  static std::array<std::uint8_t, DIGEST_SIZE> Of(std::string_view bytes);

 private:
  void Transform(const std::uint8_t* block);

  std::uint32_t m_state[4];
  std::uint64_t m_bitCount = 0;
  std::uint8_t m_buffer[64];
  std::array<std::uint8_t, DIGEST_SIZE> m_digest{};
};
