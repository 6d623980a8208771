#pragma once
// The organizer application as an extension sees it: it hands out the main
// window object and is the source of the application events (fired through
// ApplicationEvents()).  Holds a plain pointer to the window that owns it;
// after Detach every method that needs the window answers E_FAIL.

#include "extension/HostInterfaces.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/DispatchObject.h"
#include "platform/com/IConnectionPointContainer.h"

class COrganizerWindow;

class CHostApplication final : public CDispatchObject<IHostApplication, IConnectionPointContainer> {
 public:
  explicit CHostApplication(COrganizerWindow* window);

  HRESULT Reserved7() override { return E_NOTIMPL; }
  HRESULT Reserved8() override { return E_NOTIMPL; }
  HRESULT Reserved9() override { return E_NOTIMPL; }
  HRESULT Reserved10() override { return E_NOTIMPL; }
  HRESULT Reserved11() override { return E_NOTIMPL; }
  HRESULT Reserved12() override { return E_NOTIMPL; }
  HRESULT Reserved13() override { return E_NOTIMPL; }
  HRESULT Reserved14() override { return E_NOTIMPL; }
  HRESULT Reserved15() override { return E_NOTIMPL; }
  HRESULT GetMainWindow(IDispatch** mainWindow) override;

  HRESULT EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

  CConnectionPoint& ApplicationEvents() { return m_events; }
  void Detach();

 private:
  ~CHostApplication() override;

  COrganizerWindow* m_window;
  CConnectionPoint m_events;
};
