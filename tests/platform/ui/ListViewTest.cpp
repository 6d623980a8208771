// The list-view control: columns and their display order, one model behind
// the three views, bulk fills, neighbours in each view and the notifications
// a dialog receives; image lists cut from a bitmap and popup menus.

#include <QApplication>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <vector>

#include "platform/resources/ResourceBitmaps.h"
#include "platform/ui/DialogWindow.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/ListView.h"
#include "platform/ui/PopupMenu.h"

namespace {

std::vector<std::string> Titles(const CListView& list) {
  std::vector<std::string> titles;
  for (int position : list.GetColumnOrderArray()) titles.push_back(list.GetColumnTitle(position));
  return titles;
}

void Fill(CListView& list, int rows) {
  for (int row = 0; row < rows; ++row) {
    list.InsertItem(row, "row" + std::to_string(row));
    list.SetItemText(row, 1, "sub" + std::to_string(row));
    list.SetItemData(row, 100 + row);
  }
}

}  // namespace

TEST(ListView, ColumnsInsertDeleteAndFollowAHeaderDrag) {
  CListView list(nullptr, DLG_STYLE_LIST_REPORT);
  list.SetExtendedStyle(LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT);
  list.resize(400, 200);
  list.show();
  EXPECT_EQ(list.InsertColumn(0, "a", LVCFMT_LEFT, 80), 0);
  EXPECT_EQ(list.InsertColumn(9, "c", LVCFMT_LEFT, 60), 1);  // appended
  EXPECT_EQ(list.InsertColumn(1, "b", LVCFMT_RIGHT, 70), 1);
  EXPECT_EQ(list.InsertColumn(-1, "x"), -1);
  ASSERT_EQ(list.GetColumnCount(), 3);
  EXPECT_EQ(Titles(list), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(list.GetColumnWidth(1), 70);

  // Cells follow their column when one is inserted before them.
  list.InsertItem(0, "r");
  list.SetItemText(0, 2, "in c");
  list.InsertColumn(2, "b2", LVCFMT_LEFT, 50);
  EXPECT_EQ(list.GetItemText(0, 3), "in c");
  EXPECT_TRUE(list.DeleteColumn(2));
  EXPECT_FALSE(list.DeleteColumn(3));
  EXPECT_EQ(list.GetItemText(0, 2), "in c");

  // Drag "c" by its header to the left edge.
  QHeaderView* header = list.Header();
  QTest::qWait(1);
  QPoint from = list.GetHeaderItemRect(2).center();
  QPoint to(5, from.y());
  QMouseEvent press(QEvent::MouseButtonPress, from, header->mapToGlobal(from), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(header->viewport(), &press);
  for (int x = from.x(); x >= to.x(); x -= 10) {
    QPoint at(x, from.y());
    QMouseEvent move(QEvent::MouseMove, at, header->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(header->viewport(), &move);
  }
  QMouseEvent release(QEvent::MouseButtonRelease, to, header->mapToGlobal(to), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(header->viewport(), &release);
  EXPECT_EQ(list.GetColumnOrderArray(), (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(list.HeaderHitTest(QPoint(5, 3)), 2);

  EXPECT_TRUE(list.SetColumnOrderArray({1, 2, 0}));
  EXPECT_EQ(Titles(list), (std::vector<std::string>{"b", "c", "a"}));
  EXPECT_FALSE(list.SetColumnOrderArray({1, 1, 0}));
  EXPECT_EQ(list.HeaderHitTest(QPoint(-5, 3)), -1);
}

TEST(ListView, ViewSwitchKeepsRowsSelectionAndFocus) {
  CListView list(nullptr, DLG_STYLE_LIST_REPORT);
  list.InsertColumn(0, "a", LVCFMT_LEFT, 80);
  list.InsertColumn(1, "b", LVCFMT_LEFT, 80);
  Fill(list, 5);
  list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
  list.InsertColumn(2, "added later", LVCFMT_LEFT, 80);  // selected rows stay selected
  list.SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  for (int mode : {LVS_ICON, LVS_SMALLICON, LVS_REPORT}) {
    ASSERT_TRUE(list.SetViewMode(mode));
    EXPECT_EQ(list.GetItemCount(), 5) << mode;
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1) << mode;
    EXPECT_EQ(list.GetNextItem(1, LVNI_SELECTED), 3) << mode;
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 3) << mode;
    EXPECT_EQ(list.GetSelectedCount(), 2) << mode;
    EXPECT_EQ(list.GetItemText(4, 1), "sub4") << mode;
  }
  EXPECT_FALSE(list.SetViewMode(7));
}

TEST(ListView, BulkFillUnderSetRedrawTellsTheViewsOnce) {
  CListView list(nullptr, DLG_STYLE_LIST_REPORT);
  list.InsertColumn(0, "a", LVCFMT_LEFT, 80);
  list.InsertColumn(1, "b", LVCFMT_LEFT, 80);
  list.resize(300, 300);
  list.show();
  int inserts = 0;
  QObject::connect(list.ReportView()->model(), &QAbstractItemModel::rowsInserted,
                   [&inserts] { ++inserts; });
  const int widgetsBefore = static_cast<int>(list.findChildren<QWidget*>().size());
  list.SetRedraw(false);
  list.DeleteAllItems();
  Fill(list, 65535);
  EXPECT_EQ(list.ReportView()->model()->rowCount(), 0);  // not yet handed over
  list.SetRedraw(true);
  EXPECT_EQ(inserts, 1);
  EXPECT_EQ(list.GetItemCount(), 65535);
  EXPECT_EQ(list.ReportView()->model()->rowCount(), 65535);
  EXPECT_EQ(list.GetItemData(65534), 100 + 65534);
  list.SetViewMode(LVS_ICON);
  QTest::qWait(1);
  EXPECT_EQ(static_cast<int>(list.findChildren<QWidget*>().size()), widgetsBefore);
  EXPECT_TRUE(list.EnsureVisible(60000));
}

TEST(ListView, NextItemFollowsTheGeometryOfEachView) {
  CListView list(nullptr, DLG_STYLE_LIST_REPORT);
  list.InsertColumn(0, "a", LVCFMT_LEFT, 80);
  Fill(list, 12);
  list.resize(320, 400);
  list.show();
  // Report view: one row under another.
  EXPECT_EQ(list.GetNextItem(4, LVNI_BELOW), 5);
  EXPECT_EQ(list.GetNextItem(4, LVNI_ABOVE), 3);
  EXPECT_EQ(list.GetNextItem(0, LVNI_ABOVE), -1);
  EXPECT_EQ(list.GetNextItem(4, LVNI_TOLEFT), -1);
  EXPECT_EQ(list.GetNextItem(4, LVNI_TORIGHT), -1);
  for (int mode : {LVS_ICON, LVS_SMALLICON}) {
    list.SetViewMode(mode);
    QTest::qWait(1);
    // Rows flow left to right and wrap: find how many fit on a line.
    int perLine = 1;
    while (perLine < 12 && list.GetItemRect(perLine).top() == list.GetItemRect(0).top()) ++perLine;
    ASSERT_GT(perLine, 1) << mode;
    ASSERT_LT(perLine, 12) << mode;
    EXPECT_EQ(list.GetNextItem(0, LVNI_TORIGHT), 1) << mode;
    EXPECT_EQ(list.GetNextItem(1, LVNI_TOLEFT), 0) << mode;
    EXPECT_EQ(list.GetNextItem(0, LVNI_TOLEFT), -1) << mode;
    EXPECT_EQ(list.GetNextItem(1, LVNI_BELOW), 1 + perLine) << mode;
    EXPECT_EQ(list.GetNextItem(1 + perLine, LVNI_ABOVE), 1) << mode;
    EXPECT_EQ(list.GetNextItem(0, LVNI_ABOVE), -1) << mode;
  }
}

namespace {

const DialogItem kItems[] = {
    {7, DLG_ITEM_LISTVIEW, "", 5, 5, 200, 120,
     DLG_STYLE_LIST_REPORT | DLG_STYLE_LIST_SINGLESEL | DLG_STYLE_BORDER | DLG_STYLE_TABSTOP},
};
const DialogTemplate kTemplate = {"t", "MS UI Gothic", 10, 220, 140, kItems, 1, 0};

class NotifyDialog : public CDialogWindow {
 public:
  NotifyDialog() : CDialogWindow(&kTemplate, nullptr) {}
  std::vector<ListNotify> got;
  CListView* List() const { return qobject_cast<CListView*>(Control(7)); }

 protected:
  bool OnNotify(int id, const ListNotify& notify) override {
    if (id == 7) got.push_back(notify);
    return true;
  }
};

}  // namespace

TEST(ListView, TemplateListSendsItsNotificationsToTheDialog) {
  NotifyDialog dialog;
  CListView* list = dialog.List();
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->IsSingleSelection());
  list->SetExtendedStyle(LVS_EX_CHECKBOXES);
  list->InsertColumn(0, "a", LVCFMT_LEFT, 120);
  list->InsertColumn(1, "b", LVCFMT_LEFT, 120);
  Fill(*list, 4);
  dialog.show();
  QTest::qWait(1);

  auto find = [&](int code, unsigned changed = 0) -> const ListNotify* {
    for (const ListNotify& n : dialog.got) {
      if (n.code == code && (changed == 0 || (n.changed & changed) != 0)) return &n;
    }
    return nullptr;
  };
  QWidget* viewport = list->ReportView()->viewport();
  QRect cell = list->ReportView()->visualRect(list->ReportView()->model()->index(2, 1));
  QTest::mouseClick(viewport, Qt::LeftButton, {}, cell.center());
  ASSERT_NE(find(NM_CLICK), nullptr);
  EXPECT_EQ(find(NM_CLICK)->row, 2);
  EXPECT_EQ(find(NM_CLICK)->subItem, 1);
  EXPECT_EQ(list->GetNextItem(-1, LVNI_SELECTED), 2);
  EXPECT_EQ(list->GetSelectionMark(), 2);
  const ListNotify* selected = find(LVN_ITEMCHANGED, LVIS_SELECTED);
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(selected->row, 2);

  dialog.got.clear();
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, cell.center());
  ASSERT_NE(find(NM_DBLCLK), nullptr);
  EXPECT_EQ(find(NM_DBLCLK)->row, 2);

  dialog.got.clear();
  QTest::keyClick(list->ReportView(), Qt::Key_Down);
  ASSERT_NE(find(LVN_KEYDOWN), nullptr);
  EXPECT_EQ(find(LVN_KEYDOWN)->key, VK_DOWN);
  EXPECT_EQ(find(LVN_KEYDOWN)->row, 2);  // told before the list moves
  EXPECT_EQ(list->GetNextItem(-1, LVNI_SELECTED), 3);

  dialog.got.clear();
  QPoint onHeader = list->GetHeaderItemRect(1).center();
  QContextMenuEvent menu(QContextMenuEvent::Mouse, onHeader, list->Header()->mapToGlobal(onHeader));
  QApplication::sendEvent(list->Header()->viewport(), &menu);
  ASSERT_NE(find(NM_RCLICK), nullptr);
  EXPECT_TRUE(find(NM_RCLICK)->fromHeader);
  EXPECT_EQ(find(NM_RCLICK)->subItem, 1);

  dialog.got.clear();
  list->ReportView()->model()->setData(list->ReportView()->model()->index(0, 0), Qt::Checked,
                                        Qt::CheckStateRole);
  ASSERT_NE(find(LVN_ITEMCHANGED), nullptr);
  EXPECT_EQ(find(LVN_ITEMCHANGED)->oldState & LVIS_STATEIMAGEMASK, LVIS_UNCHECKED);
  EXPECT_EQ(find(LVN_ITEMCHANGED)->newState & LVIS_STATEIMAGEMASK, LVIS_CHECKED);
  EXPECT_TRUE(list->GetCheck(0));
}

TEST(ImageList, CutsTheBitmapIntoImagesWithTheMaskColourTransparent) {
  // A strip of two 2x1 images: red, magenta | magenta, blue.
  static const char* const strip[] = {"4 1 3 1", "r c #FF0000", "m c #FF00FF", "b c #0000FF",
                                      "rmmb"};
  static const ResourceBitmap bitmaps[] = {{900, strip}};
  ResourceInstance module = ResourceRegisterModule("ImageListTest");
  ASSERT_EQ(ResourceAddBitmaps(module, bitmaps, 1), 1);
  CImageList images;
  ASSERT_TRUE(images.Create(module, 900, 2, 1, 0xFF00FF));
  ASSERT_EQ(images.GetImageCount(), 2);
  QImage first = images.Image(0).toImage();
  QImage second = images.Image(1).toImage();
  EXPECT_EQ(first.pixelColor(0, 0), QColor(Qt::red));
  EXPECT_EQ(first.pixelColor(1, 0).alpha(), 0);
  EXPECT_EQ(second.pixelColor(0, 0).alpha(), 0);
  EXPECT_EQ(second.pixelColor(1, 0), QColor(Qt::blue));
  EXPECT_TRUE(images.Image(2).isNull());
  EXPECT_FALSE(images.Create(module, 901, 2, 1, 0xFF00FF));
  EXPECT_EQ(images.GetImageCount(), 0);
}

TEST(PopupMenu, PicksAnItemAndPostsItToTheOwner) {
  struct Owner : CDialogWindow {
    Owner() : CDialogWindow(nullptr, nullptr) {}
    std::vector<int> commands;
    void OnCommand(int id) override { commands.push_back(id); }
  } owner;
  CPopupMenu menu;
  menu.AppendItem(400, "show");
  menu.AppendItem(401, "hide");
  EXPECT_FALSE(menu.AppendItem(0, "none"));
  EXPECT_TRUE(menu.EnableItem(400, false));
  EXPECT_FALSE(menu.EnableItem(7, false));
  QTimer::singleShot(0, [] {
    auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(open, nullptr);
    open->setActiveAction(open->actions().at(1));
    QTest::keyClick(open, Qt::Key_Return);
  });
  EXPECT_EQ(menu.Track(TPM_RIGHTBUTTON, 50, 50, &owner), 401);
  EXPECT_TRUE(owner.commands.empty());
  QCoreApplication::processEvents();
  EXPECT_EQ(owner.commands, std::vector<int>{401});
}
