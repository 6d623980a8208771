// CSyncLog: the HotSync log messages of the conduit.

#include "conduit/SyncLog.h"

#include <charconv>
#include <cstring>
#include <new>
#include <string>

#include "conduit/ConduitStrings.h"
#include "conduit/MessageFormat.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncRecord.h"
#include "platform/hslog20/HsLog.h"
#include "platform/text/Mbcs.h"

namespace {

// Copies `text` into a fixed field of `size` bytes, cut to fit.
void CopyField(char* field, std::size_t size, const std::string& text) {
  std::size_t length = text.size() < size ? text.size() : size - 1;
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

std::uint32_t SideMessage(std::int32_t side, std::uint32_t handheld, std::uint32_t desktop) {
  return side == CSyncLog::SIDE_HANDHELD ? handheld : desktop;
}

}  // namespace

CSyncLog::CSyncLog(ResourceInstance resources) : m_resources(resources) {
  LoadStringA(m_resources, IDS_CONDUIT_NAME, m_conduitName, static_cast<std::int32_t>(CONDUIT_NAME_SIZE));
}

CSyncLog::~CSyncLog() = default;

std::int32_t CSyncLog::ReportFatalError(const char* /*text*/) { return 0; }

std::int32_t CSyncLog::ReportFatalErrorCode(std::int32_t /*error*/, const char* /*text*/) { return 0; }

std::int32_t CSyncLog::LogSyncStart() {
  Entry("", ACT_SYNC_MARK);
  Entry("", ACT_SYNC_OK);
  return Entry("", ACT_SYNC_MARK);
}

std::int32_t CSyncLog::LogSyncEnd(bool failed) {
  return Entry(m_conduitName, failed ? ACT_SYNC_FAILED : ACT_SYNC_OK);
}

std::int32_t CSyncLog::ReportFatalErrorId(std::uint32_t /*messageId*/) { return 0; }

std::int32_t CSyncLog::LogHeader() {
  if (LogTestHeader() != 0) return 0;
  try {
    std::string header = std::string("-- ") + m_conduitName;
    return Entry(header.c_str(), ACT_NONE);
  } catch (const std::bad_alloc&) {
    return Entry("-- ", ACT_NONE);
  }
}

std::int32_t CSyncLog::LogAddFailed(std::int32_t error, const CSyncRecord& record, std::int32_t side) {
  LogHeader();
  DescribeRecord(record);
  bool handheld = side == SIDE_HANDHELD;
  return WriteMessage(handheld ? IDS_HH_ADD_FAILED : IDS_PC_ADD_FAILED,
                      handheld ? ACT_HH_ADD_FAILED : ACT_PC_ADD_FAILED, m_recordDescription,
                      static_cast<std::uint32_t>(error), true);
}

std::int32_t CSyncLog::LogReadFailed(std::int32_t error, const CSyncRecord& record, std::int32_t side) {
  LogHeader();
  DescribeRecord(record);
  bool handheld = side == SIDE_HANDHELD;
  return WriteMessage(handheld ? IDS_HH_READ_FAILED : IDS_PC_READ_FAILED,
                      handheld ? ACT_HH_READ_FAILED : ACT_NONE, m_recordDescription,
                      static_cast<std::uint32_t>(error), true);
}

std::int32_t CSyncLog::LogCreateFailed(std::int32_t error, const char* databaseDescription,
                                       std::int32_t side) {
  LogHeader();
  return WriteMessage(SideMessage(side, IDS_HH_CREATE_FAILED, IDS_PC_CREATE_FAILED), ACT_NONE,
                      databaseDescription != nullptr ? databaseDescription : "",
                      static_cast<std::uint32_t>(error), true);
}

std::int32_t CSyncLog::LogPurgeFailed(std::int32_t error, std::int32_t side) {
  bool handheld = side == SIDE_HANDHELD;
  return WriteMessage(handheld ? IDS_HH_PURGE_FAILED : IDS_PC_PURGE_FAILED,
                      handheld ? ACT_HH_PURGE_FAILED : ACT_ERROR,
                      NumberText(static_cast<std::uint32_t>(error)), 0, false);
}

std::int32_t CSyncLog::LogSaveFailed(std::int32_t error) {
  return WriteMessage(IDS_PC_SAVE_FAILED, ACT_PC_FAILED, NumberText(static_cast<std::uint32_t>(error)), 0,
                      false);
}

std::int32_t CSyncLog::LogCloseFailed(std::int32_t error, std::int32_t side) {
  bool handheld = side == SIDE_HANDHELD;
  return WriteMessage(handheld ? IDS_HH_CLOSE_FAILED : IDS_PC_CLOSE_FAILED,
                      handheld ? ACT_ERROR : ACT_PC_FAILED,
                      NumberText(static_cast<std::uint32_t>(error)), 0, false);
}

std::int32_t CSyncLog::LogClearFlagsFailed(std::int32_t error, std::int32_t side) {
  bool handheld = side == SIDE_HANDHELD;
  return WriteMessage(handheld ? IDS_HH_CLEAR_FLAGS_FAILED : IDS_PC_CLEAR_FLAGS_FAILED,
                      handheld ? ACT_HH_CLEAR_FLAGS_FAILED : ACT_ERROR,
                      NumberText(static_cast<std::uint32_t>(error)), 0, false);
}

std::int32_t CSyncLog::LogDuplicated(const CSyncRecord& record) {
  DescribeRecord(record);
  return WriteMessage(IDS_RECORD_DUPLICATED, ACT_DUPLICATED, m_recordDescription, 0, false);
}

std::int32_t CSyncLog::LogModifiedDeleted(const CSyncRecord& record) {
  DescribeRecord(record);
  return WriteMessage(IDS_MODIFIED_DELETED, ACT_MODIFIED_DELETED, m_recordDescription, 0, false);
}

std::int32_t CSyncLog::LogCategoryDeleted(const char* name, std::int32_t side) {
  return WriteMessage(SideMessage(side, IDS_REMOTE_CATEGORY_DELETED, IDS_LOCAL_CATEGORY_DELETED),
                      ACT_CATEGORY_DELETED, name != nullptr ? name : "", 0, false);
}

std::int32_t CSyncLog::LogCategoryMoveFailed(const char* name, std::int32_t side) {
  return WriteMessage(SideMessage(side, IDS_REMOTE_CATEGORY_MOVE_FAILED, IDS_LOCAL_CATEGORY_MOVE_FAILED),
                      ACT_CATEGORY_MOVE_FAILED, name != nullptr ? name : "", 0, false);
}

std::int32_t CSyncLog::LogCategoryLimit(const char* name, std::int32_t side) {
  return WriteMessage(SideMessage(side, IDS_REMOTE_CATEGORY_LIMIT, IDS_LOCAL_CATEGORY_LIMIT),
                      ACT_CATEGORY_LIMIT, name != nullptr ? name : "", 0, false);
}

std::int32_t CSyncLog::DescribeDatabase(char* out, std::size_t outSize, const char* name,
                                        std::uint32_t creator, std::uint32_t type, std::int32_t flags,
                                        std::int32_t version) {
  if (out == nullptr || outSize == 0) return DB_ERR_NULL_BUFFER;
  char format[MESSAGE_SIZE] = "";
  bool longForm = m_longDescription != 0;
  LoadStringA(m_resources, longForm ? IDS_DB_DESCRIPTION_LONG : IDS_DB_DESCRIPTION_SHORT, format,
              static_cast<std::int32_t>(sizeof format));
  const char* creatorText = NumberText(creator);
  const char* dbName = name != nullptr ? name : "";
  try {
    std::string text = longForm ? FormatLogMessage(format, {dbName, creatorText, type, flags, version})
                                : FormatLogMessage(format, {dbName, creatorText});
    std::size_t full = text.size();
    text.resize(MbsTruncate(text, outSize - 1));
    CopyField(out, outSize, text);
    return text.size() < full ? DB_ERR_TOO_LONG : 0;
  } catch (const std::bad_alloc&) {
    out[0] = '\0';
    return DB_ERR_NO_MEMORY;
  }
}

std::int32_t CSyncLog::WriteText(const char* /*text*/) { return 0; }

std::int32_t CSyncLog::WriteErrorText(const char* /*text*/) { return 0; }

std::int32_t CSyncLog::DescribeRecord(const CSyncRecord& record) {
  std::int32_t size = static_cast<std::int32_t>(RECORD_DESCRIPTION_SIZE);
  std::int32_t result = record.Describe(m_recordDescription, &size);
  if (result != 0) m_recordDescription[0] = '\0';
  return result;
}

std::int32_t CSyncLog::LoadMessage(std::uint32_t id) {
  return LoadStringA(m_resources, id, m_messageText, static_cast<std::int32_t>(MESSAGE_SIZE));
}

std::int32_t CSyncLog::MapErrorToMessage(std::int32_t /*error*/) { return 0; }

std::int32_t CSyncLog::MapErrorToText(std::int32_t /*error*/, char* /*out*/, std::size_t /*outSize*/) {
  return 0;
}

const char* CSyncLog::NumberText(std::uint32_t value) {
  // At most eight digits: the buffer always has room for them and the end.
  char* end = std::to_chars(m_numberText, m_numberText + NUMBER_TEXT_SIZE - 1, value, 16).ptr;
  *end = '\0';
  return m_numberText;
}

std::int32_t CSyncLog::LogFileInUse(const char* path) {
  LogHeader();
  return WriteMessage(IDS_PC_FILE_IN_USE, ACT_PC_FAILED, path != nullptr ? path : "", 0, false);
}

std::int32_t CSyncLog::LogPasswordMismatch() {
  LogHeader();
  return WriteMessage(IDS_PASSWORD_MISMATCH, ACT_PC_FAILED, "", 0, false);
}

std::int32_t CSyncLog::WriteMessage(std::uint32_t id, std::int32_t activity, const char* text,
                                    std::uint32_t number, bool withNumber) {
  // Every report of a HotSync comes after the conduit's header line, which is
  // written once, before the first of them.
  LogHeader();
  LoadMessage(id);
  try {
    std::string message = withNumber ? FormatLogMessage(m_messageText, {text, number}, MESSAGE_SIZE)
                                     : FormatLogMessage(m_messageText, {text}, MESSAGE_SIZE);
    return Entry(message.c_str(), activity);
  } catch (const std::bad_alloc&) {
    return Entry(m_messageText, activity);
  }
}

std::int32_t CSyncLog::Entry(const char* text, std::int32_t activity) {
  return LogAddEntry(text, activity, 0);
}
