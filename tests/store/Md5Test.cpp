#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/crypto/Md5.h"

namespace {

template <typename Bytes>
std::string ToHex(const Bytes& bytes, std::size_t n) {
  static const char DIGITS[] = "0123456789abcdef";
  std::string hex;
  for (std::size_t i = 0; i < n; ++i) {
    hex += DIGITS[bytes[i] >> 4];
    hex += DIGITS[bytes[i] & 15];
  }
  return hex;
}

std::string HexOf(std::string_view text) {
  return ToHex(CMd5::Of(text), CMd5::DIGEST_SIZE);
}

TEST(Md5Test, RfcTestSuite) {
  EXPECT_EQ(HexOf(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(HexOf("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(HexOf("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(HexOf("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(HexOf("abcdefghijklmnopqrstuvwxyz"),
            "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(HexOf("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                  "0123456789"),
            "d174ab98d277d9f5a5611c2c9f419d9f");
  EXPECT_EQ(HexOf("1234567890123456789012345678901234567890123456789012345678"
                  "9012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
}

// Input split into pieces at every position around the 56- and 64-byte
// boundaries gives the one-piece digest.
TEST(Md5Test, PiecesAcrossBlockBoundaries) {
  std::string message;
  for (int i = 0; i < 200; ++i) message += static_cast<char>(i * 37 + 1);
  for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 200u}) {
    const std::string part = message.substr(0, length);
    const auto whole = CMd5::Of(part);
    for (std::size_t cut = 0; cut <= length; ++cut) {
      for (std::size_t second : {std::size_t{1}, std::size_t{64}}) {
        CMd5 md5;
        md5.Update(part.data(), cut);
        const std::size_t mid = std::min(length - cut, second);
        md5.Update(part.data() + cut, mid);
        md5.Update(part.data() + cut + mid, length - cut - mid);
        md5.Final();
        ASSERT_EQ(md5.DigestBytes(), whole)
            << "length " << length << " cut " << cut << " then " << second;
      }
    }
  }
}

TEST(Md5Test, MillionAsInChunks) {
  const std::string chunk(1000, 'a');
  CMd5 md5;
  for (int i = 0; i < 1000; ++i) md5.Update(chunk.data(), chunk.size());
  md5.Final();
  EXPECT_EQ(ToHex(md5.DigestBytes(), 16), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Md5Test, DigestCopyAndReuseAfterInit) {
  CMd5 md5;
  md5.Update("stale input", 11);
  md5.Init();
  md5.Update("abc", 3);
  md5.Final();
  auto copy = md5.Digest();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(ToHex(copy.get(), 16), "900150983cd24fb0d6963f7d28e17f72");
  // The copy is independent of the object.
  copy[0] ^= 0xFF;
  EXPECT_EQ(ToHex(md5.DigestBytes(), 16), "900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
