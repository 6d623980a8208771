// Menu handles over Qt menus: positions and ids as items come and go, sub-menu
// handles, routing of merged commands, handles of destroyed menus, and a
// merge/unmerge cycle repeated as the extension does on each activation.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/MenuHandle.h"
#include "platform/ui/UiText.h"

namespace {

std::string Ansi(const char* utf8) { return QStringToAnsi(QString::fromUtf8(utf8)); }

// The ids of a menu's items, position by position.
std::vector<int> Ids(const CMenuHandle& menu) {
  std::vector<int> ids;
  for (int i = 0; i < menu.GetItemCount(); ++i) ids.push_back(menu.GetItemId(i));
  return ids;
}

// A menu bar as the organizer builds it, with Qt alone: a "View" menu at
// position 2 with three commands of its own.
struct HostMenus {
  std::unique_ptr<QMenuBar> bar = std::make_unique<QMenuBar>();
  HostMenus() {
    bar->addMenu("File");
    bar->addMenu("Edit");
    QMenu* view = bar->addMenu("View");
    for (int id : {19051, 19052, 19053}) CMenuHandle::AttachCommand(view->addAction("cmd"), id);
  }
};

TEST(MenuHandle, PositionsIdsAndSubMenusFollowAppendsInsertsAndDeletes) {
  QMenuBar bar;
  CMenuHandle top = CMenuHandle::Of(&bar);
  ASSERT_TRUE(top.IsValid());
  EXPECT_EQ(top, CMenuHandle::Of(&bar));

  CMenuHandle file = top.AppendPopup("&File");
  ASSERT_TRUE(file.IsValid());
  EXPECT_TRUE(file.AppendItem(10, "Open"));
  EXPECT_TRUE(file.AppendSeparator());
  EXPECT_TRUE(file.AppendItem(30, Ansi("列の表示...")));
  EXPECT_TRUE(file.InsertItem(1, 20, "Save"));
  EXPECT_FALSE(file.AppendItem(0, "zero reads back as a separator"));
  CMenuHandle recent = file.InsertPopup(0, "Recent");
  EXPECT_TRUE(recent.AppendItem(40, "a.pdb"));

  EXPECT_EQ(Ids(file), (std::vector<int>{-1, 10, 20, 0, 30}));
  EXPECT_EQ(file.GetItemText(4), Ansi("列の表示..."));
  EXPECT_EQ(file.GetItemText(0), "Recent");
  EXPECT_EQ(top.GetSubMenu(0), file);
  EXPECT_EQ(file.GetSubMenu(0), recent);
  EXPECT_FALSE(file.GetSubMenu(1).IsValid());
  EXPECT_EQ(file.FindCommand(30), 4);
  EXPECT_EQ(file.FindCommand(40), -1);  // only the menu's own items

  // By command reaches into sub-menus; by position stays in the menu.
  EXPECT_EQ(top.EnableItem(40, MF_BYCOMMAND | MF_GRAYED), static_cast<int>(MF_ENABLED));
  EXPECT_FALSE(recent.IsItemEnabled(0, MF_BYPOSITION));
  EXPECT_EQ(file.CheckItem(2, MF_BYPOSITION | MF_CHECKED), static_cast<int>(MF_UNCHECKED));
  EXPECT_TRUE(top.IsItemChecked(20, MF_BYCOMMAND));
  EXPECT_EQ(file.EnableItem(99, MF_BYCOMMAND), -1);

  EXPECT_TRUE(file.DeleteItem(20, MF_BYCOMMAND));
  EXPECT_TRUE(file.DeleteItem(2, MF_BYPOSITION));  // the separator
  EXPECT_EQ(Ids(file), (std::vector<int>{-1, 10, 30}));

  // Removing a sub-menu keeps it alive; deleting one destroys it.
  EXPECT_TRUE(file.RemoveItem(0, MF_BYPOSITION));
  EXPECT_TRUE(recent.IsValid());
  EXPECT_EQ(Ids(file), (std::vector<int>{10, 30}));
  CMenuHandle other = file.AppendPopup("Other");
  EXPECT_TRUE(file.DeleteItem(2, MF_BYPOSITION));
  EXPECT_FALSE(other.IsValid());
  delete recent.Widget();
}

TEST(MenuHandle, MergingAndUnmergingTwiceLeavesOneSeparatorAndOneItem) {
  HostMenus host;
  CMenuHandle bar = CMenuHandle::Of(host.bar.get());
  auto merge = [&] {
    CMenuHandle view = bar.GetSubMenu(2);
    view.AppendSeparator();
    view.AppendItem(1100, Ansi("列の表示..."));
  };
  auto unmerge = [&] {
    CMenuHandle view = bar.GetSubMenu(2);
    const int p = view.FindCommand(19053);
    view.DeleteItem(p + 1, MF_BYPOSITION);
    view.DeleteItem(p + 1, MF_BYPOSITION);
  };
  merge();
  unmerge();
  EXPECT_EQ(Ids(bar.GetSubMenu(2)), (std::vector<int>{19051, 19052, 19053}));
  merge();
  unmerge();
  merge();
  CMenuHandle view = bar.GetSubMenu(2);
  EXPECT_EQ(Ids(view), (std::vector<int>{19051, 19052, 19053, 0, 1100}));
  EXPECT_EQ(view.GetItemText(4), Ansi("列の表示..."));
}

TEST(MenuHandle, MergedCommandReachesTheNearestReceiverAfterTheMenuCloses) {
  HostMenus host;
  CMenuHandle bar = CMenuHandle::Of(host.bar.get());
  std::vector<int> atBar, atView;
  bar.SetCommandReceiver([&](int id) { atBar.push_back(id); });
  CMenuHandle view = bar.GetSubMenu(2);
  view.AppendItem(1100, "Columns");
  CMenuHandle more = view.AppendPopup("More");
  more.AppendItem(1101, "Deeper");

  view.Action(1100, MF_BYCOMMAND)->trigger();
  more.Action(1101, MF_BYCOMMAND)->trigger();
  view.Action(19051, MF_BYCOMMAND)->trigger();  // the host's own, tagged item
  EXPECT_TRUE(atBar.empty());                   // posted, not sent
  QApplication::processEvents();
  EXPECT_EQ(atBar, (std::vector<int>{1100, 1101, 19051}));

  // A receiver on the sub-menu takes its items; one removed drops commands.
  view.SetCommandReceiver([&](int id) { atView.push_back(id); });
  more.Action(1101, MF_BYCOMMAND)->trigger();
  QApplication::processEvents();
  EXPECT_EQ(atView, std::vector<int>{1101});
  bar.SetCommandReceiver({});
  view.SetCommandReceiver({});
  view.Action(1100, MF_BYCOMMAND)->trigger();
  QApplication::processEvents();
  EXPECT_EQ(atBar.size(), 3u);
  EXPECT_EQ(atView.size(), 1u);
}

TEST(MenuHandle, HandlesOfADestroyedMenuFailSafely) {
  auto host = std::make_unique<HostMenus>();
  CMenuHandle bar = CMenuHandle::Of(host->bar.get());
  CMenuHandle view = bar.GetSubMenu(2);
  std::vector<int> got;
  bar.SetCommandReceiver([&](int id) { got.push_back(id); });
  view.Action(19052, MF_BYCOMMAND)->trigger();  // posted before the bar goes
  host.reset();
  QApplication::processEvents();
  EXPECT_TRUE(got.empty());

  for (const CMenuHandle& gone : {bar, view, CMenuHandle(12345)}) {
    EXPECT_FALSE(gone.IsValid());
    EXPECT_EQ(gone.GetItemCount(), -1);
    EXPECT_EQ(gone.GetItemId(0), -1);
    EXPECT_FALSE(gone.GetSubMenu(0).IsValid());
    EXPECT_FALSE(gone.AppendItem(1, "x"));
    EXPECT_FALSE(gone.AppendPopup("x").IsValid());
    EXPECT_FALSE(gone.DeleteItem(0, MF_BYPOSITION));
    EXPECT_EQ(gone.EnableItem(19051, MF_BYCOMMAND), -1);
    EXPECT_FALSE(gone.SetCommandReceiver([](int) {}));
  }
  // A new menu never takes an old handle.
  QMenu fresh;
  EXPECT_NE(CMenuHandle::Of(&fresh), bar);
  EXPECT_NE(CMenuHandle::Of(&fresh), view);
}

}  // namespace
