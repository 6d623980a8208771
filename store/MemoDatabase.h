#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "store/MemoRecord.h"
#include "store/RecordDatabase.h"

// The memo application's database: records are memos, and the memos may be
// protected by a password.  A protected file carries the MD5 digest of the
// password in its app-info data (followed by a hint), and every memo body is
// encrypted with Blowfish keyed by the password.
//
// App-info data of the memo application:
//   category block (276) | 4 bytes carried | digest (16) | hint, zero-terminated
class CMemoDatabase : public CRecordDatabase {
 public:
  CMemoDatabase();
  ~CMemoDatabase() override;

  // Builds a CMemoRecord.  The body is the data at the record's data offset
  // with the record's data length, cut to the bytes the record really holds;
  // an encrypted body is decrypted in place.
  std::unique_ptr<CRecord> CreateRecord(std::uint8_t* buffer, std::size_t size,
                                        CBlockCipher* cipher) override;
  // A new unkeyed Blowfish cipher.
  std::unique_ptr<CBlockCipher> CreateCipher() override;
  // True when any digest byte is non-zero.  A file without an app-info block,
  // or whose app-info data is too short to hold the digest, is unprotected.
  bool IsEncrypted() const override;
  // True when the MD5 digest of the password's bytes equals the stored one;
  // false without a password.
  bool CheckPassword(const char* password) const override;

  // The hint behind the digest, up to its zero byte or the end of the
  // app-info data; empty when there is no room for one.
  std::string PasswordHint() const;

  // The record at an index as a memo; none when out of range.
  CMemoRecord* MemoAt(int index) const;
};
