#pragma once
// The window of quillet-viewer: a small host around the memo viewer's main
// view until the organizer takes its place.  The view is the only child of
// the window's pane and is sized with it; the selection the view posts shows
// as "%d / %d" in the status bar; Alt keys reach the view before the window
// handles them; closing the window saves what the view holds and destroys it.

#include <QMainWindow>
#include <QString>

#include <memory>
#include <string>

class CMainDlg;
class QLabel;

class CViewerWindow : public QMainWindow {
  Q_OBJECT

 public:
  CViewerWindow();
  ~CViewerWindow() override;

  // Loads the user's memo file into the view and activates it; the status
  // bar says why when the file cannot be opened.  The result of the load.
  int Open(const std::string& ansiUser, const std::string& ansiPath);

  CMainDlg* View() const { return m_view; }
  QString StatusText() const;

  // The host's status text of a selection: "%d / %d" with the row counted
  // from 1, empty when no row is current or the list is empty.
  static std::string SelectionText(long row, long count);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Pane;
  void CloseView();

  Pane* m_pane = nullptr;
  CMainDlg* m_view = nullptr;
  QLabel* m_status = nullptr;
  QString m_problem;  // why the file is not open; empty when it is
};
