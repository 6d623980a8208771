// One verdict on a damaged memo database file: the memo application (what
// quillet-handheld reads through) and the sync library refuse the same files,
// the sync library never as "missing", and neither deleting nor creating the
// database through it touches the file.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "handheld/HandheldResult.h"
#include "handheld/MemoApp.h"
#include "handheld/PdbBytes.h"
#include "platform/sync20/SyncLibrary.h"
#include "platform/sync20/SyncStatus.h"
#include "sync/DeviceFixture.h"

using namespace SyncStatus;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::size_t APP_INFO_OFFSET = 52;
constexpr std::size_t SORT_INFO_OFFSET = 56;
constexpr std::size_t FIRST_ENTRY = 78;

std::uint32_t RecordOffset(const Bytes& b, std::size_t i) { return PdbBytes::Get32(b, FIRST_ENTRY + 8 * i); }

struct Variant {
  const char* name;
  bool protectedMemos;
  std::function<void(Bytes&)> damage;
};

const Variant kVariants[] = {
    {"header names another database", false,
     [](Bytes& b) { std::memcpy(b.data(), "OtherNameDB\0\0", 13); }},
    {"sort-info offset past the end", false,
     [](Bytes& b) { PdbBytes::Put32(b, SORT_INFO_OFFSET, static_cast<std::uint32_t>(b.size() + 16)); }},
    {"sort-info offset inside the category block", false,
     [](Bytes& b) { PdbBytes::Put32(b, SORT_INFO_OFFSET, PdbBytes::Get32(b, APP_INFO_OFFSET) + 100); }},
    {"app-info offset moved to the records", false,
     [](Bytes& b) { PdbBytes::Put32(b, APP_INFO_OFFSET, RecordOffset(b, 0)); }},
    {"cut inside the last body", false, [](Bytes& b) { b.erase(b.end() - 3, b.end()); }},
    {"cut off the last zero byte", false, [](Bytes& b) { b.pop_back(); }},
    {"cut at the start of the last record", false, [](Bytes& b) { b.resize(RecordOffset(b, 1)); }},
    {"cut inside the last encrypted body", true, [](Bytes& b) { b.erase(b.end() - 3, b.end()); }},
};

Bytes ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& file, const Bytes& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

TEST(DamagedPdb, TheMemoApplicationAndTheSyncLibraryRefuseTheSameFilesAndKeepThem) {
  for (const Variant& variant : kVariants) {
    SCOPED_TRACE(variant.name);
    CDeviceFixture device(
        {{.id = 1, .text = "first memo", .dirty = true}, {.id = 2, .text = "unsynced memo", .dirty = true}});
    ASSERT_EQ(0, device.Status());
    if (variant.protectedMemos) {
      CMemoApp app(device.Device());
      ASSERT_EQ(HandheldResult::HH_OK, app.Open());
      ASSERT_EQ(HandheldResult::HH_OK, app.SetPassword("secret", ""));
      ASSERT_EQ(HandheldResult::HH_OK, app.Save());
    }
    const auto file = device.Folder() / "QuilletMemoDB.pdb";
    Bytes bytes = ReadBytes(file);
    {
      // The intact file opens for both.
      CMemoApp app(device.Device());
      ASSERT_EQ(HandheldResult::HH_OK, app.Open());
    }
    variant.damage(bytes);
    WriteBytes(file, bytes);

    CMemoApp app(device.Device());
    EXPECT_EQ(HandheldResult::HH_ERR_DAMAGED, app.Open());

    ASSERT_EQ(SYNC_OK, device.Attach());
    std::uint8_t handle = 0;
    EXPECT_EQ(SYNC_ERR_DAMAGED, SyncOpenDB(CMemoApp::DB_NAME, 0, &handle, SYNC_MODE_READ_WRITE));
    // What a HotSync that takes the database for missing or replaces it would do.
    EXPECT_NE(SYNC_OK, SyncDeleteDB(CMemoApp::DB_NAME, 0));
    SyncCreateDbBlock create;
    std::strcpy(create.name, CMemoApp::DB_NAME);
    create.creator = CMemoApp::DB_CREATOR;
    create.type = CMemoApp::DB_TYPE;
    EXPECT_EQ(SYNC_ERR_EXISTS, SyncCreateDB(&create));
    EXPECT_EQ(bytes, ReadBytes(file));
  }
}

TEST(DamagedPdb, TheSyncLibraryNeverWritesAMemoDatabaseThatWouldReadBackDamaged) {
  CDeviceFixture device({{.id = 1, .text = "kept"}});
  ASSERT_EQ(0, device.Status());
  ASSERT_EQ(SYNC_OK, device.Attach());
  const auto file = device.Folder() / "QuilletMemoDB.pdb";
  const Bytes before = ReadBytes(file);
  std::uint8_t handle = 0;
  ASSERT_EQ(SYNC_OK, SyncOpenDB(CMemoApp::DB_NAME, 0, &handle, SYNC_MODE_READ_WRITE));
  std::vector<std::uint8_t> buffer = {'n', 'o', ' ', 'e', 'n', 'd'};  // no zero byte: reads as a cut file
  SyncRawRecord block;
  block.handle = handle;
  block.recordSize = static_cast<std::uint32_t>(buffer.size());
  block.bufferSize = static_cast<std::uint16_t>(buffer.size());
  block.buffer = buffer.data();
  ASSERT_EQ(SYNC_OK, SyncWriteRec(&block));
  EXPECT_EQ(SYNC_ERR_BAD_ARGUMENT, SyncCloseDB(handle));
  EXPECT_EQ(before, ReadBytes(file));
}
