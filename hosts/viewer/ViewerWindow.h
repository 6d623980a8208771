#pragma once
// The window of quillet-viewer: a small host around the memo viewer's main
// view until the organizer takes its place.  The view is the only child of
// the window's pane and is sized with it; the selection the view posts shows
// as "%d / %d" in the status bar; Alt keys reach the view before the window
// handles them.  A menu bar carries the host's commands to the view (File,
// Edit, Memo, View, Categories, Find), the editing commands enabled as the
// view says; a find bar drives the view's search.  Closing the window with
// changes that were not saved asks whether to save them.

#include <QMainWindow>
#include <QKeySequence>
#include <QString>

#include <map>
#include <memory>
#include <string>

class CFindBar;
class CMainDlg;
class QAction;
class QLabel;
class QMenu;

class CViewerWindow : public QMainWindow {
  Q_OBJECT

 public:
  CViewerWindow();
  ~CViewerWindow() override;

  // Loads the user's memo file into the view and activates it; the status
  // bar says why when the file cannot be opened.  The result of the load.
  int Open(const std::string& ansiUser, const std::string& ansiPath);

  CMainDlg* View() const { return m_view; }
  CFindBar* FindBar() const { return m_findBar; }
  QString StatusText() const;
  // The transient note of the last save (or other command outcome).
  QString StatusMessage() const;

  // True when the view's memos changed since the file was loaded or last
  // saved.
  bool HasUnsavedChanges() const;
  // Saves the view (File > Save): the result of SaveIfModified, or
  // SAVE_OK when no file is open; the outcome shows in the status bar.
  int Save();

  // The action of a menu command: a view command id (ID_EDIT_UNDO, ...,
  // ID_DELETE_MEMOS, ID_NEW_MEMO, ID_EDIT_MEMO) or one of the window's own.
  static constexpr int CMD_SAVE = 1;
  static constexpr int CMD_QUIT = 2;
  static constexpr int CMD_SHOW_COLUMNS = 3;
  static constexpr int CMD_EDIT_CATEGORIES = 4;
  static constexpr int CMD_FIND = 5;
  static constexpr int CMD_FIND_NEXT = 6;
  QAction* Action(int command) const;
  // Enables the menu's actions as the view reports their state now; done
  // each time the menu opens.
  void UpdateMenu(QMenu* menu);

  // The host's status text of a selection: "%d / %d" with the row counted
  // from 1, empty when no row is current or the list is empty.
  static std::string SelectionText(long row, long count);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Pane;
  void CloseView();
  void BuildMenus();
  QAction* AddCommand(QMenu* menu, int command, const QString& text, const QKeySequence& key);
  // Whether the command may run now: a file is open and, for the view's
  // own commands, the view reports it handled and enabled.
  bool CommandEnabled(int command) const;
  void RunCommand(int command);
  void ShowSaveOutcome(int result);
  // Why a save did not write the memo file, for the status bar.
  static QString SaveFailureText(int result);

  Pane* m_pane = nullptr;
  CMainDlg* m_view = nullptr;
  QLabel* m_status = nullptr;
  CFindBar* m_findBar = nullptr;
  std::map<int, QAction*> m_actions;
  QString m_problem;  // why the file is not open; empty when it is
  int m_savedChangeCount = 0;  // the view's ChangeCount at the last load or save
};
