// quillet-viewer's host side: which user and file it opens, the status text
// of the selection, why a file did not open, what closing the window stores,
// the Edit menu's states and the find bar.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "hosts/hotsync/HotSyncSettings.h"
#include "hosts/viewer/FindBar.h"
#include "hosts/viewer/ViewerTarget.h"
#include "hosts/viewer/ViewerWindow.h"
#include "platform/files/FileLock.h"
#include "platform/registry/AppProfile.h"
#include "platform/ui/ListView.h"
#include "platform/ui/MessageBox.h"
#include "resources/extension/ExtensionIds.h"
#include "resources/extension/ExtensionModule.h"
#include "support/MemoAppBytes.h"
#include "support/TempFolder.h"
#include "viewer/MainDlg.h"

namespace {

// Writes a memo file holding the memos (ANSI texts) in this order.
std::filesystem::path WriteMemoFile(const CTempFolder& dir, const std::vector<std::string>& texts) {
  recordfile::File file = recordfile::MemoFile();
  file.appInfo = recordfile::DataBlock(recordfile::MemoAppInfo(recordfile::DefaultCategories(), std::nullopt, ""));
  for (const std::string& text : texts) {
    recordfile::Record record;
    record.data = recordfile::PlainBody(text);
    file.records.push_back(record);
  }
  const recordfile::Bytes bytes = Build(file);
  const std::filesystem::path path = dir / "record.dat";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Answers the delete question with OK while alive.
struct ConfirmDeletes {
  ConfirmDeletes() {
    SetMessageBoxHook([](const std::string&, const std::string&, unsigned) { return IDOK; });
  }
  ~ConfirmDeletes() { SetMessageBoxHook({}); }
};

QMenu* MenuOf(CViewerWindow& window, const QString& title) {
  for (QAction* action : window.menuBar()->actions()) {
    if (action->text() == title) return action->menu();
  }
  return nullptr;
}

TEST(ViewerHost, ChoosesTheOnlyHotSyncUserAndRefusesWhenItIsNotClear) {
  CTempFolder dir;
  CHotSyncSettings settings(CRegistry(dir / "registry.ini"));
  ViewerTarget target;
  std::string error;
  EXPECT_FALSE(ChooseViewerTarget(settings, dir.Path(), "", false, "", target, error));
  EXPECT_NE(error.find("no HotSync user"), std::string::npos) << error;

  ASSERT_TRUE(settings.RememberUser("Ann Smith", 7));
  ASSERT_TRUE(ChooseViewerTarget(settings, dir.Path(), "", false, "", target, error));
  EXPECT_EQ(target.user, "Ann Smith");
  EXPECT_EQ(target.file, dir.Path() / "HotSync" / "Ann Smith" / "Quillet" / "record.dat");

  ASSERT_TRUE(settings.RememberUser("Bob", 8));
  error.clear();
  EXPECT_FALSE(ChooseViewerTarget(settings, dir.Path(), "", false, "", target, error));
  EXPECT_NE(error.find("Ann Smith, Bob"), std::string::npos) << error;
  ASSERT_TRUE(ChooseViewerTarget(settings, dir.Path(), "Bob", true, "/tmp/x.dat", target, error));
  EXPECT_EQ(target.user, "Bob");
  EXPECT_EQ(target.file, "/tmp/x.dat");
}

TEST(ViewerHost, StatusBarShowsTheSelectionOrWhyTheFileDidNotOpen) {
  EXPECT_EQ(CViewerWindow::SelectionText(2, 5), "3 / 5");
  EXPECT_EQ(CViewerWindow::SelectionText(-1, 5), "");
  EXPECT_EQ(CViewerWindow::SelectionText(0, 0), "");

  CTempFolder dir;
  setenv("QUILLET_CONFIG_HOME", (dir / "config").c_str(), 1);
  WriteMemoFile(dir, {"b", "a", "c"});

  {
    CViewerWindow window;
    EXPECT_EQ(window.Open("Ann", (dir / "record.dat").string()), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.StatusText(), QStringLiteral("2 / 3"));  // "b", position 0, between "a" and "c"
    EXPECT_EQ(window.Open("Ann", (dir / "none.dat").string()), -1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.StatusText().contains(QStringLiteral("there is no such file"))) << window.StatusText().toStdString();
    EXPECT_FALSE(window.View()->isEnabled());
    window.close();
    EXPECT_EQ(window.View(), nullptr);
  }
  // Closing destroyed the view, which stored its layout.
  EXPECT_EQ(ExtensionProfile().GetProfileString("", "Heading"), "(3) 0 150 1 100 2 100 (0) ");
}

TEST(ViewerHost, EditMenuFollowsTheViewAndItsKeysRunOnlyEnabledCommands) {
  CTempFolder dir;
  setenv("QUILLET_CONFIG_HOME", (dir / "config").c_str(), 1);
  const auto path = WriteMemoFile(dir, {"a", "b"});
  ConfirmDeletes confirm;
  CViewerWindow window;
  ASSERT_EQ(window.Open("Ann", path.string()), 0);
  QMenu* edit = MenuOf(window, QStringLiteral("&Edit"));
  ASSERT_NE(edit, nullptr);
  window.View()->MemoList().List()->setFocus();

  emit edit->aboutToShow();
  EXPECT_FALSE(window.Action(ID_EDIT_UNDO)->isEnabled());
  EXPECT_TRUE(window.Action(ID_DELETE_MEMOS)->isEnabled());
  EXPECT_TRUE(window.Action(ID_EDIT_SELECT_ALL)->isEnabled());
  emit edit->aboutToHide();

  window.Action(ID_EDIT_SELECT_ALL)->trigger();
  window.Action(ID_DELETE_MEMOS)->trigger();
  EXPECT_EQ(window.View()->MemoList().List()->GetItemCount(), 0);
  EXPECT_TRUE(window.HasUnsavedChanges());

  emit edit->aboutToShow();
  EXPECT_TRUE(window.Action(ID_EDIT_UNDO)->isEnabled());
  EXPECT_FALSE(window.Action(ID_DELETE_MEMOS)->isEnabled());
  EXPECT_FALSE(window.Action(ID_EDIT_SELECT_ALL)->isEnabled());
  emit edit->aboutToHide();
  // Closed, the menu leaves its actions to the keys; a disabled command's
  // key does nothing.
  int asked = 0;
  SetMessageBoxHook([&](const std::string&, const std::string&, unsigned) { ++asked; return IDOK; });
  window.Action(ID_DELETE_MEMOS)->trigger();
  EXPECT_EQ(asked, 0);
  window.Action(ID_EDIT_UNDO)->trigger();
  EXPECT_EQ(window.View()->MemoList().List()->GetItemCount(), 2);
  window.Action(ID_EDIT_UNDO)->trigger();  // nothing left to undo
  EXPECT_EQ(window.View()->MemoList().List()->GetItemCount(), 2);

  // Nothing runs on a file that did not open.
  EXPECT_NE(window.Open("Ann", (dir / "none.dat").string()), 0);
  emit edit->aboutToShow();
  for (int command : {ID_EDIT_UNDO, ID_EDIT_PASTE, ID_EDIT_SELECT_ALL}) {
    EXPECT_FALSE(window.Action(command)->isEnabled()) << command;
  }
  EXPECT_FALSE(window.HasUnsavedChanges());
  emit edit->aboutToHide();
}

TEST(ViewerHost, ClosingWithChangesAsksAndDiscardLeavesTheFileWhileSaveWritesIt) {
  CTempFolder dir;
  setenv("QUILLET_CONFIG_HOME", (dir / "config").c_str(), 1);
  setenv("QUILLET_LOCK_WAIT_MS", "0", 1);
  const auto path = WriteMemoFile(dir, {"a", "b"});
  const std::string original = ReadAll(path);
  ConfirmDeletes confirm;
  // Presses `button` in the next message box; keeps the box's text.
  QStringList boxes;
  auto press = [&boxes](QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [&boxes, button] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        boxes << box->text();
        box->button(button)->click();
      }
    });
  };
  auto openAndDeleteAll = [&](CViewerWindow& window) {
    window.show();
    ASSERT_EQ(window.Open("Ann", path.string()), 0);
    window.View()->SelectAll();
    window.View()->DeleteMemos();
  };

  {
    CViewerWindow unchanged;
    ASSERT_EQ(unchanged.Open("Ann", path.string()), 0);
    EXPECT_TRUE(unchanged.close());
    EXPECT_TRUE(boxes.isEmpty());
  }
  {
    CViewerWindow discarded;
    openAndDeleteAll(discarded);
    press(QMessageBox::Cancel);
    EXPECT_FALSE(discarded.close());
    EXPECT_NE(discarded.View(), nullptr);
    press(QMessageBox::Discard);
    EXPECT_TRUE(discarded.close());
    EXPECT_EQ(boxes.size(), 2);
  }
  EXPECT_EQ(ReadAll(path), original);
  {
    CViewerWindow saved;
    openAndDeleteAll(saved);
    {
      // Another program holds the memo file: the save fails and the window
      // stays open with the changes after saying why.
      CFileLock other;
      ASSERT_EQ(other.Acquire(path.string(), 0), CFileLock::LOCK_OK);
      press(QMessageBox::Save);
      QTimer::singleShot(0, [&] { press(QMessageBox::Ok); });
      EXPECT_FALSE(saved.close());
      ASSERT_EQ(boxes.size(), 4);
      EXPECT_TRUE(boxes[3].contains(QStringLiteral("another program"))) << boxes[3].toStdString();
      EXPECT_EQ(ReadAll(path), original);
    }
    press(QMessageBox::Save);
    EXPECT_TRUE(saved.close());
  }
  CViewerWindow reopened;
  ASSERT_EQ(reopened.Open("Ann", path.string()), 0);
  EXPECT_EQ(reopened.View()->MemoList().List()->GetItemCount(), 0);
  unsetenv("QUILLET_LOCK_WAIT_MS");
}

TEST(ViewerHost, FindBarFindsDoubleByteTextWithAndWithoutMatchCaseAndSelectsTheMemo) {
  CTempFolder dir;
  setenv("QUILLET_CONFIG_HOME", (dir / "config").c_str(), 1);
  const auto path = WriteMemoFile(
      dir, {AnsiText("Abc会議メモ"), AnsiText("会議の資料"), AnsiText("abc会議"), "plain"});
  CViewerWindow window;
  ASSERT_EQ(window.Open("Ann", path.string()), 0);
  CFindBar* bar = window.FindBar();
  CListView* list = window.View()->MemoList().List();
  auto selected = [&] { return window.View()->PositionOfRow(list->GetNextItem(-1, LVNI_SELECTED)); };

  struct Step {
    QString text;
    bool matchCase;
    int outcome;
    int position;  // the memo made current on a hit
  };
  const Step steps[] = {
      {QStringLiteral("abc会議"), false, CFindBar::FIND_FOUND, 0},
      {QStringLiteral("abc会議"), false, CFindBar::FIND_FOUND, 2},
      {QStringLiteral("abc会議"), false, CFindBar::FIND_NOT_FOUND, -1},
      {QStringLiteral("abc会議"), false, CFindBar::FIND_FOUND, 0},  // begins again
      {QStringLiteral("abc会議"), true, CFindBar::FIND_FOUND, 2},   // a new search
      {QStringLiteral("ABC会議"), true, CFindBar::FIND_NOT_FOUND, -1},
      {QStringLiteral("の資料"), false, CFindBar::FIND_FOUND, 1},
      {QStringLiteral("会議😀"), false, CFindBar::FIND_UNSTORABLE, -1},
  };
  for (const Step& step : steps) {
    bar->TextField()->setText(step.text);
    bar->MatchCaseBox()->setChecked(step.matchCase);
    EXPECT_EQ(bar->FindNext(), step.outcome) << step.text.toStdString();
    if (step.outcome == CFindBar::FIND_FOUND) {
      EXPECT_EQ(selected(), step.position) << step.text.toStdString();
      EXPECT_EQ(window.View()->Prefs().currentPosition, step.position);
    }
  }
  EXPECT_TRUE(bar->Note().contains(QStringLiteral("😀"))) << bar->Note().toStdString();
}

}  // namespace

