// Reading and writing a full device database: 65,535 memo records (the most a
// Palm database holds) through the simulated handheld.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "handheld/Device.h"
#include "handheld/HandheldResult.h"
#include "handheld/MemoApp.h"
#include "handheld/PdbFile.h"

namespace {

constexpr std::size_t RECORDS = 65535;

std::filesystem::path BenchFolder() {
  std::random_device random;
  return std::filesystem::temp_directory_path() / ("quillet-bench-handheld-" + std::to_string(random()));
}

CPdbFile FullDatabase() {
  CPdbFile db;
  CPdbFile::Info& info = db.MutableInfo();
  info.name = CMemoApp::DB_NAME;
  info.type = CMemoApp::DB_TYPE;
  info.creator = CMemoApp::DB_CREATOR;
  info.uniqueIdSeed = 1;
  db.SetAppInfo(std::vector<std::uint8_t>(297, 0));
  for (std::size_t i = 0; i < RECORDS; ++i) {
    CPdbRecord record;
    record.attributes = static_cast<std::uint8_t>(0x40 | (i % 16));
    const std::string text = "Memo number " + std::to_string(i) + "\nwith a second line of text";
    record.data.assign(text.begin(), text.end());
    record.data.push_back(0);
    db.WriteRecord(std::move(record));
  }
  return db;
}

struct BenchDevice {
  BenchDevice() : folder(BenchFolder()) { CDevice::Init(folder, "bench", 1, device); }
  ~BenchDevice() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  std::filesystem::path folder;
  CDevice device;
};

void BM_SerializeFullDatabase(benchmark::State& state) {
  const CPdbFile db = FullDatabase();
  std::vector<std::uint8_t> bytes;
  for (auto _ : state) {
    db.Serialize(bytes);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_SerializeFullDatabase)->Unit(benchmark::kMillisecond);

void BM_ParseFullDatabase(benchmark::State& state) {
  std::vector<std::uint8_t> bytes;
  FullDatabase().Serialize(bytes);
  for (auto _ : state) {
    CPdbFile db;
    if (CPdbFile::Parse(bytes.data(), bytes.size(), db) != HandheldResult::HH_OK) state.SkipWithError("parse");
    benchmark::DoNotOptimize(db.RecordCount());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ParseFullDatabase)->Unit(benchmark::kMillisecond);

// Crash-safe write of the whole file to the device folder (fsync included).
void BM_WriteDeviceDatabase(benchmark::State& state) {
  BenchDevice bench;
  CPdbFile db = FullDatabase();
  for (auto _ : state) {
    db.SetChanged(true);
    if (bench.device.WriteDatabase(db) != HandheldResult::HH_OK) state.SkipWithError("write");
  }
}
BENCHMARK(BM_WriteDeviceDatabase)->Unit(benchmark::kMillisecond);

// Reading the database from the device: file read, parse and id check.
void BM_ReadDeviceDatabase(benchmark::State& state) {
  BenchDevice bench;
  CPdbFile db = FullDatabase();
  bench.device.WriteDatabase(db);
  for (auto _ : state) {
    CPdbFile read;
    if (bench.device.ReadDatabase(CMemoApp::DB_NAME, read) != HandheldResult::HH_OK) state.SkipWithError("read");
    benchmark::DoNotOptimize(read.RecordCount());
  }
}
BENCHMARK(BM_ReadDeviceDatabase)->Unit(benchmark::kMillisecond);

// What a HotSync does to a full database: walk the dirty records, replace every
// other one by id, remove the rest by id, purge, clear the sync flags.
void BM_SyncPassOverFullDatabase(benchmark::State& state) {
  const CPdbFile full = FullDatabase();
  for (auto _ : state) {
    state.PauseTiming();
    CPdbFile db = full;
    state.ResumeTiming();
    const std::vector<std::uint32_t> ids = db.Ids();
    std::size_t dirty = 0;
    for (long i = db.NextDirty(0); i >= 0; i = db.NextDirty(static_cast<std::size_t>(i) + 1)) ++dirty;
    for (std::size_t i = 0; i < ids.size(); ++i) {
      if (i % 2 == 0) {
        CPdbRecord record = *db.RecordById(ids[i]);
        record.attributes = 0;
        std::size_t index = 0;
        db.WriteRecord(std::move(record), nullptr, &index);
        benchmark::DoNotOptimize(index);
      } else {
        db.RemoveById(ids[i]);
      }
    }
    db.PurgeDeleted();
    db.ResetSyncFlags();
    benchmark::DoNotOptimize(dirty);
  }
}
BENCHMARK(BM_SyncPassOverFullDatabase)->Unit(benchmark::kMillisecond);

// The memo application filling a device: 65,535 new memos, then one save.
void BM_MemoAppFillsDevice(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    BenchDevice bench;
    CMemoApp app(bench.device);
    app.Create();
    state.ResumeTiming();
    for (std::size_t i = 0; i < RECORDS; ++i) app.AddMemo("memo text " + std::to_string(i), 0, false, nullptr);
    app.Save();
  }
}
BENCHMARK(BM_MemoAppFillsDevice)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
