#pragma once
// The host link: holds the organizer's site, application and main window,
// receives the organizer's three event interfaces and turns each event into
// a call on the main view, and merges the extension's item into the
// organizer's View menu.
//
// The control creates one link per client site:
//
//   auto* link = new CSinkObject;   // the creator's reference
//   link->Initialize(site);         // application and main window from the site
//   link->SetView(view);            // once the view exists
//   link->Connect();                // events start arriving
//   ...
//   link->SetView(nullptr);         // the view is going away
//   link->Disconnect();
//   link->Release();
//
// Events that need the view do nothing (and succeed) while there is none:
// before the control's window is created and after it is destroyed.  Host
// strings arrive as BSTRs and reach the view in the ANSI code page;
// characters the code page cannot store, and broken UTF-16, arrive as "?".

#include <QPointer>

#include <string>

#include "extension/HostInterfaces.h"
#include "extension/ISinkObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/DispArgs.h"
#include "platform/com/DispatchObject.h"
#include "platform/com/EventSink.h"

class CMainDlg;

class CSinkObject final : public CDispatchObject<ISinkObject> {
 public:
  CSinkObject();

  // Stores the site, asks it for the application object (stored as
  // IHostApplication) and that for the main window (as IHostMainWindow).
  // The first failing result, else S_OK.
  HRESULT Initialize(IHostSite* site);
  // Advises the three event receivers on the site, the application and the
  // main window; sources that are missing are skipped.  The first failure.
  HRESULT Connect();
  // Takes what MergeMenus(1) added out of the host's View menu, then
  // unadvises every receiver that is connected.
  HRESULT Disconnect();
  // The current user's name and data file path; both empty without a site
  // or when the site refuses.
  HRESULT GetUserData(std::string& userName, std::string& dataPath);
  // Non-zero when the organizer shows the extension's view (0 without a site).
  LONG IsActiveView();
  // Tells the site the control is ready.
  HRESULT SetReady(LONG ready);
  // 1: appends a separator and "列の表示..." to the View menu and reads the
  // run-time ids of the organizer's commands; an item an earlier merge left
  // is taken out first, so the menu never carries two.  0: takes the
  // appended items out again.
  HRESULT MergeMenus(int flag);
  // The view the events are passed to (not owned); null when there is none.
  void SetView(CMainDlg* view);

  // The event handlers, by dispatch id (public so that the receivers and
  // tests can reach them).
  HRESULT OnSiteEvent(DISPID member, const CDispArgs& args);
  HRESULT OnApplicationEvent(DISPID member, const CDispArgs& args);

  // Command ids as read by the last MergeMenus(1); -1 before.
  int ColumnsCommand() const { return columnsCommand; }
  int CategoriesCommand() const { return categoriesCommand; }
  // The run-time id of one of the organizer's commands 19010-19053; -1 for
  // a command that is not in the table or was not read.
  int HostCommandId(LONG hostCommand) const;
  DWORD SiteCookie() const { return siteCookie; }
  DWORD ApplicationCookie() const { return applicationCookie; }
  DWORD MainWindowCookie() const { return mainWindowCookie; }
  IHostSite* Site() const { return site.Get(); }

 protected:
  ~CSinkObject() override;

 private:
  // What a host command does.
  enum class Action { None, Disabled, Save, Undo, Cut, Copy, Paste, Delete, SelectAll };
  static constexpr int kHostCommandCount = 14;
  Action ActionOf(int commandId) const;
  HRESULT RunCommand(const CDispArgs& args);
  HRESULT CommandState(const CDispArgs& args);
  // The organizer's main menu bar and its View menu; false when the
  // organizer refuses.
  HRESULT FindViewMenu(LONG_PTR& menuBar, LONG& viewPosition);
  HRESULT ReadCommandId(LONG_PTR menuBar, LONG menu, LONG command, int& id);
  // Removes the separator and item an earlier merge appended behind 19053.
  HRESULT RemoveMergedItems(LONG_PTR menuBar, LONG viewPosition);
  // Saves the view.  The organizer's save has no result, so a memo file
  // that could not be written is reported to the user here.
  void SaveView();
  // Whether the view may load the user's file again: yes when nothing is
  // unsaved or it can be saved now; otherwise the user decides whether the
  // changes are dropped (no keeps them on screen and skips the load).
  bool MayReload();

  CComPtr<CEventSink> siteEvents;
  CComPtr<CEventSink> applicationEvents;
  CComPtr<CEventSink> mainWindowEvents;
  CComPtr<IHostSite> site;
  CComPtr<IHostApplication> application;
  CComPtr<IHostMainWindow> mainWindow;
  DWORD siteCookie = 0;
  DWORD applicationCookie = 0;
  DWORD mainWindowCookie = 0;
  QPointer<CMainDlg> view;
  int hostCommandIds[kHostCommandCount];
  int columnsCommand = -1;
  int categoriesCommand = -1;
};
