#pragma once
// What the main view's tests share: memo files with categories, a deleted
// memo and (optionally) a password, the host pane that records the posted
// selection, and a view whose password prompt answers from a script.

#include <QApplication>
#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/ui/ListView.h"
#include "support/MemoAppBytes.h"
#include "support/TempFolder.h"
#include "viewer/MainDlg.h"

namespace viewertest {

using recordfile::Bytes;

const char* const PASSWORD = "sesame";

// The host's side: the pane the view lives in, which records the selection
// messages.
class CHostPane : public QWidget {
 public:
  std::vector<std::pair<long, long>> selections;

 protected:
  void customEvent(QEvent* event) override {
    if (const CWindowMessageEvent* m = AsWindowMessage(event)) {
      if (m->Message() == WM_VIEW_SELECTION) selections.emplace_back(m->WParam(), m->LParam());
    }
  }
};

// A view whose password prompt answers from a script and records what it
// was shown.
class CScriptedView : public CMainDlg {
 public:
  using CMainDlg::CMainDlg;
  std::deque<std::optional<std::string>> answers;  // nullopt: cancel
  struct Shown {
    std::string user, password, hint;
  };
  std::vector<Shown> prompts;

 protected:
  bool PromptPassword(const std::string& user, const std::string& hint,
                      CSecretString& entry) override {
    prompts.push_back({user, std::string(entry.view()), hint});
    if (answers.empty() || !answers.front()) return false;
    entry.Assign(*answers.front());
    answers.pop_front();
    return true;
  }
};

inline Bytes ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

class MainDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("QUILLET_CONFIG_HOME", (dir / "config").c_str(), 1);
    std::filesystem::create_directories(dir / "Ann");
    std::filesystem::create_directories(dir / "Bob");
    file = dir / "Ann" / "record.dat";
  }

  // Memos by position: "b..." (Business), a 3-line memo (Personal), a deleted
  // one, "a..." (Unfiled), a Japanese one (category 3).
  void WriteFile(const std::optional<std::string>& password, const std::filesystem::path& path) {
    auto categorySlots = recordfile::DefaultCategories();
    categorySlots[3] = recordfile::Category{"\x94\x83\x82\xa2\x95\xa8", 3, false};  // 買い物
    recordfile::File f = recordfile::MemoFile();
    f.appInfo = recordfile::DataBlock(recordfile::MemoAppInfo(
        categorySlots, password ? std::optional<std::string_view>(*password) : std::nullopt, "my hint"));
    const char* texts[] = {"bread and milk", "x line\ny line\nz line", "gone", "apples", "\x8b\x8d\x93\xfb"};
    const std::uint32_t cats[] = {1, 2, 0, 0, 3};
    for (std::uint32_t i = 0; i < 5; ++i) {
      recordfile::Record r;
      r.id = 100 + i;
      r.category = cats[i];
      r.attributes = i == 2 ? 0x02 : 0;  // deleted
      r.data = recordfile::PlainBody(texts[i]);
      if (password) r.data = recordfile::EncryptBody(r.data, *password);
      f.records.push_back(r);
    }
    const Bytes bytes = Build(f);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
  }

  std::unique_ptr<CScriptedView> MakeView() {
    auto view = std::make_unique<CScriptedView>(&pane);
    view->Create();
    return view;
  }

  static std::vector<std::string> RowTexts(CMainDlg& view, int subItem) {
    std::vector<std::string> rows;
    CListView* list = view.MemoList().List();
    for (int r = 0; r < list->GetItemCount(); ++r) rows.push_back(list->GetItemText(r, subItem));
    return rows;
  }

  CTempFolder dir;
  std::filesystem::path file;
  CHostPane pane;
};

}  // namespace viewertest
