// quillet-organizer's window driving the real extension: libQuilletExt.so
// and the extension manager registered in a registry of the test's own, the
// HotSync users Ann (five memos), Bob (protected memos) and Carol (none).

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

#include "hosts/hotsync/HotSyncSettings.h"
#include "hosts/organizer/ExtensionManager.h"
#include "hosts/organizer/FindPanel.h"
#include "hosts/organizer/HostApplication.h"
#include "hosts/organizer/HostSite.h"
#include "hosts/organizer/OrganizerWindow.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/com/IServiceProvider.h"
#include "support/MemoAppBytes.h"
#include "support/TempFolder.h"

namespace {

constexpr const char* PASSWORD = "sesame";

void WriteMemos(const std::filesystem::path& path, const std::vector<std::string>& texts,
                std::optional<std::string> password = std::nullopt) {
  std::filesystem::create_directories(path.parent_path());
  std::filesystem::remove(path.parent_path() / "UiPrefs.DAT");
  recordfile::File file = recordfile::MemoFile();
  file.appInfo = recordfile::DataBlock(recordfile::MemoAppInfo(
      recordfile::DefaultCategories(), password ? std::optional<std::string_view>(*password) : std::nullopt, ""));
  std::uint32_t id = 100;
  for (const std::string& text : texts) {
    recordfile::Record record;
    record.id = id++;
    record.data = recordfile::PlainBody(text);
    if (password) record.data = recordfile::EncryptBody(record.data, *password);
    file.records.push_back(record);
  }
  const recordfile::Bytes bytes = Build(file);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

template <class W>
W* Visible(QWidget* root) {
  for (W* widget : root->findChildren<W*>()) {
    if (widget->isVisible()) return widget;
  }
  return nullptr;
}

class OrganizerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new CTempFolder("organizer");
    setenv("QUILLET_CONFIG_HOME", (*s_dir / "config").c_str(), 1);
    setenv("QUILLET_HOME", (*s_dir / "home").c_str(), 1);
    ASSERT_EQ(RegisterHostManager(QUILLET_MANAGER_LIBRARY), S_OK);
    void* library = dlopen(QUILLET_EXT_LIBRARY, RTLD_NOW);
    ASSERT_NE(library, nullptr) << dlerror();
    auto doRegister = reinterpret_cast<HRESULT (*)()>(dlsym(library, "DllRegisterServer"));
    ASSERT_NE(doRegister, nullptr);
    ASSERT_EQ(doRegister(), S_OK);
    CHotSyncSettings settings;
    ASSERT_TRUE(settings.RememberUser("Ann", 1));
    ASSERT_TRUE(settings.RememberUser("Bob", 2));
    ASSERT_TRUE(settings.RememberUser("Carol", 3));
  }
  static void TearDownTestSuite() { delete s_dir; }

  static std::filesystem::path MemoFile(const std::string& user) {
    return *s_dir / "home" / "HotSync" / user / "Quillet" / "record.dat";
  }

  void SetUp() override {
    WriteMemos(MemoFile("Ann"), {"echo", "bravo\nsecond line", "delta", "alpha", "charlie"});
    WriteMemos(MemoFile("Bob"), {"bob one", "bob two"}, std::string(PASSWORD));
    WriteMemos(MemoFile("Carol"), {});
    window = std::make_unique<COrganizerWindow>();
    window->show();
    ASSERT_TRUE(window->SelectUser("Ann"));
    ASSERT_TRUE(window->OpenExtension("Quillet")) << window->StatusMessage().toStdString();
    QCoreApplication::processEvents();
  }
  void TearDown() override { window.reset(); }

  QTableView* List() const { return Visible<QTableView>(window->ExtensionPane("Quillet")); }
  QPlainTextEdit* Preview() const { return Visible<QPlainTextEdit>(window->ExtensionPane("Quillet")); }
  void ClickRow(int row) {
    QTableView* list = List();
    ASSERT_NE(list, nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(row, 0)).center());
    QCoreApplication::processEvents();
  }

  static CTempFolder* s_dir;
  std::unique_ptr<COrganizerWindow> window;
};

CTempFolder* OrganizerTest::s_dir = nullptr;

TEST_F(OrganizerTest, StatusPaneFollowsTheSelectionAndFindListsEveryHit) {
  ClickRow(2);
  EXPECT_EQ(window->PaneText(1), QStringLiteral("3 / 5"));

  EXPECT_EQ(window->Find(QStringLiteral("a"), false), 4);  // all but "echo"
  const auto& hits = window->FindPanel()->Hits();
  bool twoLines = false;
  for (const auto& hit : hits) {
    twoLines = twoLines || (hit.firstLine == QStringLiteral("bravo") && hit.secondLine == QStringLiteral("second line"));
  }
  EXPECT_TRUE(twoLines);
  EXPECT_EQ(window->Find(QStringLiteral("zulu"), false), 0);
  window->Find(QStringLiteral("alpha"), false);
  window->FindPanel()->ChooseHit(0);
  QCoreApplication::processEvents();
  EXPECT_EQ(window->PaneText(1), QStringLiteral("1 / 5"));

  ASSERT_TRUE(window->SelectUser("Carol"));
  QCoreApplication::processEvents();
  EXPECT_EQ(window->PaneText(1), QString());
}

TEST_F(OrganizerTest, ViewMenuCarriesTheExtensionItemOnceAfterHidingAndShowingIt) {
  auto count = [&](const QString& text) {
    int n = 0;
    for (QAction* action : window->Menu(HOST_MENU_VIEW)->actions()) {
      n += text.isEmpty() ? action->isSeparator() : action->text() == text;
    }
    return n;
  };
  EXPECT_EQ(count({}), 1);
  EXPECT_EQ(count(QStringLiteral("列の表示...")), 1);
  window->ShowHome();
  EXPECT_EQ(count({}), 0);
  EXPECT_EQ(count(QStringLiteral("列の表示...")), 0);
  ASSERT_TRUE(window->OpenExtension("Quillet"));
  EXPECT_EQ(count({}), 1);
  EXPECT_EQ(count(QStringLiteral("列の表示...")), 1);
  // The extension's item follows the host's last View command.
  const QList<QAction*> actions = window->Menu(HOST_MENU_VIEW)->actions();
  EXPECT_EQ(actions.indexOf(window->CommandAction(HOST_CMD_VIEW_19053)), actions.size() - 3);
}

TEST_F(OrganizerTest, CopyTakesThePreviewSelectionAndIsGreyedWithoutOne) {
  ClickRow(1);  // "bravo"
  QPlainTextEdit* preview = Preview();
  ASSERT_NE(preview, nullptr);
  preview->setFocus();
  QTextCursor cursor = preview->textCursor();
  cursor.setPosition(0);
  cursor.setPosition(5, QTextCursor::KeepAnchor);
  preview->setTextCursor(cursor);
  QMenu* edit = window->Menu(HOST_MENU_EDIT);
  QAction* copy = window->CommandAction(HOST_CMD_COPY);
  window->UpdateMenu(edit);
  EXPECT_TRUE(copy->isEnabled());
  QApplication::clipboard()->clear();
  window->RunCommand(COrganizerWindow::RunTimeId(HOST_CMD_COPY));
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("bravo"));

  cursor.clearSelection();
  preview->setTextCursor(cursor);
  window->UpdateMenu(edit);
  EXPECT_FALSE(copy->isEnabled());
}

TEST_F(OrganizerTest, AltKeysReachTheViewBeforeTheWindow) {
  // Alt+R switches the view's list to large icons; Alt+L back to the list,
  // pressed outside the extension's pane.
  QTest::keyClick(List(), Qt::Key_R, Qt::AltModifier);
  QCoreApplication::processEvents();
  EXPECT_EQ(List(), nullptr);
  QTest::keyClick(static_cast<QWidget*>(window->UserCombo()), Qt::Key_L, Qt::AltModifier);
  QCoreApplication::processEvents();
  EXPECT_NE(List(), nullptr);
}

TEST_F(OrganizerTest, HotSyncIsRefusedWhileTheMemoEditorIsOpen) {
  ClickRow(0);
  QString refusal;
  int outcome = 0;
  bool editorOpen = false;
  QTimer::singleShot(0, [&] {
    QWidget* editor = QApplication::activeModalWidget();
    editorOpen = editor != nullptr;
    QTimer::singleShot(0, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        refusal = box->text();
        box->accept();
      }
    });
    outcome = window->HotSync();
    if (auto* dialog = qobject_cast<QDialog*>(editor)) dialog->reject();
  });
  QTableView* list = List();
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
  EXPECT_TRUE(editorOpen);
  EXPECT_EQ(outcome, COrganizerWindow::HOTSYNC_REFUSED);
  EXPECT_TRUE(refusal.startsWith(QStringLiteral("データ編集中は HotSync 機能を実行できません。"))) << refusal.toStdString();
}

TEST_F(OrganizerTest, SwitchingToAProtectedUserAsksForThePassword) {
  QString asked;
  QTimer::singleShot(0, [&] {
    QWidget* prompt = QApplication::activeModalWidget();
    if (prompt == nullptr) return;
    asked = prompt->windowTitle();
    for (QLineEdit* field : prompt->findChildren<QLineEdit*>()) {
      if (field->echoMode() == QLineEdit::Password) field->setText(QString::fromLatin1(PASSWORD));
    }
    for (QPushButton* button : prompt->findChildren<QPushButton*>()) {
      if (button->isDefault()) button->click();
    }
  });
  ASSERT_TRUE(window->SelectUser("Bob"));
  QCoreApplication::processEvents();
  EXPECT_FALSE(asked.isEmpty());
  ASSERT_NE(List(), nullptr);
  EXPECT_EQ(List()->model()->rowCount(), 2);
}

TEST_F(OrganizerTest, SaveWritesTheMemoFileAndOnlyThen) {
  const std::string before = ReadAll(MemoFile("Ann"));
  ClickRow(0);
  List()->setFocus();
  window->RunCommand(COrganizerWindow::RunTimeId(HOST_CMD_CUT));
  QCoreApplication::processEvents();
  EXPECT_EQ(List()->model()->rowCount(), 4);
  EXPECT_EQ(ReadAll(MemoFile("Ann")), before);
  window->RunCommand(COrganizerWindow::RunTimeId(HOST_CMD_SAVE));
  EXPECT_NE(ReadAll(MemoFile("Ann")), before);
}

TEST_F(OrganizerTest, HostObjectsAnswerByTheirSlots) {
  CComPtr<IOleClientSite> clientSite;
  ASSERT_EQ(window->Control("Quillet")->GetClientSite(clientSite.Out()), S_OK);
  CComPtr<IServiceProvider> services;
  ASSERT_EQ(clientSite.As(services), S_OK);
  CComPtr<IHostSite> site;
  EXPECT_EQ(services->QueryService(IID_IDispatch, IHostSite::Iid, site.OutVoid()), E_NOINTERFACE);
  ASSERT_EQ(services->QueryService(kSiteService, IHostSite::Iid, site.OutVoid()), S_OK);

  CBstr user;
  CBstr path;
  ASSERT_EQ(site->GetUserData(user.Out(), path.Out()), S_OK);
  EXPECT_EQ(user.Utf8(), "Ann");
  EXPECT_EQ(std::filesystem::path(path.Utf8()), MemoFile("Ann"));
  LONG active = 0;
  LONG base = 0;
  EXPECT_EQ(site->IsActiveView(&active), S_OK);
  EXPECT_EQ(active, 1);
  window->ShowHome();
  site->IsActiveView(&active);
  EXPECT_EQ(active, 0);
  site->GetCommandBase(&base);
  EXPECT_EQ(base, COrganizerWindow::kCommandBase);

  CComPtr<IDispatch> application;
  CComPtr<IDispatch> mainWindowObject;
  CComPtr<IHostMainWindow> mainWindow;
  ASSERT_EQ(site->GetApplication(application.Out()), S_OK);
  ASSERT_EQ(static_cast<IHostApplication*>(application.Get())->GetMainWindow(mainWindowObject.Out()), S_OK);
  ASSERT_EQ(mainWindowObject.As(mainWindow), S_OK);
  struct Item { LONG menu; LONG command; HRESULT hr; LONG position; };
  for (const Item& item : {Item{HOST_MENU_VIEW, 0, S_OK, 2}, Item{HOST_MENU_VIEW, HOST_CMD_VIEW_19053, S_OK, 3},
                           Item{HOST_MENU_TOOLS, HOST_CMD_SAVE, E_INVALIDARG, -1}, Item{18009, 0, E_INVALIDARG, -1}}) {
    LONG position = 99;
    EXPECT_EQ(mainWindow->FindMenuItem(item.menu, item.command, &position), item.hr) << item.menu << " " << item.command;
    EXPECT_EQ(position, item.position) << item.menu << " " << item.command;
  }
  CComPtr<IDispatch> statusBar;
  ASSERT_EQ(mainWindow->GetStatusBar(statusBar.Out()), S_OK);
  auto* bar = static_cast<IHostStatusBar*>(statusBar.Get());
  EXPECT_EQ(bar->SetPaneText(2, CBstr::FromUtf8("x").Get()), E_INVALIDARG);
  EXPECT_EQ(bar->SetPaneText(0, CBstr::FromUtf8("メモ").Get()), S_OK);
  EXPECT_EQ(window->PaneText(0), QStringLiteral("メモ"));
  CComPtr<IConnectionPointContainer> events;
  CComPtr<IConnectionPoint> point;
  ASSERT_EQ(site.As(events), S_OK);
  EXPECT_EQ(events->FindConnectionPoint(DIID_HostApplicationEvents, point.Out()), CONNECT_E_NOCONNECTION);
}

TEST_F(OrganizerTest, HostObjectsOutliveTheWindow) {
  CHostApplication* application = window->ApplicationObject();
  application->AddRef();
  window.reset();
  IDispatch* mainWindow = reinterpret_cast<IDispatch*>(0x1);
  EXPECT_EQ(application->GetMainWindow(&mainWindow), E_FAIL);
  EXPECT_EQ(mainWindow, nullptr);
  application->Release();
}

}  // namespace

TEST_F(OrganizerTest, FileMenuExportsTheMemosAndImportsThemForAnotherUser) {
  const std::filesystem::path csv = *s_dir / "ann.csv";
  std::vector<COrganizerWindow::Exchange> asked;
  window->SetPathChooser([&](COrganizerWindow::Exchange exchange) {
    asked.push_back(exchange);
    return QString::fromStdString(csv.string());
  });
  QAction* exportAction = window->findChild<QAction*>(QStringLiteral("exportMemosAction"));
  QAction* importAction = window->findChild<QAction*>(QStringLiteral("importMemosAction"));
  ASSERT_TRUE(exportAction != nullptr && importAction != nullptr);
  EXPECT_TRUE(window->Menu(HOST_MENU_FILE)->actions().contains(exportAction));

  exportAction->trigger();
  const std::string exported = ReadAll(csv);
  EXPECT_EQ(exported.rfind("category,text\r\n", 0), 0u) << exported;
  EXPECT_NE(exported.find(",\"bravo\nsecond line\"\r\n"), std::string::npos) << exported;

  ASSERT_TRUE(window->SelectUser("Carol"));
  QCoreApplication::processEvents();
  ASSERT_NE(List(), nullptr);
  EXPECT_EQ(List()->model()->rowCount(), 0);
  importAction->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(List()->model()->rowCount(), 5) << window->StatusMessage().toStdString();
  EXPECT_EQ(asked, (std::vector<COrganizerWindow::Exchange>{COrganizerWindow::Exchange::EXPORT,
                                                             COrganizerWindow::Exchange::IMPORT}));
  std::filesystem::remove(csv);
}

TEST_F(OrganizerTest, ExportOfProtectedMemosAsksForThePasswordAndWarnsItIsNotEncrypted) {
  // Answers every password prompt and keeps every message shown.
  QStringList messages;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) messages << box->text();
    for (QLineEdit* field : dialog->findChildren<QLineEdit*>()) {
      if (field->echoMode() == QLineEdit::Password) field->setText(QString::fromLatin1(PASSWORD));
    }
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
      if (button->isDefault()) return button->click();
    }
    dialog->accept();
  });
  answer.start(10);
  ASSERT_TRUE(window->SelectUser("Bob"));
  QCoreApplication::processEvents();
  const std::filesystem::path xml = *s_dir / "bob.xml";
  window->SetPathChooser([&](COrganizerWindow::Exchange) { return QString::fromStdString(xml.string()); });
  EXPECT_TRUE(window->ExportMemos());
  answer.stop();
  const std::string exported = ReadAll(xml);
  EXPECT_NE(exported.find("this file is NOT encrypted"), std::string::npos) << exported;
  EXPECT_NE(exported.find("<Value>bob two</Value>"), std::string::npos) << exported;
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(QStringLiteral("not encrypted"))) << messages[0].toStdString();
  std::filesystem::remove(xml);
}
