// A HotSync meets a memo database file that is damaged (here: its header names
// another database).  Whatever the sync type, the HotSync fails and leaves the
// file exactly as it was, so the handheld's unsynchronised memos survive.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "SyncTestWorld.h"
#include "dbfiles/SyncType.h"

namespace {

std::vector<char> ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(DamagedHandheldSync, AMisnamedMemoDatabaseFailsEveryHotSyncAndIsNeverOverwritten) {
  for (const std::int32_t syncType :
       {SyncType::FAST, SyncType::SLOW, SyncType::HANDHELD_OVERWRITES, SyncType::DESKTOP_OVERWRITES}) {
    SCOPED_TRACE(syncType);
    CSyncTestWorld world({Memo(7, "not yet on the desktop", 0, true)});
    world.WriteDesktop({{42, "desktop memo"}});
    const auto file = world.Device().Folder() / "QuilletMemoDB.pdb";
    std::vector<char> bytes = ReadBytes(file);
    std::memcpy(bytes.data(), "OtherNameDB\0\0", 13);
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const std::vector<char> desktop = ReadBytes(world.DesktopPath());
    ASSERT_EQ(0, world.Device().Attach());

    EXPECT_NE(0, HotSync(world, syncType));
    EXPECT_EQ(bytes, ReadBytes(file));
    EXPECT_EQ(desktop, ReadBytes(world.DesktopPath()));
  }
}
