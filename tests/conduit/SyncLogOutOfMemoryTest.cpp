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

// Adds a table to a fresh module that holds entry 1 already, with an
// allocation failing at each step in turn: a failed add returns -1 and
// leaves the module as it was (`kept`), and once memory is back the same
// table goes in (`added` entries, checked by `in`).
template <class AddBefore, class AddTable, class Kept, class In>
void ExpectTableWholeOrNotAtAll(const char* kind, std::int32_t added, AddBefore addBefore,
                                AddTable addTable, Kept kept, In in) {
  int serial = 0;
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    const std::string name = std::string("OutOfMemory.") + kind + "." + std::to_string(++serial);
    ResourceInstance module = ResourceRegisterModule(name.c_str());
    EXPECT_EQ(1, addBefore(module));
    std::int32_t result = 0;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      result = addTable(module);
      fired = failure.Fired();
    }
    if (fired) {
      EXPECT_EQ(-1, result) << kind << ", allocation " << n;
      EXPECT_TRUE(kept(module)) << kind << ", allocation " << n;
      result = addTable(module);
    }
    EXPECT_EQ(added, result) << kind << ", allocation " << n;
    EXPECT_TRUE(in(module)) << kind << ", allocation " << n;
    return fired;
  });
  EXPECT_GE(failures, 3u) << kind;
}

// Bitmaps stand for every kind that shares the resource table class; strings
// have a table of their own.
TEST(ResourcesOutOfMemory, ATableIsAddedWholeOrNotAtAll) {
  static const char* const oldImage[] = {"old"};
  static const char* const newImage[] = {"new"};
  static const char* const otherImage[] = {"other"};
  const ResourceBitmap bitmapsBefore[] = {{1, oldImage}};
  const ResourceBitmap bitmaps[] = {{1, newImage}, {2, otherImage}, {3, nullptr}, {4, otherImage}};
  ExpectTableWholeOrNotAtAll(
      "bitmaps", 3, [&](ResourceInstance m) { return ResourceAddBitmaps(m, bitmapsBefore, 1); },
      [&](ResourceInstance m) { return ResourceAddBitmaps(m, bitmaps, 4); },
      [&](ResourceInstance m) {
        return ResourceFindBitmap(m, 1) == oldImage && ResourceFindBitmap(m, 2) == nullptr;
      },
      [&](ResourceInstance m) {
        return ResourceFindBitmap(m, 1) == newImage && ResourceFindBitmap(m, 4) == otherImage;
      });

  const ResourceString stringsBefore[] = {{1, "old"}};
  const ResourceString strings[] = {{1, "new text, long enough to need its own allocation"},
                                    {2, "another text, long enough to need its own allocation"}};
  auto text = [](ResourceInstance m, std::uint32_t id) {
    const char* found = ResourceFindString(m, id);
    return std::string(found != nullptr ? found : "<none>");
  };
  ExpectTableWholeOrNotAtAll(
      "strings", 2, [&](ResourceInstance m) { return ResourceAddStrings(m, stringsBefore, 1); },
      [&](ResourceInstance m) { return ResourceAddStrings(m, strings, 2); },
      [&](ResourceInstance m) { return text(m, 1) == "old" && text(m, 2) == "<none>"; },
      [&](ResourceInstance m) { return text(m, 1) == strings[0].text && text(m, 2) == strings[1].text; });
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
