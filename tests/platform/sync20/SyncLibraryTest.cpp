// The sync library over a simulated device: each call's success and failure
// statuses, record iteration, writes, blocks, the position map, and link
// failures that must leave every database file as it was last written whole.

#include "platform/sync20/SyncLibrary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/sync20/SyncStatus.h"
#include "sync/DeviceFixture.h"

using namespace SyncStatus;

namespace {

// A record block with its own buffer.
struct Block {
  explicit Block(std::uint8_t handle, std::uint16_t size = 65520) : buffer(size) {
    raw.handle = handle;
    raw.bufferSize = size;
    raw.buffer = buffer.data();
  }
  std::string Data() const { return std::string(buffer.begin(), buffer.begin() + raw.recordSize); }
  void Set(const std::string& bytes) {
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    raw.recordSize = static_cast<std::uint32_t>(bytes.size());
  }
  SyncRawRecord raw;
  std::vector<std::uint8_t> buffer;
};

std::string Body(const std::string& text) { return text + '\0'; }

std::vector<char> FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::size_t FileCount(const std::filesystem::path& folder) {
  std::size_t n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    (void)entry;
    ++n;
  }
  return n;
}

// Device with five memos: 0 clean (cat 1), 1 dirty secret (cat 2), 2 clean
// (cat 1), 3 deleted archived dirty, 4 deleted without dirty mark.
std::vector<FixtureMemo> FiveMemos() {
  return {{.id = 10, .text = "alpha", .category = 1},
          {.id = 11, .text = "bravo", .category = 2, .dirty = true, .secret = true},
          {.id = 12, .text = "charlie", .category = 1},
          {.id = 13, .text = "delta", .category = 1, .dirty = true, .deleted = true, .archived = true},
          {.id = 14, .text = "", .deleted = true}};
}

class SyncLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, m_device.Status());
    ASSERT_EQ(SYNC_OK, m_device.Attach());
  }
  std::uint8_t OpenMemo(std::uint8_t mode = SYNC_MODE_READ_WRITE) {
    std::uint8_t handle = 0;
    EXPECT_EQ(SYNC_OK, SyncOpenDB(CDeviceFixture::DB_NAME, 0, &handle, mode));
    EXPECT_NE(0, handle);
    return handle;
  }
  std::filesystem::path MemoFile() const { return m_device.Folder() / "QuilletMemoDB.pdb"; }

  CDeviceFixture m_device{FiveMemos(), {{.slot = 1, .name = "Work", .id = 1}, {.slot = 2, .name = "Home", .id = 2}}};
};

}  // namespace

TEST(SyncLibraryLink, EveryCallNeedsAnAttachedDevice) {
  SyncDetachDevice();
  std::uint32_t conduit = 0;
  std::uint8_t handle = 0;
  std::uint16_t count = 0;
  EXPECT_EQ(SYNC_ERR_COMM_NO_DEVICE, SyncRegisterConduit(&conduit));
  EXPECT_EQ(SYNC_ERR_COMM_NO_DEVICE, SyncOpenDB("QuilletMemoDB", 0, &handle, SYNC_MODE_READ));
  EXPECT_EQ(SYNC_ERR_COMM_NO_DEVICE, SyncGetDBRecordCount(1, &count));
  EXPECT_TRUE(IsCommFailure(SYNC_ERR_COMM_NO_DEVICE));
  EXPECT_EQ(SYNC_ERR_COMM_NO_DEVICE, SyncAttachDevice("/nonexistent/quillet/device"));
  EXPECT_EQ(SYNC_ERR_COMM_NO_DEVICE, SyncAttachDevice(nullptr));
}

TEST_F(SyncLibraryTest, SystemInfoAndConduitRegistration) {
  std::vector<std::uint8_t> product(255, 0xAA);
  SyncSystemInfo info;
  info.productIdSize = 255;
  info.productId = product.data();
  ASSERT_EQ(SYNC_OK, SyncReadSystemInfo(&info));
  EXPECT_EQ(m_device.Device().RomVersion(), info.romVersion);
  EXPECT_EQ(std::string("Quillet simulated handheld"),
            std::string(reinterpret_cast<const char*>(product.data()), info.productIdLength));
  EXPECT_EQ(0, product[info.productIdLength]);
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncReadSystemInfo(nullptr));

  std::uint32_t first = 0, second = 0;
  ASSERT_EQ(SYNC_OK, SyncRegisterConduit(&first));
  ASSERT_EQ(SYNC_OK, SyncRegisterConduit(&second));
  EXPECT_NE(0u, first);
  EXPECT_NE(first, second);
  EXPECT_EQ(SYNC_OK, SyncUnRegisterConduit(first));
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncUnRegisterConduit(first));  // twice
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncUnRegisterConduit(0));
  EXPECT_EQ(SYNC_OK, SyncUnRegisterConduit(second));
}

TEST_F(SyncLibraryTest, OpeningChecksNameCardModeAndHandles) {
  std::uint8_t handle = 0;
  EXPECT_EQ(SYNC_ERR_NOT_FOUND, SyncOpenDB("NoSuchDB", 0, &handle, SYNC_MODE_READ));
  EXPECT_EQ(SYNC_ERR_NOT_FOUND, SyncOpenDB(CDeviceFixture::DB_NAME, 1, &handle, SYNC_MODE_READ));
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncOpenDB(CDeviceFixture::DB_NAME, 0, &handle, 0));
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncOpenDB(std::string(32, 'x').c_str(), 0, &handle, SYNC_MODE_READ));
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncOpenDB(CDeviceFixture::DB_NAME, 0, nullptr, SYNC_MODE_READ));
  EXPECT_EQ(0, handle);
  const std::uint8_t open = OpenMemo();
  EXPECT_EQ(SYNC_ERR_DB_OPEN, SyncOpenDB(CDeviceFixture::DB_NAME, 0, &handle, SYNC_MODE_READ));
  EXPECT_EQ(SYNC_ERR_DB_OPEN, SyncDeleteDB(CDeviceFixture::DB_NAME, 0));
  std::uint16_t count = 0;
  ASSERT_EQ(SYNC_OK, SyncGetDBRecordCount(open, &count));
  EXPECT_EQ(5, count);
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncGetDBRecordCount(open, nullptr));
  EXPECT_EQ(SYNC_OK, SyncCloseDB(open));
  EXPECT_EQ(SYNC_ERR_BAD_HANDLE, SyncCloseDB(open));
  EXPECT_EQ(SYNC_ERR_BAD_HANDLE, SyncGetDBRecordCount(open, &count));
  EXPECT_EQ(SYNC_ERR_BAD_HANDLE, SyncResetSyncFlags(0));
}

TEST_F(SyncLibraryTest, ReadsByIndexAndIdCarryAttributesCategoryAndData) {
  const std::uint8_t h = OpenMemo(SYNC_MODE_READ);
  Block block(h);
  block.raw.index = 1;
  ASSERT_EQ(SYNC_OK, SyncReadRecordByIndex(&block.raw));
  EXPECT_EQ(11u, block.raw.id);
  EXPECT_EQ(RAW_ATTR_MODIFIED | RAW_ATTR_PRIVATE, block.raw.attributes);
  EXPECT_EQ(2, block.raw.category);
  EXPECT_EQ(Body("bravo"), block.Data());

  // A deleted record: category 0, the archive bit, no modified bit of its own.
  Block deleted(h);
  deleted.raw.id = 13;
  ASSERT_EQ(SYNC_OK, SyncReadRecordById(&deleted.raw));
  EXPECT_EQ(3, deleted.raw.index);
  EXPECT_EQ(RAW_ATTR_DELETED | RAW_ATTR_MODIFIED | RAW_ATTR_ARCHIVED, deleted.raw.attributes);
  EXPECT_EQ(0, deleted.raw.category);
  EXPECT_EQ(Body("delta"), deleted.Data());

  block.raw.index = 5;
  EXPECT_EQ(SYNC_ERR_NOT_FOUND, SyncReadRecordByIndex(&block.raw));
  block.raw.id = 99;
  EXPECT_EQ(SYNC_ERR_NOT_FOUND, SyncReadRecordById(&block.raw));
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncReadRecordById(nullptr));

  // Data larger than the caller's buffer: refused, with the size needed.
  Block small(h, 4);
  small.raw.index = 2;
  EXPECT_EQ(SYNC_ERR_BUFFER_TOO_SMALL, SyncReadRecordByIndex(&small.raw));
  EXPECT_EQ(8u, small.raw.recordSize);
  EXPECT_EQ(SYNC_OK, SyncCloseDB(h));
}

TEST_F(SyncLibraryTest, ModifiedRecordsComeOnceEachInIndexOrder) {
  const std::uint8_t h = OpenMemo(SYNC_MODE_READ);
  Block block(h);
  std::vector<int> indexes;
  for (int i = 0; i < 10; ++i) {
    // The caller's index is not where the iteration continues.
    block.raw.index = 0;
    const std::int32_t rc = SyncReadNextModifiedRec(&block.raw);
    if (rc == SYNC_ERR_NOT_FOUND) break;
    ASSERT_EQ(SYNC_OK, rc);
    indexes.push_back(block.raw.index);
  }
  // Index 4 is deleted without a dirty mark and still counts as modified.
  EXPECT_EQ((std::vector<int>{1, 3, 4}), indexes);
  EXPECT_EQ(SYNC_ERR_NOT_FOUND, SyncReadNextModifiedRec(&block.raw));
  ASSERT_EQ(SYNC_OK, SyncResetRecordIndex(h));
  ASSERT_EQ(SYNC_OK, SyncReadNextModifiedRec(&block.raw));
  EXPECT_EQ(11u, block.raw.id);
  EXPECT_EQ(SYNC_OK, SyncCloseDB(h));
}

TEST_F(SyncLibraryTest, CategoryIterationSkipsDeletedRecordsAndRestartsForAnotherCategory) {
  const std::uint8_t h = OpenMemo(SYNC_MODE_READ);
  Block block(h);
  block.raw.category = 1;
  ASSERT_EQ(SYNC_OK, SyncReadNextRecInCategory(&block.raw));
  EXPECT_EQ(10u, block.raw.id);
  ASSERT_EQ(SYNC_OK, SyncReadNextRecInCategory(&block.raw));
  EXPECT_EQ(12u, block.raw.id);
  EXPECT_EQ(SYNC_ERR_NOT_FOUND, SyncReadNextRecInCategory(&block.raw));
  block.raw.category = 2;
  ASSERT_EQ(SYNC_OK, SyncReadNextRecInCategory(&block.raw));
  EXPECT_EQ(11u, block.raw.id);
  block.raw.category = 16;
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncReadNextRecInCategory(&block.raw));
  EXPECT_EQ(SYNC_OK, SyncCloseDB(h));
}

TEST_F(SyncLibraryTest, WritesAddReplaceAndStoreRecordsCleanUntilClose) {
  const auto before = FileBytes(MemoFile());
  const std::uint8_t h = OpenMemo();
  // Id 0: a new record under a new id, at the end.
  Block added(h);
  added.Set(Body("echo"));
  added.raw.category = 2;
  added.raw.attributes = RAW_ATTR_MODIFIED | RAW_ATTR_PRIVATE;
  ASSERT_EQ(SYNC_OK, SyncWriteRec(&added.raw));
  EXPECT_NE(0u, added.raw.id);
  EXPECT_EQ(5, added.raw.index);
  // An id in use: replaced in place.
  Block replaced(h);
  replaced.Set(Body("ALPHA"));
  replaced.raw.id = 10;
  replaced.raw.category = 2;
  ASSERT_EQ(SYNC_OK, SyncWriteRec(&replaced.raw));
  EXPECT_EQ(0, replaced.raw.index);
  // An unused id: added under it.  Deleted and archived bits are kept.
  Block kept(h);
  kept.Set(Body("foxtrot"));
  kept.raw.id = 500;
  kept.raw.attributes = RAW_ATTR_DELETED | RAW_ATTR_ARCHIVED;
  ASSERT_EQ(SYNC_OK, SyncWriteRec(&kept.raw));
  EXPECT_EQ(500u, kept.raw.id);
  EXPECT_EQ(6, kept.raw.index);
  // Refused: a category above 15, a 25-bit id, data beyond the block's buffer.
  Block bad(h);
  bad.raw.category = 16;
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncWriteRec(&bad.raw));
  bad.raw.category = 0;
  bad.raw.id = 0x1000000;
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncWriteRec(&bad.raw));
  bad.raw.id = 0;
  bad.raw.recordSize = bad.raw.bufferSize + 1u;
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncWriteRec(&bad.raw));
  EXPECT_EQ(SYNC_ERR_WRONG_KIND, SyncWriteResourceRec(&added.raw));

  // Nothing reaches the device before the close.
  EXPECT_EQ(before, FileBytes(MemoFile()));
  ASSERT_EQ(SYNC_OK, SyncCloseDB(h));
  CPdbFile db;
  ASSERT_EQ(0, m_device.ReadMemoDb(db));
  ASSERT_EQ(7u, db.RecordCount());
  EXPECT_EQ(0x12, db.RecordAt(5)->attributes);  // private, category 2, not dirty
  EXPECT_EQ(std::vector<std::uint8_t>(CDeviceFixture::Body("echo")), db.RecordAt(5)->data);
  EXPECT_EQ(0x02, db.RecordAt(0)->attributes);
  EXPECT_EQ(CDeviceFixture::Body("ALPHA"), db.RecordAt(0)->data);
  EXPECT_EQ(0x88, db.RecordById(500)->attributes);
  EXPECT_EQ(2u, FileCount(m_device.Folder()));  // device.json and the database only
}

TEST_F(SyncLibraryTest, ReadOnlyDatabasesRefuseEveryChange) {
  const auto before = FileBytes(MemoFile());
  const std::uint8_t h = OpenMemo(SYNC_MODE_READ);
  Block block(h);
  block.Set(Body("x"));
  SyncInfoBlock info;
  EXPECT_EQ(SYNC_ERR_READ_ONLY, SyncWriteRec(&block.raw));
  block.raw.id = 10;
  EXPECT_EQ(SYNC_ERR_READ_ONLY, SyncDeleteRec(&block.raw));
  EXPECT_EQ(SYNC_ERR_READ_ONLY, SyncResetSyncFlags(h));
  EXPECT_EQ(SYNC_ERR_READ_ONLY, SyncPurgeDeletedRecs(h));
  EXPECT_EQ(SYNC_ERR_READ_ONLY, SyncPurgeAllRecsInCategory(h, 1));
  EXPECT_EQ(SYNC_ERR_READ_ONLY, SyncChangeCategory(h, 1, 0));
  EXPECT_EQ(SYNC_ERR_READ_ONLY, SyncWriteDBAppInfoBlock(h, &info));
  EXPECT_EQ(SYNC_OK, SyncCloseDB(h));
  EXPECT_EQ(before, FileBytes(MemoFile()));
}

TEST_F(SyncLibraryTest, DeletePurgeChangeCategoryAndResetFlags) {
  const std::uint8_t h = OpenMemo();
  Block block(h);
  block.raw.id = 12;
  ASSERT_EQ(SYNC_OK, SyncDeleteRec(&block.raw));
  EXPECT_EQ(SYNC_ERR_NOT_FOUND, SyncDeleteRec(&block.raw));
  EXPECT_EQ(SYNC_ERR_WRONG_KIND, SyncDeleteResourceRec(&block.raw));
  ASSERT_EQ(SYNC_OK, SyncPurgeDeletedRecs(h));  // 13 and 14 go
  ASSERT_EQ(SYNC_OK, SyncChangeCategory(h, 2, 3));
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncChangeCategory(h, 2, 16));
  ASSERT_EQ(SYNC_OK, SyncResetSyncFlags(h));
  std::uint16_t count = 0;
  ASSERT_EQ(SYNC_OK, SyncGetDBRecordCount(h, &count));
  EXPECT_EQ(2, count);
  ASSERT_EQ(SYNC_OK, SyncPurgeAllRecsInCategory(h, 1));
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncPurgeAllRecsInCategory(h, 16));
  ASSERT_EQ(SYNC_OK, SyncCloseDB(h));
  CPdbFile db;
  ASSERT_EQ(0, m_device.ReadMemoDb(db));
  ASSERT_EQ(1u, db.RecordCount());
  EXPECT_EQ(11u, db.RecordAt(0)->uniqueId);
  EXPECT_EQ(0x13, db.RecordAt(0)->attributes);  // secret, category 3, dirty mark cleared
}

TEST_F(SyncLibraryTest, AppInfoRoundTripAndMissingSortInfo) {
  const std::uint8_t h = OpenMemo();
  std::vector<std::uint8_t> buffer(65520);
  SyncInfoBlock info;
  info.bufferSize = 65520;
  info.buffer = buffer.data();
  ASSERT_EQ(SYNC_OK, SyncReadDBAppInfoBlock(h, &info));
  EXPECT_STREQ(CDeviceFixture::DB_NAME, info.name);
  ASSERT_EQ(297, info.dataLength);
  EXPECT_EQ(std::string("Work"), std::string(reinterpret_cast<const char*>(buffer.data()) + 2 + 16));
  EXPECT_EQ(SYNC_ERR_NOT_FOUND, SyncReadDBSortInfoBlock(h, &info));

  SyncInfoBlock small;
  small.bufferSize = 100;
  small.buffer = buffer.data();
  EXPECT_EQ(SYNC_ERR_BUFFER_TOO_SMALL, SyncReadDBAppInfoBlock(h, &small));
  EXPECT_EQ(297, small.dataLength);

  std::vector<std::uint8_t> written(300);
  for (std::size_t i = 0; i < written.size(); ++i) written[i] = static_cast<std::uint8_t>(i * 7);
  SyncInfoBlock out;
  out.bufferSize = 300;
  out.dataLength = 300;
  out.buffer = written.data();
  ASSERT_EQ(SYNC_OK, SyncWriteDBAppInfoBlock(h, &out));
  ASSERT_EQ(SYNC_OK, SyncWriteDBSortInfoBlock(h, &out));
  ASSERT_EQ(SYNC_OK, SyncCloseDB(h));

  const std::uint8_t again = OpenMemo(SYNC_MODE_READ);
  info.dataLength = 0;
  ASSERT_EQ(SYNC_OK, SyncReadDBAppInfoBlock(again, &info));
  EXPECT_EQ(written, std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + info.dataLength));
  ASSERT_EQ(SYNC_OK, SyncReadDBSortInfoBlock(again, &info));
  EXPECT_EQ(300, info.dataLength);
  EXPECT_EQ(SYNC_OK, SyncCloseDB(again));
}

TEST_F(SyncLibraryTest, PositionMapGivesIdsBigEndianInIndexOrder) {
  const std::uint8_t h = OpenMemo(SYNC_MODE_READ);
  std::vector<std::uint8_t> bytes(4 * 8, 0xEE);
  SyncPositionBlock map;
  map.handle = h;
  map.maxEntries = 5;
  map.entries = 8;
  map.buffer = bytes.data();
  ASSERT_EQ(SYNC_OK, SyncReadPositionXMap(&map));
  ASSERT_EQ(5, map.entries);
  EXPECT_EQ((std::vector<std::uint8_t>{0, 0, 0, 10, 0, 0, 0, 11}), std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 8));
  EXPECT_EQ(14, bytes[19]);
  EXPECT_EQ(0xEE, bytes[20]);  // nothing past the entries read

  // From position 3, at most as many as the caller has room for.
  map.firstPosition = 3;
  map.entries = 1;
  ASSERT_EQ(SYNC_OK, SyncReadPositionXMap(&map));
  EXPECT_EQ(1, map.entries);
  EXPECT_EQ(13, bytes[3]);
  map.firstPosition = 6;
  EXPECT_EQ(SYNC_ERR_NOT_FOUND, SyncReadPositionXMap(&map));
  EXPECT_EQ(SYNC_OK, SyncCloseDB(h));
}

TEST_F(SyncLibraryTest, CreateAndDeleteDatabases) {
  SyncCreateDbBlock create;
  std::strcpy(create.name, "OtherDB");
  create.creator = 0x41424344;
  create.type = 0x44415441;
  create.version = 3;
  ASSERT_EQ(SYNC_OK, SyncCreateDB(&create));
  const std::uint8_t created = create.handle;
  EXPECT_NE(0, created);
  EXPECT_TRUE(m_device.Device().HasDatabase("OtherDB"));
  EXPECT_EQ(SYNC_ERR_EXISTS, SyncCreateDB(&create));
  std::strcpy(create.name, CDeviceFixture::DB_NAME);
  EXPECT_EQ(SYNC_ERR_EXISTS, SyncCreateDB(&create));
  create.cardNumber = 2;
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncCreateDB(&create));
  ASSERT_EQ(SYNC_OK, SyncCloseDB(created));

  EXPECT_EQ(SYNC_OK, SyncDeleteDB("OtherDB", 0));
  EXPECT_FALSE(m_device.Device().HasDatabase("OtherDB"));
  EXPECT_EQ(SYNC_ERR_NOT_FOUND, SyncDeleteDB("OtherDB", 0));
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncDeleteDB(nullptr, 0));
}

TEST_F(SyncLibraryTest, ResourceDatabasesAddressResourcesByTypeAndId) {
  SyncCreateDbBlock create;
  std::strcpy(create.name, "Resources");
  create.flags = 0x0001;
  ASSERT_EQ(SYNC_OK, SyncCreateDB(&create));
  const std::uint8_t h = create.handle;
  Block block(h);
  block.Set("code");
  block.raw.id = 0x636F6465;  // 'code'
  block.raw.category = 1;
  ASSERT_EQ(SYNC_OK, SyncWriteResourceRec(&block.raw));
  EXPECT_EQ(0, block.raw.index);
  block.Set("CODE!");
  ASSERT_EQ(SYNC_OK, SyncWriteResourceRec(&block.raw));  // same type and id: replaced
  EXPECT_EQ(SYNC_ERR_WRONG_KIND, SyncWriteRec(&block.raw));
  Block read(h);
  read.raw.index = 0;
  ASSERT_EQ(SYNC_OK, SyncReadRecordByIndex(&read.raw));
  EXPECT_EQ(0x636F6465u, read.raw.id);
  EXPECT_EQ(1, read.raw.category);
  EXPECT_EQ("CODE!", read.Data());
  ASSERT_EQ(SYNC_OK, SyncDeleteResourceRec(&block.raw));
  EXPECT_EQ(SYNC_ERR_NOT_FOUND, SyncDeleteResourceRec(&block.raw));
  EXPECT_EQ(SYNC_OK, SyncCloseDB(h));
}

TEST_F(SyncLibraryTest, ACutLinkFailsEveryLaterCallAndLeavesTheLastWholeFile) {
  const auto before = FileBytes(MemoFile());
  const std::size_t files = FileCount(m_device.Folder());
  const std::uint8_t h = OpenMemo();
  SyncFailAfter(2);
  Block block(h);
  block.Set(Body("lost"));
  ASSERT_EQ(SYNC_OK, SyncWriteRec(&block.raw));
  ASSERT_EQ(SYNC_OK, SyncResetSyncFlags(h));
  // The third call: the cable is pulled.
  EXPECT_EQ(SYNC_ERR_COMM_BROKEN, SyncCloseDB(h));
  EXPECT_TRUE(IsCommFailure(SYNC_ERR_COMM_BROKEN));
  std::uint8_t again = 0;
  EXPECT_EQ(SYNC_ERR_COMM_BROKEN, SyncOpenDB(CDeviceFixture::DB_NAME, 0, &again, SYNC_MODE_READ));
  EXPECT_EQ(before, FileBytes(MemoFile()));
  EXPECT_EQ(files, FileCount(m_device.Folder()));
  // Back on: the database that was open is gone with its changes.
  SyncFailAfter(-1);
  EXPECT_EQ(SYNC_ERR_BAD_HANDLE, SyncCloseDB(h));
  CPdbFile db;
  ASSERT_EQ(0, m_device.ReadMemoDb(db));
  EXPECT_EQ(5u, db.RecordCount());
}

TEST_F(SyncLibraryTest, AVanishedDeviceIsACommunicationFailure) {
  const std::uint8_t h = OpenMemo();
  const auto moved = m_device.Folder().parent_path() / "moved";
  std::filesystem::rename(m_device.Folder(), moved);
  // Record calls notice within the link-check interval.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::uint16_t count = 0;
  EXPECT_EQ(SYNC_ERR_COMM_LOST, SyncGetDBRecordCount(h, &count));
  // Calls that touch the device's files notice at once.
  std::filesystem::rename(moved, m_device.Folder());
  const std::uint8_t again = OpenMemo();
  std::filesystem::rename(m_device.Folder(), moved);
  EXPECT_EQ(SYNC_ERR_COMM_LOST, SyncDeleteDB("Other", 0));
  std::filesystem::rename(moved, m_device.Folder());
  // The open databases were dropped when the link broke.
  EXPECT_EQ(SYNC_ERR_BAD_HANDLE, SyncGetDBRecordCount(h, &count));
  EXPECT_EQ(SYNC_ERR_BAD_HANDLE, SyncCloseDB(again));
}

TEST_F(SyncLibraryTest, AFailedWriteBackIsACommunicationFailure) {
  const std::uint8_t h = OpenMemo();
  Block block(h);
  block.Set(Body("new"));
  ASSERT_EQ(SYNC_OK, SyncWriteRec(&block.raw));
  // Something that cannot be replaced by a file now stands where the database was.
  std::filesystem::remove(MemoFile());
  std::filesystem::create_directory(MemoFile());
  std::ofstream(MemoFile() / "keep") << "x";
  EXPECT_EQ(SYNC_ERR_COMM_WRITE, SyncCloseDB(h));
  EXPECT_EQ(SYNC_ERR_BAD_HANDLE, SyncCloseDB(h));
  EXPECT_TRUE(std::filesystem::is_directory(MemoFile()));
  EXPECT_EQ(2u, FileCount(m_device.Folder()));  // no temporary file left behind
}

TEST_F(SyncLibraryTest, EveryCallReportsTheCutLinkAndNoDevice) {
  const std::uint8_t h = OpenMemo();
  Block block(h);
  std::vector<std::uint8_t> bytes(64);
  SyncSystemInfo system;
  SyncCreateDbBlock create;
  std::strcpy(create.name, "Other");
  SyncInfoBlock info;
  info.bufferSize = 64;
  info.buffer = bytes.data();
  SyncPositionBlock map;
  map.handle = h;
  map.buffer = bytes.data();
  std::uint32_t conduit = 0;
  std::uint8_t handle = 0;
  std::uint16_t count = 0;
  const std::vector<std::function<std::int32_t()>> calls = {
      [&] { return SyncReadSystemInfo(&system); },
      [&] { return SyncRegisterConduit(&conduit); },
      [&] { return SyncUnRegisterConduit(1); },
      [&] { return SyncOpenDB(CDeviceFixture::DB_NAME, 0, &handle, SYNC_MODE_READ); },
      [&] { return SyncDeleteDB("Other", 0); },
      [&] { return SyncCreateDB(&create); },
      [&] { return SyncResetSyncFlags(h); },
      [&] { return SyncGetDBRecordCount(h, &count); },
      [&] { return SyncReadRecordById(&block.raw); },
      [&] { return SyncReadRecordByIndex(&block.raw); },
      [&] { return SyncReadNextModifiedRec(&block.raw); },
      [&] { return SyncReadNextRecInCategory(&block.raw); },
      [&] { return SyncResetRecordIndex(h); },
      [&] { return SyncWriteRec(&block.raw); },
      [&] { return SyncWriteResourceRec(&block.raw); },
      [&] { return SyncDeleteRec(&block.raw); },
      [&] { return SyncDeleteResourceRec(&block.raw); },
      [&] { return SyncPurgeDeletedRecs(h); },
      [&] { return SyncPurgeAllRecsInCategory(h, 1); },
      [&] { return SyncChangeCategory(h, 1, 2); },
      [&] { return SyncReadDBAppInfoBlock(h, &info); },
      [&] { return SyncReadDBSortInfoBlock(h, &info); },
      [&] { return SyncWriteDBAppInfoBlock(h, &info); },
      [&] { return SyncWriteDBSortInfoBlock(h, &info); },
      [&] { return SyncReadPositionXMap(&map); },
      [&] { return SyncCloseDB(h); },
  };
  const auto before = FileBytes(MemoFile());
  SyncFailAfter(0);
  for (std::size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(SYNC_ERR_COMM_BROKEN, calls[i]()) << "call " << i;
  SyncFailAfter(-1);
  SyncDetachDevice();
  for (std::size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(SYNC_ERR_COMM_NO_DEVICE, calls[i]()) << "call " << i;
  EXPECT_EQ(before, FileBytes(MemoFile()));
  EXPECT_FALSE(m_device.Device().HasDatabase("Other"));
}
