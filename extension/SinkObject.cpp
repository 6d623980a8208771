#include "extension/SinkObject.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "editing/OpenEditorCount.h"
#include "platform/com/Bstr.h"
#include "platform/ui/MenuHandle.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowMessage.h"
#include "resources/extension/ExtensionIds.h"
#include "resources/extension/ExtensionModule.h"
#include "viewer/MainDlg.h"

namespace {

// The organizer's commands whose run-time ids the link reads, with the menu
// each sits in, in the order of the link's id table.
struct HostCommandEntry {
  LONG menu;
  LONG command;
};
constexpr HostCommandEntry kHostCommands[] = {
    {HOST_MENU_FILE, HOST_CMD_FILE_19010},  {HOST_MENU_FILE, HOST_CMD_FILE_19012},
    {HOST_MENU_FILE, HOST_CMD_FILE_19014},  {HOST_MENU_FILE, HOST_CMD_FILE_19015},
    {HOST_MENU_FILE, HOST_CMD_SAVE},        {HOST_MENU_EDIT, HOST_CMD_UNDO},
    {HOST_MENU_EDIT, HOST_CMD_CUT},         {HOST_MENU_EDIT, HOST_CMD_COPY},
    {HOST_MENU_EDIT, HOST_CMD_PASTE},       {HOST_MENU_EDIT, HOST_CMD_DELETE},
    {HOST_MENU_EDIT, HOST_CMD_SELECT_ALL},  {HOST_MENU_VIEW, HOST_CMD_VIEW_19051},
    {HOST_MENU_VIEW, HOST_CMD_VIEW_19052},  {HOST_MENU_VIEW, HOST_CMD_VIEW_19053},
};

// The extension's own item in the View menu: its id is the organizer's base
// plus this offset.
constexpr int kColumnsCommandOffset = 100;
constexpr const char* kColumnsItemText = "列の表示...";
constexpr const char* kColumnsHelpText = "リストのどの列を表示するか選択します";

}  // namespace

CSinkObject::CSinkObject() {
  std::fill(std::begin(hostCommandIds), std::end(hostCommandIds), -1);
  // The receivers call back into this link; the link clears their handlers
  // before it goes, so they never outlive it as callers.
  auto handler = [this](bool fromSite) {
    return [this, fromSite](DISPID member, const CDispArgs& args, VARIANT*) -> HRESULT {
      // An event may end in the organizer letting go of the link (a modal
      // dialog runs the event loop): keep it for the call.
      AddRef();
      const HRESULT hr = fromSite ? OnSiteEvent(member, args) : OnApplicationEvent(member, args);
      Release();
      return hr;
    };
  };
  siteEvents = CComPtr<CEventSink>::Attach(new CEventSink(DIID_HostSiteEvents, handler(true)));
  applicationEvents =
      CComPtr<CEventSink>::Attach(new CEventSink(DIID_HostApplicationEvents, handler(false)));
  // The main window's events are all ignored.
  mainWindowEvents = CComPtr<CEventSink>::Attach(new CEventSink(
      DIID_HostMainWindowEvents, [](DISPID, const CDispArgs&, VARIANT*) { return S_OK; }));
}

CSinkObject::~CSinkObject() {
  Disconnect();
  for (CEventSink* receiver : {siteEvents.Get(), applicationEvents.Get(), mainWindowEvents.Get()}) {
    receiver->ClearHandler();
  }
}

HRESULT CSinkObject::Initialize(IHostSite* newSite) {
  site = CComPtr<IHostSite>(newSite);
  application.Reset();
  mainWindow.Reset();
  if (!site) return E_POINTER;
  CComPtr<IDispatch> object;
  HRESULT hr = site->GetApplication(object.Out());
  if (FAILED(hr)) return hr;
  if (!object) return S_OK;
  hr = object.As(application);
  if (FAILED(hr)) return hr;
  hr = application->GetMainWindow(object.Out());
  if (FAILED(hr)) return hr;
  if (!object) return S_OK;
  return object.As(mainWindow);
}

HRESULT CSinkObject::Connect() {
  HRESULT first = S_OK;
  auto connect = [&first](CEventSink& receiver, IUnknown* source, DWORD& cookie) {
    if (source == nullptr) return;
    const HRESULT hr = receiver.Connect(source);
    cookie = receiver.Cookie();
    if (FAILED(hr) && SUCCEEDED(first)) first = hr;
  };
  connect(*siteEvents.Get(), site.Get(), siteCookie);
  connect(*applicationEvents.Get(), application.Get(), applicationCookie);
  connect(*mainWindowEvents.Get(), mainWindow.Get(), mainWindowCookie);
  return first;
}

HRESULT CSinkObject::Disconnect() {
  // The item merged into the host's View menu runs this library's code when
  // chosen; a host that lets the control go without deactivating it first
  // may unload the library next, so the item leaves with the link, as it
  // does when the host deactivates the view.
  if (columnsCommand > 0) (void)MergeMenus(0);
  HRESULT first = S_OK;
  auto disconnect = [&first](CEventSink& receiver, DWORD& cookie) {
    if (cookie == 0) return;
    const HRESULT hr = receiver.Disconnect();
    cookie = 0;
    if (FAILED(hr) && SUCCEEDED(first)) first = hr;
  };
  disconnect(*siteEvents.Get(), siteCookie);
  disconnect(*applicationEvents.Get(), applicationCookie);
  disconnect(*mainWindowEvents.Get(), mainWindowCookie);
  return first;
}

HRESULT CSinkObject::GetUserData(std::string& userName, std::string& dataPath) {
  userName.clear();
  dataPath.clear();
  if (!site) return S_OK;
  CBstr name;
  CBstr path;
  const HRESULT hr = site->GetUserData(name.Out(), path.Out());
  if (FAILED(hr)) return hr;
  userName = name.Ansi();
  dataPath = path.Ansi();
  return S_OK;
}

LONG CSinkObject::IsActiveView() {
  LONG active = 0;
  if (site && FAILED(site->IsActiveView(&active))) return 0;
  return active;
}

HRESULT CSinkObject::SetReady(LONG ready) { return site ? site->SetReady(ready) : S_OK; }

void CSinkObject::SetView(CMainDlg* newView) { view = newView; }

int CSinkObject::HostCommandId(LONG hostCommand) const {
  for (std::size_t i = 0; i < std::size(kHostCommands); ++i) {
    if (kHostCommands[i].command == hostCommand) return hostCommandIds[i];
  }
  return -1;
}

HRESULT CSinkObject::FindViewMenu(LONG_PTR& menuBar, LONG& viewPosition) {
  if (!site || !mainWindow) return E_UNEXPECTED;
  HRESULT hr = mainWindow->GetMainMenu(&menuBar);
  if (FAILED(hr)) return hr;
  return mainWindow->FindMenuItem(HOST_MENU_VIEW, 0, &viewPosition);
}

HRESULT CSinkObject::ReadCommandId(LONG_PTR menuBar, LONG menu, LONG command, int& id) {
  id = -1;
  LONG menuPosition = -1;
  HRESULT hr = mainWindow->FindMenuItem(menu, 0, &menuPosition);
  if (FAILED(hr)) return hr;
  LONG position = -1;
  hr = mainWindow->FindMenuItem(menu, command, &position);
  if (FAILED(hr)) return hr;
  id = CMenuHandle(menuBar).GetSubMenu(menuPosition).GetItemId(position);
  return S_OK;
}

HRESULT CSinkObject::RemoveMergedItems(LONG_PTR menuBar, LONG viewPosition) {
  LONG position = -1;
  const HRESULT hr = mainWindow->FindMenuItem(HOST_MENU_VIEW, HOST_CMD_VIEW_19053, &position);
  if (FAILED(hr)) return hr;
  const CMenuHandle viewMenu = CMenuHandle(menuBar).GetSubMenu(viewPosition);
  // Only what an earlier merge appended goes: the separator and the item
  // behind it.  The organizer's own items stay when nothing was merged.
  if (columnsCommand > 0 && viewMenu.GetItemId(position + 1) == 0 &&
      viewMenu.GetItemId(position + 2) == columnsCommand) {
    viewMenu.DeleteItem(position + 1, MF_BYPOSITION);
    viewMenu.DeleteItem(position + 1, MF_BYPOSITION);
  }
  return S_OK;
}

HRESULT CSinkObject::MergeMenus(int flag) {
  LONG base = 0;
  if (!site) return E_UNEXPECTED;
  HRESULT hr = site->GetCommandBase(&base);
  if (FAILED(hr)) return hr;
  LONG_PTR menuBar = 0;
  LONG viewPosition = -1;
  hr = FindViewMenu(menuBar, viewPosition);
  if (FAILED(hr)) return hr;
  hr = RemoveMergedItems(menuBar, viewPosition);
  if (FAILED(hr) || flag == 0) return hr;

  columnsCommand = static_cast<int>(base) + kColumnsCommandOffset;
  const CMenuHandle viewMenu = CMenuHandle(menuBar).GetSubMenu(viewPosition);
  viewMenu.AppendSeparator();
  viewMenu.AppendItem(columnsCommand, AnsiText(kColumnsItemText));
  for (std::size_t i = 0; i < std::size(kHostCommands); ++i) {
    hr = ReadCommandId(menuBar, kHostCommands[i].menu, kHostCommands[i].command, hostCommandIds[i]);
    if (FAILED(hr)) return hr;
  }
  return ReadCommandId(menuBar, HOST_MENU_TOOLS, HOST_CMD_EDIT_CATEGORIES, categoriesCommand);
}

CSinkObject::Action CSinkObject::ActionOf(int commandId) const {
  // Ids that could not be read (-1, or 0 for a separator) match nothing.
  if (commandId <= 0) return Action::None;
  for (std::size_t i = 0; i < std::size(kHostCommands); ++i) {
    if (hostCommandIds[i] != commandId) continue;
    switch (kHostCommands[i].command) {
      case HOST_CMD_SAVE: return Action::Save;
      case HOST_CMD_UNDO: return Action::Undo;
      case HOST_CMD_CUT: return Action::Cut;
      case HOST_CMD_COPY: return Action::Copy;
      case HOST_CMD_PASTE: return Action::Paste;
      case HOST_CMD_DELETE: return Action::Delete;
      case HOST_CMD_SELECT_ALL: return Action::SelectAll;
      default: return Action::Disabled;
    }
  }
  return Action::None;
}

HRESULT CSinkObject::RunCommand(const CDispArgs& args) {
  LONG id = 0;
  HRESULT hr = args.GetInt(0, id);
  if (FAILED(hr)) return hr;
  bool handled = true;
  CMainDlg* target = view.data();
  if (target == nullptr) {
    handled = false;
  } else if (id > 0 && id == columnsCommand) {
    target->ShowColumns();
  } else if (id > 0 && id == categoriesCommand) {
    target->EditCategoriesCommand();
  } else {
    switch (ActionOf(static_cast<int>(id))) {
      case Action::Save: SaveView(); break;
      case Action::Undo: target->Undo(); break;
      case Action::Cut: target->Cut(); break;
      case Action::Copy: target->Copy(); break;
      case Action::Paste: target->Paste(); break;
      case Action::Delete: target->DeleteMemos(); break;
      case Action::SelectAll: target->SelectAll(); break;
      case Action::None:
      case Action::Disabled: handled = false; break;
    }
  }
  return args.SetInt(1, handled ? 1 : 0);
}

HRESULT CSinkObject::CommandState(const CDispArgs& args) {
  LONG id = 0;
  HRESULT hr = args.GetInt(0, id);
  if (FAILED(hr)) return hr;
  int handled = 0;
  int enabled = 0;
  int check = 0;
  int fourth = 0;
  int viewCommand = 0;
  switch (ActionOf(static_cast<int>(id))) {
    case Action::Disabled: handled = 1; break;
    case Action::Undo: viewCommand = ID_EDIT_UNDO; break;
    case Action::Cut: viewCommand = ID_EDIT_CUT; break;
    case Action::Copy: viewCommand = ID_EDIT_COPY; break;
    case Action::Paste: viewCommand = ID_EDIT_PASTE; break;
    case Action::Delete: viewCommand = ID_DELETE_MEMOS; break;
    case Action::SelectAll: viewCommand = ID_EDIT_SELECT_ALL; break;
    case Action::Save:
    case Action::None: break;  // the organizer decides
  }
  if (viewCommand != 0 && view) view->GetCommandState(viewCommand, handled, enabled, check, fourth);
  // Outputs the organizer did not pass are not written.
  for (UINT i = 1; i < args.Count() && i <= 4; ++i) {
    const int value = i == 1 ? handled : i == 2 ? enabled : i == 3 ? check : fourth;
    hr = args.SetInt(i, value);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT CSinkObject::OnSiteEvent(DISPID member, const CDispArgs& args) {
  HRESULT hr = S_OK;
  switch (member) {
    case SITE_EVENT_ACTIVATE: {
      LONG flag = 0;
      hr = args.GetInt(0, flag);
      if (FAILED(hr)) return hr;
      hr = MergeMenus(flag != 0 ? 1 : 0);
      if (view) view->SetActive(flag != 0 ? 1 : 0);
      return hr;
    }
    case SITE_EVENT_USER_CHANGED: {
      std::string userName;
      std::string dataPath;
      if (FAILED(hr = args.GetAnsi(0, userName)) || FAILED(hr = args.GetAnsi(1, dataPath))) return hr;
      if (view && MayReload()) view->LoadUserData(userName, dataPath);
      return S_OK;
    }
    case SITE_EVENT_SAVE:
      if (view) SaveView();
      return S_OK;
    case SITE_EVENT_COMMAND:
      return RunCommand(args);
    case SITE_EVENT_COMMAND_STATE:
      return CommandState(args);
    case SITE_EVENT_COMMAND_HELP: {
      LONG id = 0;
      if (FAILED(hr = args.GetInt(0, id))) return hr;
      if (id > 0 && id == columnsCommand) {
        if (FAILED(hr = args.SetInt(1, 1))) return hr;
        return args.SetAnsi(2, AnsiText(kColumnsHelpText));
      }
      return args.SetInt(1, 0);
    }
    case SITE_EVENT_8:
      return args.SetInt(1, 0);
    case SITE_EVENT_9:
      return args.SetInt(2, 0);
    case SITE_EVENT_MESSAGE: {
      WindowMsg message;
      LONG number = 0;
      LONG wParam = 0;
      LONG lParam = 0;
      if (FAILED(hr = args.GetInt(1, number)) || FAILED(hr = args.GetInt(2, wParam)) ||
          FAILED(hr = args.GetInt(3, lParam))) {
        return hr;
      }
      message.message = static_cast<unsigned>(number);
      message.wParam = wParam;
      message.lParam = lParam;
      const bool taken = view && view->PreTranslateHostMessage(message);
      return args.SetInt(7, taken ? 1 : 0);
    }
    case SITE_EVENT_BEGIN_SEARCH: {
      std::string text;
      LONG matchCase = 0;
      LONG third = 0;
      if (FAILED(hr = args.GetAnsi(0, text)) || FAILED(hr = args.GetInt(1, matchCase))) return hr;
      args.GetInt(2, third);  // ignored by the view; may be missing
      if (view) view->BeginSearch(text, static_cast<int>(matchCase), static_cast<int>(third));
      return S_OK;
    }
    case SITE_EVENT_FIND_NEXT: {
      std::string first;
      std::string second;
      int position = -1;
      int found = 0;
      if (view) view->FindNext(first, second, position, found);
      if (found != 0) {
        if (FAILED(hr = args.SetAnsi(0, first)) || FAILED(hr = args.SetAnsi(1, second)) ||
            FAILED(hr = args.SetInt(2, position))) {
          return hr;
        }
      }
      return args.SetInt(3, found);
    }
    case SITE_EVENT_GO_TO_RECORD: {
      LONG position = -1;
      LONG refresh = 0;
      if (FAILED(hr = args.GetInt(0, position)) || FAILED(hr = args.GetInt(1, refresh))) return hr;
      if (view) view->GoToRecord(static_cast<int>(position), static_cast<int>(refresh));
      return S_OK;
    }
    default:
      return S_OK;  // events the extension ignores
  }
}

HRESULT CSinkObject::OnApplicationEvent(DISPID member, const CDispArgs& args) {
  if (member != APP_EVENT_CAN_HOTSYNC) return S_OK;
  int allowed = 1;
  std::string message;
  if (view) {
    view->CanHotSync(allowed, message);
  } else if (COpenEditorCount::Value() > 0) {
    // No view, yet an editing dialog is open: the same refusal.
    allowed = 0;
    const char* text = ResourceFindString(ExtensionResources(), IDS_EDITING_NO_HOTSYNC);
    message = text != nullptr ? text : "";
  }
  HRESULT hr = args.SetInt(1, allowed);
  if (FAILED(hr)) return hr;
  return args.SetAnsi(2, message);
}

void CSinkObject::SaveView() {
  if (!view) return;
  std::uint32_t text = 0;
  switch (view->SaveIfModified()) {
    case CMainDlg::SAVE_OK: return;
    case CMainDlg::SAVE_FILE_BUSY: text = IDS_SAVE_FILE_BUSY; break;
    case CMainDlg::SAVE_FILE_CHANGED: text = IDS_SAVE_FILE_CHANGED; break;
    default: text = IDS_SAVE_FAILED; break;
  }
  ResourceMessageBox(view, ExtensionResources(), text, IDS_QUILLET, MB_OK | MB_ICONEXCLAMATION);
}

bool CSinkObject::MayReload() {
  if (!view || !view->HasUnsavedChanges()) return true;
  if (view->SaveIfModified() == CMainDlg::SAVE_OK) return true;
  return ResourceMessageBox(view, ExtensionResources(), IDS_DISCARD_UNSAVED, IDS_QUILLET,
                            MB_YESNO | MB_ICONQUESTION) == IDYES;
}
