// The memo list's columns: the remembered layout value, hidden and reordered
// columns across a reopening, icon views, bad values, and the header menu.

#include <QCoreApplication>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/text/CodePage.h"
#include "platform/ui/DialogWindow.h"
#include "platform/ui/PopupMenu.h"
#include "resources/extension/ExtensionModule.h"
#include "viewer/ListCtrlEx.h"

namespace {

std::string Ansi(const char* utf8) {
  std::string ansi;
  EXPECT_TRUE(Utf8ToAnsi(utf8, ansi));
  return ansi;
}

// The main view's list: a report view with header drag-and-drop and the
// three memo columns.
struct MemoList {
  CListView view{nullptr, DLG_STYLE_LIST_REPORT};
  CListCtrlEx list;
  MemoList() {
    view.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    view.resize(400, 200);
    list.Attach(&view);
    list.InsertColumn(0, Ansi("内容"), LVCFMT_LEFT, 150);
    list.InsertColumn(1, Ansi("カテゴリ"), LVCFMT_LEFT, 100);
    list.InsertColumn(2, Ansi("内容2"), LVCFMT_LEFT, 100);
  }
  // Titles and widths left to right.
  std::vector<std::pair<std::string, int>> Shown() const {
    std::vector<std::pair<std::string, int>> shown;
    for (int position : view.GetColumnOrderArray()) {
      shown.emplace_back(view.GetColumnTitle(position), view.GetColumnWidth(position));
    }
    return shown;
  }
};

class ListCtrlExTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    profile = std::make_unique<CAppProfile>(EXTENSION_COMPANY, EXTENSION_MODULE_NAME,
                                            dir.filePath("registry.ini").toStdString());
  }
  std::string Stored() const { return profile->GetProfileString("", "Heading", "<none>"); }
  // Saves `from` and loads the value into a new list, as closing and
  // reopening the view does.
  std::unique_ptr<MemoList> Reopen(MemoList& from) {
    from.list.SaveLayout(*profile, "", "Heading");
    auto reopened = std::make_unique<MemoList>();
    reopened->list.LoadLayout(*profile, "", "Heading");
    return reopened;
  }

  QTemporaryDir dir;
  std::unique_ptr<CAppProfile> profile;
};

const char* const kDefault = "(3) 0 150 1 100 2 100 (0) ";

}  // namespace

TEST_F(ListCtrlExTest, UntouchedListStoresTheDefaultValue) {
  MemoList memo;
  memo.list.SaveLayout(*profile, "", "Heading");
  EXPECT_EQ(Stored(), kDefault);
  auto reopened = Reopen(memo);
  EXPECT_EQ(reopened->list.LayoutValue(), kDefault);
}

TEST_F(ListCtrlExTest, HiddenCategoryColumnStaysHiddenAndFillsAgainWhenShown) {
  MemoList memo;
  memo.view.SetColumnWidth(2, 120);
  EXPECT_EQ(memo.list.HideColumn(1), 1);
  EXPECT_EQ(memo.list.HideColumn(1), 0);  // already hidden
  EXPECT_EQ(memo.list.HideColumn(0), 0);
  EXPECT_EQ(memo.list.HideColumn(7), 0);
  auto reopened = Reopen(memo);
  EXPECT_EQ(Stored(), "(2) 0 150 2 120 (1) 1 100 ");
  using Shown = std::vector<std::pair<std::string, int>>;
  EXPECT_EQ(reopened->Shown(), (Shown{{Ansi("内容"), 150}, {Ansi("内容2"), 120}}));

  // Rows are filled by column id; the hidden one is skipped.
  MemoList& m = *reopened;
  m.view.InsertItem(0, "first");
  EXPECT_EQ(m.list.SetColumnText(0, 1, "cat"), 1);
  EXPECT_EQ(m.list.SetColumnText(0, 2, "second"), 1);
  EXPECT_EQ(m.list.SetColumnText(0, 5, "x"), 0);
  EXPECT_EQ(m.view.GetItemText(0, 1), "second");

  const int ids[] = {0, 1, 2};
  const int shown[] = {1, 1, 1};
  ASSERT_EQ(m.list.ApplyColumns(3, ids, shown), 1);
  EXPECT_EQ(m.list.SetColumnText(0, 1, "cat"), 1);
  EXPECT_EQ(m.view.GetItemText(0, 1), "cat");
  EXPECT_EQ(m.view.GetColumnTitle(1), Ansi("カテゴリ"));
  EXPECT_EQ(m.view.GetColumnWidth(1), 100);
}

TEST_F(ListCtrlExTest, DisplayOrderSurvivesReopeningAlsoWithAHiddenColumn) {
  MemoList memo;
  // "内容2" dragged before "内容".
  memo.view.Header()->moveSection(2, 0);
  auto reopened = Reopen(memo);
  EXPECT_EQ(Stored(), "(3) 2 100 0 150 1 100 (0) ");
  EXPECT_EQ(reopened->view.GetColumnOrderArray(), (std::vector<int>{2, 0, 1}));

  reopened->list.HideColumn(1);
  auto again = Reopen(*reopened);
  EXPECT_EQ(Stored(), "(2) 2 100 0 150 (1) 1 100 ");
  EXPECT_EQ(again->Shown()[0].first, Ansi("内容2"));
  EXPECT_EQ(again->Shown()[1].first, Ansi("内容"));

  int ids[3];
  int shown[3];
  EXPECT_EQ(again->list.GetColumns(ids, shown, 2), 0);
  ASSERT_EQ(again->list.GetColumns(ids, shown, 3), 1);
  EXPECT_EQ(std::vector<int>(ids, ids + 3), (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(std::vector<int>(shown, shown + 3), (std::vector<int>{1, 1, 0}));
}

TEST_F(ListCtrlExTest, IconViewStoresIdOrderAndReportViewComesBackAsItWas) {
  MemoList memo;
  memo.view.Header()->moveSection(2, 0);
  memo.view.SetColumnWidth(0, 170);
  EXPECT_EQ(memo.list.SetViewMode(LVS_ICON), LVS_REPORT);
  memo.list.SaveLayout(*profile, "", "Heading");
  EXPECT_EQ(Stored(), "(3) 0 170 1 100 2 100 (0) ");
  EXPECT_EQ(memo.list.SetViewMode(LVS_SMALLICON), LVS_ICON);
  EXPECT_EQ(memo.list.SetViewMode(LVS_REPORT), LVS_SMALLICON);
  EXPECT_EQ(memo.view.GetColumnOrderArray(), (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(memo.view.GetColumnWidth(0), 170);
  EXPECT_EQ(memo.list.LayoutValue(), "(3) 2 100 0 170 1 100 (0) ");
}

TEST_F(ListCtrlExTest, BadValuesLeaveTheInsertedLayout) {
  const char* const bad[] = {
      "",                              // missing
      "(3) 0 150 1 100",               // a group cut short
      "(3) 0 150 1 100 2 100",         // no hidden group
      "(2) 0 150 0 100 (1) 2 100 ",    // an id named twice
      "(1) 9 10 (2) 1 100 2 100 ",     // an unknown id
      "3 0 150 1 100 2 100 (0) ",      // count without parentheses
      "(x) 0 150 (0) ",
      "(3) 0 150 1 wide 2 100 (0) ",
  };
  for (const char* value : bad) {
    MemoList memo;
    EXPECT_FALSE(memo.list.ApplyLayoutValue(value)) << value;
    EXPECT_EQ(memo.list.LayoutValue(), kDefault) << value;
  }
  // Extra spaces are only separators.
  MemoList memo;
  EXPECT_TRUE(memo.list.ApplyLayoutValue("  (2)  1 90  0 140 (1) 2   80 "));
  EXPECT_EQ(memo.list.LayoutValue(), "(2) 1 90 0 140 (1) 2 80 ");
}

TEST_F(ListCtrlExTest, ColumnIdZeroIsNeverHidden) {
  MemoList memo;
  const int ids[] = {1, 0, 2};
  const int shown[] = {1, 0, 0};
  ASSERT_EQ(memo.list.ApplyColumns(3, ids, shown), 1);
  EXPECT_EQ(memo.list.LayoutValue(), "(2) 1 100 0 150 (1) 2 100 ");
  EXPECT_EQ(memo.list.ApplyColumns(2, ids, shown), 0);
  // A stored value that hides it shows it all the same.
  EXPECT_TRUE(memo.list.ApplyLayoutValue("(1) 1 100 (2) 0 150 2 100 "));
  EXPECT_EQ(memo.view.GetColumnCount(), 2);
  EXPECT_EQ(memo.view.GetColumnTitle(0), Ansi("内容"));
}

namespace {

class Owner : public CDialogWindow {
 public:
  Owner() : CDialogWindow(nullptr, nullptr) {}
  std::vector<int> commands;

 protected:
  void OnCommand(int id) override { commands.push_back(id); }
};

}  // namespace

TEST_F(ListCtrlExTest, HeaderMenuGreysHideOverTheFirstColumn) {
  MemoList memo;
  memo.view.show();
  QTest::qWait(1);
  Owner owner;
  struct Seen {
    std::vector<std::string> texts;
    bool hideEnabled = false;
  } seen;
  int pick = ID_HIDE_COLUMN;
  CPopupMenu::SetPicker([&](const CPopupMenu& menu) {
    seen.texts = {menu.GetItemText(0), menu.GetItemText(1)};
    seen.hideEnabled = menu.IsItemEnabled(ID_HIDE_COLUMN);
    return pick;
  });
  auto at = [&](int position) {
    return memo.view.Header()->mapToGlobal(memo.view.GetHeaderItemRect(position).center());
  };

  QPoint first = at(0);
  EXPECT_EQ(memo.list.ShowHeaderMenu(first.x(), first.y(), ID_SHOW_COLUMNS, ID_HIDE_COLUMN, &owner),
            0);  // the greyed item cannot be picked
  EXPECT_EQ(seen.texts, (std::vector<std::string>{Ansi("列の表示..."), Ansi("この列を非表示")}));
  EXPECT_FALSE(seen.hideEnabled);
  EXPECT_EQ(memo.list.ClickedColumnId(), 0);

  QPoint category = at(1);
  EXPECT_EQ(memo.list.ShowHeaderMenu(category.x(), category.y(), ID_SHOW_COLUMNS, ID_HIDE_COLUMN,
                                     &owner),
            ID_HIDE_COLUMN);
  EXPECT_TRUE(seen.hideEnabled);
  EXPECT_TRUE(owner.commands.empty());  // delivered after the menu's caller returns
  QCoreApplication::processEvents();
  EXPECT_EQ(owner.commands, (std::vector<int>{ID_HIDE_COLUMN}));
  EXPECT_EQ(memo.list.ClickedColumnId(), 1);

  QPoint outside = memo.view.Header()->mapToGlobal(QPoint(399, 2));
  pick = 0;
  memo.list.ShowHeaderMenu(outside.x(), outside.y(), ID_SHOW_COLUMNS, ID_HIDE_COLUMN, &owner);
  EXPECT_EQ(memo.list.ClickedColumnId(), -1);
  CPopupMenu::SetPicker({});
}
