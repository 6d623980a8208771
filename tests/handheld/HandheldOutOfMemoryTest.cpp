// The simulated handheld with memory running out at every allocation in turn:
// every operation reports HH_ERR_NO_MEMORY, and the device's files still open
// and read whole afterwards.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "handheld/Device.h"
#include "handheld/HandheldResult.h"
#include "handheld/MemoApp.h"
#include "handheld/PdbFile.h"
#include "handheld/PdbLayout.h"
#include "platform/recordfile/FileLayout.h"
#include "support/AllocationFailure.h"
#include "support/TempFolder.h"

using namespace HandheldResult;

namespace {

TEST(HandheldOutOfMemory, MemoApplicationAndDeviceOperations) {
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    CTempFolder temp;
    const std::filesystem::path folder = temp.Path() / "device";
    const std::filesystem::path exported = temp.Path() / "export.pdb";
    // device.json is read and written with a JSON library that allocates
    // while it frees a document, so memory running out there ends the
    // process: the device is made before memory runs short.
    CDevice device;
    EXPECT_EQ(HH_OK, CDevice::Init(folder, "user", 7, device));
    std::unique_ptr<CMemoApp> app;
    std::uint32_t plain = 0;
    std::uint32_t secret = 0;
    std::uint8_t slot = 0;
    std::string text;
    std::string imported;
    std::vector<CDevice::DatabaseEntry> list;
    CPdbFile read;
    int rc = HH_OK;
    bool fired = false;
    {
      const std::function<int()> steps[] = {
          [&] {
            app.reset(new (std::nothrow) CMemoApp(device));
            return app ? app->Create() : HH_ERR_NO_MEMORY;
          },
          [&] { return app->AddMemo("first memo", 0, false, &plain); },
          [&] { return app->AddCategory("Business", &slot); },
          [&] { return app->SetPassword("secret", "the hint"); },
          [&] { return app->AddMemo("private memo", slot, true, &secret); },
          [&] { return app->TextAt(1, text); },
          [&] { return app->SetMemoText(plain, "first memo, edited"); },
          [&] { return app->SetMemoCategory(plain, slot); },
          [&] { return app->SetMemoSecret(plain, true); },
          [&] { return app->RenameCategory(slot, "Work"); },
          [&] { return app->Save(); },
          [&] {
            app.reset(new (std::nothrow) CMemoApp(device));
            return app ? app->Open() : HH_ERR_NO_MEMORY;
          },
          [&] { return app->Unlock("secret"); },
          [&] { return app->DeleteMemo(secret, true); },
          [&] { return app->DeleteCategory(slot); },
          [&] { return app->ClearPassword(); },
          [&] { return app->Save(); },
          [&] { return device.ListDatabases(list); },
          [&] { return device.ExportDatabase(CMemoApp::DB_NAME, exported); },
          [&] { return device.ImportFile(exported, imported); },
          [&] { return device.ReadDatabase(CMemoApp::DB_NAME, read); },
          [&] { return device.DeleteDatabase(CMemoApp::DB_NAME); },
      };
      CAllocationFailure failure(n);
      for (const auto& step : steps) {
        rc = step();
        if (rc != HH_OK) break;
      }
      fired = failure.Fired();
    }
    if (!fired) {
      EXPECT_EQ(HH_OK, rc);
      return false;
    }
    EXPECT_EQ(HH_ERR_NO_MEMORY, rc) << "allocation " << n;
    // Whatever the device holds still opens and reads whole.
    CDevice check;
    if (std::filesystem::exists(folder / CDevice::DEVICE_FILE)) {
      EXPECT_EQ(HH_OK, check.Open(folder)) << "allocation " << n;
      if (check.HasDatabase(CMemoApp::DB_NAME)) {
        CPdbFile db;
        EXPECT_EQ(HH_OK, check.ReadDatabase(CMemoApp::DB_NAME, db)) << "allocation " << n;
      }
    }
    return !::testing::Test::HasFailure();
  });
  EXPECT_GT(failures, 50u);
}

// A memo database made elsewhere whose application-info block is only the
// category block: the category operations first make room for the rest.
TEST(HandheldOutOfMemory, CategoriesOfADatabaseWithAShortBlock) {
  CTempFolder temp;
  CDevice device;
  ASSERT_EQ(HH_OK, CDevice::Init(temp.Path() / "device", "user", 7, device));
  CPdbFile::Info info;
  info.name = CMemoApp::DB_NAME;
  info.creator = CMemoApp::DB_CREATOR;
  info.type = CMemoApp::DB_TYPE;
  CPdbFile short_;
  ASSERT_EQ(HH_OK, device.CreateDatabase(info, short_));
  std::vector<std::uint8_t> block(FileLayout::CAT_BLOCK_SIZE, 0);
  std::memcpy(block.data() + FileLayout::CAT_NAMES, "Unfiled", 7);
  std::memcpy(block.data() + FileLayout::CAT_NAMES + FileLayout::CAT_NAME_FIELD_SIZE, "Business", 8);
  block[FileLayout::CAT_IDS + 1] = 5;
  short_.SetAppInfo(std::move(block));
  ASSERT_EQ(HH_OK, device.WriteDatabase(short_));
  const std::function<int(CMemoApp&)> operations[] = {
      [](CMemoApp& app) { return app.AddCategory("Calls", nullptr); },
      [](CMemoApp& app) { return app.RenameCategory(1, "Work"); },
      [](CMemoApp& app) { return app.DeleteCategory(1); },
  };
  for (const auto& operation : operations) {
    const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
      CMemoApp app(device);
      EXPECT_EQ(HH_OK, app.Open());
      int rc = HH_OK;
      bool fired = false;
      {
        CAllocationFailure failure(n);
        rc = operation(app);
        fired = failure.Fired();
      }
      EXPECT_EQ(fired ? HH_ERR_NO_MEMORY : HH_OK, rc) << "allocation " << n;
      return fired;
    });
    EXPECT_GT(failures, 0u);
  }
}

// Records of a resource database and a record taking another id.
TEST(HandheldOutOfMemory, AppendAndReplaceRecords) {
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    CPdbFile resources;
    resources.MutableInfo().name = "Resources";
    resources.MutableInfo().attributes = PdbLayout::PDB_DB_ATTR_RESOURCE;
    CPdbFile records;
    CPdbRecord first;
    first.data.assign(40, 'r');
    EXPECT_EQ(HH_OK, records.WriteRecord(first));
    CPdbRecord resource;
    resource.data.assign(40, 'a');
    CPdbRecord renumbered = *records.RecordAt(0);
    renumbered.uniqueId = 0x123456;
    int rc = HH_OK;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      rc = resources.AppendRecord(std::move(resource));
      if (rc == HH_OK) rc = records.ReplaceRecordAt(0, std::move(renumbered));
      fired = failure.Fired();
    }
    EXPECT_EQ(fired ? HH_ERR_NO_MEMORY : HH_OK, rc) << "allocation " << n;
    // The id index still finds the record under the id it has.
    EXPECT_EQ(0, records.IndexOfId(records.RecordAt(0)->uniqueId)) << "allocation " << n;
    return fired;
  });
  EXPECT_GT(failures, 0u);
}

}  // namespace
