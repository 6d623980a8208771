#pragma once

#include <string>

#include "store/Record.h"

// A memo: a record whose data is the memo text.  In memory the text has
// "\r\n" line ends; in the file it has "\n", ends with a zero byte and is
// zero-padded to a multiple of 8 bytes (and encrypted when a cipher is given).
class CMemoRecord : public CRecord {
 public:
  CMemoRecord() = default;
  ~CMemoRecord() override;

  int SerializeTo(std::uint8_t* buffer, CBlockCipher* cipher) const override;

  std::string text;
};
