#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/crypto/BlockCipher.h"
#include "platform/recordfile/FileLayout.h"
#include "store/CategoryTable.h"
#include "store/Record.h"

class CAtomicFileWriter;

// Open modes of a record database file.  Neither ever creates the file.
// Open an existing file for reading only; such a database cannot be saved.
inline constexpr int RDB_OPEN_READ_ONLY = 0;
// Open an existing file for reading and writing; never create it.  This is
// the mode of the main view.
inline constexpr int RDB_OPEN_READ_WRITE = 1;

// Results of Load and Save.
inline constexpr int RDB_OK = 0;
inline constexpr int RDB_CANNOT_OPEN = -1;     // missing, unreadable, damaged, or write failed
inline constexpr int RDB_BAD_PASSWORD = -2;    // protected, and the password is missing or wrong

// An in-memory copy of one desktop record file: the header, the app-info and
// sort-info blocks, every record in file order and, built on request, the
// category table.  Load reads the whole file; Save writes it whole again.
//
// Load refuses a damaged file with -1 rather than read beyond what is there:
// a file shorter than its header and counts say, a header size field other
// than the header size, an app-info or sort-info block smaller than a block
// header or whose own size field disagrees with the file header, an app-info
// data offset that points into the block header or past the block, or a
// record whose total size is under the record header size or over the record
// size limit.  A record's data offset and length are cut to the bytes the
// record holds.  Bytes after the last counted record are ignored.
//
// A load that fails (-1) leaves the database empty and a load that asks for
// the password (-2) leaves it without records; Save refuses (-1) in both
// cases, so a failed load can never lead to an empty database being written
// over the user's file.
class CRecordDatabase {
 public:
  CRecordDatabase();
  virtual ~CRecordDatabase();
  CRecordDatabase(const CRecordDatabase&) = delete;
  CRecordDatabase& operator=(const CRecordDatabase&) = delete;

  // Appends the record (the database takes it) with position = record count.
  virtual int AddRecord(std::unique_ptr<CRecord> record);
  // Builds a record from a record buffer of `size` bytes (the record's total
  // size, at least the 40-byte header and at most 65,520), decrypting the
  // data with the cipher when one is given.  The data may be decrypted in
  // place: the buffer is the load's own and is wiped when the load ends.
  // Returns none when memory runs out.
  virtual std::unique_ptr<CRecord> CreateRecord(std::uint8_t* buffer, std::size_t size,
                                                CBlockCipher* cipher) = 0;
  // A new unkeyed cipher; none for plain files.
  virtual std::unique_ptr<CBlockCipher> CreateCipher();
  virtual bool IsEncrypted() const;
  // The password may be none (nullptr).
  virtual bool CheckPassword(const char* password) const;

  // RDB_OK, RDB_CANNOT_OPEN or RDB_BAD_PASSWORD.  The file is never created.
  int Load(const std::string& path, int openMode, const char* password);
  // RDB_OK or RDB_CANNOT_OPEN.  Writes a temporary file beside the original,
  // flushes it to disk and renames it over the original (keeping its
  // permissions); on any failure the original is left as it was.  The file is
  // never created: a missing file is RDB_CANNOT_OPEN.
  int Save();

  // Built from the app-info block on the first call after a load; none when
  // the file has no app-info block.
  CCategoryTable* GetCategories();

  int RecordCount() const { return static_cast<int>(records.size()); }
  // Deleted records included; none when out of range.
  CRecord* RecordAt(int index) const;

  const std::string& Path() const { return path; }
  int OpenMode() const { return openMode; }
  bool IsLoaded() const { return loaded; }
  bool HasCipher() const { return cipher != nullptr; }
  const std::array<std::uint8_t, FileLayout::HDR_SIZE>& Header() const { return header; }
  std::span<const std::uint8_t> AppInfoBlock() const { return appInfo; }
  std::span<const std::uint8_t> SortInfoBlock() const { return sortInfo; }
  // The handheld's app-info data inside the app-info block (empty without one).
  std::span<const std::uint8_t> AppInfoData() const;

 protected:
  std::span<std::uint8_t> MutableAppInfoData();
  // For a change of password: the cipher that Save encrypts the bodies with
  // from now on (none: plain; the old one is destroyed, which wipes its key),
  // and the whole app-info block, which may grow to hold a digest and hint.
  void ReplaceCipher(std::unique_ptr<CBlockCipher> next) { cipher = std::move(next); }
  std::vector<std::uint8_t>& MutableAppInfoBlock() { return appInfo; }

 private:
  void Clear();
  int LoadFile(int fd, const char* password);
  int WriteFile(CAtomicFileWriter& file, std::uint8_t* recordBuffer);

  std::unique_ptr<CBlockCipher> cipher;
  std::string path;
  int openMode = RDB_OPEN_READ_ONLY;
  std::array<std::uint8_t, FileLayout::HDR_SIZE> header{};
  std::vector<std::uint8_t> appInfo;   // whole block; empty when there is none
  std::vector<std::uint8_t> sortInfo;  // whole block; empty when there is none
  std::vector<std::unique_ptr<CRecord>> records;
  std::unique_ptr<CCategoryTable> categories;
  bool loaded = false;  // the last Load returned RDB_OK
};
