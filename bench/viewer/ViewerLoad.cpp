// The main view over a protected file of 65,535 memos: LoadUserData up to
// the filled list with its first row shown, next to the memo database's own
// load of the same file in the same run (the view may take at most twice as
// long); and RefreshList after a change of the category filter.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "bench/BenchMemoFile.h"
#include "platform/ui/ListView.h"
#include "store/MemoDatabase.h"
#include "viewer/MainDlg.h"

namespace {

using namespace BenchMemo;

// Eight user categories, so that one category holds a ninth of the memos.
constexpr int CATEGORIES = 8;

const CBenchFile& BenchFile() {
  static const CBenchFile file(CATEGORIES);
  return file;
}

// A view that answers its password prompt with the benchmark's password.
class CBenchView : public CMainDlg {
 public:
  using CMainDlg::CMainDlg;

 protected:
  bool PromptPassword(const std::string&, const std::string&, CSecretString& entry) override {
    entry.Assign(PASSWORD);
    return true;
  }
};

void BM_DatabaseLoad(benchmark::State& state) {
  CMemoDatabase db;
  for (auto _ : state) {
    if (db.Load(BenchFile().path, RDB_OPEN_READ_WRITE, PASSWORD) != RDB_OK) {
      state.SkipWithError("load failed");
      break;
    }
  }
}
BENCHMARK(BM_DatabaseLoad)->Unit(benchmark::kMillisecond)->Iterations(8);

void BM_LoadUserData(benchmark::State& state) {
  QWidget host;
  host.resize(800, 600);
  CBenchView view(&host);
  view.Create();
  host.show();
  for (auto _ : state) {
    if (view.LoadUserData("bench", BenchFile().path) != RDB_OK ||
        view.MemoList().List()->GetItemCount() != static_cast<int>(MEMO_COUNT)) {
      state.SkipWithError("load failed");
      break;
    }
    // The posted selection and the painting of the first rows.
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_LoadUserData)->Unit(benchmark::kMillisecond)->Iterations(8);

// A change of the filter: every iteration first shows the other filter (not
// timed), then times the refresh to `to` (-1: all memos, 3: one category).
void BM_RefreshListAfterFilterChange(benchmark::State& state) {
  const int to = static_cast<int>(state.range(0));
  const int other = to == -1 ? 3 : -1;
  QWidget host;
  host.resize(800, 600);
  CBenchView view(&host);
  view.Create();
  host.show();
  if (view.LoadUserData("bench", BenchFile().path) != RDB_OK) {
    state.SkipWithError("load failed");
    return;
  }
  CComboBox& combo = view.CategoryCombo();
  for (auto _ : state) {
    state.PauseTiming();
    combo.SetCurSel(combo.FindItemData(other));
    view.RefreshList(0);
    QCoreApplication::processEvents();
    combo.SetCurSel(combo.FindItemData(to));
    state.ResumeTiming();
    view.RefreshList(0);
    QCoreApplication::processEvents();
  }
  state.counters["rows"] = view.MemoList().List()->GetItemCount();
}
BENCHMARK(BM_RefreshListAfterFilterChange)->Arg(-1)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Keep the benchmark's registry values away from the user's.
  std::string config = (std::filesystem::temp_directory_path() / "quillet-bench-config").string();
  setenv("QUILLET_CONFIG_HOME", config.c_str(), 1);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(config);
  return 0;
}
