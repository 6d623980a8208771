// The control and its host link inside a fake organizer: creation order,
// the status text, the View menu merge, command ids read from the menus,
// command states, the HotSync query and a site without the organizer's
// service.

#include <dlfcn.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "editing/OpenEditorCount.h"
#include "extension/QuilletExtCtrl.h"
#include "extension/FakeOrganizer.h"
#include "platform/com/IClassFactory.h"
#include "platform/registry/AppProfile.h"
#include "platform/ui/ListView.h"
#include "platform/ui/MessageBox.h"
#include "resources/extension/ExtensionModule.h"
#include "support/MemoAppBytes.h"
#include "support/TempFolder.h"
#include "viewer/MainDlg.h"

namespace {

using namespace exttest;

class QuilletExtCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("QUILLET_CONFIG_HOME", (dir / "config").c_str(), 1);
    std::filesystem::create_directories(dir / "Ann");
    file = dir / "Ann" / "record.dat";
    WriteMemos(file, 5);
    site->userName = "Ann";
    site->dataPath = file.string();
    clientSite = CComPtr<CFakeClientSite>::Attach(new CFakeClientSite(site.Get()));
    parent.resize(500, 400);
  }
  void TearDown() override {
    if (control) {
      control->Close(OLECLOSE_SAVEIFDIRTY);
      control->SetClientSite(nullptr);
    }
    ::unsetenv("QUILLET_CONFIG_HOME");
  }

  static void WriteMemos(const std::filesystem::path& path, int count) {
    recordfile::File f = recordfile::MemoFile();
    f.appInfo = recordfile::DataBlock(recordfile::MemoAppInfo(recordfile::DefaultCategories(), std::nullopt, ""));
    for (int i = 0; i < count; ++i) {
      recordfile::Record r;
      r.id = 100 + static_cast<std::uint32_t>(i);
      r.data = recordfile::PlainBody(std::string(1, static_cast<char>('a' + i)) + " memo");
      f.records.push_back(r);
    }
    recordfile::WriteAll(path, Build(f));
  }

  // The control created, sited and activated inside `parent` at 10,10-310,210.
  HRESULT Create() {
    control = CComPtr<CQuilletExtCtrl>::Attach(new CQuilletExtCtrl);
    const HRESULT hr = control->SetClientSite(clientSite.Get());
    const RECT place{10, 10, 310, 210};
    EXPECT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite.Get(), 0, &parent, &place),
              S_OK);
    QCoreApplication::processEvents();
    return hr;
  }

  // Fires a site event whose last arguments are outputs.
  HRESULT FireSite(DISPID member, CInvokeArgs& args) { return site->Fire(member, args); }

  LONG HostId(LONG command) const { return command + kRunTimeOffset; }

  CTempFolder dir;
  std::filesystem::path file;
  CComPtr<CFakeSite> site = CComPtr<CFakeSite>::Attach(new CFakeSite);
  CComPtr<CFakeClientSite> clientSite;
  CComPtr<CQuilletExtCtrl> control;
  QWidget parent;
};

TEST_F(QuilletExtCtrlTest, CreationLoadsTheUserMergesAndShowsTheSelection) {
  ASSERT_EQ(Create(), S_OK);
  CMainDlg* view = control->View();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->parentWidget(), control->Window());
  EXPECT_EQ(control->Window()->parentWidget(), &parent);
  EXPECT_EQ(control->Window()->geometry(), QRect(10, 10, 300, 200));
  EXPECT_EQ(view->geometry(), QRect(0, 0, 300, 200));
  EXPECT_EQ(view->LastLoadResult(), 0);
  EXPECT_EQ(view->MemoList().List()->GetItemCount(), 5);
  EXPECT_EQ(site->ready, std::vector<LONG>{1});
  EXPECT_EQ(site->point.ConnectionCount(), 1u);
  EXPECT_EQ(site->application->point.ConnectionCount(), 1u);
  EXPECT_EQ(site->MainWindow().point.ConnectionCount(), 1u);
  EXPECT_EQ(site->MainWindow().ViewMenu(),
            (std::vector<std::string>{"19051", "19052", "19053", "-", AnsiText("列の表示...")}));

  // The third of five memos, then an empty list.
  view->ShowPreview(view->PositionOfRow(2));
  QCoreApplication::processEvents();
  EXPECT_EQ(site->MainWindow().statusBar->panes[1], "3 / 5");
  std::filesystem::remove(file);
  CInvokeArgs user;
  user.Utf8("Ann").Utf8(file.string());
  EXPECT_EQ(FireSite(SITE_EVENT_USER_CHANGED, user), S_OK);
  QCoreApplication::processEvents();
  EXPECT_EQ(site->MainWindow().statusBar->panes[1], "");

  // Resizing keeps the view the control's size.
  CComPtr<IOleInPlaceObject> inPlace;
  ASSERT_EQ(CComPtr<IOleObject>(control.Get()).As(inPlace), S_OK);
  const RECT bigger{0, 0, 420, 330};
  EXPECT_EQ(inPlace->SetObjectRects(&bigger, &bigger), S_OK);
  EXPECT_EQ(view->geometry(), QRect(0, 0, 420, 330));

  // Closing destroys the view, which stores its layout; a null site
  // disconnects the link.
  EXPECT_EQ(control->Close(OLECLOSE_SAVEIFDIRTY), S_OK);
  EXPECT_EQ(control->View(), nullptr);
  EXPECT_EQ(control->Window(), nullptr);
  EXPECT_FALSE(ExtensionProfile().GetProfileString("", "Heading").empty());
  EXPECT_EQ(control->SetClientSite(nullptr), S_OK);
  EXPECT_EQ(site->point.ConnectionCount(), 0u);
  EXPECT_EQ(site->application->point.ConnectionCount(), 0u);
  EXPECT_EQ(site->MainWindow().point.ConnectionCount(), 0u);
}

TEST_F(QuilletExtCtrlTest, EmptyUserAndInactiveViewLeaveTheViewEmptyAndTheMenuAlone) {
  site->userName.clear();
  site->active = 0;
  ASSERT_EQ(Create(), S_OK);
  EXPECT_NE(control->View()->LastLoadResult(), 0);
  EXPECT_EQ(control->View()->MemoList().List()->GetItemCount(), 0);
  EXPECT_EQ(site->MainWindow().ViewMenu(), (std::vector<std::string>{"19051", "19052", "19053"}));
  EXPECT_EQ(site->ready, std::vector<LONG>{1});
}

TEST_F(QuilletExtCtrlTest, SiteWithoutTheOrganizersServiceFailsAndHasNoLink) {
  clientSite->serviceError = E_NOINTERFACE;
  EXPECT_EQ(Create(), E_NOINTERFACE);
  EXPECT_EQ(control->Link(), nullptr);
  EXPECT_EQ(control->Site(), nullptr);
  ASSERT_NE(control->View(), nullptr);  // the frame and view still stand, unloaded
  EXPECT_NE(control->View()->LastLoadResult(), 0);
  EXPECT_EQ(site->point.ConnectionCount(), 0u);
  EXPECT_TRUE(site->ready.empty());
}

TEST_F(QuilletExtCtrlTest, ActivationRoundsLeaveOneSeparatorAndOneColumnsItem) {
  ASSERT_EQ(Create(), S_OK);
  const std::vector<std::string> merged{"19051", "19052", "19053", "-", AnsiText("列の表示...")};
  const std::vector<std::string> plain{"19051", "19052", "19053"};
  const struct {
    std::vector<LONG> flags;
    std::vector<std::string> menu;
  } cases[] = {
      {{0}, plain},
      {{0}, plain},  // nothing merged: the organizer's items stay
      {{1, 0, 1}, merged},
      {{1, 1}, merged},
  };
  for (const auto& c : cases) {
    for (LONG flag : c.flags) {
      CInvokeArgs args;
      args.Int(flag);
      EXPECT_EQ(FireSite(SITE_EVENT_ACTIVATE, args), S_OK);
    }
    EXPECT_EQ(site->MainWindow().ViewMenu(), c.menu) << c.flags.size();
  }
  EXPECT_EQ(control->Link()->ColumnsCommand(), 40100);
}

TEST_F(QuilletExtCtrlTest, CommandsAndStatesFollowTheRunTimeIds) {
  ASSERT_EQ(Create(), S_OK);
  CMainDlg* view = control->View();
  CListView* list = view->MemoList().List();

  // Select all through the organizer's run-time id; the fixed id is not it.
  const struct {
    LONG id, handled;
  } commands[] = {{HostId(19027), 1}, {19027, 0}, {HostId(19051), 0}};
  for (const auto& [id, handled] : commands) {
    LONG out = -1;
    CInvokeArgs args;
    args.Int(id).OutInt(&out);
    EXPECT_EQ(FireSite(SITE_EVENT_COMMAND, args), S_OK);
    EXPECT_EQ(out, handled) << id;
  }
  EXPECT_EQ(list->GetSelectedCount(), 5);

  const struct {
    LONG id, handled, enabled;
  } states[] = {
      {HostId(19010), 1, 0}, {HostId(19015), 1, 0}, {HostId(19053), 1, 0},
      {HostId(19011), 0, 0},  // save: the organizer decides
      {HostId(19060), 0, 0}, {40100, 0, 0},  // edit categories, show columns
      {19023, 0, 0},          // a fixed id is not a run-time id
      {HostId(19023), 1, 1},  // copy, rows selected
      {HostId(19025), 1, 1},  // delete
      {HostId(19020), 1, 0},  // undo, nothing deleted
      {HostId(19027), 1, 1},  // select all
  };
  for (const auto& s : states) {
    LONG handled = -1, enabled = -1, check = -1, fourth = -1;
    CInvokeArgs args;
    args.Int(s.id).OutInt(&handled).OutInt(&enabled).OutInt(&check).OutInt(&fourth);
    EXPECT_EQ(FireSite(SITE_EVENT_COMMAND_STATE, args), S_OK);
    EXPECT_EQ(handled, s.handled) << s.id;
    if (s.handled != 0) {
      EXPECT_EQ(enabled, s.enabled) << s.id;
    }
  }

  // The columns item's help text.
  LONG handled = 0;
  BSTR text = nullptr;
  CInvokeArgs help;
  help.Int(40100).OutInt(&handled).OutBstr(&text);
  EXPECT_EQ(FireSite(SITE_EVENT_COMMAND_HELP, help), S_OK);
  EXPECT_EQ(handled, 1);
  EXPECT_EQ(CBstr::Attach(text).Ansi(), AnsiText("リストのどの列を表示するか選択します"));
}

TEST_F(QuilletExtCtrlTest, HotSyncIsRefusedWhileAnEditorIsOpenEvenWithoutAView) {
  ASSERT_EQ(Create(), S_OK);
  auto query = [this](LONG& allowed, std::string& message) {
    BSTR text = nullptr;
    CInvokeArgs args;
    args.Utf8("").OutInt(&allowed).OutBstr(&text);
    EXPECT_EQ(site->application->Fire(APP_EVENT_CAN_HOTSYNC, args), S_OK);
    message = CBstr::Attach(text).Ansi();
  };
  const std::string refusal = ResourceFindString(ExtensionResources(), IDS_EDITING_NO_HOTSYNC);
  for (bool withView : {true, false}) {
    if (!withView) control->Close(OLECLOSE_SAVEIFDIRTY);
    LONG allowed = -1;
    std::string message;
    query(allowed, message);
    EXPECT_EQ(allowed, 1);
    EXPECT_EQ(message, "");
    {
      COpenEditor editor;
      query(allowed, message);
      EXPECT_EQ(allowed, 0);
      EXPECT_EQ(message, refusal);
    }
  }
}

// The organizer's save has no result: a memo file that could not be
// written is reported, and a reload that would drop the unsaved changes asks
// first ("no" keeps them).
TEST_F(QuilletExtCtrlTest, FailedSaveIsReportedAndReloadAsksBeforeDroppingChanges) {
  ASSERT_EQ(Create(), S_OK);
  CMainDlg* view = control->View();
  std::vector<std::string> shown;
  int answer = IDNO;
  SetMessageBoxHook([&](const std::string& text, const std::string&, unsigned) {
    shown.push_back(text);
    return answer;
  });
  WriteMemos(file, 3);  // another program replaced the file
  view->SetModified();
  CInvokeArgs save;
  save.Utf8("Ann").Utf8(file.string());
  EXPECT_EQ(FireSite(SITE_EVENT_SAVE, save), S_OK);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], ResourceFindString(ExtensionResources(), IDS_SAVE_FILE_CHANGED));

  CInvokeArgs user;
  user.Utf8("Ann").Utf8(file.string());
  EXPECT_EQ(FireSite(SITE_EVENT_USER_CHANGED, user), S_OK);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1], ResourceFindString(ExtensionResources(), IDS_DISCARD_UNSAVED));
  EXPECT_EQ(view->MemoList().List()->GetItemCount(), 5);
  EXPECT_TRUE(view->HasUnsavedChanges());

  answer = IDYES;
  EXPECT_EQ(FireSite(SITE_EVENT_USER_CHANGED, user), S_OK);
  EXPECT_EQ(view->MemoList().List()->GetItemCount(), 3);
  EXPECT_FALSE(view->HasUnsavedChanges());
  SetMessageBoxHook(nullptr);
}

TEST_F(QuilletExtCtrlTest, PropertiesVerbShowsThePageModally) {
  ASSERT_EQ(Create(), S_OK);
  QString caption;
  QStringList texts;
  QTimer::singleShot(0, [&] {
    QWidget* frame = QApplication::activeModalWidget();
    ASSERT_NE(frame, nullptr);
    caption = frame->windowTitle();
    for (QLabel* label : frame->findChildren<QLabel*>()) texts << label->text();
    frame->close();
  });
  EXPECT_EQ(control->DoVerb(OLEIVERB_PROPERTIES, nullptr, clientSite.Get(), 0, nullptr, nullptr), S_OK);
  EXPECT_EQ(caption, QStringLiteral("QuilletExt Property Page"));
  EXPECT_EQ(texts, QStringList{QStringLiteral(
                       "TODO: このダイアログの QuilletExt Control のプロパティを処理するコントロールを配置します。")});
}

TEST_F(QuilletExtCtrlTest, EventsWithoutAViewSucceedAndFindNothing) {
  ASSERT_EQ(control.Get(), nullptr);
  control = CComPtr<CQuilletExtCtrl>::Attach(new CQuilletExtCtrl);
  ASSERT_EQ(control->SetClientSite(clientSite.Get()), S_OK);
  ASSERT_EQ(control->Link()->Connect(), S_OK);  // connected, no window yet
  LONG found = -1, position = 7;
  BSTR first = nullptr, second = nullptr;
  CInvokeArgs find;
  find.OutBstr(&first).OutBstr(&second).OutInt(&position).OutInt(&found);
  EXPECT_EQ(FireSite(SITE_EVENT_FIND_NEXT, find), S_OK);
  EXPECT_EQ(found, 0);
  EXPECT_EQ(position, 7);
  CInvokeArgs user, save, go;
  user.Utf8("Ann").Utf8(file.string());
  go.Int(0).Int(1);
  EXPECT_EQ(FireSite(SITE_EVENT_USER_CHANGED, user), S_OK);
  EXPECT_EQ(FireSite(SITE_EVENT_SAVE, save.Utf8("").Utf8("")), S_OK);
  EXPECT_EQ(FireSite(SITE_EVENT_GO_TO_RECORD, go), S_OK);
}

// The control as the organizer gets it: from the built library, whose own
// copies of the menu handles and the module count must meet the organizer's.
TEST_F(QuilletExtCtrlTest, ControlFromTheLibraryWorksInTheOrganizersProcess) {
  const std::string library = std::string(QUILLET_BINARY_DIR) + "/extension/libQuilletExt.so";
  void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << ::dlerror();
  auto getClassObject = reinterpret_cast<DllGetClassObjectFunc>(::dlsym(handle, "DllGetClassObject"));
  auto canUnloadNow = reinterpret_cast<DllCanUnloadNowFunc>(::dlsym(handle, "DllCanUnloadNow"));
  ASSERT_TRUE(getClassObject && canUnloadNow);
  {
    CComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(CLSID_QuilletExtCtrl, IClassFactory::Iid, factory.OutVoid()), S_OK);
    CComPtr<IOleObject> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IOleObject::Iid, object.OutVoid()), S_OK);
    ASSERT_EQ(object->SetClientSite(clientSite.Get()), S_OK);
    const RECT place{0, 0, 300, 200};
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite.Get(), 0, &parent, &place),
              S_OK);
    QCoreApplication::processEvents();
    EXPECT_EQ(site->MainWindow().ViewMenu().back(), AnsiText("列の表示..."));
    EXPECT_EQ(site->MainWindow().statusBar->panes[1], "1 / 5");  // loaded, the first memo current
    EXPECT_EQ(site->ready, std::vector<LONG>{1});
    DWORD status = 0;
    EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 0x20191u);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    EXPECT_EQ(object->Close(OLECLOSE_SAVEIFDIRTY), S_OK);
    EXPECT_EQ(object->SetClientSite(nullptr), S_OK);
    EXPECT_EQ(site->point.ConnectionCount(), 0u);
    // Closed without being deactivated: its menu item (the library's code)
    // must not stay in the host's menu, which outlives the library.
    EXPECT_EQ(site->MainWindow().ViewMenu().back(), "19053");
  }
  EXPECT_EQ(canUnloadNow(), S_OK);
  ::dlclose(handle);
}

}  // namespace
