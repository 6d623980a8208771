// The column dialog: its rows, moving a row past either end, the first
// column's row that stays checked, and OK and Cancel.

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/text/CodePage.h"
#include "resources/extension/ExtensionModule.h"
#include "viewer/ListCtrlEx.h"
#include "viewer/ShowColumnsDlg.h"

namespace {

std::string AnsiText(const char* utf8) {
  std::string ansi;
  EXPECT_TRUE(Utf8ToAnsi(utf8, ansi));
  return ansi;
}

class ShowColumnsDlgTest : public ::testing::Test {
 protected:
  ShowColumnsDlgTest() {
    view.SetExtendedStyle(LVS_EX_HEADERDRAGDROP);
    list.Attach(&view);
    list.InsertColumn(0, AnsiText("内容"), LVCFMT_LEFT, 150);
    list.InsertColumn(1, AnsiText("カテゴリ"), LVCFMT_LEFT, 100);
    list.InsertColumn(2, AnsiText("内容2"), LVCFMT_LEFT, 100);
  }

  // Runs the dialog; `act` works on it and must end it.
  int Run(const std::function<void(CShowColumnsDlg&, CListView&)>& act) {
    CShowColumnsDlg dialog(&list);
    QTimer::singleShot(0, &dialog, [&] {
      CListView* rows = dialog.ColumnList();
      ASSERT_NE(rows, nullptr);
      act(dialog, *rows);
    });
    return dialog.DoModal();
  }
  static void Click(CShowColumnsDlg& dialog, int id) {
    auto* button = qobject_cast<QAbstractButton*>(dialog.Control(id));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
  }
  static std::vector<int> Ids(const CListView& rows) {
    std::vector<int> ids;
    for (int row = 0; row < rows.GetItemCount(); ++row) {
      ids.push_back(static_cast<int>(rows.GetItemData(row)));
    }
    return ids;
  }
  // Clicks a row's check box as the user does.
  static void Toggle(CListView& rows, int row, bool checked) {
    QAbstractItemModel* model = rows.ReportView()->model();
    model->setData(model->index(row, 0), checked ? Qt::Checked : Qt::Unchecked,
                   Qt::CheckStateRole);
  }

  CListView view{nullptr, DLG_STYLE_LIST_REPORT};
  CListCtrlEx list;
};

}  // namespace

TEST_F(ShowColumnsDlgTest, RowsFollowTheListAndMovesWrapAround) {
  view.SetColumnOrderArray({2, 0, 1});
  list.HideColumn(1);
  int result = Run([&](CShowColumnsDlg& dialog, CListView& rows) {
    EXPECT_EQ(rows.GetColumnCount(), 1);
    EXPECT_EQ(rows.GetColumnTitle(0), AnsiText("列"));
    EXPECT_EQ(Ids(rows), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(rows.GetItemText(0, 0), AnsiText("内容2"));
    EXPECT_TRUE(rows.GetCheck(0));
    EXPECT_FALSE(rows.GetCheck(2));
    EXPECT_EQ(rows.GetNextItem(-1, LVNI_SELECTED), 0);
    EXPECT_EQ(rows.GetSelectionMark(), 0);

    Click(dialog, IDC_COLUMN_UP);  // the first row goes to the end
    EXPECT_EQ(Ids(rows), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(rows.GetNextItem(-1, LVNI_SELECTED), 2);
    EXPECT_TRUE(rows.GetCheck(2));
    Click(dialog, IDC_COLUMN_DOWN);  // the last row goes to the top
    EXPECT_EQ(Ids(rows), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(rows.GetNextItem(-1, LVNI_SELECTED), 0);
    Click(dialog, IDC_COLUMN_DOWN);
    EXPECT_EQ(Ids(rows), (std::vector<int>{0, 2, 1}));
    EXPECT_FALSE(rows.GetCheck(2));
    Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(list.LayoutValue(), "(2) 2 100 0 150 (1) 1 100 ");
}

TEST_F(ShowColumnsDlgTest, FirstColumnStaysCheckedAndOkApplies) {
  int result = Run([&](CShowColumnsDlg& dialog, CListView& rows) {
    Toggle(rows, 0, false);  // id 0
    EXPECT_TRUE(rows.GetCheck(0));
    Toggle(rows, 1, false);
    EXPECT_FALSE(rows.GetCheck(1));
    Click(dialog, IDC_COLUMN_UP);  // "内容" after "内容2"
    Click(dialog, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(list.LayoutValue(), "(2) 2 100 0 150 (1) 1 100 ");
  EXPECT_EQ(view.GetColumnCount(), 2);
}
