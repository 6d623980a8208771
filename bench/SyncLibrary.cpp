// The handheld side of a HotSync at the largest database size a handheld
// holds (65,535 records): loading every record through CHandheldDb and the sync
// library (a slow HotSync's load), and writing 65,535 records into a freshly
// created database (desktop overwrites handheld), including the crash-safe
// write of the database file at the close.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "conduit/ConduitStrings.h"
#include "conduit/SyncLog.h"
#include "dbfiles/SyncType.h"
#include "handheld/Device.h"
#include "handheld/HandheldResult.h"
#include "handheld/MemoApp.h"
#include "handheld/PdbFile.h"
#include "platform/sync20/SyncLibrary.h"
#include "sync/HandheldDb.h"

namespace {

constexpr int RECORDS = 65535;

std::string MemoText(int i) {
  char text[80];
  std::snprintf(text, sizeof text, "Memo %05d: buy milk, call the office, water the plants.", i);
  return text;
}

// A device folder holding a memo database of 65,535 records, attached to the
// sync library for the life of the object.
class CBigDevice {
 public:
  CBigDevice() {
    std::random_device random;
    m_folder = std::filesystem::temp_directory_path() / ("quillet-bench-sync-" + std::to_string(random()));
    CDevice device;
    if (CDevice::Init(m_folder, "Bench", 1, device) != HandheldResult::HH_OK) std::abort();
    CMemoApp app(device);
    if (app.Create() != HandheldResult::HH_OK) std::abort();
    CPdbFile db;
    if (device.ReadDatabase(CMemoApp::DB_NAME, db) != HandheldResult::HH_OK) std::abort();
    for (int i = 0; i < RECORDS; ++i) {
      CPdbRecord record;
      record.attributes = static_cast<std::uint8_t>(i % 4);
      const std::string text = MemoText(i);
      record.data.assign(text.begin(), text.end());
      record.data.push_back(0);
      if (db.WriteRecord(std::move(record)) != HandheldResult::HH_OK) std::abort();
    }
    if (device.WriteDatabase(db) != HandheldResult::HH_OK) std::abort();
    if (SyncAttachDevice(m_folder.c_str()) != 0) std::abort();
  }
  ~CBigDevice() {
    SyncDetachDevice();
    std::error_code ec;
    std::filesystem::remove_all(m_folder, ec);
  }

 private:
  std::filesystem::path m_folder;
};

void BM_LoadAll65535(benchmark::State& state) {
  CBigDevice device;
  CSyncLog log(ConduitResources());
  for (auto _ : state) {
    CHandheldDb db(&log, 3, CMemoApp::DB_NAME, CMemoApp::DB_CREATOR, CMemoApp::DB_TYPE, 0, 0, 0, SyncType::SLOW);
    if (db.Open() != 0) state.SkipWithError("open failed");
    if (db.Load() != 0) state.SkipWithError("load failed");
    if (db.RecordCount() != RECORDS) state.SkipWithError("wrong record count");
    benchmark::DoNotOptimize(db.RecordAt(RECORDS - 1));
    // Closing without changes writes nothing back.
    if (db.Close(1) != 0) state.SkipWithError("close failed");
  }
  state.SetItemsProcessed(state.iterations() * RECORDS);
}
BENCHMARK(BM_LoadAll65535)->Unit(benchmark::kMillisecond);

void BM_Write65535(benchmark::State& state) {
  CBigDevice device;
  CSyncLog log(ConduitResources());
  CSyncRecord record;
  for (auto _ : state) {
    // Desktop overwrites handheld: the database is deleted and created empty.
    CHandheldDb db(&log, 3, CMemoApp::DB_NAME, CMemoApp::DB_CREATOR, CMemoApp::DB_TYPE, 0, 0, 0,
                   SyncType::DESKTOP_OVERWRITES);
    if (db.Open() != 0) state.SkipWithError("open failed");
    for (int i = 0; i < RECORDS; ++i) {
      const std::string text = MemoText(i);
      record.Clear();
      record.SetCategory(i % 4);
      record.SetBody(static_cast<std::int32_t>(text.size() + 1), text.c_str());
      if (db.AddRecord(record) != 0) {
        state.SkipWithError("write failed");
        break;
      }
    }
    if (db.Store() != 0) state.SkipWithError("store failed");
  }
  state.SetItemsProcessed(state.iterations() * RECORDS);
}
BENCHMARK(BM_Write65535)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
