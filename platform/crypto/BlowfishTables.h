#pragma once

#include <cstdint>

// The initial Blowfish tables: the fractional hexadecimal digits of pi, the
// first 18 words for the P-array followed by the four S-boxes (1,042 words).
extern const std::uint32_t BLOWFISH_INIT_P[18];
extern const std::uint32_t BLOWFISH_INIT_S[4][256];
