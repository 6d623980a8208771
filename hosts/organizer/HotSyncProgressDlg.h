#pragma once
// The organizer's HotSync window: runs `quillet-hotsync sync` for one user
// and shows what it prints as it comes, with a busy bar until it ends.  The
// window stays open after the run so the user can read the log; it cannot
// be closed while the HotSync runs.
//
//   CHotSyncProgressDlg dlg(parent, "Taro");
//   int status = dlg.Run();   // modal; the program's exit status
//
// The program is found, in this order: $QUILLET_HOTSYNC, quillet-hotsync in
// ../hotsync/ and in the folder of the running program, then on PATH.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <string>

class QLabel;
class QPlainTextEdit;
class QProcess;
class QProgressBar;
class QPushButton;

class CHotSyncProgressDlg : public QDialog {
  Q_OBJECT

 public:
  // `user` is the HotSync user's name in UTF-8.
  CHotSyncProgressDlg(QWidget* parent, const std::string& user);
  ~CHotSyncProgressDlg() override;

  // Extra arguments placed before the user (for example "--device", DIR).
  void SetExtraArguments(const QStringList& arguments) { m_extra = arguments; }
  // When true, the window closes by itself once the run succeeded.
  void SetCloseOnSuccess(bool close) { m_closeOnSuccess = close; }

  // Starts the run and shows the window modally.  The program's exit status;
  // -1 when it could not be started or crashed.
  int Run();

  // The full path of quillet-hotsync, empty when it cannot be found.
  static QString ProgramPath();

  QString Output() const;
  int ExitStatus() const { return m_status; }

 protected:
  void reject() override;

 private:
  void Start();
  void Finished(int status, bool crashed);
  void Append(const QByteArray& bytes);

  std::string m_user;
  QStringList m_extra;
  bool m_closeOnSuccess = false;
  int m_status = -1;
  bool m_running = false;
  QProcess* m_process = nullptr;
  QLabel* m_caption = nullptr;
  QPlainTextEdit* m_log = nullptr;
  QProgressBar* m_busy = nullptr;
  QPushButton* m_close = nullptr;
};
