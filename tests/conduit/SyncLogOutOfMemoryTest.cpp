// The HotSync log, the log library and the string resources with memory
// running out at every allocation in turn: an entry that cannot be made is
// lost and reported by its result, never by an exception, and the log goes on
// working once memory is back.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "conduit/ConduitStrings.h"
#include "conduit/SyncLog.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncRecord.h"
#include "platform/hslog20/HsLog.h"
#include "platform/palmcmn/LanguageLoader.h"
#include "platform/resources/ResourceBitmaps.h"
#include "platform/resources/Resources.h"
#include "support/AllocationFailure.h"

namespace {

TEST(SyncLogOutOfMemory, EntriesAreLostQuietly) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("quillet-oom-hslog-" + std::to_string(::getpid()) + ".log");
  CSyncRecord record;
  record.SetId(77);
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    LogReset();
    CSyncLog log(ConduitResources());
    log.SetLongDescription(true);
    char text[64];
    std::int32_t described = 0;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      LogSetFile(file.c_str());
      (void)log.LogSyncStart();
      (void)log.LogAddFailed(DB_ERR_NO_MEMORY, record, CSyncLog::SIDE_DESKTOP);
      (void)log.LogDuplicated(record);
      (void)log.LogCategoryDeleted("Business", CSyncLog::SIDE_HANDHELD);
      described = log.MapErrorToText(DB_ERR_READ_FAILED, text, sizeof text);
      (void)log.LogSyncEnd(true);
      fired = failure.Fired();
    }
    if (fired) {
      EXPECT_TRUE(described == 0 || described == DB_ERR_NO_MEMORY) << "allocation " << n;
    }
    // Memory is back: the next entry is written.
    LogSetFile(file.c_str());
    EXPECT_EQ(0, LogAddEntry("after", 1, 0));
    EXPECT_EQ("after", LogEntries().back().text);
    return fired;
  });
  EXPECT_GT(failures, 10u);
  LogReset();
  std::filesystem::remove(file);
}

TEST(ResourcesOutOfMemory, RegisteringReportsFailure) {
  int serial = 0;
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    const std::string name = "OutOfMemory.module." + std::to_string(++serial);
    const ResourceString table[] = {{1, "one"}, {2, "two"}};
    ResourceInstance module = nullptr;
    int added = 0;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      module = ResourceRegisterModule(name.c_str());
      if (module != nullptr) {
        ResourceSetModulePath(module, "/a/path/long enough not to fit in a short string");
        added = ResourceAddStrings(module, table, 2);
      }
      fired = failure.Fired();
    }
    if (!fired) {
      EXPECT_EQ(2, added);
      return false;
    }
    EXPECT_TRUE(module == nullptr || added == -1 || added == 2) << "allocation " << n;
    return true;
  });
  EXPECT_GT(failures, 2u);
}

// A table of bitmaps (all kinds share one table class) is added whole or not
// at all: a replaced entry keeps its old value when memory runs out.
TEST(ResourcesOutOfMemory, ATableIsAddedWholeOrNotAtAll) {
  static const char* const oldImage[] = {"old"};
  static const char* const newImage[] = {"new"};
  static const char* const otherImage[] = {"other"};
  const ResourceBitmap before[] = {{1, oldImage}};
  const ResourceBitmap table[] = {{1, newImage}, {2, otherImage}, {3, nullptr}, {4, otherImage}};
  int serial = 0;
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    const std::string name = "OutOfMemory.bitmaps." + std::to_string(++serial);
    ResourceInstance module = ResourceRegisterModule(name.c_str());
    EXPECT_EQ(1, ResourceAddBitmaps(module, before, 1));
    std::int32_t added = 0;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      added = ResourceAddBitmaps(module, table, 4);
      fired = failure.Fired();
    }
    if (fired) {
      EXPECT_EQ(-1, added) << "allocation " << n;
      EXPECT_EQ(oldImage, ResourceFindBitmap(module, 1)) << "allocation " << n;
      EXPECT_EQ(nullptr, ResourceFindBitmap(module, 2)) << "allocation " << n;
      // Memory is back: the same table goes in.
      added = ResourceAddBitmaps(module, table, 4);
    }
    EXPECT_EQ(3, added) << "allocation " << n;
    EXPECT_EQ(newImage, ResourceFindBitmap(module, 1));
    EXPECT_EQ(otherImage, ResourceFindBitmap(module, 4));
    return fired;
  });
  EXPECT_GE(failures, 3u);
}

TEST(ResourcesOutOfMemory, AStringTableIsAddedWholeOrNotAtAll) {
  const ResourceString before[] = {{1, "old"}};
  const ResourceString table[] = {{1, "new text, long enough to need its own allocation"},
                                  {2, "another text, long enough to need its own allocation"}};
  int serial = 0;
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    const std::string name = "OutOfMemory.strings." + std::to_string(++serial);
    ResourceInstance module = ResourceRegisterModule(name.c_str());
    EXPECT_EQ(1, ResourceAddStrings(module, before, 1));
    std::int32_t added = 0;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      added = ResourceAddStrings(module, table, 2);
      fired = failure.Fired();
    }
    if (fired) {
      EXPECT_EQ(-1, added) << "allocation " << n;
      EXPECT_STREQ("old", ResourceFindString(module, 1)) << "allocation " << n;
      EXPECT_EQ(nullptr, ResourceFindString(module, 2)) << "allocation " << n;
      added = ResourceAddStrings(module, table, 2);
    }
    EXPECT_EQ(2, added) << "allocation " << n;
    EXPECT_STREQ(table[1].text, ResourceFindString(module, 2));
    return fired;
  });
  EXPECT_GE(failures, 3u);
}

TEST(LanguageLoaderOutOfMemory, FallsBackToTheModulesOwnResources) {
  ResourceInstance module = ResourceRegisterModule("OutOfMemory.language.module");
  ASSERT_NE(module, nullptr);
  ResourceSetModulePath(module, "/a/folder/long enough not to fit in a short string/module.so");
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    ResourceInstance chosen = nullptr;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      chosen = LoadLanguageModule("missing-language.so", module, nullptr);
      fired = failure.Fired();
    }
    EXPECT_EQ(module, chosen) << "allocation " << n;
    return fired;
  });
  EXPECT_GT(failures, 0u);
}

}  // namespace
