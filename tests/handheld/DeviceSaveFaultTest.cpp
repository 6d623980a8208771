// A device save that a failing disk interrupts: each write, flush and rename
// of saving the memo database and device.json fails in turn (and each write
// is cut short).  The save reports the failure, and the device then opens
// with the old content or the new one, whole, and no temporary file left.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "support/TempFolder.h"
#include "handheld/Device.h"
#include "handheld/HandheldResult.h"
#include "handheld/MemoApp.h"
#include "platform/files/ScopedFileEnv.h"
#include "support/FaultInjectionEnv.h"
#include "support/FolderSnapshot.h"

using namespace HandheldResult;
using Op = IFileEnv::Op;

namespace {

using Snapshot = FolderSnapshot;

std::vector<std::string> Names(const Snapshot& files) {
  std::vector<std::string> names;
  for (const auto& file : files) names.push_back(file.first);
  return names;
}

// What a test reads back from the device: the user's sync date and the memo texts.
struct Seen {
  std::uint32_t lastSyncDate = 0;
  std::vector<std::string> texts;
  bool operator==(const Seen&) const = default;
};

int Look(const std::filesystem::path& folder, Seen& seen) {
  CDevice device;
  int rc = device.Open(folder);
  if (rc != HH_OK) return rc;
  CMemoApp memos(device);
  rc = memos.Open();
  if (rc != HH_OK) return rc;
  seen = Seen{device.LastSyncDate(), {}};
  for (std::size_t i = 0; i < memos.Database().RecordCount(); ++i) {
    std::string text;
    rc = memos.TextAt(i, text);
    if (rc != HH_OK) return rc;
    seen.texts.push_back(text);
  }
  return HH_OK;
}

struct Writer {
  const char* what;
  std::function<int(CDevice&)> save;
};

}  // namespace

TEST(DeviceSaveFault, EveryFailedWriteFlushOrRenameLeavesTheOldOrTheNewDevice) {
  CTempFolder temp;
  const std::filesystem::path folder = temp.Path() / "device";
  {
    CDevice device;
    ASSERT_EQ(HH_OK, CDevice::Init(folder, "Ann", 7, device));
    CMemoApp memos(device);
    ASSERT_EQ(HH_OK, memos.Create());
    ASSERT_EQ(HH_OK, memos.AddMemo("first memo", 0, false, nullptr));
    ASSERT_EQ(HH_OK, memos.Save());
  }
  const Snapshot before = TakeFolderSnapshot(folder);

  const Writer writers[] = {
      {"memo database",
       [](CDevice& device) {
         CMemoApp memos(device);
         int rc = memos.Open();
         if (rc == HH_OK) rc = memos.AddMemo("second memo", 0, false, nullptr);
         return rc == HH_OK ? memos.Save() : rc;
       }},
      {"device.json",
       [](CDevice& device) {
         device.SetLastSyncDate(12345);
         return device.Save();
       }},
  };
  for (const Writer& writer : writers) {
    SCOPED_TRACE(writer.what);
    Seen old, now;
    ASSERT_EQ(HH_OK, Look(folder, old));
    CFaultInjectionEnv faults;
    std::vector<CFaultInjectionEnv::SFault> plan;
    {
      CScopedFileEnv use(faults);
      CDevice device;
      ASSERT_EQ(HH_OK, device.Open(folder));
      ASSERT_EQ(HH_OK, writer.save(device));
      plan = faults.EachFault({Op::WRITE, Op::SYNC, Op::SYNC_FOLDER, Op::RENAME, Op::LINK});
    }
    ASSERT_EQ(HH_OK, Look(folder, now));
    ASSERT_NE(old, now);
    ASSERT_FALSE(plan.empty());

    for (const CFaultInjectionEnv::SFault& fault : plan) {
      SCOPED_TRACE(fault.Describe());
      RestoreFolderSnapshot(folder, before);
      int rc = HH_OK;
      {
        CScopedFileEnv use(faults);
        CDevice device;
        ASSERT_EQ(HH_OK, device.Open(folder));
        faults.Plan(fault);
        rc = writer.save(device);
        EXPECT_EQ(1, faults.Injected());
      }
      EXPECT_NE(HH_OK, rc);
      Seen seen;
      ASSERT_EQ(HH_OK, Look(folder, seen));
      EXPECT_TRUE(seen == old || seen == now);
      EXPECT_EQ(Names(before), Names(TakeFolderSnapshot(folder)));
    }
    RestoreFolderSnapshot(folder, before);
  }
}
