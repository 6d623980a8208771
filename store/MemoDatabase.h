#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

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
                                        CBlockCipher* bodyCipher) override;
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

  // Results of SetPassword besides RDB_OK.
  static constexpr int PW_ERR_NOT_LOADED = -1;   // no file loaded with its memos
  static constexpr int PW_ERR_NO_APP_INFO = -3;  // no app-info data holding a whole category block
  static constexpr int PW_ERR_HINT = -4;         // the hint holds a zero byte or is too long
  static constexpr int PW_ERR_PASSWORD = -5;     // the password's digest reads as "not protected"
  static constexpr int PW_ERR_NO_MEMORY = -6;
  // Longest hint: the app-info data (digest, hint and its zero byte included)
  // stays within the largest block the handheld takes.
  static constexpr std::size_t MAX_HINT_BYTES = FileLayout::REC_MAX_SIZE - FileLayout::APP_HINT - 1;

  // Changes the password of a loaded database (in memory; Save writes it).
  // With a password (its bytes up to the first zero, possibly none of them)
  // the digest and the hint are written and every memo body is encrypted under
  // it from the next Save; with none the digest becomes all zero, the hint
  // empty and the bodies plain.  The app-info data is resized to end with the
  // hint's zero byte.  Texts and record marks do not change.  On failure the
  // database is as it was.
  int SetPassword(const char* newPassword, std::string_view hint);
};
