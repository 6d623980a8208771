#pragma once
// The organizer's main window as an extension sees it: the handle of its menu
// bar, where a menu or a command sits in it, and its status bar.  Source of
// the main-window events (MainWindowEvents()).  Holds a plain pointer to the
// window that owns it; after Detach every method answers E_FAIL.

#include "extension/HostInterfaces.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/DispatchObject.h"
#include "platform/com/IConnectionPointContainer.h"

class COrganizerWindow;

class CHostMainWindow final : public CDispatchObject<IHostMainWindow, IConnectionPointContainer> {
 public:
  explicit CHostMainWindow(COrganizerWindow* window);

  HRESULT Reserved7() override { return E_NOTIMPL; }
  HRESULT Reserved8() override { return E_NOTIMPL; }
  HRESULT Reserved9() override { return E_NOTIMPL; }
  // The menu bar's menu handle.
  HRESULT GetMainMenu(LONG_PTR* menu) override;
  HRESULT Reserved11() override { return E_NOTIMPL; }
  HRESULT Reserved12() override { return E_NOTIMPL; }
  // E_INVALIDARG for a menu or command the window does not have.
  HRESULT FindMenuItem(LONG menuId, LONG commandId, LONG* position) override;
  HRESULT GetStatusBar(IDispatch** statusBar) override;

  HRESULT EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

  CConnectionPoint& MainWindowEvents() { return m_events; }
  void Detach();

 private:
  ~CHostMainWindow() override;

  COrganizerWindow* m_window;
  CConnectionPoint m_events;
};
