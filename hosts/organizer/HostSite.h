#pragma once
// The site the organizer gives one extension's control.  The control's client
// site (IOleClientSite) answers IServiceProvider, and the service kSiteService
// is this same object as IHostSite.  It is the source of the site events: the
// organizer fires them through SiteEvents() on every receiver the extension
// connected.
//
// The site holds a plain pointer to the organizer's window, which owns it;
// when the window goes first it calls Detach, and from then on every method
// that needs the window answers E_FAIL.

#include <string>

#include "extension/HostInterfaces.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/DispatchObject.h"
#include "platform/com/IConnectionPointContainer.h"
#include "platform/com/IOleClientSite.h"
#include "platform/com/IServiceProvider.h"

class COrganizerWindow;

class CHostSite final
    : public CDispatchObject<IHostSite, IConnectionPointContainer, IOleClientSite, IServiceProvider> {
 public:
  // `extension` names the entry of the organizer's list this site serves;
  // `commandBase` is the first command id its own menu items may take.
  CHostSite(COrganizerWindow* window, std::string extension, LONG commandBase);

  // IHostSite
  HRESULT GetApplication(IDispatch** application) override;
  HRESULT Reserved8() override { return E_NOTIMPL; }
  HRESULT Reserved9() override { return E_NOTIMPL; }
  HRESULT Reserved10() override { return E_NOTIMPL; }
  HRESULT Reserved11() override { return E_NOTIMPL; }
  HRESULT GetCommandBase(LONG* base) override;
  HRESULT Reserved13() override { return E_NOTIMPL; }
  HRESULT Reserved14() override { return E_NOTIMPL; }
  HRESULT Reserved15() override { return E_NOTIMPL; }
  HRESULT GetUserData(BSTR* userName, BSTR* dataPath) override;
  HRESULT IsActiveView(LONG* active) override;
  HRESULT Reserved18() override { return E_NOTIMPL; }
  HRESULT SetReady(LONG ready) override;

  // IConnectionPointContainer: the site events only.
  HRESULT EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

  // IOleClientSite: nothing to save or show on the control's request.
  HRESULT SaveObject() override { return S_OK; }
  HRESULT GetMoniker(DWORD, DWORD, IUnknown** moniker) override;
  HRESULT GetContainer(IUnknown** container) override;
  HRESULT ShowObject() override { return S_OK; }
  HRESULT OnShowWindow(BOOL) override { return S_OK; }
  HRESULT RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IServiceProvider: kSiteService is this site.
  HRESULT QueryService(REFGUID service, REFIID iid, void** out) override;

  CConnectionPoint& SiteEvents() { return m_events; }
  const std::string& Extension() const { return m_extension; }
  LONG CommandBase() const { return m_commandBase; }
  // The last value the control passed to SetReady.
  LONG Ready() const { return m_ready; }
  // The window is going: forget it and drop every receiver.
  void Detach();

 private:
  ~CHostSite() override;

  COrganizerWindow* m_window;
  std::string m_extension;
  LONG m_commandBase;
  LONG m_ready = 0;
  CConnectionPoint m_events;
};
