// OpenConduit, loaded with dlopen as the HotSync Manager loads it, with memory
// running out at every allocation in turn: the entry point returns a result
// instead of letting an exception into the host, both sides' files stay
// readable, and the next HotSync brings them together.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "conduit/ConduitEntry.h"
#include "handheld/Device.h"
#include "handheld/HandheldResult.h"
#include "handheld/MemoApp.h"
#include "store/MemoDatabase.h"
#include "support/AllocationFailure.h"
#include "support/TempFolder.h"
#include "sync/SyncProperties.h"

namespace {

namespace fs = std::filesystem;
using AttachFn = std::int32_t (*)(const char*);
using DetachFn = void (*)();

void Progress(const char*) {}

TEST(ConduitOutOfMemory, OpenConduitReturnsAResult) {
  void* library = dlopen(QUILLET_CONDUIT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto openConduit = reinterpret_cast<OpenConduitFn>(dlsym(library, "OpenConduit"));
  auto attach = reinterpret_cast<AttachFn>(dlsym(library, "SyncAttachDevice"));
  auto detach = reinterpret_cast<DetachFn>(dlsym(library, "SyncDetachDevice"));
  ASSERT_TRUE(openConduit && attach && detach);

  CTempFolder root("conduit-oom");
  const fs::path pristine = root / "pristine";
  const fs::path work = root / "work";
  // A handheld with memos and a desktop file from a first HotSync, then a
  // change on the handheld for the HotSync under test to carry over.
  auto properties = [](const fs::path& top, std::int32_t syncType) {
    SyncProperties p{};
    p.syncType = syncType;
    const std::string folder = (top / "HotSync").string();
    std::strncpy(p.directory, folder.c_str(), sizeof p.directory - 1);
    std::strncpy(p.localFileName, "record.dat", sizeof p.localFileName - 1);
    p.databaseNames[0] = CMemoApp::DB_NAME;
    p.databaseCount = 1;
    p.creator = CMemoApp::DB_CREATOR;
    p.type = CMemoApp::DB_TYPE;
    return p;
  };
  {
    CDevice device;
    ASSERT_EQ(HandheldResult::HH_OK, CDevice::Init(pristine / "device", "Ann", 7, device));
    CMemoApp app(device);
    ASSERT_EQ(HandheldResult::HH_OK, app.Create());
    std::uint8_t slot = 0;
    ASSERT_EQ(HandheldResult::HH_OK, app.AddCategory("Business", &slot));
    ASSERT_EQ(HandheldResult::HH_OK, app.AddMemo("first memo", slot, false, nullptr));
    ASSERT_EQ(HandheldResult::HH_OK, app.AddMemo("second memo", 0, false, nullptr));
    ASSERT_EQ(HandheldResult::HH_OK, app.Save());
    fs::create_directories(pristine / "HotSync");
    ASSERT_EQ(0, attach((pristine / "device").c_str()));
    SyncProperties p = properties(pristine, 0);
    ASSERT_EQ(0, openConduit(Progress, &p));
    detach();
    CMemoApp again(device);
    ASSERT_EQ(HandheldResult::HH_OK, again.Open());
    ASSERT_EQ(HandheldResult::HH_OK, again.AddMemo("added on the handheld", slot, false, nullptr));
    ASSERT_EQ(HandheldResult::HH_OK, again.Save());
  }

  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    fs::remove_all(work);
    fs::copy(pristine, work, fs::copy_options::recursive);
    EXPECT_EQ(0, attach((work / "device").c_str()));
    SyncProperties p = properties(work, 0);
    bool fired = false;
    {
      CAllocationFailure failure(n);
      (void)openConduit(Progress, &p);
      fired = failure.Fired();
    }
    detach();
    if (!fired) return false;
    CDevice device;
    EXPECT_EQ(HandheldResult::HH_OK, device.Open(work / "device")) << "allocation " << n;
    CMemoApp app(device);
    EXPECT_EQ(HandheldResult::HH_OK, app.Open()) << "allocation " << n;
    CMemoDatabase desktop;
    EXPECT_EQ(RDB_OK, desktop.Load((work / "HotSync" / "record.dat").string(), RDB_OPEN_READ_ONLY, nullptr))
        << "allocation " << n;
    // Memory is back: a slow HotSync brings both sides together.
    EXPECT_EQ(0, attach((work / "device").c_str()));
    SyncProperties slow = properties(work, 1);
    EXPECT_EQ(0, openConduit(Progress, &slow)) << "allocation " << n;
    detach();
    CMemoDatabase after;
    EXPECT_EQ(RDB_OK, after.Load((work / "HotSync" / "record.dat").string(), RDB_OPEN_READ_ONLY, nullptr));
    EXPECT_EQ(3, after.RecordCount()) << "allocation " << n;
    return !::testing::Test::HasFailure();
  });
  EXPECT_GT(failures, 100u);
  dlclose(library);
}

}  // namespace
