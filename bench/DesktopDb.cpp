// The desktop record manager at HotSync sizes: lookups by id, walks and a whole
// store of a 65,535-record database, and the slow-sync pattern (N records
// loaded, then every one of them looked up by id) for growing N, which must
// scale linearly.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "dbfiles/DesktopDb.h"
#include "dbfiles/SyncType.h"

namespace {

namespace fs = std::filesystem;

constexpr std::int32_t MAX_RECORDS = 65535;

// Record ids as the handheld hands them out: unique, not in slot order.
std::vector<std::int32_t> Ids(std::int32_t n) {
  std::vector<std::int32_t> ids(static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i) ids[static_cast<std::size_t>(i)] = 0x100000 + i * 7;
  std::shuffle(ids.begin(), ids.end(), std::mt19937(42));
  return ids;
}

void Fill(CDesktopDb& db, const std::vector<std::int32_t>& ids, bool pending) {
  const std::string body(100, 'm');
  for (std::int32_t id : ids) {
    CSyncRecord r;
    r.SetId(id);
    r.SetCategory(id % 16);
    r.SetBody(static_cast<std::int32_t>(body.size()), body.data());
    r.SetPending(pending);
    db.InsertRecord(r);
  }
}

void BM_LookupById(benchmark::State& state) {
  CDesktopDb db;
  std::vector<std::int32_t> ids = Ids(MAX_RECORDS);
  Fill(db, ids, false);
  CSyncRecord out;
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(db.GetRecordById(ids[i], out, false));
    i = (i + 1) % ids.size();
  }
}
BENCHMARK(BM_LookupById);

void BM_WalkAll(benchmark::State& state) {
  CDesktopDb db;
  Fill(db, Ids(MAX_RECORDS), false);
  CSyncRecord out;
  for (auto _ : state) {
    std::int32_t n = 0;
    for (std::int32_t rc = db.FirstRecord(out); rc == 0; rc = db.NextRecord(out)) ++n;
    benchmark::DoNotOptimize(n);
  }
  state.SetItemsProcessed(state.iterations() * MAX_RECORDS);
}
BENCHMARK(BM_WalkAll)->Unit(benchmark::kMillisecond);

void BM_StoreFile(benchmark::State& state) {
  fs::path folder = fs::temp_directory_path() / ("quillet-bench-desktop-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  CDesktopDb db(nullptr, CDbManager::DB_FLAGS_CONDUIT, "MemoDB", "record.dat", folder.string().c_str(),
                SyncType::HANDHELD_OVERWRITES);
  db.SetDbInfo("MemoDB", 0, 0x44415441, 0x6D656D6F, 0, 0, 0, 0, 0);
  Fill(db, Ids(MAX_RECORDS), false);
  for (auto _ : state) {
    db.SetDirty(true);
    if (db.StoreFile() != 0) state.SkipWithError("store failed");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(folder / "record.dat")));
  fs::remove_all(folder);
}
BENCHMARK(BM_StoreFile)->Unit(benchmark::kMillisecond);

// A slow HotSync: N records loaded (pending), then the handheld walk looks each
// one up by id.  The handheld's order is mostly the order of the desktop file,
// which the last HotSync wrote from the handheld; the shuffled variant is the
// worst case for the memory caches.
void SlowSyncLookups(benchmark::State& state, bool shuffled) {
  const std::int32_t n = static_cast<std::int32_t>(state.range(0));
  std::vector<std::int32_t> ids = Ids(n);
  std::vector<std::int32_t> order = ids;
  if (shuffled) std::shuffle(order.begin(), order.end(), std::mt19937(7));
  for (auto _ : state) {
    state.PauseTiming();
    auto db = std::make_unique<CDesktopDb>();
    Fill(*db, ids, true);
    state.ResumeTiming();
    CSyncRecord out;
    for (std::int32_t id : order) benchmark::DoNotOptimize(db->GetRecordById(id, out, false));
    state.PauseTiming();
    db.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(n);
}
void BM_SlowSyncLookups(benchmark::State& state) { SlowSyncLookups(state, false); }
void BM_SlowSyncLookupsShuffled(benchmark::State& state) { SlowSyncLookups(state, true); }
BENCHMARK(BM_SlowSyncLookups)->Arg(16384)->Arg(32768)->Arg(65535)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SlowSyncLookupsShuffled)->Arg(16384)->Arg(32768)->Arg(65535)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

// Loading: N records inserted one after another into an empty table.
void BM_InsertRecords(benchmark::State& state) {
  const std::int32_t n = static_cast<std::int32_t>(state.range(0));
  std::vector<std::int32_t> ids = Ids(n);
  for (auto _ : state) {
    CDesktopDb db;
    Fill(db, ids, true);
    benchmark::DoNotOptimize(db.RecordCount());
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_InsertRecords)->Arg(16384)->Arg(32768)->Arg(65535)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

// Reordering by id: the exchange-sort order computed without comparing every pair.
void BM_ReorderById(benchmark::State& state) {
  const std::int32_t n = static_cast<std::int32_t>(state.range(0));
  std::vector<std::int32_t> ids = Ids(n);
  for (auto _ : state) {
    state.PauseTiming();
    auto db = std::make_unique<CDesktopDb>();
    Fill(*db, ids, false);
    state.ResumeTiming();
    db->Reorder(CDbManager::REORDER_BY_ID);
    state.PauseTiming();
    db.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_ReorderById)->Arg(16384)->Arg(32768)->Arg(65535)->Complexity(benchmark::oNLogN)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
