#include "hosts/organizer/HotSyncProgressDlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

constexpr const char* kProgramName = "quillet-hotsync";

bool IsProgram(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() && info.isExecutable();
}

}  // namespace

CHotSyncProgressDlg::CHotSyncProgressDlg(QWidget* parent, const std::string& user)
    : QDialog(parent), m_user(user) {
  setWindowTitle(QStringLiteral("HotSync"));
  m_caption = new QLabel(this);
  m_caption->setWordWrap(true);
  m_busy = new QProgressBar(this);
  m_busy->setRange(0, 0);  // busy until the run ends
  m_busy->setTextVisible(false);
  m_log = new QPlainTextEdit(this);
  m_log->setReadOnly(true);
  m_log->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_log->setMinimumSize(520, 260);
  m_close = new QPushButton(QStringLiteral("閉じる"), this);
  m_close->setEnabled(false);
  connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_caption);
  layout->addWidget(m_busy);
  layout->addWidget(m_log, 1);
  layout->addLayout(buttons);
}

CHotSyncProgressDlg::~CHotSyncProgressDlg() {
  if (m_process && m_process->state() != QProcess::NotRunning) {
    m_process->kill();
    m_process->waitForFinished(3000);
  }
}

QString CHotSyncProgressDlg::ProgramPath() {
  const QString fromEnvironment = qEnvironmentVariable("QUILLET_HOTSYNC");
  if (!fromEnvironment.isEmpty()) return IsProgram(fromEnvironment) ? fromEnvironment : QString();
  const QDir here(QCoreApplication::applicationDirPath());
  for (const QString& candidate :
       {here.filePath(QStringLiteral("../hotsync/") + kProgramName), here.filePath(kProgramName)}) {
    if (IsProgram(candidate)) return QFileInfo(candidate).canonicalFilePath();
  }
  return QStandardPaths::findExecutable(kProgramName);
}

QString CHotSyncProgressDlg::Output() const { return m_log->toPlainText(); }

int CHotSyncProgressDlg::Run() {
  m_caption->setText(QStringLiteral("%1 さんの HotSync を実行しています...")
                         .arg(QString::fromStdString(m_user)));
  Start();
  exec();
  return m_status;
}

void CHotSyncProgressDlg::Start() {
  m_status = -1;
  const QString program = ProgramPath();
  if (program.isEmpty()) {
    Append(QByteArray("quillet-hotsync was not found (set QUILLET_HOTSYNC to its path).\n"));
    Finished(-1, true);
    return;
  }
  m_process = new QProcess(this);
  m_process->setProcessChannelMode(QProcess::MergedChannels);
  connect(m_process, &QProcess::readyReadStandardOutput, this,
          [this] { Append(m_process->readAllStandardOutput()); });
  connect(m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
    Append(m_process->readAllStandardOutput());
    Finished(code, status == QProcess::CrashExit);
  });
  connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    Append(QStringLiteral("%1\n").arg(m_process->errorString()).toUtf8());
    Finished(-1, true);
  });
  QStringList arguments{QStringLiteral("sync")};
  arguments << m_extra;
  Append(QStringLiteral("$ quillet-hotsync %1\n").arg(arguments.join(QLatin1Char(' '))).toUtf8());
  m_running = true;
  m_process->start(program, arguments);
}

void CHotSyncProgressDlg::Finished(int status, bool crashed) {
  if (!m_running && m_process) return;  // already reported (a failed start reports twice)
  m_running = false;
  m_status = crashed ? -1 : status;
  m_busy->setRange(0, 1);
  m_busy->setValue(1);
  m_close->setEnabled(true);
  m_close->setFocus();
  if (m_status == 0) {
    m_caption->setText(QStringLiteral("HotSync が完了しました。"));
    if (m_closeOnSuccess) accept();
  } else if (m_status > 0) {
    m_caption->setText(QStringLiteral("HotSync に失敗しました (終了コード %1)。").arg(m_status));
  } else {
    m_caption->setText(QStringLiteral("HotSync を実行できませんでした。"));
  }
}

void CHotSyncProgressDlg::Append(const QByteArray& bytes) {
  if (bytes.isEmpty()) return;
  m_log->moveCursor(QTextCursor::End);
  m_log->insertPlainText(QString::fromUtf8(bytes));
  m_log->moveCursor(QTextCursor::End);
}

void CHotSyncProgressDlg::reject() {
  // Escape or the window's close button: refused while the HotSync runs, so
  // that a stray key never cuts a HotSync short.
  if (m_running) return;
  QDialog::reject();
}
