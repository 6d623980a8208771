// HotSync throughput: a fast HotSync of N handheld records modified since the
// last HotSync, and a slow HotSync of N unchanged records (with the backup
// file of the last HotSync), each next to a baseline that only loads and
// stores both sides the same way.  N = 16384, 32768 and 65535 (the most a
// handheld database holds).  Targets: a HotSync takes at most twice its
// baseline, and doubling N at most doubles the time.
//
// Each iteration starts from fresh copies of a prepared device folder and
// HotSync folder; copying them is not timed.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "conduit/ConduitStrings.h"
#include "conduit/SyncLog.h"
#include "dbfiles/BackupDb.h"
#include "dbfiles/DesktopDb.h"
#include "dbfiles/ResultCodes.h"
#include "handheld/Device.h"
#include "handheld/MemoApp.h"
#include "handheld/PdbFile.h"
#include "platform/hslog20/HsLog.h"
#include "platform/sync20/SyncLibrary.h"
#include "sync/HandheldDb.h"
#include "sync/SyncEngine.h"
#include "sync/SyncProperties.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* FILE_NAME = "record.dat";

// A prepared pair of folders: a device with N memos and a HotSync folder with
// the matching desktop file (and its backup).
struct Prepared {
  fs::path root;
  fs::path device;
  fs::path hotsync;
};

std::string MemoText(std::int64_t i) {
  return "Memo number " + std::to_string(i) + ": some text of an ordinary length for a memo, line one\nline two";
}

// Removes the prepared folders and their working copies when the program ends.
struct CleanUp {
  std::vector<fs::path> roots;
  ~CleanUp() {
    std::error_code ec;
    for (const fs::path& root : roots) {
      fs::remove_all(root, ec);
      fs::remove_all(root.string() + "-run", ec);
    }
  }
};
CleanUp cleanUp;

// Builds the folders once per N and kind: all handheld records dirty (fast) or
// all clean with a backup file (slow).
const Prepared& Prepare(std::int64_t n, bool dirty) {
  static std::map<std::pair<std::int64_t, bool>, Prepared> cache;
  auto key = std::make_pair(n, dirty);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;

  Prepared p;
  p.root = fs::temp_directory_path() / ("quillet-bench-hotsync-" + std::to_string(n) + (dirty ? "-fast" : "-slow"));
  fs::remove_all(p.root);
  cleanUp.roots.push_back(p.root);
  p.device = p.root / "device";
  p.hotsync = p.root / "HotSync";
  fs::create_directories(p.hotsync);
  CDevice device;
  if (CDevice::Init(p.device, "Bench", 1, device) != 0) std::abort();
  {
    CMemoApp app(device);
    if (app.Create() != 0) std::abort();
  }
  CPdbFile db;
  if (device.ReadDatabase(CMemoApp::DB_NAME, db) != 0) std::abort();
  for (std::int64_t i = 0; i < n; ++i) {
    CPdbRecord record;
    record.uniqueId = static_cast<std::uint32_t>(i + 1);
    record.attributes = static_cast<std::uint8_t>((dirty ? PdbLayout::PDB_REC_DIRTY : 0) | (i % 4));
    std::string text = MemoText(i) + (dirty ? " (edited on the handheld)" : "");
    record.data.assign(text.begin(), text.end());
    record.data.push_back(0);
    if (db.WriteRecord(std::move(record)) != 0) std::abort();
  }
  if (device.WriteDatabase(db) != 0) std::abort();

  // The desktop file as the last HotSync left it: the same records, unedited,
  // with the handheld's application information.
  CDesktopDb desktop(nullptr, CDbManager::DB_FLAGS_CONDUIT, CMemoApp::DB_NAME, FILE_NAME, p.hotsync.c_str(), 2);
  if (desktop.Open() != 0) std::abort();
  desktop.SetDbInfo(CMemoApp::DB_NAME, 0, CMemoApp::DB_TYPE, CMemoApp::DB_CREATOR, 0, 0, 0, 0, 0);
  DbBlockInfo info;
  std::vector<std::uint8_t> appInfo = *db.AppInfo();
  info.bufferSize = static_cast<std::uint16_t>(appInfo.size());
  info.dataLength = static_cast<std::uint16_t>(appInfo.size());
  info.data = appInfo.data();
  if (desktop.SetAppInfo(info) != 0) std::abort();
  for (std::int64_t i = 0; i < n; ++i) {
    CSyncRecord record;
    std::string text = MemoText(i);
    std::vector<std::uint8_t> body(text.begin(), text.end());
    body.push_back(0);
    record.SetId(static_cast<std::int32_t>(i + 1));
    record.SetCategory(static_cast<std::int32_t>(i % 4));
    record.SetBody(static_cast<std::int32_t>(body.size()), body.data());
    if (desktop.AddRecord(record) != 0) std::abort();
  }
  if (desktop.Store() != 0) std::abort();
  fs::copy_file(p.hotsync / FILE_NAME, p.hotsync / "record.BAK", fs::copy_options::overwrite_existing);
  return cache.emplace(key, p).first->second;
}

// Fresh copies of the prepared folders for one iteration.
Prepared Fresh(const Prepared& p) {
  Prepared f;
  f.root = p.root.string() + "-run";
  fs::remove_all(f.root);
  f.device = f.root / "device";
  f.hotsync = f.root / "HotSync";
  fs::create_directories(f.root);
  fs::copy(p.device, f.device, fs::copy_options::recursive);
  fs::copy(p.hotsync, f.hotsync, fs::copy_options::recursive);
  if (SyncAttachDevice(f.device.c_str()) != 0) std::abort();
  LogReset();
  return f;
}

SyncProperties PropertiesFor(const Prepared& f, std::int32_t syncType) {
  SyncProperties p{};
  p.syncType = syncType;
  std::strncpy(p.directory, f.hotsync.c_str(), sizeof(p.directory) - 1);
  std::strncpy(p.localFileName, FILE_NAME, sizeof(p.localFileName) - 1);
  p.databaseNames[0] = CMemoApp::DB_NAME;
  p.databaseCount = 1;
  p.creator = CMemoApp::DB_CREATOR;
  p.type = CMemoApp::DB_TYPE;
  return p;
}

// The desktop file after the HotSync holds N records, and after a fast
// HotSync the handheld's edits.
bool Carried(const Prepared& f, std::int64_t n, bool fast) {
  CDesktopDb desktop(nullptr, CDbManager::DB_FLAGS_CONDUIT, CMemoApp::DB_NAME, FILE_NAME, f.hotsync.c_str(), 0);
  if (desktop.Open() != 0 || desktop.Load() != 0 || desktop.RecordCount() != n) return false;
  CSyncRecord record;
  if (desktop.GetRecordById(static_cast<std::int32_t>(n), record, false) != 0) return false;
  std::string text(reinterpret_cast<const char*>(record.Body()), static_cast<std::size_t>(record.GetLength()));
  return (text.find("edited") != std::string::npos) == fast;
}

void RunHotSync(benchmark::State& state, bool fast) {
  std::int64_t n = state.range(0);
  const Prepared& prepared = Prepare(n, fast);
  for (auto _ : state) {
    state.PauseTiming();
    Prepared f = Fresh(prepared);
    SyncProperties properties = PropertiesFor(f, fast ? 0 : 1);
    state.ResumeTiming();
    CSyncEngine engine(properties, CSyncEngine::FEATURES_CONDUIT, std::make_unique<CSyncLog>(ConduitResources()));
    std::int32_t rc = engine.Synchronize();
    state.PauseTiming();
    if (rc != 0) state.SkipWithError("HotSync failed");
    if (rc == 0 && !Carried(f, n, fast)) state.SkipWithError("the HotSync did not carry the records");
    SyncDetachDevice();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// Loads and stores both sides as the HotSync does, without reconciling:
// the handheld's modified records (fast) or all of them (slow), the desktop
// file (and, slow, the backup), then the handheld closed with its flags
// cleared and the desktop file and backup written again.
void RunBaseline(benchmark::State& state, bool fast) {
  std::int64_t n = state.range(0);
  const Prepared& prepared = Prepare(n, fast);
  for (auto _ : state) {
    state.PauseTiming();
    Prepared f = Fresh(prepared);
    state.ResumeTiming();
    std::int32_t type = fast ? 0 : 1;
    CSyncLog log(nullptr);
    std::uint32_t handle = 0;
    SyncRegisterConduit(&handle);
    CHandheldDb handheld(&log, CSyncEngine::FEATURES_CONDUIT, CMemoApp::DB_NAME, CMemoApp::DB_CREATOR,
                         CMemoApp::DB_TYPE, 0, 0, 0, type);
    CDesktopDb desktop(&log, CSyncEngine::FEATURES_CONDUIT, CMemoApp::DB_NAME, FILE_NAME, f.hotsync.c_str(), type);
    CBackupDb backup(&log, CSyncEngine::FEATURES_CONDUIT, CMemoApp::DB_NAME, FILE_NAME, f.hotsync.c_str(), type);
    std::int32_t rc = handheld.Open();
    if (rc == 0) rc = desktop.Open();
    if (rc == 0) rc = backup.Open();
    if (rc == 0) rc = handheld.LoadCategories();
    if (rc == 0) rc = desktop.LoadCategories();
    if (rc == 0) rc = handheld.Load();
    if (rc == 0) rc = desktop.Load();
    desktop.SetDirty(true);
    if (rc == 0) rc = handheld.Store();
    if (rc == 0) rc = desktop.Store();
    if (rc == 0) rc = backup.Store();
    SyncUnRegisterConduit(handle);
    state.PauseTiming();
    if (rc != 0) state.SkipWithError("baseline failed");
    SyncDetachDevice();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_FastHotSyncModified(benchmark::State& state) { RunHotSync(state, true); }
void BM_FastBaselineLoadStore(benchmark::State& state) { RunBaseline(state, true); }
void BM_SlowHotSyncUnchanged(benchmark::State& state) { RunHotSync(state, false); }
void BM_SlowBaselineLoadStore(benchmark::State& state) { RunBaseline(state, false); }

}  // namespace

BENCHMARK(BM_FastBaselineLoadStore)->Arg(16384)->Arg(32768)->Arg(65535)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FastHotSyncModified)->Arg(16384)->Arg(32768)->Arg(65535)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SlowBaselineLoadStore)->Arg(16384)->Arg(32768)->Arg(65535)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SlowHotSyncUnchanged)->Arg(16384)->Arg(32768)->Arg(65535)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
