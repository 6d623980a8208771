#pragma once
// The desktop record file container: one definition of every offset, size and
// bit that the record file, the archive files and the backup file share, and the
// little-endian readers and writers used on them.  Every piece of code that
// touches the container takes its numbers from here.
//
//   header (84 bytes) | app-info block | sort-info block | records ...
//
// All container integers are little-endian.  The handheld's own app-info data
// keeps the handheld's byte order; its renamed-categories word is big-endian.

#include <cstddef>
#include <cstdint>

#include "platform/files/ByteOrder.h"

namespace FileLayout {

// ---- File header -----------------------------------------------------------
inline constexpr std::size_t HDR_SIZE_FIELD = 0;          // u32, always HDR_SIZE
inline constexpr std::size_t HDR_KIND = 4;                // u16, always HDR_KIND_VALUE
inline constexpr std::size_t HDR_NAME = 6;                // 34 bytes, NUL-terminated
inline constexpr std::size_t HDR_NAME_FIELD_SIZE = 34;
inline constexpr std::size_t HDR_NAME_MAX = 31;           // characters before the NUL
inline constexpr std::size_t HDR_VERSION = 40;            // u32
inline constexpr std::size_t HDR_CREATOR = 44;            // u32
inline constexpr std::size_t HDR_TYPE = 48;               // u32
inline constexpr std::size_t HDR_FLAGS = 52;              // u16
inline constexpr std::size_t HDR_RESERVED = 54;           // u16, zero
inline constexpr std::size_t HDR_MODIFICATION_DATE = 56;  // u32
inline constexpr std::size_t HDR_MODIFICATION_NUMBER = 60;// u32
inline constexpr std::size_t HDR_CREATION_DATE = 64;      // u32
inline constexpr std::size_t HDR_BACKUP_DATE = 68;        // u32
inline constexpr std::size_t HDR_RECORD_COUNT = 72;       // u32
inline constexpr std::size_t HDR_APPINFO_SIZE = 76;       // u32, 0 when there is no block
inline constexpr std::size_t HDR_SORTINFO_SIZE = 80;      // u32, 0 when there is no block
inline constexpr std::size_t HDR_SIZE = 84;
inline constexpr std::uint16_t HDR_KIND_VALUE = 1;

// ---- App-info and sort-info blocks (56-byte block header, then the data) ----
inline constexpr std::size_t BLK_TOTAL_SIZE = 0;          // u32, BLK_HEADER_SIZE + capacity
inline constexpr std::size_t BLK_KIND = 4;                // u16, always BLK_KIND_VALUE
inline constexpr std::size_t BLK_RESERVED = 6;            // u16, zero
inline constexpr std::size_t BLK_DATA_OFFSET = 8;         // u32, always BLK_HEADER_SIZE
inline constexpr std::size_t BLK_NAME = 12;               // 32 bytes, NUL-terminated
inline constexpr std::size_t BLK_NAME_FIELD_SIZE = 32;
inline constexpr std::size_t BLK_CAPACITY = 44;           // u32, data capacity
inline constexpr std::size_t BLK_LENGTH = 48;             // u32, data length used
inline constexpr std::size_t BLK_RESERVED_VALUE = 52;     // u32, carried through
inline constexpr std::size_t BLK_HEADER_SIZE = 56;
inline constexpr std::uint16_t BLK_KIND_VALUE = 0x1002;

// ---- Records (40-byte record header, then the data) -------------------------
inline constexpr std::size_t REC_TOTAL_SIZE = 0;          // u32, REC_HEADER_SIZE + data length
inline constexpr std::size_t REC_KIND = 4;                // u32, always REC_KIND_VALUE
inline constexpr std::size_t REC_DATA_OFFSET = 8;         // u32, always REC_HEADER_SIZE
inline constexpr std::size_t REC_ID = 16;                 // u32, handheld record id
inline constexpr std::size_t REC_ATTRIBUTES = 24;         // u16, REC_ATTR_* bits
inline constexpr std::size_t REC_CATEGORY = 28;           // u32, 0..15
inline constexpr std::size_t REC_LENGTH = 36;             // u32, data length
inline constexpr std::size_t REC_HEADER_SIZE = 40;
inline constexpr std::uint32_t REC_KIND_VALUE = 0x1002;
// A whole record, header and data, never exceeds this; both deliverables
// read and build records in a buffer of this size.
inline constexpr std::size_t REC_MAX_SIZE = 65520;
inline constexpr std::size_t REC_MAX_DATA = REC_MAX_SIZE - REC_HEADER_SIZE;

// Record attribute bits as stored in the file.
inline constexpr std::uint16_t REC_ATTR_MODIFIED = 0x01;
inline constexpr std::uint16_t REC_ATTR_DELETED = 0x02;
inline constexpr std::uint16_t REC_ATTR_ARCHIVED = 0x04;
inline constexpr std::uint16_t REC_ATTR_NEW = 0x08;
inline constexpr std::uint16_t REC_ATTR_PRIVATE = 0x10;

// ---- Category block at the start of the app-info data ------------------------
inline constexpr std::size_t CAT_RENAMED = 0;             // u16 big-endian, bit i: slot i renamed
inline constexpr std::size_t CAT_NAMES = 2;               // 16 names of CAT_NAME_FIELD_SIZE bytes
inline constexpr std::size_t CAT_NAME_FIELD_SIZE = 16;
inline constexpr std::size_t CAT_NAME_MAX = 15;           // characters before the NUL
inline constexpr std::size_t CAT_IDS = 258;               // 16 id bytes
inline constexpr std::size_t CAT_LAST_ID = 274;           // u8
inline constexpr std::size_t CAT_RESERVED = 275;          // u8
inline constexpr std::size_t CAT_BLOCK_SIZE = 276;
inline constexpr std::size_t CAT_COUNT = 16;              // slot 0 is "Unfiled"
// A block made from scratch to hold only the category block.
inline constexpr std::size_t CAT_APPINFO_BLOCK_SIZE = BLK_HEADER_SIZE + CAT_BLOCK_SIZE;

// ---- Memo application's bytes after the category block ------------------------
inline constexpr std::size_t APP_UNUSED = CAT_BLOCK_SIZE;  // 4 bytes carried unchanged
inline constexpr std::size_t APP_DIGEST = 280;             // MD5 of the password, zero when unprotected
inline constexpr std::size_t APP_DIGEST_SIZE = 16;
inline constexpr std::size_t APP_HINT = 296;               // zero-terminated hint

// ---- Little-endian (container) and big-endian (handheld data) access ----------
// The container's names for the shared byte-order helpers.
inline std::uint16_t ReadU16(const std::uint8_t* p) { return ByteOrder::ReadLE16(p); }
inline std::uint32_t ReadU32(const std::uint8_t* p) { return ByteOrder::ReadLE32(p); }
inline void WriteU16(std::uint8_t* p, std::uint16_t v) { ByteOrder::WriteLE16(p, v); }
inline void WriteU32(std::uint8_t* p, std::uint32_t v) { ByteOrder::WriteLE32(p, v); }
inline std::uint16_t ReadU16BE(const std::uint8_t* p) { return ByteOrder::ReadBE16(p); }
inline void WriteU16BE(std::uint8_t* p, std::uint16_t v) { ByteOrder::WriteBE16(p, v); }

}  // namespace FileLayout
