#pragma once
// CSyncLog: everything the conduit reports to the user goes through here into
// the HotSync log.  Each report is a message from the conduit's string table,
// formatted and handed to the log library with an activity code that tells the
// HotSync Manager what kind of entry it is.  One CSyncLog lives for one HotSync
// and is shared by every manager of that HotSync, which report through its
// ISyncLog side (sides, results: see there).

#include <cstddef>
#include <cstdint>

#include "dbfiles/ISyncLog.h"
#include "platform/resources/Resources.h"

class CSyncLog : public ISyncLog {
 public:
  // Sizes of the text fields, NUL included.
  static constexpr std::size_t RECORD_DESCRIPTION_SIZE = 256;
  static constexpr std::size_t NUMBER_TEXT_SIZE = 16;
  static constexpr std::size_t MESSAGE_SIZE = 512;
  static constexpr std::size_t CONDUIT_NAME_SIZE = 128;

  // Activity codes of the entries.
  static constexpr std::int32_t ACT_NONE = -1;
  static constexpr std::int32_t ACT_DUPLICATED = 0;
  static constexpr std::int32_t ACT_MODIFIED_DELETED = 2;
  static constexpr std::int32_t ACT_CATEGORY_LIMIT = 3;
  static constexpr std::int32_t ACT_CATEGORY_DELETED = 4;
  static constexpr std::int32_t ACT_CATEGORY_MOVE_FAILED = 7;
  static constexpr std::int32_t ACT_HH_READ_FAILED = 8;
  static constexpr std::int32_t ACT_HH_ADD_FAILED = 9;
  static constexpr std::int32_t ACT_HH_PURGE_FAILED = 10;
  static constexpr std::int32_t ACT_PC_ADD_FAILED = 13;
  static constexpr std::int32_t ACT_PC_FAILED = 17;         // desktop save or close
  static constexpr std::int32_t ACT_HH_CLEAR_FLAGS_FAILED = 18;
  static constexpr std::int32_t ACT_SYNC_MARK = 19;         // start of the HotSync
  static constexpr std::int32_t ACT_SYNC_OK = 20;
  static constexpr std::int32_t ACT_SYNC_FAILED = 21;
  static constexpr std::int32_t ACT_ERROR = 22;

  // Loads the conduit name (string 1) from `resources`; the name stays empty
  // when it cannot be loaded.
  explicit CSyncLog(ResourceInstance resources);
  CSyncLog(const CSyncLog&) = delete;
  CSyncLog& operator=(const CSyncLog&) = delete;

  ~CSyncLog() override;

  // Fatal-error reports of the log framework that the conduit never uses:
  // they write nothing and return 0.
  virtual std::int32_t ReportFatalError(const char* text);
  virtual std::int32_t ReportFatalErrorCode(std::int32_t error, const char* text);

  // Three entries with empty text: activity 19, 20, 19.
  std::int32_t LogSyncStart() override;
  // The conduit name, activity 21 when `failed`, else 20.
  std::int32_t LogSyncEnd(bool failed) override;

  // Unused fatal-error report (third form): writes nothing, returns 0.
  virtual std::int32_t ReportFatalErrorId(std::uint32_t messageId);

  // When nothing was written yet in this HotSync, writes "-- " and the conduit
  // name with activity -1.  Returns the entry's result, or 0 when none was due.
  virtual std::int32_t LogHeader();

  // Record messages: "...: <record description>, Error <decimal error>".
  std::int32_t LogAddFailed(std::int32_t error, const CSyncRecord& record, std::int32_t side) override;
  std::int32_t LogReadFailed(std::int32_t error, const CSyncRecord& record, std::int32_t side) override;
  // `databaseDescription` as made by DescribeDatabase.
  std::int32_t LogCreateFailed(std::int32_t error, const char* databaseDescription,
                               std::int32_t side) override;

  // Error-code messages: the error in hexadecimal (NumberText).
  std::int32_t LogPurgeFailed(std::int32_t error, std::int32_t side) override;
  std::int32_t LogSaveFailed(std::int32_t error) override;
  std::int32_t LogCloseFailed(std::int32_t error, std::int32_t side) override;
  std::int32_t LogClearFlagsFailed(std::int32_t error, std::int32_t side) override;

  // Conflicts of one record.
  std::int32_t LogDuplicated(const CSyncRecord& record) override;
  std::int32_t LogModifiedDeleted(const CSyncRecord& record) override;

  // Category messages; `side` SIDE_HANDHELD picks the "remote" text.
  std::int32_t LogCategoryDeleted(const char* name, std::int32_t side) override;
  std::int32_t LogCategoryMoveFailed(const char* name, std::int32_t side) override;
  std::int32_t LogCategoryLimit(const char* name, std::int32_t side) override;

  // Writes the database description into `out` (`outSize` bytes, cut to fit,
  // NUL-terminated): long form "DB Name %1s, Creator ID %2s, Type %3u, Flags
  // %4d, Version %5d" or short form "DB Name %1s, Creator ID %2s", with the
  // creator in hexadecimal.  Returns 0, DB_ERR_NULL_BUFFER for a null `out` or
  // `outSize` 0, or DB_ERR_TOO_LONG when the text was cut.
  std::int32_t DescribeDatabase(char* out, std::size_t outSize, const char* name,
                                std::uint32_t creator, std::uint32_t type,
                                std::int32_t flags, std::int32_t version) override;

  // Entries of a given text with a fixed activity that the conduit never
  // uses: they write nothing and return 0.
  virtual std::int32_t WriteText(const char* text);
  virtual std::int32_t WriteErrorText(const char* text);

  // Fills the record description from the record (CSyncRecord::Describe);
  // returns its result (the description is empty on failure).
  virtual std::int32_t DescribeRecord(const CSyncRecord& record);

  // Loads string `id` into the message text; returns its length, 0 when the
  // string is missing (the message text is then empty).
  virtual std::int32_t LoadMessage(std::uint32_t id);

  // Error-to-message mappings of the log framework that the conduit never
  // uses: they return 0 and change nothing.
  virtual std::int32_t MapErrorToMessage(std::int32_t error);
  virtual std::int32_t MapErrorToText(std::int32_t error, char* out, std::size_t outSize);

  // Writes `value` in lower-case hexadecimal without leading zeros into the
  // number text ("1124" for 4388) and returns it.
  virtual const char* NumberText(std::uint32_t value);

  // The desktop file at `path` stayed locked by another program: the header,
  // then the message naming the file, activity 17.  Nothing was synchronized.
  virtual std::int32_t LogFileInUse(const char* path);
  // The two sides' memo passwords differ: the header, then the message that
  // says what to do, activity 17.  Nothing was synchronized.
  std::int32_t LogPasswordMismatch() override;

  // Chooses the long (true) or short database description.  Starts long.
  void SetLongDescription(bool longForm) { m_longDescription = longForm ? 1 : 0; }
  bool LongDescription() const { return m_longDescription != 0; }

  ResourceInstance Resources() const { return m_resources; }
  const char* ConduitName() const { return m_conduitName; }
  const char* RecordDescription() const { return m_recordDescription; }
  const char* NumberTextValue() const { return m_numberText; }
  const char* MessageText() const { return m_messageText; }

 private:
  // Formats the loaded message with the arguments and writes the entry.
  std::int32_t WriteMessage(std::uint32_t id, std::int32_t activity, const char* text,
                            std::uint32_t number, bool withNumber);
  std::int32_t Entry(const char* text, std::int32_t activity);

  ResourceInstance m_resources;
  std::int16_t m_longDescription = 1;
  char m_recordDescription[RECORD_DESCRIPTION_SIZE] = {};
  char m_numberText[NUMBER_TEXT_SIZE] = {};
  char m_messageText[MESSAGE_SIZE] = {};
  char m_conduitName[CONDUIT_NAME_SIZE] = {};
};
