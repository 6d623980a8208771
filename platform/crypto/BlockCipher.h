#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// A 64-bit block cipher working in place on whole 8-byte blocks (ECB).
class CBlockCipher {
 public:
  virtual ~CBlockCipher();

  // Back to the unkeyed state.
  virtual void Init() = 0;
  // Init, then the key schedule.  An empty key leaves the initial tables.
  virtual void SetKey(std::string_view key) = 0;

  // In place, on each whole 8-byte block; within a block the first 32-bit
  // word, read as a little-endian integer, is the left half.  Bytes after
  // the last whole block are left alone.  Returns the number of blocks
  // (length / 8).
  virtual int Encrypt(std::uint8_t* buffer, std::size_t length) = 0;
  virtual int Decrypt(std::uint8_t* buffer, std::size_t length) = 0;

  // Memo bodies: the same bytes as reversing every whole 32-bit word,
  // Encrypt/Decrypt, and reversing again -- that is, ECB with big-endian
  // halves.  Bytes after the last whole 8-byte block stay as they are.
  // Subclasses may override with a faster path giving identical bytes.
  virtual void EncryptBody(std::uint8_t* buffer, std::size_t length);
  virtual void DecryptBody(std::uint8_t* buffer, std::size_t length);
};
