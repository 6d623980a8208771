// CSyncRecord: comparison order, body copies, handheld block conversion and
// log descriptions.

#include "dbfiles/SyncRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dbfiles/ResultCodes.h"

namespace {

CSyncRecord Record(const std::string& body, std::int32_t category = 0, bool priv = false) {
  CSyncRecord record;
  EXPECT_EQ(record.SetBody(static_cast<std::int32_t>(body.size()), body.data()), 0);
  record.SetCategory(category);
  record.SetPrivate(priv);
  return record;
}

TEST(SyncRecord, CompareTestsLengthThenBytesThenCategoryThenPrivate) {
  EXPECT_EQ(Record("memo").Compare(Record("memo")), CSyncRecord::CMP_EQUAL);
  EXPECT_EQ(Record("memo", 1, true).Compare(Record("memo!", 2, false)), CSyncRecord::CMP_LENGTH);
  EXPECT_EQ(Record("memo", 1, true).Compare(Record("mema", 2, false)), CSyncRecord::CMP_BYTES);
  EXPECT_EQ(Record("memo", 1, true).Compare(Record("memo", 2, false)), CSyncRecord::CMP_CATEGORY);
  EXPECT_EQ(Record("memo", 1, true).Compare(Record("memo", 1, false)), CSyncRecord::CMP_PRIVATE);
  EXPECT_EQ(Record("").Compare(CSyncRecord()), CSyncRecord::CMP_EQUAL);
}

TEST(SyncRecord, BodyCopiesAndTheirLimits) {
  CSyncRecord record = Record("hello");
  char buffer[8];
  std::int32_t size = 4;
  EXPECT_EQ(record.CopyBody(buffer, &size), DB_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 5);
  size = 5;
  EXPECT_EQ(record.CopyBody(buffer, &size), 0);
  EXPECT_EQ(std::string(buffer, 5), "hello");
  EXPECT_EQ(record.CopyBody(nullptr, &size), DB_ERR_NULL_ARGUMENT);

  CSyncRecord empty;
  size = 8;
  std::strcpy(buffer, "junk");
  EXPECT_EQ(empty.CopyBody(buffer, &size), 0);
  EXPECT_EQ(size, 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(empty.Body(), nullptr);

  EXPECT_EQ(record.SetBody(3, nullptr), DB_ERR_NULL_BUFFER);
  EXPECT_EQ(record.GetLength(), 5);  // unchanged by the refused call
  EXPECT_EQ(record.SetBody(0, nullptr), 0);
  EXPECT_EQ(record.Body(), nullptr);
}

TEST(SyncRecord, StatusBitsMarksAndCopies) {
  CSyncRecord record = Record("body", 3, true);
  EXPECT_EQ(record.GetSyncStatus(), CSyncRecord::STATUS_UNCHANGED_REPORT);
  record.SetModified(true);
  record.SetArchived(true);
  record.SetPending(true);
  record.AddMarks(0x4);
  EXPECT_EQ(record.GetSyncStatus(), CSyncRecord::STATUS_MODIFIED | CSyncRecord::STATUS_ARCHIVED);
  EXPECT_TRUE(record.IsChanged());
  record.SetArchived(false);
  EXPECT_EQ(record.GetStatus(), CSyncRecord::STATUS_MODIFIED);

  CSyncRecord copy;
  ASSERT_EQ(copy.CopyFrom(record), 0);
  EXPECT_EQ(copy.Compare(record), 0);
  EXPECT_TRUE(copy.IsPending());
  EXPECT_TRUE(copy.TestMarks(0x4));
  record.SetBody(1, "x");
  EXPECT_EQ(copy.GetLength(), 4);  // the body was duplicated, not shared

  copy.ClearStatus();
  EXPECT_TRUE(copy.IsUnchanged());
  EXPECT_TRUE(copy.IsPending());
  copy.SetModified(true);
  copy.ResetStatus();
  EXPECT_TRUE(copy.IsUnchanged());
  EXPECT_FALSE(copy.IsPending());
  EXPECT_FALSE(copy.TestMarks(0x4));

  copy.Clear();
  EXPECT_EQ(copy.GetId(), -1);
  EXPECT_EQ(copy.GetIndex(), -1);
  EXPECT_EQ(copy.GetAlternateIndex(), -1);
  EXPECT_EQ(copy.GetPrivate(), 0);
  EXPECT_EQ(copy.GetLength(), 0);
}

TEST(SyncRecord, FromRawMapsTheHandheldAttributes) {
  std::vector<std::uint8_t> data = {'a', 'b', 'c'};
  SyncRawRecord raw;
  raw.handle = 2;
  raw.id = 0x00112233;
  raw.index = 9;
  raw.attributes = RAW_ATTR_DELETED | RAW_ATTR_PRIVATE | RAW_ATTR_ARCHIVED;
  raw.category = 4;
  raw.recordSize = 3;
  raw.bufferSize = 3;
  raw.buffer = data.data();

  CSyncRecord record;
  ASSERT_EQ(record.FromRaw(raw), 0);
  EXPECT_EQ(record.GetId(), 0x00112233);
  EXPECT_EQ(record.GetIndex(), 9);
  EXPECT_EQ(record.GetCategory(), 4);
  EXPECT_EQ(record.GetHandle(), 2);
  EXPECT_EQ(record.GetStatus(), CSyncRecord::STATUS_DELETED | CSyncRecord::STATUS_ARCHIVED);
  EXPECT_EQ(record.GetPrivate(), 1);
  EXPECT_EQ(std::memcmp(record.Body(), "abc", 3), 0);

  raw.attributes = RAW_ATTR_MODIFIED;
  ASSERT_EQ(record.FromRaw(raw), 0);
  EXPECT_EQ(record.GetStatus(), CSyncRecord::STATUS_MODIFIED);
  EXPECT_EQ(record.GetPrivate(), 0);

  // A block claiming more data than its buffer holds is refused, not read past.
  raw.recordSize = 4;
  EXPECT_EQ(record.FromRaw(raw), DB_ERR_TOO_LONG);
  EXPECT_EQ(record.GetLength(), 3);
}

TEST(SyncRecord, ToRawUsesTheAlternateIndexAndRefusesLargeData) {
  CSyncRecord record = Record("hello", 5, true);
  record.SetId(77);
  record.SetIndex(3);
  record.SetDeleted(true);
  record.SetModified(true);
  record.SetNew(true);  // has no handheld bit

  std::vector<std::uint8_t> buffer(8, 0xEE);
  SyncRawRecord raw;
  raw.buffer = buffer.data();
  raw.bufferSize = 8;
  ASSERT_EQ(record.ToRaw(raw), 0);
  EXPECT_EQ(raw.id, 77u);
  EXPECT_EQ(raw.index, 3);
  EXPECT_EQ(raw.category, 5);
  EXPECT_EQ(raw.attributes, RAW_ATTR_DELETED | RAW_ATTR_MODIFIED | RAW_ATTR_PRIVATE);
  EXPECT_EQ(raw.recordSize, 5u);
  EXPECT_EQ(std::memcmp(buffer.data(), "hello", 5), 0);

  record.SetAlternateIndex(12);
  ASSERT_EQ(record.ToRaw(raw), 0);
  EXPECT_EQ(raw.index, 12);

  SyncRawRecord small;
  std::vector<std::uint8_t> tiny(4, 0xEE);
  small.buffer = tiny.data();
  small.bufferSize = 4;
  small.id = 1234;
  EXPECT_EQ(record.ToRaw(small), DB_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(small.id, 1234u);
  EXPECT_EQ(tiny, std::vector<std::uint8_t>(4, 0xEE));

  // Round trip through the block keeps what the handheld stores.
  CSyncRecord back;
  ASSERT_EQ(back.FromRaw(raw), 0);
  EXPECT_EQ(back.Compare(record), 0);
  EXPECT_TRUE(back.IsDeleted());
  EXPECT_TRUE(back.IsModified());
}

TEST(SyncRecord, DescribeNamesIdOrIndex) {
  char text[64];
  std::int32_t size = sizeof text;
  CSyncRecord record;
  record.SetIndex(7);
  ASSERT_EQ(record.Describe(text, &size), 0);
  EXPECT_STREQ(text, "Record Index 7");
  EXPECT_EQ(size, 14);

  record.SetId(5);
  size = sizeof text;
  ASSERT_EQ(record.Describe(text, &size), 0);
  EXPECT_STREQ(text, "Record ID 5");

  CSyncRecord neither;
  size = sizeof text;
  ASSERT_EQ(neither.Describe(text, &size), 0);
  EXPECT_STREQ(text, "Record ID 4294967295");

  // The buffer must hold the format's length + 10.
  size = 21;
  EXPECT_EQ(record.Describe(text, &size), DB_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 22);
  CSyncRecord byIndex;
  byIndex.SetIndex(1);
  size = 24;
  EXPECT_EQ(byIndex.Describe(text, &size), DB_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 25);
}

}  // namespace
