#pragma once

#include <cstdint>

class CBlockCipher;

// One handheld record of a record database.  The attribute bits in memory
// differ from those in the file; the conversion happens when a record is read
// from or written into a record buffer.
class CRecord {
 public:
  // In-memory attribute bits.
  static constexpr std::uint32_t ATTR_DELETED = 0x01;
  static constexpr std::uint32_t ATTR_ARCHIVED = 0x02;
  static constexpr std::uint32_t ATTR_MODIFIED = 0x04;
  static constexpr std::uint32_t ATTR_NEW = 0x08;

  CRecord() = default;
  virtual ~CRecord();

  // Writes the record into a record buffer.  On entry the record-length field
  // of the buffer holds the room available for the data behind the 40-byte
  // header (the buffer is at least header + room bytes); on return it holds
  // the data length.  Returns 0, or -1 when the data does not fit.
  virtual int SerializeTo(std::uint8_t* buffer, CBlockCipher* cipher) const;
  // Orders by position: -1, 0 or 1.
  virtual int Compare(const CRecord& other) const;

  // Takes id, category, attributes and the private flag from the 40-byte
  // header at the start of a record buffer.
  void ReadHeader(const std::uint8_t* buffer);

  bool IsDeleted() const { return (attributes & ATTR_DELETED) != 0; }

  std::uint32_t uniqueId = 0;    // handheld record id; 0 for a record made on the desktop
  std::int32_t position = 0;     // index in the database's record array; never stored
  std::int32_t category = 0;     // category index 0..15; 0 is Unfiled
  std::uint32_t attributes = 0;  // ATTR_* bits
  std::uint32_t privateFlag = 0; // non-zero when the record is private
};
