// Fuzz target: the application-info block of the handheld's memo database.
// The input is the block of a memo database on a device; the memo application
// reads its categories, password digest and hint, and the synchronizer's view
// of the database (through the sync library) reads the category table and the
// application bytes after it, adds a category and writes the block back.  The
// application bytes must come through that write unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "ScratchFolder.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncType.h"
#include "handheld/Device.h"
#include "handheld/HandheldResult.h"
#include "handheld/MemoApp.h"
#include "platform/sync20/SyncLibrary.h"
#include "sync/HandheldDb.h"

namespace {

using namespace HandheldResult;

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "HandheldAppInfo: %s\n", what);
    std::abort();
  }
}

CDevice& Device() {
  static CDevice device = [] {
    CDevice made;
    if (CDevice::Init(CScratchFolder::Path() / "device", "Fuzz", 1, made) != HH_OK) std::abort();
    return made;
  }();
  return device;
}

// Puts a memo database with this app-info block and two memos on the device,
// as a file (the device would refuse to write a block it cannot read).
void PlaceDatabase(const std::uint8_t* data, std::size_t size) {
  CPdbFile db;
  CPdbFile::Info& info = db.MutableInfo();
  info.name = CMemoApp::DB_NAME;
  info.type = CMemoApp::DB_TYPE;
  info.creator = CMemoApp::DB_CREATOR;
  db.SetAppInfo(std::vector<std::uint8_t>(data, data + size));
  for (const char* text : {"alpha", "bravo"}) {
    CPdbRecord record;
    record.attributes = PdbLayout::PDB_REC_DIRTY | 1;
    record.data.assign(text, text + std::char_traits<char>::length(text) + 1);
    Check(db.WriteRecord(std::move(record)) == HH_OK, "cannot add a memo");
  }
  std::vector<std::uint8_t> bytes;
  Check(db.Serialize(bytes) == HH_OK, "cannot serialize the database");
  std::ofstream out(Device().DatabasePath(CMemoApp::DB_NAME), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  Check(static_cast<bool>(out), "cannot write the database");
}

void UseMemoApp() {
  CMemoApp app(Device());
  if (app.Open() != HH_OK) return;
  (void)app.Hint();
  for (std::uint8_t slot = 0; slot < 16; ++slot) {
    (void)app.CategoryName(slot);
    (void)app.CategoryId(slot);
    (void)app.IsCategoryRenamed(slot);
  }
  (void)app.FindCategory("Unfiled");
  (void)app.Unlock("x");
  std::string text;
  for (std::size_t i = 0; i < app.MemoCount(); ++i) (void)app.TextAt(i, text);
  std::uint8_t slot = 0;
  if (app.AddCategory("Fuzz", &slot) == HH_OK) Check(app.Save() == HH_OK, "the memo database does not save");
}

void UseHandheldDb() {
  CPdbFile before;
  if (Device().ReadDatabase(CMemoApp::DB_NAME, before) != HH_OK) return;
  Check(SyncAttachDevice(Device().Folder().c_str()) == 0, "the device does not attach");
  {
    CHandheldDb db(nullptr, 3, CMemoApp::DB_NAME, CMemoApp::DB_CREATOR, CMemoApp::DB_TYPE, 0, 0, 0,
                   SyncType::SLOW);
    if (db.Open() == DB_OK && db.LoadCategories() == DB_OK) {
      // One byte more than needed, so that even no bytes are read into a real buffer.
      std::vector<std::uint8_t> extra(db.AppInfoExtraSize() + 1);
      auto extraSize = static_cast<std::uint32_t>(extra.size());
      Check(db.GetAppInfoExtra(extra.data(), &extraSize) == DB_OK, "the application bytes do not read");
      extra.resize(extraSize);
      CCategoryList* table = db.CategoryTable();
      if (table != nullptr && table->FirstFreeIndex() >= 0) {
        (void)table->Add(CPCategory(table->FirstFreeIndex(), 200, "Desk"));
      }
      if (db.StoreCategories() == DB_OK && db.Store() == DB_OK && extraSize > 0) {
        CPdbFile after;
        Check(Device().ReadDatabase(CMemoApp::DB_NAME, after) == HH_OK, "the written database does not read");
        const std::vector<std::uint8_t>& block = *after.AppInfo();
        Check(block.size() >= CHandheldDb::CATEGORY_BLOCK_SIZE + extraSize &&
                  std::equal(extra.begin(), extra.end(), block.begin() + CHandheldDb::CATEGORY_BLOCK_SIZE),
              "the application bytes changed");
      }
    }
  }
  SyncDetachDevice();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PlaceDatabase(data, size);
  UseMemoApp();
  UseHandheldDb();
  return 0;
}
