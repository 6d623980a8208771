// The viewer's window around the main view.

#include "hosts/viewer/ViewerWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/text/CodePage.h"
#include "platform/ui/KeyMessage.h"
#include "platform/ui/UiText.h"
#include "viewer/MainDlg.h"

// The pane the view lives in, as a control hosts it: the view fills it, and
// the selection messages the view posts to its parent arrive here.
class CViewerWindow::Pane : public QWidget {
 public:
  Pane(CViewerWindow* window) : QWidget(window), m_window(window) {}

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    if (m_window->m_view != nullptr) m_window->m_view->setGeometry(rect());
  }
  void customEvent(QEvent* event) override {
    if (const CWindowMessageEvent* message = AsWindowMessage(event)) {
      // While the file is not open the status bar keeps saying why.
      if (message->Message() == WM_VIEW_SELECTION && m_window->m_problem.isEmpty()) {
        m_window->m_status->setText(QString::fromStdString(
            SelectionText(static_cast<long>(message->WParam()), static_cast<long>(message->LParam()))));
      }
      return;
    }
    QWidget::customEvent(event);
  }

 private:
  CViewerWindow* m_window;
};

CViewerWindow::CViewerWindow() {
  setWindowTitle(QStringLiteral("Quillet"));
  m_pane = new Pane(this);
  setCentralWidget(m_pane);
  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("selectionStatus"));
  statusBar()->addWidget(m_status, 1);
  m_view = new CMainDlg(m_pane);
  m_view->Create();
  // The view's own size in dialog units makes the window's first size.
  QSize viewSize = m_view->size();
  m_view->setGeometry(m_pane->rect());
  resize(viewSize.width(), viewSize.height() + statusBar()->sizeHint().height());
  qApp->installEventFilter(this);
}

CViewerWindow::~CViewerWindow() {
  qApp->removeEventFilter(this);
  CloseView();
}

std::string CViewerWindow::SelectionText(long row, long count) {
  if (row == -1 || count == 0) return {};
  char text[48];
  std::snprintf(text, sizeof text, "%ld / %ld", row + 1, count);
  return text;
}

QString CViewerWindow::StatusText() const { return m_status->text(); }

int CViewerWindow::Open(const std::string& ansiUser, const std::string& ansiPath) {
  if (m_view == nullptr) return -1;
  m_problem.clear();
  const int result = m_view->LoadUserData(ansiUser, ansiPath);
  m_view->SetActive(1);
  const QString path = AnsiToQString(ansiPath);
  setWindowTitle(QStringLiteral("Quillet - %1").arg(AnsiToQString(ansiUser)));
  if (result == -2) {
    m_problem = QStringLiteral("The memos of %1 are protected and no password was given: "
                               "they stay closed.").arg(path);
  } else if (result != 0) {
    std::error_code ec;
    const std::filesystem::path file(AnsiToUtf8(ansiPath));
    QString why;
    if (!std::filesystem::exists(file, ec)) {
      why = QStringLiteral("there is no such file (HotSync the handheld first)");
    } else if (std::filesystem::is_directory(file, ec)) {
      why = QStringLiteral("it is a folder");
    } else {
      why = QStringLiteral("it cannot be read, or it is not a Quillet memo file");
    }
    m_problem = QStringLiteral("Cannot open %1: %2.").arg(path, why);
  }
  if (!m_problem.isEmpty()) m_status->setText(m_problem);
  return result;
}

void CViewerWindow::CloseView() {
  if (m_view == nullptr) return;
  m_view->SaveIfModified();
  delete m_view;
  m_view = nullptr;
}

void CViewerWindow::closeEvent(QCloseEvent* event) {
  if (m_view != nullptr) {
    const int saved = m_view->SaveIfModified();
    if (saved != CMainDlg::SAVE_OK) {
      const QString why = saved == CMainDlg::SAVE_FILE_BUSY
                              ? QStringLiteral("another program (a HotSync?) is using the memo file")
                              : QStringLiteral("the memo file cannot be written");
      const auto answer = QMessageBox::warning(
          this, windowTitle(),
          QStringLiteral("Your changes were not saved: %1.\n\nClose without saving them?").arg(why),
          QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
      if (answer != QMessageBox::Yes) {
        event->ignore();
        return;
      }
    }
    delete m_view;
    m_view = nullptr;
  }
  event->accept();
}

bool CViewerWindow::eventFilter(QObject* watched, QEvent* event) {
  // Alt keys pressed anywhere in this window go to the view first, as the
  // host hands its keyboard messages to the extension before its own
  // processing; a key the view takes goes no further.
  if (m_view != nullptr && event->type() == QEvent::KeyPress) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && widget->window() == this) {
      auto* key = static_cast<QKeyEvent*>(event);
      WindowMsg message;
      if ((key->modifiers() & Qt::AltModifier) && KeyEventToMessage(*key, message) &&
          m_view->PreTranslateHostMessage(message)) {
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
