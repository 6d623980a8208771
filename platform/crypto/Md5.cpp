#include "platform/crypto/Md5.h"

#include <cstring>
#include <new>

#include "platform/crypto/SecureWipe.h"
#include "platform/files/ByteOrder.h"

namespace {

inline std::uint32_t Rotl(std::uint32_t x, int n) {
  return (x << n) | (x >> (32 - n));
}

// The sine table: floor(abs(sin(i + 1)) * 2^32).
constexpr std::uint32_t K[64] = {
    0xD76AA478, 0xE8C7B756, 0x242070DB, 0xC1BDCEEE, 0xF57C0FAF, 0x4787C62A,
    0xA8304613, 0xFD469501, 0x698098D8, 0x8B44F7AF, 0xFFFF5BB1, 0x895CD7BE,
    0x6B901122, 0xFD987193, 0xA679438E, 0x49B40821, 0xF61E2562, 0xC040B340,
    0x265E5A51, 0xE9B6C7AA, 0xD62F105D, 0x02441453, 0xD8A1E681, 0xE7D3FBC8,
    0x21E1CDE6, 0xC33707D6, 0xF4D50D87, 0x455A14ED, 0xA9E3E905, 0xFCEFA3F8,
    0x676F02D9, 0x8D2A4C8A, 0xFFFA3942, 0x8771F681, 0x6D9D6122, 0xFDE5380C,
    0xA4BEEA44, 0x4BDECFA9, 0xF6BB4B60, 0xBEBFBC70, 0x289B7EC6, 0xEAA127FA,
    0xD4EF3085, 0x04881D05, 0xD9D4D039, 0xE6DB99E5, 0x1FA27CF8, 0xC4AC5665,
    0xF4292244, 0x432AFF97, 0xAB9423A7, 0xFC93A039, 0x655B59C3, 0x8F0CCC92,
    0xFFEFF47D, 0x85845DD1, 0x6FA87E4F, 0xFE2CE6E0, 0xA3014314, 0x4E0811A1,
    0xF7537E82, 0xBD3AF235, 0x2AD7D2BB, 0xEB86D391,
};

constexpr int SHIFT[64] = {
    7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
    5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
    4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
    6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21,
};

}  // namespace

CMd5::CMd5() { Init(); }

CMd5::~CMd5() {
  SecureWipe(m_state, sizeof m_state);
  SecureWipe(m_buffer, sizeof m_buffer);
  SecureWipe(m_digest.data(), m_digest.size());
  SecureWipe(&m_bitCount, sizeof m_bitCount);
}

void CMd5::Init() {
  m_state[0] = 0x67452301;
  m_state[1] = 0xEFCDAB89;
  m_state[2] = 0x98BADCFE;
  m_state[3] = 0x10325476;
  m_bitCount = 0;
  SecureWipe(m_buffer, sizeof m_buffer);
  m_digest.fill(0);
}

void CMd5::Transform(const std::uint8_t* block) {
  std::uint32_t m[16];
  for (int i = 0; i < 16; ++i) m[i] = ByteOrder::ReadLE32(block + 4 * i);

  std::uint32_t a = m_state[0];
  std::uint32_t b = m_state[1];
  std::uint32_t c = m_state[2];
  std::uint32_t d = m_state[3];
  for (int i = 0; i < 64; ++i) {
    std::uint32_t f;
    int g;
    if (i < 16) {
      f = (b & c) | (~b & d);
      g = i;
    } else if (i < 32) {
      f = (d & b) | (~d & c);
      g = (5 * i + 1) & 15;
    } else if (i < 48) {
      f = b ^ c ^ d;
      g = (3 * i + 5) & 15;
    } else {
      f = c ^ (b | ~d);
      g = (7 * i) & 15;
    }
    std::uint32_t next = b + Rotl(a + f + K[i] + m[g], SHIFT[i]);
    a = d;
    d = c;
    c = b;
    b = next;
  }
  m_state[0] += a;
  m_state[1] += b;
  m_state[2] += c;
  m_state[3] += d;
  SecureWipe(m, sizeof m);
}

void CMd5::Update(const void* data, std::size_t count) {
  if (count == 0) return;
  const auto* in = static_cast<const std::uint8_t*>(data);
  std::size_t used = static_cast<std::size_t>((m_bitCount >> 3) & 63);
  m_bitCount += static_cast<std::uint64_t>(count) << 3;

  if (used != 0) {
    const std::size_t room = 64 - used;
    if (count < room) {
      std::memcpy(m_buffer + used, in, count);
      return;
    }
    std::memcpy(m_buffer + used, in, room);
    Transform(m_buffer);
    in += room;
    count -= room;
  }
  while (count >= 64) {
    Transform(in);
    in += 64;
    count -= 64;
  }
  if (count != 0) std::memcpy(m_buffer, in, count);
}

void CMd5::Final() {
  std::uint8_t length[8];
  const std::uint64_t bits = m_bitCount;
  for (int i = 0; i < 8; ++i)
    length[i] = static_cast<std::uint8_t>(bits >> (8 * i));

  // A 1 bit, zeros up to 56 bytes mod 64, then the length in bits.
  static const std::uint8_t PADDING[64] = {0x80};
  const std::size_t used = static_cast<std::size_t>((bits >> 3) & 63);
  const std::size_t pad = used < 56 ? 56 - used : 120 - used;
  Update(PADDING, pad);
  Update(length, sizeof length);

  for (int i = 0; i < 4; ++i) ByteOrder::WriteLE32(m_digest.data() + 4 * i, m_state[i]);
  SecureWipe(m_buffer, sizeof m_buffer);
}

std::unique_ptr<std::uint8_t[]> CMd5::Digest() const {
  std::unique_ptr<std::uint8_t[]> copy(new (std::nothrow)
                                           std::uint8_t[DIGEST_SIZE]);
  if (copy) std::memcpy(copy.get(), m_digest.data(), DIGEST_SIZE);
  return copy;
}

std::array<std::uint8_t, CMd5::DIGEST_SIZE> CMd5::DigestBytes() const {
  return m_digest;
}

std::array<std::uint8_t, CMd5::DIGEST_SIZE> CMd5::Of(std::string_view bytes) {
  CMd5 md5;
  md5.Update(bytes.data(), bytes.size());
  md5.Final();
  return md5.m_digest;
}
