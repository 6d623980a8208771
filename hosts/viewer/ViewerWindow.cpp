// The viewer's window around the main view.

#include "hosts/viewer/ViewerWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QVBoxLayout>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "hosts/viewer/FindBar.h"
#include "platform/text/CodePage.h"
#include "platform/ui/KeyMessage.h"
#include "platform/ui/UiText.h"
#include "resources/extension/ExtensionIds.h"
#include "viewer/MainDlg.h"

// The pane the view lives in, as a control hosts it: the view fills it, and
// the selection messages the view posts to its parent arrive here.
class CViewerWindow::Pane : public QWidget {
 public:
  Pane(QWidget* parent, CViewerWindow* window) : QWidget(parent), m_window(window) {}

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
  // The view's pane fills the window; the find bar, hidden until asked
  // for, sits below it.
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  m_pane = new Pane(central, this);
  layout->addWidget(m_pane, 1);
  m_findBar = new CFindBar(central);
  layout->addWidget(m_findBar);
  m_findBar->hide();
  setCentralWidget(central);
  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("selectionStatus"));
  statusBar()->addWidget(m_status, 1);
  m_view = new CMainDlg(m_pane);
  m_view->Create();
  m_findBar->SetView(m_view);
  BuildMenus();
  // The view's own size in dialog units makes the window's first size.
  QSize viewSize = m_view->size();
  m_view->setGeometry(m_pane->rect());
  resize(viewSize.width(),
         viewSize.height() + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
  qApp->installEventFilter(this);
}

QAction* CViewerWindow::AddCommand(QMenu* menu, int command, const QString& text,
                                   const QKeySequence& key) {
  auto* action = menu->addAction(text);
  action->setShortcut(key);
  action->setData(command);
  connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
  m_actions[command] = action;
  return action;
}

void CViewerWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  AddCommand(file, CMD_SAVE, QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S));
  file->addSeparator();
  AddCommand(file, CMD_QUIT, QStringLiteral("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q));

  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  AddCommand(edit, ID_EDIT_UNDO, QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
  edit->addSeparator();
  AddCommand(edit, ID_EDIT_CUT, QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X));
  AddCommand(edit, ID_EDIT_COPY, QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
  AddCommand(edit, ID_EDIT_PASTE, QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
  AddCommand(edit, ID_DELETE_MEMOS, QStringLiteral("&Delete"), QKeySequence(Qt::Key_Delete));
  edit->addSeparator();
  AddCommand(edit, ID_EDIT_SELECT_ALL, QStringLiteral("Select &all"),
             QKeySequence(Qt::CTRL | Qt::Key_A));
  // The editing keys act on the view only while it has the focus, so that
  // the find bar's text field keeps its own Ctrl+C, Del and the rest.
  for (int command : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_DELETE_MEMOS,
                      ID_EDIT_SELECT_ALL}) {
    m_actions[command]->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_pane->addAction(m_actions[command]);
  }

  QMenu* memo = menuBar()->addMenu(QStringLiteral("&Memo"));
  AddCommand(memo, ID_NEW_MEMO, QStringLiteral("&New memo..."), QKeySequence(Qt::CTRL | Qt::Key_N));
  AddCommand(memo, ID_EDIT_MEMO, QStringLiteral("&Edit memo..."), QKeySequence(Qt::CTRL | Qt::Key_E));

  QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
  AddCommand(view, CMD_SHOW_COLUMNS, QStringLiteral("Show &columns..."), QKeySequence());

  QMenu* categories = menuBar()->addMenu(QStringLiteral("&Categories"));
  AddCommand(categories, CMD_EDIT_CATEGORIES, QStringLiteral("&Edit categories..."), QKeySequence());

  QMenu* find = menuBar()->addMenu(QStringLiteral("F&ind"));
  AddCommand(find, CMD_FIND, QStringLiteral("&Find..."), QKeySequence(Qt::CTRL | Qt::Key_F));
  AddCommand(find, CMD_FIND_NEXT, QStringLiteral("Find &next"), QKeySequence(Qt::Key_F3));

  for (QMenu* menu : {file, edit, memo, view, categories, find}) {
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
    // Closed, the menu's shortcuts must still reach RunCommand, which asks
    // the view again: an action greyed while the menu was open would swallow
    // its key.
    connect(menu, &QMenu::aboutToHide, this, [menu] {
      for (QAction* action : menu->actions()) action->setEnabled(true);
    });
  }
}

QAction* CViewerWindow::Action(int command) const {
  const auto found = m_actions.find(command);
  return found == m_actions.end() ? nullptr : found->second;
}

bool CViewerWindow::CommandEnabled(int command) const {
  switch (command) {
    case CMD_QUIT:
    case CMD_FIND:
    case CMD_FIND_NEXT:
      return true;
    default:
      break;
  }
  // The view's commands work only on a file that opened: after a failed load
  // its database is empty, and nothing it held would ever be saved.
  if (m_view == nullptr || m_view->LastLoadResult() != 0 || !m_view->isEnabled()) return false;
  if (command == CMD_SAVE || command == CMD_SHOW_COLUMNS || command == CMD_EDIT_CATEGORIES) {
    return true;
  }
  int handled = 0;
  int enabled = 0;
  int check = 0;
  int fourth = 0;
  m_view->GetCommandState(command, handled, enabled, check, fourth);
  // A command the view does not report on (New memo) is always available.
  return handled == 0 || enabled != 0;
}

void CViewerWindow::UpdateMenu(QMenu* menu) {
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    action->setEnabled(CommandEnabled(action->data().toInt()));
  }
}

void CViewerWindow::RunCommand(int command) {
  if (!CommandEnabled(command)) return;
  switch (command) {
    case CMD_SAVE:
      Save();
      return;
    case CMD_QUIT:
      close();
      return;
    case CMD_SHOW_COLUMNS:
      m_view->ShowColumns();
      return;
    case CMD_EDIT_CATEGORIES:
      m_view->EditCategoriesCommand();
      return;
    case CMD_FIND:
      m_findBar->Activate();
      return;
    case CMD_FIND_NEXT:
      // With nothing to look for yet, F3 opens the bar to type it.
      if (m_findBar->TextField()->text().isEmpty()) {
        m_findBar->Activate();
      } else {
        m_findBar->show();
        m_findBar->FindNext();
      }
      return;
    default:
      m_view->ExecuteCommand(command);
      return;
  }
}

bool CViewerWindow::HasUnsavedChanges() const {
  return m_view != nullptr && m_view->LastLoadResult() == 0 &&
         m_view->ChangeCount() != m_savedChangeCount;
}

QString CViewerWindow::StatusMessage() const { return statusBar()->currentMessage(); }

int CViewerWindow::Save() {
  if (m_view == nullptr || m_view->LastLoadResult() != 0) return CMainDlg::SAVE_OK;
  const bool changed = HasUnsavedChanges();
  const int changeCount = m_view->ChangeCount();
  const int result = m_view->SaveIfModified();
  if (result == CMainDlg::SAVE_OK) {
    m_savedChangeCount = changeCount;
    statusBar()->showMessage(changed ? QStringLiteral("Saved.") : QStringLiteral("No changes to save."),
                             5000);
  } else {
    ShowSaveOutcome(result);
  }
  return result;
}

QString CViewerWindow::SaveFailureText(int result) {
  switch (result) {
    case CMainDlg::SAVE_FILE_BUSY:
      return QStringLiteral("Not saved: another program (a HotSync?) is using the memo file.");
    case CMainDlg::SAVE_FILE_CHANGED:
      return QStringLiteral("Not saved: another program (a HotSync?) changed the memo file since "
                            "it was opened; open it again to see those changes.");
    default:
      return QStringLiteral("Not saved: the memo file cannot be written.");
  }
}

void CViewerWindow::ShowSaveOutcome(int result) {
  statusBar()->showMessage(SaveFailureText(result));
}

CViewerWindow::~CViewerWindow() {
  qApp->removeEventFilter(this);
  // A window destroyed without being closed keeps what the view holds.
  if (m_view != nullptr) m_view->SaveIfModified();
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
  m_savedChangeCount = m_view->ChangeCount();
  m_findBar->SetView(m_view);
  return result;
}

void CViewerWindow::CloseView() {
  if (m_view == nullptr) return;
  m_findBar->SetView(nullptr);
  delete m_view;
  m_view = nullptr;
}

void CViewerWindow::closeEvent(QCloseEvent* event) {
  if (m_view == nullptr) {
    event->accept();
    return;
  }
  if (HasUnsavedChanges()) {
    QMessageBox question(QMessageBox::Question, windowTitle(),
                         QStringLiteral("The memos have changes that are not saved."),
                         QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    question.setObjectName(QStringLiteral("unsavedChangesQuestion"));
    question.setInformativeText(QStringLiteral("Save them before closing?"));
    question.setDefaultButton(QMessageBox::Save);
    question.setEscapeButton(QMessageBox::Cancel);
    const int answer = question.exec();
    if (answer == QMessageBox::Cancel) {
      event->ignore();
      return;
    }
    if (answer == QMessageBox::Save) {
      const int saved = Save();
      if (saved != CMainDlg::SAVE_OK) {
        // The window stays open with the changes, saying why they were not
        // written; the person may try again or discard them.
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("%1\n\nThe window stays open with your changes.")
                                 .arg(StatusMessage()));
        event->ignore();
        return;
      }
    }
    // Discarded: the view is destroyed without writing the memo file (it
    // stores only its layout then).
  } else {
    // Nothing unsaved: this writes the view's preferences (and the memo file
    // again when it was saved before); a failure loses nothing.
    m_view->SaveIfModified();
  }
  CloseView();
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
