#pragma once
// A small organizer in the test process for the extension control and its
// host link: client site, site, application, main window and status bar,
// each event source with its connection point, and a real menu bar with the
// organizer's menus 18001-18004.  The commands' run-time ids differ from
// their fixed ids (fixed id + kRunTimeOffset) so that a link that did not
// read them from the menus is caught.

#include <QMenu>
#include <QMenuBar>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "extension/HostInterfaces.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/DispatchObject.h"
#include "platform/com/IOleClientSite.h"
#include "platform/com/IServiceProvider.h"
#include "platform/com/InvokeArgs.h"
#include "platform/ui/MenuHandle.h"

namespace exttest {

#define NOT_USED(n) \
  HRESULT Reserved##n() override { return E_NOTIMPL; }

inline constexpr int kRunTimeOffset = 11000;

// The connection-point plumbing every event source of the organizer shares.
template <class Interface>
class CSource : public CDispatchObject<Interface, IConnectionPointContainer> {
 public:
  explicit CSource(REFIID events) : point(this, events) {}
  HRESULT EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
    return point.Find(iid, out);
  }
  HRESULT Fire(DISPID member, CInvokeArgs& args) { return point.Fire(member, args.Params()); }
  CConnectionPoint point;

 protected:
  ~CSource() override { point.DisconnectAll(); }
};

class CFakeStatusBar final : public CDispatchObject<IHostStatusBar> {
 public:
  std::map<LONG, std::string> panes;
  HRESULT SetPaneText(LONG pane, BSTR text) override {
    BstrToUtf8(text, panes[pane]);
    return S_OK;
  }
  NOT_USED(7) NOT_USED(8)
};

class CFakeMainWindow final : public CSource<IHostMainWindow> {
 public:
  CFakeMainWindow()
      : CSource(DIID_HostMainWindowEvents),
        statusBar(CComPtr<CFakeStatusBar>::Attach(new CFakeStatusBar)) {
    const std::pair<LONG, std::vector<LONG>> menus[] = {
        {HOST_MENU_FILE, {19010, 19011, 19012, 19014, 19015}},
        {HOST_MENU_EDIT, {19020, 19022, 19023, 19024, 19025, 19027}},
        {HOST_MENU_VIEW, {19051, 19052, 19053}},
        {HOST_MENU_TOOLS, {19060}},
    };
    for (const auto& [id, commands] : menus) {
      QMenu* menu = menuBar.addMenu(QString::number(id));
      menuIds.push_back(id);
      for (LONG command : commands) {
        CMenuHandle::Of(menu).AppendItem(command + kRunTimeOffset, std::to_string(command));
      }
    }
  }
  HRESULT GetMainMenu(LONG_PTR* menu) override {
    *menu = CMenuHandle::Of(&menuBar).Handle();
    return S_OK;
  }
  HRESULT FindMenuItem(LONG menuId, LONG commandId, LONG* position) override {
    *position = -1;
    for (std::size_t i = 0; i < menuIds.size(); ++i) {
      if (menuIds[i] != menuId) continue;
      if (commandId == 0) {
        *position = static_cast<LONG>(i);
      } else {
        *position = CMenuHandle::Of(&menuBar).GetSubMenu(static_cast<int>(i)).FindCommand(
            commandId + kRunTimeOffset);
      }
      return S_OK;
    }
    return E_INVALIDARG;
  }
  HRESULT GetStatusBar(IDispatch** out) override {
    statusBar->AddRef();
    *out = statusBar.Get();
    return S_OK;
  }
  // The texts of the View menu's items (separators as "-").
  std::vector<std::string> ViewMenu() {
    std::vector<std::string> items;
    const CMenuHandle view = CMenuHandle::Of(&menuBar).GetSubMenu(2);
    for (int i = 0; i < view.GetItemCount(); ++i) {
      items.push_back(view.GetItemId(i) == 0 ? "-" : view.GetItemText(i));
    }
    return items;
  }
  NOT_USED(7) NOT_USED(8) NOT_USED(9) NOT_USED(11) NOT_USED(12)

  QMenuBar menuBar;
  std::vector<LONG> menuIds;
  CComPtr<CFakeStatusBar> statusBar;
};

class CFakeApplication final : public CSource<IHostApplication> {
 public:
  CFakeApplication()
      : CSource(DIID_HostApplicationEvents),
        mainWindow(CComPtr<CFakeMainWindow>::Attach(new CFakeMainWindow)) {}
  HRESULT GetMainWindow(IDispatch** out) override {
    mainWindow->AddRef();
    *out = static_cast<IHostMainWindow*>(mainWindow.Get());
    return S_OK;
  }
  NOT_USED(7) NOT_USED(8) NOT_USED(9) NOT_USED(10) NOT_USED(11) NOT_USED(12) NOT_USED(13)
  NOT_USED(14) NOT_USED(15)

  CComPtr<CFakeMainWindow> mainWindow;
};

class CFakeSite final : public CSource<IHostSite> {
 public:
  CFakeSite()
      : CSource(DIID_HostSiteEvents),
        application(CComPtr<CFakeApplication>::Attach(new CFakeApplication)) {}
  HRESULT GetApplication(IDispatch** out) override {
    application->AddRef();
    *out = static_cast<IHostApplication*>(application.Get());
    return S_OK;
  }
  HRESULT GetCommandBase(LONG* base) override {
    *base = commandBase;
    return S_OK;
  }
  HRESULT GetUserData(BSTR* user, BSTR* path) override {
    *user = BstrFromUtf8(userName);
    *path = BstrFromUtf8(dataPath);
    return S_OK;
  }
  HRESULT IsActiveView(LONG* value) override {
    *value = active;
    return S_OK;
  }
  HRESULT SetReady(LONG value) override {
    ready.push_back(value);
    return S_OK;
  }
  NOT_USED(8) NOT_USED(9) NOT_USED(10) NOT_USED(11) NOT_USED(13) NOT_USED(14) NOT_USED(15)
  NOT_USED(18)

  CFakeMainWindow& MainWindow() { return *application->mainWindow.Get(); }

  CComPtr<CFakeApplication> application;
  LONG commandBase = 40000;
  std::string userName;
  std::string dataPath;
  LONG active = 1;
  std::vector<LONG> ready;
};

// The organizer's client site: hands out the site as its service, or fails
// with `serviceError`.
class CFakeClientSite final : public CComObject<IOleClientSite, IServiceProvider> {
 public:
  explicit CFakeClientSite(CFakeSite* site) : m_site(site) {}
  HRESULT SaveObject() override { return E_NOTIMPL; }
  HRESULT GetMoniker(DWORD, DWORD, IUnknown**) override { return E_NOTIMPL; }
  HRESULT GetContainer(IUnknown**) override { return E_NOTIMPL; }
  HRESULT ShowObject() override { return S_OK; }
  HRESULT OnShowWindow(BOOL) override { return S_OK; }
  HRESULT RequestNewObjectLayout() override { return E_NOTIMPL; }
  HRESULT QueryService(REFGUID service, REFIID iid, void** out) override {
    *out = nullptr;
    if (FAILED(serviceError)) return serviceError;
    if (service != kSiteService) return E_NOINTERFACE;
    return m_site->QueryInterface(iid, out);
  }
  HRESULT serviceError = S_OK;

 private:
  CFakeSite* m_site;
};

#undef NOT_USED

}  // namespace exttest
