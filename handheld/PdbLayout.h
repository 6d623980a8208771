#pragma once
// The standard Palm database file (.pdb / .prc) layout: one definition of every
// offset, size and bit of the container, and the big-endian readers and writers
// used on it.
//
//   header (78 bytes) | record list entries | 2-byte gap | app-info | sort-info | data
//
// All integers are big-endian.  Dates count seconds since 1904-01-01 00:00 UTC.

#include <cstddef>
#include <cstdint>

#include "platform/files/ByteOrder.h"

namespace PdbLayout {

// ---- Database header --------------------------------------------------------
inline constexpr std::size_t PDB_NAME = 0;                 // 32 bytes, NUL-terminated
inline constexpr std::size_t PDB_NAME_SIZE = 32;
inline constexpr std::size_t PDB_NAME_MAX = PDB_NAME_SIZE - 1;
inline constexpr std::size_t PDB_ATTRIBUTES = 32;          // u16, PDB_DB_ATTR_* bits
inline constexpr std::size_t PDB_VERSION = 34;             // u16
inline constexpr std::size_t PDB_CREATION_DATE = 36;       // u32
inline constexpr std::size_t PDB_MODIFICATION_DATE = 40;   // u32
inline constexpr std::size_t PDB_BACKUP_DATE = 44;         // u32
inline constexpr std::size_t PDB_MODIFICATION_NUMBER = 48; // u32
inline constexpr std::size_t PDB_APPINFO_OFFSET = 52;      // u32, 0 = no app-info block
inline constexpr std::size_t PDB_SORTINFO_OFFSET = 56;     // u32, 0 = no sort-info block
inline constexpr std::size_t PDB_TYPE = 60;                // 4 characters
inline constexpr std::size_t PDB_CREATOR = 64;             // 4 characters
inline constexpr std::size_t PDB_UNIQUE_ID_SEED = 68;      // u32
inline constexpr std::size_t PDB_NEXT_RECORD_LIST = 72;    // u32, always written 0
inline constexpr std::size_t PDB_NUM_RECORDS = 76;         // u16
inline constexpr std::size_t PDB_HEADER_SIZE = 78;

// Two zero bytes traditionally follow the record list; readers do not rely on them.
inline constexpr std::size_t PDB_GAP_SIZE = 2;

// ---- Record list entry of a record database (8 bytes) -----------------------
inline constexpr std::size_t PDB_ENTRY_OFFSET = 0;         // u32, data offset from file start
inline constexpr std::size_t PDB_ENTRY_ATTRIBUTES = 4;     // u8, PDB_REC_* bits
inline constexpr std::size_t PDB_ENTRY_UNIQUE_ID = 5;      // u24
inline constexpr std::size_t PDB_ENTRY_SIZE = 8;

// ---- Record list entry of a resource database (10 bytes) --------------------
inline constexpr std::size_t PDB_RES_ENTRY_TYPE = 0;       // 4 characters
inline constexpr std::size_t PDB_RES_ENTRY_ID = 4;         // u16
inline constexpr std::size_t PDB_RES_ENTRY_OFFSET = 6;     // u32
inline constexpr std::size_t PDB_RES_ENTRY_SIZE = 10;

// The record list counts records in 16 bits; record ids are 24 bits.
inline constexpr std::size_t PDB_MAX_RECORDS = 0xFFFF;
inline constexpr std::uint32_t PDB_UNIQUE_ID_MASK = 0x00FFFFFF;

// ---- Database attribute bits (header offset 32) ------------------------------
inline constexpr std::uint16_t PDB_DB_ATTR_RESOURCE = 0x0001;
inline constexpr std::uint16_t PDB_DB_ATTR_READ_ONLY = 0x0002;
inline constexpr std::uint16_t PDB_DB_ATTR_APPINFO_DIRTY = 0x0004;
inline constexpr std::uint16_t PDB_DB_ATTR_BACKUP = 0x0008;

// ---- Record attribute bits (record list entry) --------------------------------
inline constexpr std::uint8_t PDB_REC_DELETED = 0x80;
inline constexpr std::uint8_t PDB_REC_DIRTY = 0x40;
inline constexpr std::uint8_t PDB_REC_BUSY = 0x20;
inline constexpr std::uint8_t PDB_REC_SECRET = 0x10;
// On a deleted record the low nibble holds no category; 0x08 marks it for archiving.
inline constexpr std::uint8_t PDB_REC_ARCHIVED = 0x08;
inline constexpr std::uint8_t PDB_REC_CATEGORY_MASK = 0x0F;

// ---- Dates ----------------------------------------------------------------------
// Seconds from 1904-01-01 to 1970-01-01.
inline constexpr std::int64_t PDB_EPOCH_TO_UNIX = 2082844800;

inline std::uint32_t PalmDateFromUnix(std::int64_t unixSeconds) {
  return static_cast<std::uint32_t>(unixSeconds + PDB_EPOCH_TO_UNIX);
}

// ---- Big-endian access ------------------------------------------------------------
using ByteOrder::ReadBE16;
using ByteOrder::ReadBE24;
using ByteOrder::ReadBE32;
using ByteOrder::WriteBE16;
using ByteOrder::WriteBE24;
using ByteOrder::WriteBE32;

// Four-character codes ('DATA', 'DeRu') as 32-bit values, first character most significant.
inline constexpr std::uint32_t FourCC(const char (&code)[5]) {
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}

}  // namespace PdbLayout
