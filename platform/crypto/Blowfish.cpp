#include "platform/crypto/Blowfish.h"

#include <cstring>

#include "platform/crypto/BlowfishTables.h"
#include "platform/crypto/SecureWipe.h"
#include "platform/files/ByteOrder.h"

namespace {

// The round code is small enough to inline everywhere; keeping the halves
// in registers matters more than code size here.
#define BF_INLINE inline __attribute__((always_inline))

// The round function on the four bytes of x, most significant first.
#define BF_F(s, x)                                                   \
  ((((s)[0][(x) >> 24] + (s)[1][((x) >> 16) & 0xFF]) ^               \
    (s)[2][((x) >> 8) & 0xFF]) +                                     \
   (s)[3][(x)&0xFF])

#define BF_ROUND(s, p, a, b, n) ((b) ^= BF_F(s, a) ^ (p)[n])

// Sixteen rounds, unrolled; l and r swap roles every round so no swap is
// needed.
BF_INLINE void EncryptHalves(const std::uint32_t* p,
                          const std::uint32_t (*s)[CBlowfish::S_WORDS],
                          std::uint32_t& left, std::uint32_t& right) {
  std::uint32_t l = left ^ p[0];
  std::uint32_t r = right;
  BF_ROUND(s, p, l, r, 1);
  BF_ROUND(s, p, r, l, 2);
  BF_ROUND(s, p, l, r, 3);
  BF_ROUND(s, p, r, l, 4);
  BF_ROUND(s, p, l, r, 5);
  BF_ROUND(s, p, r, l, 6);
  BF_ROUND(s, p, l, r, 7);
  BF_ROUND(s, p, r, l, 8);
  BF_ROUND(s, p, l, r, 9);
  BF_ROUND(s, p, r, l, 10);
  BF_ROUND(s, p, l, r, 11);
  BF_ROUND(s, p, r, l, 12);
  BF_ROUND(s, p, l, r, 13);
  BF_ROUND(s, p, r, l, 14);
  BF_ROUND(s, p, l, r, 15);
  BF_ROUND(s, p, r, l, 16);
  left = r ^ p[17];
  right = l;
}

BF_INLINE void DecryptHalves(const std::uint32_t* p,
                          const std::uint32_t (*s)[CBlowfish::S_WORDS],
                          std::uint32_t& left, std::uint32_t& right) {
  std::uint32_t l = left ^ p[17];
  std::uint32_t r = right;
  BF_ROUND(s, p, l, r, 16);
  BF_ROUND(s, p, r, l, 15);
  BF_ROUND(s, p, l, r, 14);
  BF_ROUND(s, p, r, l, 13);
  BF_ROUND(s, p, l, r, 12);
  BF_ROUND(s, p, r, l, 11);
  BF_ROUND(s, p, l, r, 10);
  BF_ROUND(s, p, r, l, 9);
  BF_ROUND(s, p, l, r, 8);
  BF_ROUND(s, p, r, l, 7);
  BF_ROUND(s, p, l, r, 6);
  BF_ROUND(s, p, r, l, 5);
  BF_ROUND(s, p, l, r, 4);
  BF_ROUND(s, p, r, l, 3);
  BF_ROUND(s, p, l, r, 2);
  BF_ROUND(s, p, r, l, 1);
  left = r ^ p[0];
  right = l;
}

// Two independent blocks at once: the rounds of one block form a serial
// chain of dependent loads, so interleaving two chains keeps the load units
// busy while each waits.
#define BF_ROUND2(s, p, a0, b0, a1, b1, n) \
  do {                                     \
    const std::uint32_t k = (p)[n];        \
    (b0) ^= BF_F(s, a0) ^ k;               \
    (b1) ^= BF_F(s, a1) ^ k;               \
  } while (0)

BF_INLINE void EncryptPair(const std::uint32_t* p,
                        const std::uint32_t (*s)[CBlowfish::S_WORDS],
                        std::uint32_t* l, std::uint32_t* r) {
  std::uint32_t l0 = l[0] ^ p[0], l1 = l[1] ^ p[0];
  std::uint32_t r0 = r[0], r1 = r[1];
  BF_ROUND2(s, p, l0, r0, l1, r1, 1);
  BF_ROUND2(s, p, r0, l0, r1, l1, 2);
  BF_ROUND2(s, p, l0, r0, l1, r1, 3);
  BF_ROUND2(s, p, r0, l0, r1, l1, 4);
  BF_ROUND2(s, p, l0, r0, l1, r1, 5);
  BF_ROUND2(s, p, r0, l0, r1, l1, 6);
  BF_ROUND2(s, p, l0, r0, l1, r1, 7);
  BF_ROUND2(s, p, r0, l0, r1, l1, 8);
  BF_ROUND2(s, p, l0, r0, l1, r1, 9);
  BF_ROUND2(s, p, r0, l0, r1, l1, 10);
  BF_ROUND2(s, p, l0, r0, l1, r1, 11);
  BF_ROUND2(s, p, r0, l0, r1, l1, 12);
  BF_ROUND2(s, p, l0, r0, l1, r1, 13);
  BF_ROUND2(s, p, r0, l0, r1, l1, 14);
  BF_ROUND2(s, p, l0, r0, l1, r1, 15);
  BF_ROUND2(s, p, r0, l0, r1, l1, 16);
  l[0] = r0 ^ p[17];
  l[1] = r1 ^ p[17];
  r[0] = l0;
  r[1] = l1;
}

BF_INLINE void DecryptPair(const std::uint32_t* p,
                        const std::uint32_t (*s)[CBlowfish::S_WORDS],
                        std::uint32_t* l, std::uint32_t* r) {
  std::uint32_t l0 = l[0] ^ p[17], l1 = l[1] ^ p[17];
  std::uint32_t r0 = r[0], r1 = r[1];
  BF_ROUND2(s, p, l0, r0, l1, r1, 16);
  BF_ROUND2(s, p, r0, l0, r1, l1, 15);
  BF_ROUND2(s, p, l0, r0, l1, r1, 14);
  BF_ROUND2(s, p, r0, l0, r1, l1, 13);
  BF_ROUND2(s, p, l0, r0, l1, r1, 12);
  BF_ROUND2(s, p, r0, l0, r1, l1, 11);
  BF_ROUND2(s, p, l0, r0, l1, r1, 10);
  BF_ROUND2(s, p, r0, l0, r1, l1, 9);
  BF_ROUND2(s, p, l0, r0, l1, r1, 8);
  BF_ROUND2(s, p, r0, l0, r1, l1, 7);
  BF_ROUND2(s, p, l0, r0, l1, r1, 6);
  BF_ROUND2(s, p, r0, l0, r1, l1, 5);
  BF_ROUND2(s, p, l0, r0, l1, r1, 4);
  BF_ROUND2(s, p, r0, l0, r1, l1, 3);
  BF_ROUND2(s, p, l0, r0, l1, r1, 2);
  BF_ROUND2(s, p, r0, l0, r1, l1, 1);
  l[0] = r0 ^ p[0];
  l[1] = r1 ^ p[0];
  r[0] = l0;
  r[1] = l1;
}

// Runs the cipher over whole blocks, two at a time, with the given word
// load/store (little-endian for native blocks, big-endian for bodies).
template <bool ENCRYPT, std::uint32_t (*LOAD)(const std::uint8_t*),
          void (*STORE)(std::uint8_t*, std::uint32_t)>
std::size_t ProcessBlocks(const std::uint32_t* p,
                          const std::uint32_t (*s)[CBlowfish::S_WORDS],
                          std::uint8_t* buffer, std::size_t length) {
  const std::size_t blocks = length / 8;
  std::size_t i = 0;
  for (; i + 2 <= blocks; i += 2, buffer += 16) {
    std::uint32_t l[2] = {LOAD(buffer), LOAD(buffer + 8)};
    std::uint32_t r[2] = {LOAD(buffer + 4), LOAD(buffer + 12)};
    if (ENCRYPT)
      EncryptPair(p, s, l, r);
    else
      DecryptPair(p, s, l, r);
    STORE(buffer, l[0]);
    STORE(buffer + 4, r[0]);
    STORE(buffer + 8, l[1]);
    STORE(buffer + 12, r[1]);
  }
  if (i < blocks) {
    std::uint32_t l = LOAD(buffer);
    std::uint32_t r = LOAD(buffer + 4);
    if (ENCRYPT)
      EncryptHalves(p, s, l, r);
    else
      DecryptHalves(p, s, l, r);
    STORE(buffer, l);
    STORE(buffer + 4, r);
  }
  return blocks;
}

#undef BF_ROUND2
#undef BF_ROUND
#undef BF_F
#undef BF_INLINE

}  // namespace

CBlowfish::CBlowfish() { Init(); }

CBlowfish::~CBlowfish() {
  SecureWipe(m_p, sizeof m_p);
  SecureWipe(m_s, sizeof m_s);
}

void CBlowfish::Init() {
  std::memcpy(m_p, BLOWFISH_INIT_P, sizeof m_p);
  std::memcpy(m_s, BLOWFISH_INIT_S, sizeof m_s);
}

void CBlowfish::SetKey(std::string_view key) {
  Init();
  if (key.empty()) return;

  const auto* bytes = reinterpret_cast<const unsigned char*>(key.data());
  const std::size_t length = key.size();
  std::size_t k = 0;
  for (std::size_t i = 0; i < P_WORDS; ++i) {
    std::uint32_t word = 0;
    for (int j = 0; j < 4; ++j) {
      word = (word << 8) | bytes[k];
      if (++k == length) k = 0;
    }
    m_p[i] ^= word;
  }

  std::uint32_t left = 0;
  std::uint32_t right = 0;
  for (std::size_t i = 0; i < P_WORDS; i += 2) {
    EncryptHalves(m_p, m_s, left, right);
    m_p[i] = left;
    m_p[i + 1] = right;
  }
  for (std::size_t box = 0; box < S_BOXES; ++box) {
    for (std::size_t i = 0; i < S_WORDS; i += 2) {
      EncryptHalves(m_p, m_s, left, right);
      m_s[box][i] = left;
      m_s[box][i + 1] = right;
    }
  }
  SecureWipe(&left, sizeof left);
  SecureWipe(&right, sizeof right);
}

void CBlowfish::EncryptBlock(std::uint32_t& left, std::uint32_t& right) const {
  EncryptHalves(m_p, m_s, left, right);
}

void CBlowfish::DecryptBlock(std::uint32_t& left, std::uint32_t& right) const {
  DecryptHalves(m_p, m_s, left, right);
}

int CBlowfish::Encrypt(std::uint8_t* buffer, std::size_t length) {
  return static_cast<int>(
      ProcessBlocks<true, ByteOrder::ReadLE32, ByteOrder::WriteLE32>(m_p, m_s, buffer, length));
}

int CBlowfish::Decrypt(std::uint8_t* buffer, std::size_t length) {
  return static_cast<int>(
      ProcessBlocks<false, ByteOrder::ReadLE32, ByteOrder::WriteLE32>(m_p, m_s, buffer, length));
}

void CBlowfish::EncryptBody(std::uint8_t* buffer, std::size_t length) {
  ProcessBlocks<true, ByteOrder::ReadBE32, ByteOrder::WriteBE32>(m_p, m_s, buffer, length);
}

void CBlowfish::DecryptBody(std::uint8_t* buffer, std::size_t length) {
  ProcessBlocks<false, ByteOrder::ReadBE32, ByteOrder::WriteBE32>(m_p, m_s, buffer, length);
}
