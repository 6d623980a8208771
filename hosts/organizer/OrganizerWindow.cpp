// quillet-organizer's main window: users, extensions, menus, status bar and
// the host's commands, around the extensions' controls.

#include "hosts/organizer/OrganizerWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "hosts/hotsync/HotSyncPaths.h"
#include "hosts/hotsync/HotSyncSettings.h"
#include "hosts/organizer/FindPanel.h"
#include "hosts/organizer/HostApplication.h"
#include "hosts/organizer/HostMainWindow.h"
#include "hosts/organizer/HostSite.h"
#include "hosts/organizer/HotSyncProgressDlg.h"
#include "hosts/organizer/HostStatusBar.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassCreation.h"
#include "platform/com/Guid.h"
#include "platform/com/IOleInPlaceObject.h"
#include "platform/com/InvokeArgs.h"
#include "platform/files/FileLock.h"
#include "platform/registry/Registry.h"
#include "platform/ui/KeyMessage.h"
#include "platform/ui/MenuHandle.h"
#include "store/MemoDatabase.h"
#include "store/SecretString.h"
#include "tools/common/MemoExchange.h"
#include "tools/common/MemoExport.h"
#include "tools/common/MemoImport.h"
#include "tools/common/ToolText.h"

namespace {

// The side list's first row is the home page; the extensions follow in the
// list's order.
constexpr int kHomeRow = 0;
// The role of a side-list row that holds the extension's name (UTF-8).
constexpr int kNameRole = Qt::UserRole + 1;

// The host's own commands that are not named in the extension's table: the
// find bar, the home page, the home page's icon sizes and re-reading lists.
constexpr int CMD_FIND = 19026;
constexpr int CMD_HOME = 19050;
constexpr int CMD_LARGE_ICONS = 19051;
constexpr int CMD_SMALL_ICONS = 19052;
constexpr int CMD_REFRESH = 19053;

QString Utf8ToQ(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString BstrToQ(BSTR text) {
  return text ? QString::fromUtf16(text, static_cast<qsizetype>(SysStringLen(text))) : QString();
}

QString HResultText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return QString::fromLatin1(text);
}

// A bitmap the extension registered: the path as it stands, with '\\' read as
// '/', else the file of that name beside the extension's control library (an
// extension registered without its install folder names a folder of the
// platform it was written for).
QString BitmapFile(const ExtensionRecord& record, const std::string& path) {
  if (path.empty()) return {};
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) return Utf8ToQ(path);
  std::string slashed = path;
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  if (std::filesystem::is_regular_file(slashed, ec)) return Utf8ToQ(slashed);
  if (record.controlClass.empty()) return {};
  CRegistry registry;
  std::string library;
  if (registry.Load() != CRegistry::REG_OK ||
      registry.GetString("HKEY_CLASSES_ROOT\\CLSID\\" + record.controlClass + "\\InprocServer32", "",
                         library) != CRegistry::REG_OK) {
    return {};
  }
  const std::filesystem::path beside =
      std::filesystem::path(library).parent_path() / std::filesystem::path(slashed).filename();
  return std::filesystem::is_regular_file(beside, ec) ? Utf8ToQ(beside.string()) : QString();
}

}  // namespace

COrganizerWindow::COrganizerWindow() {
  setWindowTitle(QStringLiteral("Quillet Organizer"));
  m_application = new CHostApplication(this);
  m_mainWindow = new CHostMainWindow(this);
  m_statusBar = new CHostStatusBar(this);

  auto* splitter = new QSplitter(this);
  m_side = new QListWidget(splitter);
  m_side->setObjectName(QStringLiteral("extensionList"));
  m_side->setIconSize(QSize(32, 32));
  m_side->setMinimumWidth(140);
  auto* right = new QWidget(splitter);
  auto* layout = new QVBoxLayout(right);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  m_pages = new QStackedWidget(right);
  m_home = new QLabel(m_pages);
  m_home->setObjectName(QStringLiteral("homePage"));
  m_home->setAlignment(Qt::AlignCenter);
  m_home->setWordWrap(true);
  m_pages->addWidget(m_home);
  layout->addWidget(m_pages, 1);
  m_find = new CFindPanel(right);
  m_find->hide();
  layout->addWidget(m_find);
  splitter->addWidget(m_side);
  splitter->addWidget(right);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({170, 640});
  setCentralWidget(splitter);

  for (int pane = 0; pane < kStatusPanes; ++pane) {
    m_panes[pane] = new QLabel(this);
    m_panes[pane]->setObjectName(QStringLiteral("statusPane%1").arg(pane));
  }
  statusBar()->addWidget(m_panes[0], 1);
  m_panes[1]->setMinimumWidth(90);
  statusBar()->addPermanentWidget(m_panes[1]);

  BuildMenus();
  BuildToolBar();
  CMenuHandle::Of(menuBar()).SetCommandReceiver([this](int id) { RunCommand(id); });

  connect(m_side, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row == kHomeRow || row < 0) {
      ShowHome();
      return;
    }
    const std::string name = m_side->item(row)->data(kNameRole).toString().toStdString();
    if (!OpenExtension(name)) {
      // Back to the page that is really shown.
      QSignalBlocker block(m_side);
      ShowPage(m_active);
    }
  });
  connect(m_find, &CFindPanel::findRequested, this,
          [this](const QString& text, bool matchCase) { Find(text, matchCase); });
  connect(m_find, &CFindPanel::hitChosen, this, [this](int position) { GoToHit(position); });

  ReloadUsers();
  ReloadExtensions();
  resize(900, 600);
  qApp->installEventFilter(this);
}

COrganizerWindow::~COrganizerWindow() {
  qApp->removeEventFilter(this);
  CMenuHandle::Of(menuBar()).SetCommandReceiver({});
  CloseAll();
  // The extension may still hold the host objects: they live on without the
  // window and answer E_FAIL.
  m_statusBar->Detach();
  m_mainWindow->Detach();
  m_application->Detach();
  m_statusBar->Release();
  m_mainWindow->Release();
  m_application->Release();
}

// ---------------------------------------------------------------- menus

QAction* COrganizerWindow::AddCommand(QMenu* menu, int commandId, const QString& text,
                                      const QKeySequence& key) {
  auto* action = menu->addAction(text);
  if (!key.isEmpty()) action->setShortcut(key);
  CMenuHandle::AttachCommand(action, RunTimeId(commandId));
  m_commands[commandId] = action;
  return action;
}

void COrganizerWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  AddCommand(file, HOST_CMD_FILE_19010, QStringLiteral("新規作成(&N)..."), QKeySequence(Qt::CTRL | Qt::Key_N));
  AddCommand(file, HOST_CMD_SAVE, QStringLiteral("保存(&S)"), QKeySequence(Qt::CTRL | Qt::Key_S));
  file->addSeparator();
  AddCommand(file, HOST_CMD_FILE_19012, QStringLiteral("インポート(&I)..."), QKeySequence());
  AddCommand(file, HOST_CMD_FILE_19014, QStringLiteral("エクスポート(&E)..."), QKeySequence());
  AddCommand(file, HOST_CMD_FILE_19015, QStringLiteral("印刷(&P)..."), QKeySequence(Qt::CTRL | Qt::Key_P));
  file->addSeparator();
  // The organizer's own export and import of the Quillet memos; the host
  // commands above are the extension's to enable.
  QAction* importMemos = file->addAction(QStringLiteral("メモをインポート(&M)..."));
  importMemos->setObjectName(QStringLiteral("importMemosAction"));
  importMemos->setStatusTip(QStringLiteral("Import memos from a text, JSON or CSV file"));
  connect(importMemos, &QAction::triggered, this, [this] { ImportMemos(); });
  QAction* exportMemos = file->addAction(QStringLiteral("メモをエクスポート(&O)..."));
  exportMemos->setObjectName(QStringLiteral("exportMemosAction"));
  exportMemos->setStatusTip(QStringLiteral("Export the memos to a text, JSON, CSV or KeePass 2 XML file"));
  connect(exportMemos, &QAction::triggered, this, [this] { ExportMemos(); });
  file->addSeparator();
  QAction* quit = file->addAction(QStringLiteral("終了(&X)"));
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(quit, &QAction::triggered, this, &QWidget::close);

  QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  AddCommand(edit, HOST_CMD_UNDO, QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z));
  edit->addSeparator();
  AddCommand(edit, HOST_CMD_CUT, QStringLiteral("切り取り(&T)"), QKeySequence(Qt::CTRL | Qt::Key_X));
  AddCommand(edit, HOST_CMD_COPY, QStringLiteral("コピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C));
  AddCommand(edit, HOST_CMD_PASTE, QStringLiteral("貼り付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V));
  AddCommand(edit, HOST_CMD_DELETE, QStringLiteral("削除(&D)"), QKeySequence(Qt::Key_Delete));
  edit->addSeparator();
  AddCommand(edit, HOST_CMD_SELECT_ALL, QStringLiteral("すべて選択(&A)"), QKeySequence(Qt::CTRL | Qt::Key_A));
  edit->addSeparator();
  AddCommand(edit, CMD_FIND, QStringLiteral("検索(&F)..."), QKeySequence(Qt::CTRL | Qt::Key_F));

  QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  // No separators of its own: the one an extension adds is the menu's only one.
  AddCommand(view, CMD_HOME, QStringLiteral("ホーム(&H)"), QKeySequence(Qt::ALT | Qt::Key_Home));
  AddCommand(view, CMD_LARGE_ICONS, QStringLiteral("大きいアイコン(&G)"), QKeySequence());
  AddCommand(view, CMD_SMALL_ICONS, QStringLiteral("小さいアイコン(&M)"), QKeySequence());
  // The last item of the menu: an extension appends its own items behind it.
  AddCommand(view, CMD_REFRESH, QStringLiteral("最新の情報に更新(&R)"), QKeySequence(Qt::Key_F5));

  QMenu* tools = menuBar()->addMenu(QStringLiteral("ツール(&T)"));
  AddCommand(tools, HOST_CMD_EDIT_CATEGORIES, QStringLiteral("カテゴリの編集(&C)..."), QKeySequence());

  m_menus = {{HOST_MENU_FILE, file}, {HOST_MENU_EDIT, edit}, {HOST_MENU_VIEW, view}, {HOST_MENU_TOOLS, tools}};
  for (auto& [id, menu] : m_menus) {
    QMenu* shown = menu;
    connect(shown, &QMenu::aboutToShow, this, [this, shown] { UpdateMenu(shown); });
    // Closed, the menu's keys must reach RunCommand, which asks again: an
    // item greyed while the menu was open would swallow its key.
    connect(shown, &QMenu::aboutToHide, this, [shown] {
      for (QAction* action : shown->actions()) action->setEnabled(true);
    });
  }
}

void COrganizerWindow::BuildToolBar() {
  QToolBar* bar = addToolBar(QStringLiteral("Main"));
  bar->setObjectName(QStringLiteral("mainToolBar"));
  bar->setMovable(false);
  bar->addWidget(new QLabel(QStringLiteral(" ユーザー: "), bar));
  m_users = new QComboBox(bar);
  m_users->setObjectName(QStringLiteral("userCombo"));
  m_users->setMinimumWidth(160);
  bar->addWidget(m_users);
  bar->addSeparator();
  m_hotSync = bar->addAction(QStringLiteral("HotSync"));
  m_hotSync->setObjectName(QStringLiteral("hotSyncAction"));
  m_hotSync->setToolTip(QStringLiteral("Save, HotSync the handheld of the current user and show what came back"));
  connect(m_hotSync, &QAction::triggered, this, [this] { HotSync(); });
  QMenu* tools = Menu(HOST_MENU_TOOLS);
  tools->addSeparator();
  tools->addAction(m_hotSync);
  connect(m_users, &QComboBox::currentIndexChanged, this, [this] {
    if (!m_fillingUsers) UserChanged();
  });
}

QMenu* COrganizerWindow::Menu(int menuId) const {
  const auto found = m_menus.find(menuId);
  return found == m_menus.end() ? nullptr : found->second;
}

QAction* COrganizerWindow::CommandAction(int commandId) const {
  const auto found = m_commands.find(commandId);
  return found == m_commands.end() ? nullptr : found->second;
}

bool COrganizerWindow::FindMenuItem(int menuId, int commandId, int& position) const {
  position = -1;
  QMenu* menu = Menu(menuId);
  if (menu == nullptr) return false;
  if (commandId == 0) {
    position = static_cast<int>(menuBar()->actions().indexOf(menu->menuAction()));
  } else {
    QAction* action = CommandAction(commandId);
    if (action == nullptr) return false;
    position = static_cast<int>(menu->actions().indexOf(action));
  }
  return position >= 0;
}

void COrganizerWindow::UpdateMenu(QMenu* menu) {
  const CMenuHandle handle = CMenuHandle::Of(menu);
  Hosted* active = ActiveHosted();
  const QList<QAction*> actions = menu->actions();
  for (int position = 0; position < actions.size(); ++position) {
    QAction* action = actions[position];
    const int id = handle.GetItemId(position);
    if (id <= 0) continue;  // separators, sub-menus and the window's own items
    const int fixed = id - kCommandOffset;
    const bool hostCommand = m_commands.count(fixed) != 0 && m_commands.at(fixed) == action;
    if (active != nullptr) {
      LONG handled = 0, enabled = 0, check = 0, fourth = 0;
      CInvokeArgs args;
      args.Int(id).OutInt(&handled).OutInt(&enabled).OutInt(&check).OutInt(&fourth);
      FireSite(*active, SITE_EVENT_COMMAND_STATE, args);
      if (handled != 0) {
        action->setEnabled(enabled != 0);
        if (action->isCheckable()) action->setChecked(check != 0);
        continue;
      }
    }
    action->setEnabled(hostCommand ? HostCommandEnabled(fixed) : true);
  }
}

bool COrganizerWindow::ExtensionCommand(int runTimeId) {
  Hosted* active = ActiveHosted();
  if (active == nullptr) return false;
  const bool own = runTimeId >= active->commandBase && runTimeId < active->commandBase + kCommandRange;
  const bool host = m_commands.count(runTimeId - kCommandOffset) != 0;
  if (!own && !host) return false;
  // A command the extension reports disabled does nothing, as its greyed
  // menu item would.
  LONG handled = 0, enabled = 0, check = 0, fourth = 0;
  CInvokeArgs state;
  state.Int(runTimeId).OutInt(&handled).OutInt(&enabled).OutInt(&check).OutInt(&fourth);
  FireSite(*active, SITE_EVENT_COMMAND_STATE, state);
  if (handled != 0 && enabled == 0) return true;
  handled = 0;
  CInvokeArgs args;
  args.Int(runTimeId).OutInt(&handled);
  FireSite(*active, SITE_EVENT_COMMAND, args);
  return handled != 0;
}

void COrganizerWindow::RunCommand(int runTimeId) {
  if (ExtensionCommand(runTimeId)) return;
  const int fixed = runTimeId - kCommandOffset;
  if (m_commands.count(fixed) != 0 && HostCommandEnabled(fixed)) HostCommand(fixed);
}

bool COrganizerWindow::HostCommandEnabled(int commandId) const {
  auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  switch (commandId) {
    case HOST_CMD_SAVE:
      for (const auto& hosted : m_extensions) {
        if (hosted->control) return true;
      }
      return false;
    case CMD_FIND:
    case CMD_HOME:
      return !m_active.empty();
    case CMD_LARGE_ICONS:
    case CMD_SMALL_ICONS:
      return m_active.empty();
    case CMD_REFRESH:
      return true;
    // The editing commands act on a text field of the window's own (the
    // find bar's) when the extension leaves them to the window.
    case HOST_CMD_UNDO:
      return line != nullptr && line->isUndoAvailable();
    case HOST_CMD_CUT:
    case HOST_CMD_COPY:
    case HOST_CMD_DELETE:
      return line != nullptr && line->hasSelectedText();
    case HOST_CMD_PASTE:
    case HOST_CMD_SELECT_ALL:
      return line != nullptr;
    default:
      return false;
  }
}

void COrganizerWindow::HostCommand(int commandId) {
  auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  switch (commandId) {
    case HOST_CMD_SAVE:
      Save();
      break;
    case CMD_FIND:
      m_find->Activate();
      break;
    case CMD_HOME:
      ShowHome();
      break;
    case CMD_LARGE_ICONS:
    case CMD_SMALL_ICONS:
      m_side->setIconSize(commandId == CMD_LARGE_ICONS ? QSize(32, 32) : QSize(16, 16));
      break;
    case CMD_REFRESH:
      ReloadUsers();
      ReloadExtensions();
      break;
    case HOST_CMD_UNDO:
      if (line) line->undo();
      break;
    case HOST_CMD_CUT:
      if (line) line->cut();
      break;
    case HOST_CMD_COPY:
      if (line) line->copy();
      break;
    case HOST_CMD_PASTE:
      if (line) line->paste();
      break;
    case HOST_CMD_DELETE:
      if (line) line->del();
      break;
    case HOST_CMD_SELECT_ALL:
      if (line) line->selectAll();
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------- status bar

bool COrganizerWindow::SetPaneText(int pane, const QString& text) {
  if (pane < 0 || pane >= kStatusPanes) return false;
  m_panes[pane]->setText(text);
  return true;
}

QString COrganizerWindow::PaneText(int pane) const {
  return pane >= 0 && pane < kStatusPanes ? m_panes[pane]->text() : QString();
}

QString COrganizerWindow::StatusMessage() const { return statusBar()->currentMessage(); }

void COrganizerWindow::Note(const QString& text) { statusBar()->showMessage(text, 8000); }

// ---------------------------------------------------------------- users

void COrganizerWindow::ReloadUsers() {
  const std::string current = CurrentUser();
  CHotSyncSettings settings;
  const std::vector<std::string> users = settings.Users();
  m_fillingUsers = true;
  m_users->clear();
  int keep = users.empty() ? -1 : 0;
  for (std::size_t i = 0; i < users.size(); ++i) {
    m_users->addItem(Utf8ToQ(users[i]), Utf8ToQ(users[i]));
    if (users[i] == current) keep = static_cast<int>(i);
  }
  m_users->setCurrentIndex(keep);
  m_fillingUsers = false;
  if (CurrentUser() != current) UserChanged();
}

bool COrganizerWindow::SelectUser(const std::string& user) {
  const int index = m_users->findData(Utf8ToQ(user));
  if (index < 0) return false;
  if (index != m_users->currentIndex()) m_users->setCurrentIndex(index);  // fires UserChanged
  return true;
}

std::string COrganizerWindow::CurrentUser() const {
  return m_users->currentIndex() < 0 ? std::string() : m_users->currentData().toString().toStdString();
}

std::string COrganizerWindow::DataPath(const std::string& extension) const {
  const Hosted* hosted = Lookup(extension);
  return hosted == nullptr ? std::string() : DataPathFor(CurrentUser(), *hosted);
}

std::string COrganizerWindow::DataPathFor(const std::string& user, const Hosted& hosted) const {
  if (user.empty()) return {};
  const std::filesystem::path home = QuilletHome("");
  if (home.empty()) return {};
  return (HotSyncFolder(home, user) / CONDUIT_FOLDER).string() + "/" + hosted.record.dataFileName;
}

void COrganizerWindow::UserChanged() {
  const std::string user = CurrentUser();
  setWindowTitle(user.empty() ? QStringLiteral("Quillet Organizer")
                              : QStringLiteral("Quillet Organizer - %1").arg(Utf8ToQ(user)));
  for (auto& hosted : m_extensions) {
    if (!hosted->control) continue;
    // What the controls hold for the user they had is saved before they
    // load the other one's.
    if (!m_lastUser.empty() && m_lastUser != user) {
      CInvokeArgs save;
      save.Utf8(m_lastUser).Utf8(DataPathFor(m_lastUser, *hosted));
      FireSite(*hosted, SITE_EVENT_SAVE, save);
    }
    CInvokeArgs args;
    args.Utf8(user).Utf8(DataPathFor(user, *hosted));
    FireSite(*hosted, SITE_EVENT_USER_CHANGED, args);
  }
  m_lastUser = user;
}

// ---------------------------------------------------------------- extensions

COrganizerWindow::Hosted* COrganizerWindow::Lookup(const std::string& name) {
  for (auto& hosted : m_extensions) {
    if (hosted->record.name == name) return hosted.get();
  }
  return nullptr;
}

const COrganizerWindow::Hosted* COrganizerWindow::Lookup(const std::string& name) const {
  for (const auto& hosted : m_extensions) {
    if (hosted->record.name == name) return hosted.get();
  }
  return nullptr;
}

COrganizerWindow::Hosted* COrganizerWindow::ActiveHosted() {
  Hosted* hosted = m_active.empty() ? nullptr : Lookup(m_active);
  return hosted != nullptr && hosted->control ? hosted : nullptr;
}

bool COrganizerWindow::IsActiveSite(const CHostSite* site) const {
  const Hosted* hosted = m_active.empty() ? nullptr : Lookup(m_active);
  return hosted != nullptr && hosted->site == site;
}

IOleObject* COrganizerWindow::Control(const std::string& name) const {
  const Hosted* hosted = Lookup(name);
  return hosted ? hosted->control.Get() : nullptr;
}

QWidget* COrganizerWindow::ExtensionPane(const std::string& name) const {
  const Hosted* hosted = Lookup(name);
  return hosted ? hosted->pane : nullptr;
}

std::vector<std::string> COrganizerWindow::ExtensionNames() const {
  std::vector<std::string> names;
  for (const auto& hosted : m_extensions) names.push_back(hosted->record.name);
  return names;
}

void COrganizerWindow::ReloadExtensions() {
  const std::vector<ExtensionRecord> records = CExtensionList().Read();
  // Extensions no longer registered leave, their controls closed first.
  for (auto it = m_extensions.begin(); it != m_extensions.end();) {
    bool listed = false;
    for (const ExtensionRecord& record : records) listed = listed || record.name == (*it)->record.name;
    if (listed) {
      ++it;
      continue;
    }
    if ((*it)->record.name == m_active) ShowHome();
    CloseControl(**it);
    it = m_extensions.erase(it);
  }
  std::vector<std::unique_ptr<Hosted>> ordered;
  for (const ExtensionRecord& record : records) {
    std::unique_ptr<Hosted> hosted;
    for (auto& known : m_extensions) {
      if (known && known->record.name == record.name) hosted = std::move(known);
    }
    if (!hosted) {
      hosted = std::make_unique<Hosted>();
      hosted->commandBase = m_nextCommandBase;
      m_nextCommandBase += kCommandRange;
    }
    hosted->record = record;
    ordered.push_back(std::move(hosted));
  }
  m_extensions = std::move(ordered);
  FillSideList();
}

void COrganizerWindow::FillSideList() {
  QSignalBlocker block(m_side);
  m_side->clear();
  auto* home = new QListWidgetItem(style()->standardIcon(QStyle::SP_DirHomeIcon),
                                   QStringLiteral("ホーム"), m_side);
  home->setData(kNameRole, QString());
  QString listing;
  for (const auto& hosted : m_extensions) {
    const ExtensionRecord& record = hosted->record;
    const QString name = Utf8ToQ(record.displayName.empty() ? record.name : record.displayName);
    auto* item = new QListWidgetItem(name, m_side);
    item->setData(kNameRole, Utf8ToQ(record.name));
    const QString bitmap = BitmapFile(record, record.largeBitmap);
    if (!bitmap.isEmpty()) item->setIcon(QIcon(QPixmap(bitmap)));
    if (record.controlClass.empty()) {
      item->setToolTip(QStringLiteral("This extension did not register a control: it cannot be opened."));
    }
    listing += QStringLiteral("<li>%1</li>").arg(name.toHtmlEscaped());
  }
  m_home->setText(m_extensions.empty()
                      ? QStringLiteral("<p>No extension is registered.</p><p>Register one with "
                                       "<tt>quillet-regsvr LIBRARY</tt>; it appears here when the "
                                       "window is activated again.</p>")
                      : QStringLiteral("<p>Choose an extension on the left:</p><ul>%1</ul>").arg(listing));
  int row = kHomeRow;
  for (int i = 0; i < static_cast<int>(m_extensions.size()); ++i) {
    if (m_extensions[static_cast<std::size_t>(i)]->record.name == m_active) row = i + 1;
  }
  m_side->setCurrentRow(row);
}

bool COrganizerWindow::OpenExtension(const std::string& name) {
  Hosted* hosted = Lookup(name);
  if (hosted == nullptr) {
    Note(QStringLiteral("No extension named %1 is registered.").arg(Utf8ToQ(name)));
    return false;
  }
  if (!hosted->control) {
    if (!m_active.empty()) ShowPage(std::string());
    if (!CreateControl(*hosted)) {
      ShowPage(std::string());
      return false;
    }
    // The control merged its menus and activated its view itself while it
    // was created, since the site already answered that it is shown.
    return true;
  }
  ShowPage(name);
  return true;
}

void COrganizerWindow::ShowHome() { ShowPage(std::string()); }

void COrganizerWindow::ShowPage(const std::string& name) {
  Hosted* target = name.empty() ? nullptr : Lookup(name);
  if (name != m_active) {
    if (Hosted* old = ActiveHosted()) {
      m_active.clear();
      CInvokeArgs args;
      args.Int(0);
      FireSite(*old, SITE_EVENT_ACTIVATE, args);
    }
    m_active = target != nullptr && target->control ? name : std::string();
    if (Hosted* shown = ActiveHosted()) {
      m_pages->setCurrentWidget(shown->pane);
      CInvokeArgs args;
      args.Int(1);
      FireSite(*shown, SITE_EVENT_ACTIVATE, args);
    } else {
      m_pages->setCurrentWidget(m_home);
    }
  }
  if (m_active.empty()) {
    // The home page has no selection to report.
    m_find->hide();
    m_pages->setCurrentWidget(m_home);
    for (int pane = 0; pane < kStatusPanes; ++pane) SetPaneText(pane, QString());
  }
  QSignalBlocker block(m_side);
  int row = kHomeRow;
  for (int i = 0; i < static_cast<int>(m_extensions.size()); ++i) {
    if (!m_active.empty() && m_extensions[static_cast<std::size_t>(i)]->record.name == m_active) row = i + 1;
  }
  m_side->setCurrentRow(row);
}

bool COrganizerWindow::CreateControl(Hosted& hosted) {
  const QString shown = Utf8ToQ(hosted.record.displayName.empty() ? hosted.record.name
                                                                   : hosted.record.displayName);
  CLSID clsid{};
  if (!GuidFromString(hosted.record.controlClass, clsid)) {
    Note(QStringLiteral("%1 registered no control to open.").arg(shown));
    return false;
  }
  CComPtr<IOleObject> control;
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IOleObject::Iid, control.OutVoid());
  if (FAILED(hr) || !control) {
    Note(QStringLiteral("%1 cannot be opened: its control was not created (%2).").arg(shown, HResultText(hr)));
    return false;
  }
  auto* site = new CHostSite(this, hosted.record.name, hosted.commandBase);
  hr = control->SetClientSite(static_cast<IOleClientSite*>(site));
  if (FAILED(hr)) {
    control->SetClientSite(nullptr);
    site->Detach();
    site->Release();
    Note(QStringLiteral("%1 refused the organizer's site (%2).").arg(shown, HResultText(hr)));
    return false;
  }
  auto* pane = new QWidget(m_pages);
  pane->setObjectName(QStringLiteral("extensionPane"));
  m_pages->addWidget(pane);
  m_pages->setCurrentWidget(pane);
  pane->installEventFilter(this);
  hosted.site = site;
  hosted.control = control;
  hosted.pane = pane;
  // Shown before it is created, so that the control finds itself the active
  // view and merges its menus once.
  m_active = hosted.record.name;
  const RECT position{0, 0, pane->width(), pane->height()};
  ++m_busy;
  hr = control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site), 0,
                       static_cast<HWND>(pane), &position);
  EndBusy();
  if (FAILED(hr)) {
    Note(QStringLiteral("%1 could not show itself (%2).").arg(shown, HResultText(hr)));
    m_active.clear();
    CloseControl(hosted);
    return false;
  }
  SizeControl(hosted);
  QSignalBlocker block(m_side);
  for (int i = 0; i < static_cast<int>(m_extensions.size()); ++i) {
    if (m_extensions[static_cast<std::size_t>(i)].get() == &hosted) m_side->setCurrentRow(i + 1);
  }
  return true;
}

void COrganizerWindow::SizeControl(Hosted& hosted) {
  if (!hosted.control || hosted.pane == nullptr) return;
  CComPtr<IOleInPlaceObject> inPlace;
  if (FAILED(hosted.control.As(inPlace)) || !inPlace) return;
  const RECT position{0, 0, hosted.pane->width(), hosted.pane->height()};
  inPlace->SetObjectRects(&position, &position);
}

void COrganizerWindow::CloseControl(Hosted& hosted) {
  if (hosted.control) {
    // Last chance to keep what the extension holds; whether and how it asks
    // is its own business.
    CInvokeArgs save;
    save.Utf8(CurrentUser()).Utf8(DataPath(hosted.record.name));
    FireSite(hosted, SITE_EVENT_SAVE, save);
    if (m_active == hosted.record.name) {
      // Its menu items leave the window's menus with it.
      m_active.clear();
      CInvokeArgs args;
      args.Int(0);
      FireSite(hosted, SITE_EVENT_ACTIVATE, args);
      m_pages->setCurrentWidget(m_home);
    }
    CComPtr<IOleObject> control = std::move(hosted.control);
    control->Close(OLECLOSE_SAVEIFDIRTY);
    control->SetClientSite(nullptr);
    control.Reset();
  }
  if (hosted.site != nullptr) {
    hosted.site->Detach();
    hosted.site->Release();
    hosted.site = nullptr;
  }
  if (hosted.pane != nullptr) {
    hosted.pane->removeEventFilter(this);
    m_pages->removeWidget(hosted.pane);
    delete hosted.pane;
    hosted.pane = nullptr;
  }
}

void COrganizerWindow::CloseAll() {
  for (auto& hosted : m_extensions) CloseControl(*hosted);
  m_active.clear();
}

HRESULT COrganizerWindow::FireSite(Hosted& hosted, int dispid, CInvokeArgs& args) {
  if (hosted.site == nullptr) return S_OK;
  CHostSite* site = hosted.site;
  site->AddRef();  // a handler may close the control meanwhile
  ++m_busy;
  const HRESULT hr = site->SiteEvents().Fire(dispid, args.Params());
  EndBusy();
  site->Release();
  return hr;
}

void COrganizerWindow::EndBusy() {
  if (--m_busy > 0 || !m_reloadPending) return;
  m_reloadPending = false;
  // Later, since the caller may be walking the list of extensions.
  QTimer::singleShot(0, this, [this] {
    if (m_busy > 0) {
      m_reloadPending = true;
    } else {
      ReloadExtensions();
    }
  });
}

// ---------------------------------------------------------------- commands

void COrganizerWindow::Save() {
  bool any = false;
  for (auto& hosted : m_extensions) {
    if (!hosted->control) continue;
    any = true;
    CInvokeArgs args;
    args.Utf8(CurrentUser()).Utf8(DataPath(hosted->record.name));
    FireSite(*hosted, SITE_EVENT_SAVE, args);
  }
  // The save event has no result: an extension that could not write its
  // file says so itself, so the note claims no more than the request.
  Note(any ? QStringLiteral("開いている拡張機能に保存を指示しました。")
           : QStringLiteral("保存するものはありません。"));
}

void COrganizerWindow::SaveExtensions() {
  for (auto& hosted : m_extensions) {
    if (!hosted->control) continue;
    CInvokeArgs save;
    save.Utf8(CurrentUser()).Utf8(DataPath(hosted->record.name));
    FireSite(*hosted, SITE_EVENT_SAVE, save);
  }
}

void COrganizerWindow::LoadUserAgain() {
  for (auto& hosted : m_extensions) {
    if (!hosted->control) continue;
    CInvokeArgs reload;
    reload.Utf8(CurrentUser()).Utf8(DataPath(hosted->record.name));
    FireSite(*hosted, SITE_EVENT_USER_CHANGED, reload);
  }
}

int COrganizerWindow::HotSync() {
  const std::string user = CurrentUser();
  if (user.empty()) {
    QMessageBox::information(this, QStringLiteral("HotSync"),
                             QStringLiteral("No HotSync user on this desktop yet: HotSync a handheld "
                                            "with quillet-hotsync first."));
    return HOTSYNC_NO_USER;
  }
  // Every extension may refuse (the first refusal's message is shown).
  LONG allowed = 1;
  BSTR message = nullptr;
  CInvokeArgs ask;
  ask.Utf8(user).OutInt(&allowed).OutBstr(&message);
  m_application->ApplicationEvents().Fire(APP_EVENT_CAN_HOTSYNC, ask.Params());
  const CBstr why = CBstr::Attach(message);
  if (allowed == 0) {
    QMessageBox refusal(QMessageBox::Warning, QStringLiteral("HotSync"), BstrToQ(why.Get()),
                        QMessageBox::Ok, this);
    refusal.setObjectName(QStringLiteral("hotSyncRefusal"));
    refusal.exec();
    return HOTSYNC_REFUSED;
  }
  SaveExtensions();
  CHotSyncProgressDlg progress(this, user);
  const int status = progress.Run();
  // Whatever came back (or not) is loaded again; the user list may have grown.
  ReloadUsers();
  LoadUserAgain();
  return status;
}

// ---------------------------------------------------------------- export and import

namespace {

// The file dialog's filters, in the order of MemoExchange::Format.
const char* const kFilters[] = {
    "Text, memos separated by form feeds (*.txt)",
    "JSON (*.json)",
    "CSV (*.csv)",
    "KeePass 2 XML (*.xml)",
};
constexpr int kImportFilters = 3;  // KeePass XML is written, never read

}  // namespace

std::string COrganizerWindow::MemoFilePath() const {
  const std::string user = CurrentUser();
  const std::filesystem::path home = QuilletHome("");
  if (user.empty() || home.empty()) return {};
  return (HotSyncFolder(home, user) / CONDUIT_FOLDER / LOCAL_FILE_NAME).string();
}

QString COrganizerWindow::AskPath(Exchange exchange) {
  if (m_choosePath) return m_choosePath(exchange);
  const bool exporting = exchange == Exchange::EXPORT;
  QStringList filters;
  for (int i = 0; i < (exporting ? static_cast<int>(std::size(kFilters)) : kImportFilters); ++i) {
    filters << QString::fromUtf8(kFilters[i]);
  }
  QFileDialog dialog(this, exporting ? QStringLiteral("メモをエクスポート") : QStringLiteral("メモをインポート"));
  dialog.setObjectName(QStringLiteral("exchangeFileDialog"));
  dialog.setAcceptMode(exporting ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(exporting ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(filters);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  QString path = dialog.selectedFiles().front();
  // A name without a known extension gets the one of the chosen filter, so
  // that the format follows the name.
  const int chosen = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (exporting && chosen > 0 && suffix != QStringLiteral("txt") && suffix != QStringLiteral("json") &&
      suffix != QStringLiteral("csv") && suffix != QStringLiteral("xml")) {
    static const char* const kSuffixes[] = {".txt", ".json", ".csv", ".xml"};
    path += QString::fromLatin1(kSuffixes[chosen]);
  }
  return path;
}

bool COrganizerWindow::LoadMemos(CMemoDatabase& db, const std::string& path, bool forWriting) {
  const int mode = forWriting ? RDB_OPEN_READ_WRITE : RDB_OPEN_READ_ONLY;
  int result = db.Load(path, mode, nullptr);
  for (int attempt = 0; attempt < 3 && result == RDB_BAD_PASSWORD; ++attempt) {
    bool ok = false;
    const QString hint = Utf8ToQ(AnsiToVisible(db.PasswordHint()));
    QString typed = QInputDialog::getText(
        this, QStringLiteral("パスワード"),
        (attempt == 0 ? QStringLiteral("メモはパスワードで保護されています。")
                      : QStringLiteral("パスワードが違います。")) +
            (hint.isEmpty() ? QString() : QStringLiteral("\nヒント: %1").arg(hint)),
        QLineEdit::Password, QString(), &ok);
    if (!ok) {
      typed.fill(QChar(0));
      return false;
    }
    QByteArray utf8 = typed.toUtf8();
    typed.fill(QChar(0));
    std::string ansi;
    InputToAnsi(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), ansi);
    utf8.fill('\0');
    CSecretString password;
    password.Assign(ansi);
    std::fill(ansi.begin(), ansi.end(), '\0');
    result = db.Load(path, mode, password.c_str());
  }
  if (result == RDB_OK) return true;
  QMessageBox::warning(this, QStringLiteral("Quillet"),
                       result == RDB_BAD_PASSWORD
                           ? QStringLiteral("The password is wrong: the memos were not read.")
                           : QStringLiteral("Cannot read the memo file %1.").arg(Utf8ToQ(path)));
  return false;
}

bool COrganizerWindow::ExportMemos() {
  const std::string file = MemoFilePath();
  if (file.empty()) {
    Note(QStringLiteral("No HotSync user: there are no memos to export."));
    return false;
  }
  SaveExtensions();
  const QString chosen = AskPath(Exchange::EXPORT);
  if (chosen.isEmpty()) return false;
  const std::string path = chosen.toStdString();
  CMemoDatabase db;
  if (!LoadMemos(db, file, false)) return false;
  const MemoExchange::Collection memos = CMemoExport::Collect(db);
  std::vector<std::string> warnings;
  const std::string bytes = CMemoExport::Render(MemoExchange::FormatForPath(path), memos, warnings);
  std::string error;
  // The file dialog asked before an existing file is replaced.
  if (CMemoExport::WriteFile(path, bytes, true, error) != CMemoExport::EXPORT_OK) {
    QMessageBox::warning(this, QStringLiteral("Quillet"), Utf8ToQ(error));
    return false;
  }
  QString message = QStringLiteral("%1 memos exported to %2.").arg(memos.memos.size()).arg(chosen);
  if (memos.encrypted) {
    warnings.insert(warnings.begin(),
                    "The memos are protected by a password, but the exported file is not "
                    "encrypted: anyone who can read it can read every memo.");
  }
  Note(message);
  if (!warnings.empty()) {
    QString text = message;
    for (const std::string& warning : warnings) text += QStringLiteral("\n\n") + Utf8ToQ(warning);
    QMessageBox::warning(this, QStringLiteral("Quillet"), text);
  }
  return true;
}

bool COrganizerWindow::ImportMemos() {
  const std::string file = MemoFilePath();
  if (file.empty()) {
    Note(QStringLiteral("No HotSync user: there is no memo file to import into."));
    return false;
  }
  SaveExtensions();
  const QString chosen = AskPath(Exchange::IMPORT);
  if (chosen.isEmpty()) return false;
  const std::string path = chosen.toStdString();
  const MemoExchange::Format format = MemoExchange::FormatForPath(path);
  std::string bytes;
  std::string error;
  std::vector<MemoExchange::Memo> memos;
  CMemoImport::Outcome outcome;
  bool saved = false;
  if (!MemoExchange::CanImport(format)) {
    error = "KeePass XML cannot be imported: choose a text, JSON or CSV file.";
  } else if (CMemoImport::ReadInputFile(path, bytes, error) &&
             CMemoImport::Parse(format, bytes, memos, error)) {
    // The memo file is shared with the HotSync and the command-line tools:
    // it is read, changed and written while no other writer is busy with it.
    CFileLock lock;
    CMemoDatabase db;
    if (lock.Acquire(file) != CFileLock::LOCK_OK) {
      error = "The memo file is in use by another program (a HotSync?): try again later.";
    } else if (!LoadMemos(db, file, true)) {
      return false;
    } else if (CMemoImport::Apply(db, memos, nullptr, outcome, error)) {
      if (outcome.added > 0 && db.Save() != RDB_OK) {
        error = "Cannot write the memo file; it was left as it was.";
      } else {
        saved = true;
      }
    }
  }
  if (!saved) {
    QMessageBox::warning(this, QStringLiteral("Quillet"), Utf8ToQ(error));
    return false;
  }
  // The extensions show the memos again, the imported ones with them.
  LoadUserAgain();
  const QString message = QStringLiteral("%1 memos imported from %2.").arg(outcome.added).arg(chosen);
  Note(message);
  if (!outcome.warnings.empty()) {
    QString text = message;
    for (const std::string& warning : outcome.warnings) text += QStringLiteral("\n\n") + Utf8ToQ(warning);
    QMessageBox::warning(this, QStringLiteral("Quillet"), text);
  }
  return outcome.added > 0;
}

int COrganizerWindow::Find(const QString& text, bool matchCase) {
  Hosted* active = ActiveHosted();
  std::vector<CFindPanel::Hit> hits;
  if (active == nullptr || text.isEmpty()) {
    m_find->SetHits(hits);
    m_find->SetNote(active == nullptr ? QStringLiteral("Open an extension first.")
                                      : QStringLiteral("Type the text to find."));
    return 0;
  }
  CInvokeArgs begin;
  begin.Utf8(text.toStdString()).Int(matchCase ? 1 : 0).Int(0);
  FireSite(*active, SITE_EVENT_BEGIN_SEARCH, begin);
  // Until the extension finds nothing more; a position seen before means it
  // started over, and the bound keeps a search that never ends finite.
  constexpr int kMaxHits = 100000;
  std::vector<LONG> seen;
  while (static_cast<int>(hits.size()) < kMaxHits) {
    BSTR first = nullptr;
    BSTR second = nullptr;
    LONG position = -1;
    LONG found = 0;
    CInvokeArgs next;
    next.OutBstr(&first).OutBstr(&second).OutInt(&position).OutInt(&found);
    const HRESULT hr = FireSite(*active, SITE_EVENT_FIND_NEXT, next);
    const CBstr firstLine = CBstr::Attach(first);
    const CBstr secondLine = CBstr::Attach(second);
    if (FAILED(hr) || found == 0) break;
    if (!hits.empty() && position == hits.front().position) break;
    hits.push_back({BstrToQ(firstLine.Get()), BstrToQ(secondLine.Get()), position});
    if (active != ActiveHosted()) break;
  }
  m_find->SetHits(hits);
  m_find->SetNote(hits.empty() ? QStringLiteral("Not found.")
                               : QStringLiteral("%1 found.").arg(hits.size()));
  return static_cast<int>(hits.size());
}

void COrganizerWindow::GoToHit(int position) {
  Hosted* active = ActiveHosted();
  if (active == nullptr) return;
  CInvokeArgs args;
  args.Int(position).Int(1);
  FireSite(*active, SITE_EVENT_GO_TO_RECORD, args);
}

// ---------------------------------------------------------------- events

void COrganizerWindow::closeEvent(QCloseEvent* event) {
  CloseAll();
  event->accept();
}

void COrganizerWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Back in the window, the lists may have changed: an extension registered
  // or taken out meanwhile, a user added by a HotSync.
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
    if (m_busy > 0) {
      m_reloadPending = true;
    } else {
      ReloadExtensions();
    }
  }
}

bool COrganizerWindow::PreTranslateKey(QObject* watched, QEvent* event) {
  Hosted* active = ActiveHosted();
  auto* widget = qobject_cast<QWidget*>(watched);
  if (active == nullptr || widget == nullptr || widget->window() != this) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  // A key the widget does not take goes on to its parent as the same event:
  // the extension sees it once.
  if (event == m_lastKey && key->key() == m_lastKeyCode && key->timestamp() == m_lastKeyTime) return false;
  m_lastKey = event;
  m_lastKeyCode = key->key();
  m_lastKeyTime = key->timestamp();
  const bool inPane = active->pane->isAncestorOf(widget);
  if (!inPane && !(key->modifiers() & Qt::AltModifier)) return false;
  WindowMsg message;
  if (!KeyEventToMessage(*key, message)) return false;
  LONG result = 0;
  const QPoint at = QCursor::pos();
  CInvokeArgs args;
  args.Int(0)
      .Int(static_cast<LONG>(message.message))
      .Int(static_cast<LONG>(message.wParam))
      .Int(static_cast<LONG>(message.lParam))
      .Int(static_cast<LONG>(key->timestamp()))
      .Int(at.x())
      .Int(at.y())
      .OutInt(&result);
  FireSite(*active, SITE_EVENT_MESSAGE, args);
  return result != 0;
}

bool COrganizerWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && PreTranslateKey(watched, event)) return true;
  if (event->type() == QEvent::KeyRelease) m_lastKey = nullptr;  // the press went all the way
  if (event->type() == QEvent::Resize) {
    for (auto& hosted : m_extensions) {
      if (hosted->pane == watched) SizeControl(*hosted);
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
