// The main view over real memo files: the filter and the list in text order,
// the password loop, the selection posted to the host, the remembered
// preferences, and nothing written after a load that failed.

#include <QApplication>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <iterator>

#include "platform/registry/AppProfile.h"
#include "platform/ui/ListView.h"
#include "resources/extension/ExtensionModule.h"
#include "viewer/MainDlg.h"
#include "viewer/MainDlgFixture.h"
#include "viewer/TabLinkCtrl.h"

namespace {

using namespace viewertest;

TEST_F(MainDlgTest, ListsMemosInTextOrderAndFiltersByCategory) {
  WriteFile(std::nullopt, file);
  auto view = MakeView();
  ASSERT_EQ(view->LoadUserData("Ann", file.string()), 0);
  EXPECT_TRUE(view->isEnabled());
  EXPECT_TRUE(view->prompts.empty());

  CComboBox& combo = view->CategoryCombo();
  std::vector<std::intptr_t> values;
  for (int i = 0; i < combo.GetCount(); ++i) values.push_back(combo.GetItemData(i));
  // すべて, the user categories by name (Business, Personal, then 買い物), 未分類, カテゴリの編集...
  EXPECT_EQ(values, (std::vector<std::intptr_t>{-1, 1, 2, 3, 0, -2}));
  EXPECT_EQ(combo.GetItemData(combo.GetCurSel()), -1);

  // Text order, the deleted memo left out; first and second lines split at
  // the line ends; the category column named from the table.
  EXPECT_EQ(RowTexts(*view, 0),
            (std::vector<std::string>{"apples", "bread and milk", "x line", "\x8b\x8d\x93\xfb"}));
  EXPECT_EQ(RowTexts(*view, 2), (std::vector<std::string>{"", "", "y line", ""}));
  EXPECT_EQ(RowTexts(*view, 1)[1], "Business");
  EXPECT_EQ(view->PositionOfRow(2), 1);

  combo.SetCurSel(combo.FindItemData(2));
  view->RefreshList(-1);
  EXPECT_EQ(RowTexts(*view, 0), (std::vector<std::string>{"x line"}));
  EXPECT_EQ(view->Prefs().categoryFilter, 2);

  // The preview shows the whole memo; the edit button follows it.
  view->ShowPreview(1);
  auto* preview = view->findChild<QPlainTextEdit*>(QStringLiteral("item205"));
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->toPlainText(), QStringLiteral("x line\ny line\nz line"));
  EXPECT_TRUE(view->Control(IDC_EDIT_MEMO)->isEnabled());
  view->ShowPreview(-1);
  EXPECT_TRUE(preview->toPlainText().isEmpty());
  EXPECT_FALSE(view->Control(IDC_EDIT_MEMO)->isEnabled());
}

TEST_F(MainDlgTest, SelectionReachesTheHostAfterTheCommand) {
  WriteFile(std::nullopt, file);
  auto view = MakeView();
  view->LoadUserData("Ann", file.string());
  QCoreApplication::processEvents();
  pane.selections.clear();
  view->ShowPreview(3);  // "apples", row 0
  EXPECT_TRUE(pane.selections.empty());
  QCoreApplication::processEvents();
  ASSERT_EQ(pane.selections.size(), 1u);
  EXPECT_EQ(pane.selections[0], std::make_pair(0L, 4L));

  // An empty list: no row and no rows.
  std::filesystem::remove(file);
  view->LoadUserData("Ann", file.string());
  QCoreApplication::processEvents();
  EXPECT_EQ(pane.selections.back(), std::make_pair(-1L, 0L));
}

TEST_F(MainDlgTest, PasswordLoopAsksUntilRightRemembersPerUserAndForgetsForAnother) {
  WriteFile(std::string(PASSWORD), file);
  WriteFile(std::string(PASSWORD), dir / "Bob" / "record.dat");
  auto view = MakeView();
  view->answers = {std::string("wrong"), std::string(PASSWORD)};
  ASSERT_EQ(view->LoadUserData("Ann", file.string()), 0);
  ASSERT_EQ(view->prompts.size(), 2u);
  EXPECT_EQ(view->prompts[0].user, "Ann");
  EXPECT_EQ(view->prompts[0].password, "");
  EXPECT_EQ(view->prompts[0].hint, "my hint");
  EXPECT_EQ(view->prompts[1].password, "wrong");  // shown again, hidden, pre-filled
  EXPECT_EQ(view->MemoList().List()->GetItemCount(), 4);

  // The same user again, even with another file: no prompt.
  view->prompts.clear();
  EXPECT_EQ(view->LoadUserData("Ann", (dir / "Bob" / "record.dat").string()), 0);
  EXPECT_TRUE(view->prompts.empty());

  // Another user: the password is forgotten; cancelling leaves the view
  // disabled and empty, and a save writes nothing at all.
  view->answers = {std::nullopt};
  const Bytes before = ReadAll(dir / "Bob" / "record.dat");
  EXPECT_EQ(view->LoadUserData("Bob", (dir / "Bob" / "record.dat").string()), -2);
  ASSERT_EQ(view->prompts.size(), 1u);
  EXPECT_EQ(view->prompts[0].password, "");
  EXPECT_FALSE(view->isEnabled());
  EXPECT_EQ(view->MemoList().List()->GetItemCount(), 0);
  EXPECT_EQ(view->CategoryCombo().GetCount(), 0);
  view->SetModified();
  view->SaveIfModified();
  EXPECT_EQ(ReadAll(dir / "Bob" / "record.dat"), before);
  // UiPrefs.DAT was created empty by the load and stays empty.
  EXPECT_EQ(std::filesystem::file_size(dir / "Bob" / "UiPrefs.DAT"), 0u);
}

TEST_F(MainDlgTest, MissingFileDisablesTheViewWithoutAPrompt) {
  auto view = MakeView();
  EXPECT_EQ(view->LoadUserData("Ann", (dir / "Ann" / "none.dat").string()), -1);
  EXPECT_TRUE(view->prompts.empty());
  EXPECT_FALSE(view->isEnabled());
  view->SetModified();
  view->SaveIfModified();
  EXPECT_FALSE(std::filesystem::exists(dir / "Ann" / "none.dat"));
}

TEST_F(MainDlgTest, PreferencesOpenTheRememberedCategoryAndMemoAndAreWrittenBack) {
  WriteFile(std::nullopt, file);
  {
    const Bytes prefs = {0x00, 0x01, 0, 0, 0x03, 0, 0, 0, 0x04, 0, 0, 0};
    std::ofstream(dir / "Ann" / "UiPrefs.DAT", std::ios::binary)
        .write(reinterpret_cast<const char*>(prefs.data()), 12);
  }
  auto view = MakeView();
  ASSERT_EQ(view->LoadUserData("Ann", file.string()), 0);
  CComboBox& combo = view->CategoryCombo();
  EXPECT_EQ(combo.GetItemData(combo.GetCurSel()), 3);
  ASSERT_EQ(view->MemoList().List()->GetItemCount(), 1);
  EXPECT_EQ(view->MemoList().List()->GetNextItem(-1, LVNI_SELECTED), 0);

  view->ShowPreview(-1);
  view->SaveIfModified();
  EXPECT_EQ(ReadAll(dir / "Ann" / "UiPrefs.DAT"),
            (Bytes{0x00, 0x01, 0, 0, 0x03, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(MainDlgTest, AltKeysPickTheViewAndTheLayoutIsStoredWhenTheViewGoes) {
  WriteFile(std::nullopt, file);
  auto view = MakeView();
  view->LoadUserData("Ann", file.string());
  EXPECT_TRUE(view->PreTranslateHostMessage({WM_SYSKEYDOWN, 'C', 0}));
  EXPECT_FALSE(view->PreTranslateHostMessage({WM_KEYDOWN, 'C', 0}));
  EXPECT_FALSE(view->PreTranslateHostMessage({WM_SYSKEYDOWN, 'X', 0}));
  QCoreApplication::processEvents();
  EXPECT_EQ(view->MemoList().List()->GetViewMode(), LVS_SMALLICON);
  EXPECT_TRUE(view->PreTranslateHostMessage({WM_SYSKEYDOWN, 'L', 0}));
  QCoreApplication::processEvents();
  EXPECT_EQ(view->MemoList().List()->GetViewMode(), LVS_REPORT);
  EXPECT_TRUE(view->PreTranslateHostMessage({WM_SYSKEYDOWN, 'R', 0}));
  QCoreApplication::processEvents();
  view.reset();

  const CAppProfile profile = ExtensionProfile();
  EXPECT_EQ(profile.GetProfileInt("", "Tab", -1), 1);
  EXPECT_EQ(profile.GetProfileString("", "Heading"), "(3) 0 150 1 100 2 100 (0) ");
  const std::string card = profile.GetProfileString("", "Card 1");
  EXPECT_EQ(card.rfind("204 205 ", 0), 0u) << card;

  // A new view opens on the stored tab.
  auto again = MakeView();
  QCoreApplication::processEvents();
  EXPECT_EQ(again->TabStrip()->GetCurSel(), 1);
  EXPECT_EQ(again->MemoList().List()->GetViewMode(), LVS_ICON);
}

}  // namespace

namespace {

using namespace viewertest;

TEST_F(MainDlgTest, SaveNeverReplacesAFileAnotherProgramChangedSinceItWasRead) {
  WriteFile(std::nullopt, file);
  auto view = MakeView();
  ASSERT_EQ(view->LoadUserData("Ann", file.string()), 0);
  view->Database().MemoAt(0)->text = "changed here";
  view->SetModified();
  EXPECT_EQ(view->SaveIfModified(), CMainDlg::SAVE_OK);
  EXPECT_EQ(view->SaveIfModified(), CMainDlg::SAVE_OK);  // our own save is no stranger

  // A HotSync replaces the file: the view's copy is out of date now.
  WriteFile(std::nullopt, dir / "Ann" / "new.dat");
  std::filesystem::rename(dir / "Ann" / "new.dat", file);
  const Bytes theirs = ReadAll(file);
  EXPECT_EQ(view->SaveIfModified(), CMainDlg::SAVE_FILE_CHANGED);
  EXPECT_EQ(ReadAll(file), theirs);
}

}  // namespace
