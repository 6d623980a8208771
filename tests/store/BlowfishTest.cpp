#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/crypto/Blowfish.h"

namespace {

std::vector<std::uint8_t> FromHex(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<std::uint8_t>(
        std::stoul(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

std::string ToHex(const std::vector<std::uint8_t>& bytes) {
  static const char DIGITS[] = "0123456789ABCDEF";
  std::string hex;
  for (std::uint8_t b : bytes) {
    hex += DIGITS[b >> 4];
    hex += DIGITS[b & 15];
  }
  return hex;
}

std::string KeyOf(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> bytes(n);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
  return bytes;
}

struct Vector {
  const char* key;
  const char* plain;
  const char* cipher;
};

// Published ECB vectors; blocks are big-endian halves, as in memo bodies.
TEST(BlowfishTest, PublishedVectorsThroughBody) {
  const Vector vectors[] = {
      {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
      {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
      {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
      {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
      {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
  };
  CBlowfish bf;
  for (const Vector& v : vectors) {
    bf.SetKey(KeyOf(FromHex(v.key)));
    auto block = FromHex(v.plain);
    bf.EncryptBody(block.data(), block.size());
    EXPECT_EQ(ToHex(block), v.cipher) << "key " << v.key;
    bf.DecryptBody(block.data(), block.size());
    EXPECT_EQ(ToHex(block), v.plain) << "key " << v.key;
  }
}

// Keys of 1 to 24 bytes; most key bytes are >= 0x80, so a schedule that
// sign-extended them would fail here.
TEST(BlowfishTest, VariableKeyLengthVectors) {
  const std::string fullKey = "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677";
  const char* expected[] = {
      "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3",
      "BE1E639408640F05", "B39E44481BDB1E6E", "9457AA83B1928C0D",
      "8BB77032F960629D", "E87A244E2CC85E82", "15750E7A4F4EC577",
      "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2",
      "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F",
      "93142887EE3BE15C", "03429E838CE2D14B", "A4299E27469FF67B",
      "AFD5AED1C1BC96A8", "10851C0E3858DA9F", "E6F51ED79B9DB21F",
      "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
  };
  CBlowfish bf;
  for (std::size_t n = 1; n <= 24; ++n) {
    bf.SetKey(KeyOf(FromHex(fullKey.substr(0, 2 * n))));
    auto block = FromHex("FEDCBA9876543210");
    bf.EncryptBody(block.data(), block.size());
    EXPECT_EQ(ToHex(block), expected[n - 1]) << "key length " << n;
  }
}

// The fast body path must give the same bytes as reversing each word
// around Encrypt/Decrypt, including a tail that is not a whole block.
TEST(BlowfishTest, BodyMatchesWordReversalAroundNativeBlocks) {
  CBlowfish bf;
  bf.SetKey("secret \x93\xfa\x96\x7b");
  for (std::size_t length : {0u, 7u, 8u, 13u, 64u, 1021u}) {
    const auto plain = RandomBytes(length, static_cast<unsigned>(length));
    auto fast = plain;
    auto reference = plain;
    bf.EncryptBody(fast.data(), fast.size());
    bf.CBlockCipher::EncryptBody(reference.data(), reference.size());
    EXPECT_EQ(fast, reference) << "length " << length;

    bf.DecryptBody(fast.data(), fast.size());
    EXPECT_EQ(fast, plain) << "length " << length;
    bf.CBlockCipher::DecryptBody(reference.data(), reference.size());
    EXPECT_EQ(reference, plain) << "length " << length;
  }
}

// Native blocks: the first little-endian word is the left half.
TEST(BlowfishTest, NativeBlocksTakeLittleEndianHalves) {
  CBlowfish bf;
  bf.SetKey(KeyOf(FromHex("0123456789ABCDEF")));
  auto block = FromHex("1111111111111111");
  EXPECT_EQ(bf.Encrypt(block.data(), block.size()), 1);
  // 61F9C380 2281B096 as little-endian words.
  EXPECT_EQ(ToHex(block), "80C3F96196B08122");
}

std::uint32_t Word(const std::uint8_t* p, bool bigEndian) {
  std::uint32_t w = 0;
  for (int k = 0; k < 4; ++k)
    w |= static_cast<std::uint32_t>(p[k]) << (bigEndian ? 24 - 8 * k : 8 * k);
  return w;
}

// Whole buffers (blocks are processed in pairs) give the same bytes as one
// block at a time.
TEST(BlowfishTest, BuffersMatchBlockByBlock) {
  CBlowfish bf;
  bf.SetKey("buffer key");
  for (std::size_t blocks : {1u, 2u, 3u, 8u, 9u}) {
    const auto plain = RandomBytes(blocks * 8, static_cast<unsigned>(blocks));
    auto native = plain;
    auto body = plain;
    EXPECT_EQ(bf.Encrypt(native.data(), native.size()),
              static_cast<int>(blocks));
    bf.EncryptBody(body.data(), body.size());
    for (std::size_t i = 0; i < 8 * blocks; i += 8) {
      for (bool bigEndian : {false, true}) {
        const auto& out = bigEndian ? body : native;
        std::uint32_t l = Word(&plain[i], bigEndian);
        std::uint32_t r = Word(&plain[i + 4], bigEndian);
        bf.EncryptBlock(l, r);
        EXPECT_EQ(Word(&out[i], bigEndian), l) << blocks << " blocks, at " << i;
        EXPECT_EQ(Word(&out[i + 4], bigEndian), r) << blocks << " blocks, at " << i;
      }
    }
    bf.Decrypt(native.data(), native.size());
    bf.DecryptBody(body.data(), body.size());
    EXPECT_EQ(native, plain);
    EXPECT_EQ(body, plain);
  }
}

TEST(BlowfishTest, CountsWholeBlocksAndLeavesTailAlone) {
  CBlowfish bf;
  bf.SetKey("key");
  const auto plain = RandomBytes(21, 3);
  auto buffer = plain;
  EXPECT_EQ(bf.Encrypt(buffer.data(), buffer.size()), 2);
  EXPECT_NE(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 16),
            std::vector<std::uint8_t>(plain.begin(), plain.begin() + 16));
  EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin() + 16, buffer.end()),
            std::vector<std::uint8_t>(plain.begin() + 16, plain.end()));
  // ECB: equal blocks encrypt alike.
  std::vector<std::uint8_t> twice(16, 0x41);
  bf.Encrypt(twice.data(), twice.size());
  EXPECT_TRUE(std::equal(twice.begin(), twice.begin() + 8, twice.begin() + 8));

  EXPECT_EQ(bf.Decrypt(buffer.data(), buffer.size()), 2);
  EXPECT_EQ(buffer, plain);
  EXPECT_EQ(bf.Encrypt(buffer.data(), 7), 0);
  EXPECT_EQ(buffer, plain);
}

TEST(BlowfishTest, KeyBytesBeyondSeventyTwoChangeNothing) {
  const std::string base = KeyOf(RandomBytes(72, 9));
  CBlowfish a, b, c;
  a.SetKey(base);
  b.SetKey(base + "anything after the 72nd byte");
  c.SetKey(base.substr(0, 71) + "x");
  auto block = RandomBytes(32, 10);
  auto fromA = block, fromB = block, fromC = block;
  a.EncryptBody(fromA.data(), fromA.size());
  b.EncryptBody(fromB.data(), fromB.size());
  c.EncryptBody(fromC.data(), fromC.size());
  EXPECT_EQ(fromA, fromB);
  EXPECT_NE(fromA, fromC);
}

TEST(BlowfishTest, EmptyKeyAndRekeyingStartFromInitialTables) {
  CBlowfish fresh;
  CBlowfish rekeyed;
  rekeyed.SetKey("first password");
  rekeyed.SetKey("");
  auto a = RandomBytes(16, 11);
  auto b = a;
  fresh.EncryptBody(a.data(), a.size());
  rekeyed.EncryptBody(b.data(), b.size());
  EXPECT_EQ(a, b);

  // Init after a key also returns to the unkeyed state.
  rekeyed.SetKey("first password");
  rekeyed.Init();
  auto c = RandomBytes(16, 11);
  rekeyed.EncryptBody(c.data(), c.size());
  EXPECT_EQ(a, c);
}

}  // namespace
