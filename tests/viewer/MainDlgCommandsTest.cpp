// The main view's commands over a real memo file: delete and undo, cut,
// copy and paste through the clipboard, change of category, the command
// states, the host's search and the HotSync query.

#include <QAbstractItemView>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTimer>

#include "editing/OpenEditorCount.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/PopupMenu.h"
#include "platform/ui/UiText.h"
#include "resources/extension/ExtensionIds.h"
#include "viewer/MainDlgFixture.h"

namespace {

using namespace viewertest;

class MainDlgCommandsTest : public MainDlgTest {
 protected:
  void SetUp() override {
    MainDlgTest::SetUp();
    WriteFile(std::nullopt, file);
    view = MakeView();
    ASSERT_EQ(view->LoadUserData("Ann", file.string()), 0);
    list = view->MemoList().List();
    SetMessageBoxHook([this](const std::string&, const std::string&, unsigned) {
      ++questions;
      return IDOK;
    });
  }
  void TearDown() override { SetMessageBoxHook({}); }

  void Select(std::initializer_list<int> rows) {
    for (int row = 0; row < list->GetItemCount(); ++row) list->SetItemState(row, 0, LVIS_SELECTED);
    for (int row : rows) list->SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
  }
  std::vector<std::string> Rows() { return RowTexts(*view, 0); }
  std::vector<int> SelectedRows() {
    std::vector<int> rows;
    for (int r = list->GetNextItem(-1, LVNI_SELECTED); r >= 0; r = list->GetNextItem(r, LVNI_SELECTED)) {
      rows.push_back(r);
    }
    return rows;
  }
  int Enabled(int command) {
    int handled = 0, enabled = 0, check = 0, fourth = 0;
    view->GetCommandState(command, handled, enabled, check, fourth);
    return handled != 0 ? enabled : -1;
  }
  static void SetClipboard(const std::string& ansi) {
    QGuiApplication::clipboard()->setText(AnsiToQString(ansi));
  }

  std::unique_ptr<CScriptedView> view;
  CListView* list = nullptr;
  int questions = 0;
};

TEST_F(MainDlgCommandsTest, DeleteAsksAndUndoBringsTheMemosBackSelectedOnce) {
  // Rows in text order: apples, bread and milk, x line, 牛乳.
  Select({0, 1});
  EXPECT_EQ(Enabled(ID_EDIT_UNDO), 0);
  view->DeleteMemos();
  EXPECT_EQ(questions, 1);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"x line", "\x8b\x8d\x93\xfb"}));
  EXPECT_TRUE(view->Database().MemoAt(0)->IsDeleted());
  EXPECT_EQ(Enabled(ID_EDIT_UNDO), 1);

  // A cut in between is not undone: Undo restores the deleted memos only.
  Select({0});
  view->Cut();
  view->Undo();
  EXPECT_EQ(Rows(), (std::vector<std::string>{"apples", "bread and milk", "\x8b\x8d\x93\xfb"}));
  EXPECT_EQ(SelectedRows(), (std::vector<int>{0, 1}));
  EXPECT_EQ(Enabled(ID_EDIT_UNDO), 0);
  EXPECT_TRUE(view->Database().MemoAt(1)->IsDeleted());  // the cut one
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("x line\ny line\nz line"));
}

TEST_F(MainDlgCommandsTest, CopyJoinsWithFormFeedsAndPasteSplitsAtThemAndAtTheLengthLimit) {
  Select({0, 1});
  view->Copy();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("apples\fbread and milk"));

  const int before = view->Database().RecordCount();
  SetClipboard("a\f\fb\f");
  view->Paste();
  ASSERT_EQ(view->Database().RecordCount(), before + 2);
  for (int i = 0; i < 2; ++i) {
    const CMemoRecord* memo = view->Database().MemoAt(before + i);
    EXPECT_EQ(memo->text, i == 0 ? "a" : "b");
    EXPECT_EQ(memo->category, 0);  // pasted under "すべて": Unfiled
    EXPECT_NE(memo->attributes & CRecord::ATTR_MODIFIED, 0u);
  }
  EXPECT_EQ(Rows().back(), "b");  // in paste order until the next refresh

  // 70,000 bytes: 32,767 + 32,767 + 4,466; a double-byte character at the
  // first limit moves whole into the second memo.
  std::string big(32766, 'x');
  big += "\x82\xa0";
  big += std::string(70000 - big.size(), 'y');
  SetClipboard(big);
  view->Paste();
  const int count = view->Database().RecordCount();
  ASSERT_EQ(count, before + 5);
  EXPECT_EQ(view->Database().MemoAt(count - 3)->text.size(), 32766u);
  EXPECT_EQ(view->Database().MemoAt(count - 2)->text.substr(0, 2), "\x82\xa0");
  EXPECT_EQ(view->Database().MemoAt(count - 2)->text.size(), 32767u);
  EXPECT_EQ(view->Database().MemoAt(count - 1)->text.size(), 70000u - 32766u - 32767u);

  // Text the code page cannot hold is refused whole.
  questions = 0;
  QGuiApplication::clipboard()->setText(QString::fromUtf8("memo \xF0\x9F\x98\x80"));
  view->Paste();
  EXPECT_EQ(questions, 1);
  EXPECT_EQ(view->Database().RecordCount(), count);
}

TEST_F(MainDlgCommandsTest, ChangeOfCategoryUnderAnotherFilterRemovesTheRow) {
  CComboBox& combo = view->CategoryCombo();
  combo.SetCurSel(combo.FindItemData(1));  // Business: "bread and milk"
  view->RefreshList(-1);
  ASSERT_EQ(Rows(), (std::vector<std::string>{"bread and milk"}));
  Select({0});
  view->ExecuteCommand(ID_CATEGORY_FIRST + 2);
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(view->Database().MemoAt(0)->category, 2);
  EXPECT_NE(view->Database().MemoAt(0)->attributes & CRecord::ATTR_MODIFIED, 0u);
  EXPECT_TRUE(view->IsModified());
}

TEST_F(MainDlgCommandsTest, CommandStatesFollowTheFocus) {
  view->ShowPreview(3);
  EXPECT_EQ(Enabled(ID_DELETE_MEMOS), 1);
  EXPECT_EQ(Enabled(ID_EDIT_SELECT_ALL), 1);
  EXPECT_EQ(Enabled(ID_NEW_MEMO), -1);  // not handled

  pane.show();
  QApplication::setActiveWindow(&pane);
  auto* preview = view->findChild<QPlainTextEdit*>(QStringLiteral("item205"));
  preview->setFocus();
  QCoreApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), preview);
  EXPECT_EQ(Enabled(ID_EDIT_COPY), 0);  // nothing selected in the preview
  EXPECT_EQ(Enabled(ID_DELETE_MEMOS), 0);
  EXPECT_EQ(Enabled(ID_EDIT_PASTE), 0);
  EXPECT_EQ(Enabled(ID_EDIT_SELECT_ALL), 1);
  EXPECT_EQ(Enabled(ID_EDIT_MEMO), -1);
  view->SelectAll();
  EXPECT_EQ(Enabled(ID_EDIT_COPY), 1);
}

TEST_F(MainDlgCommandsTest, ContextMenuOverARowActsOnThatRowAndOffersItsCategories) {
  // The menu opens on the right button's press, before the release that
  // makes the row current: the row must be current for its items anyway.
  view->ShowPreview(-1);
  Select({1});
  std::vector<int> commands;
  bool deleteEnabled = false;
  CPopupMenu::SetPicker([&](const CPopupMenu& menu) {
    commands = menu.Commands();
    deleteEnabled = menu.IsItemEnabled(ID_DELETE_MEMOS);
    return ID_CATEGORY_FIRST + 3;
  });
  QAbstractItemView* items = list->CurrentView();
  const QPoint at = list->GetItemRect(1).center();
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, items->viewport()->mapToGlobal(at));
  QCoreApplication::sendEvent(items->viewport(), &event);
  CPopupMenu::SetPicker({});
  QCoreApplication::processEvents();  // the picked command arrives
  EXPECT_TRUE(deleteEnabled);
  // Cut, copy, paste, delete, select all, new, edit, then the categories
  // in the filter's order: Business, Personal, 買い物, 未分類.
  EXPECT_EQ(commands, (std::vector<int>{ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_DELETE_MEMOS,
                                        ID_EDIT_SELECT_ALL, ID_NEW_MEMO, ID_EDIT_MEMO, 21, 22, 23, 20}));
  EXPECT_EQ(view->Database().MemoAt(0)->category, 3);  // "bread and milk" moved to 買い物
}

TEST_F(MainDlgCommandsTest, SearchFindsWholeCharactersWithAndWithoutCase) {
  struct Case {
    std::string text;
    int matchCase;
    std::vector<int> positions;
  };
  const Case cases[] = {
      {"X LINE", 0, {1}},
      {"X LINE", 1, {}},
      {"\x93\xfb", 0, {4}},  // the second character of 牛乳
      {"\x8d\x93", 0, {}},   // bytes across the two characters
      {"a", 0, {0, 3}},      // "bread and milk", "apples"; the deleted "gone" is skipped
  };
  for (const Case& c : cases) {
    view->BeginSearch(c.text, c.matchCase, 0);
    std::vector<int> found;
    for (;;) {
      std::string first, second;
      int position = -1, hit = 0;
      view->FindNext(first, second, position, hit);
      if (hit == 0) break;
      found.push_back(position);
      if (position == 1) {
        EXPECT_EQ(second, "y line");
      }
    }
    EXPECT_EQ(found, c.positions) << c.text;
  }

  // Going to a memo of another category switches the filter to it.
  CComboBox& combo = view->CategoryCombo();
  combo.SetCurSel(combo.FindItemData(1));
  view->RefreshList(-1);
  view->GoToRecord(4, 1);
  EXPECT_EQ(combo.GetItemData(combo.GetCurSel()), 3);
  EXPECT_EQ(view->Prefs().currentPosition, 4);
}

TEST_F(MainDlgCommandsTest, HotSyncWaitsForOpenEditorsAndTheFilterComesBackAfterTheCategoryEditor) {
  int allowed = 0;
  std::string message;
  view->CanHotSync(allowed, message);
  EXPECT_EQ(allowed, 1);
  EXPECT_TRUE(message.empty());

  // Choosing "カテゴリの編集..." opens the category editor (closed here at
  // once, counted as an open editor meanwhile), then the filter shows the
  // category in force again.
  CComboBox& combo = view->CategoryCombo();
  combo.SetCurSel(combo.FindItemData(2));
  view->RefreshList(-1);
  int allowedWhileOpen = -1;
  QTimer::singleShot(0, [&] {
    std::string text;
    view->CanHotSync(allowedWhileOpen, text);
    if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
  });
  combo.SetCurSel(combo.FindItemData(-2));
  emit combo.Widget()->activated(combo.GetCurSel());
  EXPECT_EQ(allowedWhileOpen, 0);
  EXPECT_EQ(COpenEditorCount::Value(), 0);
  EXPECT_EQ(combo.GetItemData(combo.GetCurSel()), 2);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"x line"}));
}

}  // namespace
