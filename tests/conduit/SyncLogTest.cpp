// The HotSync log messages: exact text, activity code and the header entry.

#include "conduit/SyncLog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "conduit/ConduitStrings.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncRecord.h"
#include "platform/hslog20/HsLog.h"
#include "platform/sync20/SyncStatus.h"

namespace {

class SyncLogTest : public ::testing::Test {
 protected:
  void SetUp() override { LogReset(); }
  void TearDown() override { LogReset(); }

  static CSyncRecord RecordWithId(std::int32_t id) {
    CSyncRecord record;
    record.SetId(id);
    return record;
  }

  CSyncLog m_log{ConduitResources()};
};

void ExpectEntries(const std::vector<std::pair<std::string, std::int32_t>>& expected) {
  std::vector<HsLogEntry> entries = LogEntries();
  ASSERT_EQ(entries.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(entries[i].text, expected[i].first) << "entry " << i;
    EXPECT_EQ(entries[i].activity, expected[i].second) << "entry " << i;
  }
}

TEST_F(SyncLogTest, RecordFailuresArePrecededByOneHeader) {
  EXPECT_STREQ(m_log.ConduitName(), "Quillet Conduit");
  m_log.LogAddFailed(SyncStatus::SYNC_ERR_NOT_FOUND, RecordWithId(5), CSyncLog::SIDE_HANDHELD);
  m_log.LogAddFailed(DB_ERR_NO_MEMORY, RecordWithId(6), CSyncLog::SIDE_DESKTOP);
  ExpectEntries({{"-- Quillet Conduit", -1},
                 {" -- HH failed to add record: Record ID 5, Error 16387", 9},
                 {" -- PC failed to add record: Record ID 6, Error 4354", 13}});
}

TEST_F(SyncLogTest, ReadFailureOfARecordWithoutIdNamesItsIndex) {
  CSyncRecord record;
  record.SetIndex(3);
  m_log.LogReadFailed(DB_ERR_RECORD_NOT_FOUND, record, CSyncLog::SIDE_DESKTOP);
  m_log.LogReadFailed(0x4005, record, CSyncLog::SIDE_HANDHELD);
  ExpectEntries({{"-- Quillet Conduit", -1},
                 {" -- PC failed to read record: Record Index 3, Error 4374", -1},
                 {" -- HH failed to read record: Record Index 3, Error 16389", 8}});
}

TEST_F(SyncLogTest, FileInUseNamesTheFileAfterTheHeader) {
  m_log.LogFileInUse("/home/ann/Quillet/record.dat");
  ExpectEntries({{"-- Quillet Conduit", -1},
                 {" -- The desktop file /home/ann/Quillet/record.dat is in use by another program. "
                  "Nothing was synchronized: close that program or wait for it to finish, then "
                  "HotSync again.",
                  17}});
}

TEST_F(SyncLogTest, OneHeaderAfterTheStartMarkersBeforeTheFirstReport) {
  m_log.LogSyncStart();
  // "%2u" is a width of 2: a one-digit error is padded, as the messages always were.
  m_log.LogAddFailed(1, RecordWithId(1), CSyncLog::SIDE_HANDHELD);
  m_log.LogSyncEnd(true);
  m_log.LogSyncEnd(false);
  ExpectEntries({{"", 19},
                 {"", 20},
                 {"", 19},
                 {"-- Quillet Conduit", -1},
                 {" -- HH failed to add record: Record ID 1, Error  1", 9},
                 {"Quillet Conduit", 21},
                 {"Quillet Conduit", 20}});
}

// Each operation picks its message by side and writes the error in hexadecimal
// or the name as given.
TEST_F(SyncLogTest, ErrorCodeAndCategoryMessagesBySide) {
  struct Case {
    std::function<void(CSyncLog&)> call;
    const char* text;
    std::int32_t activity;
  };
  const CSyncRecord seven = RecordWithId(7);
  const std::vector<Case> cases = {
      {[](CSyncLog& l) { l.LogPurgeFailed(DB_ERR_HANDHELD_DB_MISSING, CSyncLog::SIDE_DESKTOP); },
       "Could not purge the deleted records on Desktop. Error Code 1124", 22},
      {[](CSyncLog& l) { l.LogPurgeFailed(0x2001, CSyncLog::SIDE_HANDHELD); },
       "Could not purge the deleted records on Palm organizer. 2001", 10},
      {[](CSyncLog& l) { l.LogSaveFailed(DB_ERR_WRITE_FAILED); },
       " -- Could not save the local database. Error Code 1120", 17},
      {[](CSyncLog& l) { l.LogCloseFailed(0xABC, CSyncLog::SIDE_HANDHELD); },
       " -- Could not close remote database. Error Code abc", 22},
      {[](CSyncLog& l) { l.LogCloseFailed(CAT_ERR_TABLE_FULL, CSyncLog::SIDE_DESKTOP); },
       " -- Could not close local database. Error Code fffff830", 17},
      {[](CSyncLog& l) { l.LogClearFlagsFailed(0x10, CSyncLog::SIDE_HANDHELD); },
       "Could not clear Palm organizer's status flags. Error Code 10", 18},
      {[](CSyncLog& l) { l.LogClearFlagsFailed(0, CSyncLog::SIDE_DESKTOP); },
       " -- Could not clear Desktop's Database's status flags. Error Code 0", 22},
      {[&](CSyncLog& l) { l.LogDuplicated(seven); },
       "The following record was modified on both Palm organizer and the Desktop: Record ID 7. "
       "This record will be duplicated on each platform. Delete the unwanted record and HotSync again.",
       0},
      {[&](CSyncLog& l) { l.LogModifiedDeleted(seven); },
       "The following record, Record ID 7,  was modified on one platform and deleted on the other. "
       "The modified version will appear on both platforms.",
       2},
      {[](CSyncLog& l) { l.LogCategoryDeleted("Work", CSyncLog::SIDE_HANDHELD); },
       "-- Remote category Work has been deleted. The records in this category have been moved to "
       "'Unfiled'.",
       4},
      {[](CSyncLog& l) { l.LogCategoryDeleted("Home", CSyncLog::SIDE_DESKTOP); },
       "-- Local category Home has been deleted. The records in this category have been moved to "
       "'Unfiled'.",
       4},
      {[](CSyncLog& l) { l.LogCategoryMoveFailed("Work", CSyncLog::SIDE_HANDHELD); },
       "Could not move the Palm organizer records in category 'Work' to 'Unfiled'.", 7},
      {[](CSyncLog& l) { l.LogCategoryMoveFailed("Home", CSyncLog::SIDE_DESKTOP); },
       "Could not move the local records in category 'Home' to 'Unfiled'.", 7},
      {[](CSyncLog& l) { l.LogCategoryLimit("Work", CSyncLog::SIDE_HANDHELD); },
       "Only 15 categories are allowed.  All records in remote category Work were changed to "
       "'Unfiled'.",
       3},
      {[](CSyncLog& l) { l.LogCategoryLimit("Home", CSyncLog::SIDE_DESKTOP); },
       "Only 15 categories are allowed.  All records in local category Home were changed to "
       "'Unfiled'.",
       3},
  };
  for (const Case& c : cases) {
    LogReset();
    c.call(m_log);
    SCOPED_TRACE(c.text);
    ExpectEntries({{"-- Quillet Conduit", -1}, {c.text, c.activity}});
  }
}

TEST_F(SyncLogTest, DatabaseDescriptionsAndCreateFailure) {
  char text[256];
  EXPECT_EQ(m_log.DescribeDatabase(text, sizeof text, "QuilletDB", 0x514C4C54, 0x44415441, 8, 1), 0);
  EXPECT_STREQ(text, "DB Name QuilletDB, Creator ID 514c4c54, Type 1145132097, Flags    8, Version     1");
  m_log.LogCreateFailed(0x4003, text, CSyncLog::SIDE_HANDHELD);

  m_log.SetLongDescription(false);
  EXPECT_EQ(m_log.DescribeDatabase(text, sizeof text, "QuilletDB", 0x514C4C54, 1, 0, 0), 0);
  EXPECT_STREQ(text, "DB Name QuilletDB, Creator ID 514c4c54");
  m_log.LogCreateFailed(DB_ERR_OPEN_FAILED, text, CSyncLog::SIDE_DESKTOP);
  ExpectEntries({{"-- Quillet Conduit", -1},
                 {" -- Failed to create HH Database: DB Name QuilletDB, Creator ID 514c4c54, Type "
                  "1145132097, Flags    8, Version     1, Error 16387",
                  -1},
                 {" -- Failed to create PC Database: DB Name QuilletDB, Creator ID 514c4c54, Error 4373",
                  -1}});

  char small[12];
  EXPECT_EQ(m_log.DescribeDatabase(small, sizeof small, "QuilletDB", 1, 1, 0, 0), DB_ERR_TOO_LONG);
  EXPECT_STREQ(small, "DB Name Qui");
  EXPECT_EQ(m_log.DescribeDatabase(nullptr, 10, "x", 1, 1, 0, 0), DB_ERR_NULL_BUFFER);
}

TEST_F(SyncLogTest, OverlongTextIsCutToTheMessageBuffer) {
  std::string name(600, 'n');
  m_log.LogCategoryDeleted(name.c_str(), CSyncLog::SIDE_DESKTOP);
  std::vector<HsLogEntry> entries = LogEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].text.size(), CSyncLog::MESSAGE_SIZE - 1);
  EXPECT_EQ(entries[1].text.rfind("-- Local category nnn", 0), 0u);
}

TEST_F(SyncLogTest, WithoutResourcesTheLogStillWorks) {
  CSyncLog bare(nullptr);
  EXPECT_STREQ(bare.ConduitName(), "");
  EXPECT_EQ(bare.LoadMessage(IDS_PC_SAVE_FAILED), 0);
  bare.LogSaveFailed(1);
  ExpectEntries({{"-- ", -1}, {"", 17}});
}

}  // namespace
