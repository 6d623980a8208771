// The extension's site in the organizer.

#include "hosts/organizer/HostSite.h"

#include <utility>

#include "hosts/organizer/HostApplication.h"
#include "hosts/organizer/OrganizerWindow.h"
#include "platform/com/Bstr.h"

CHostSite::CHostSite(COrganizerWindow* window, std::string extension, LONG commandBase)
    : m_window(window),
      m_extension(std::move(extension)),
      m_commandBase(commandBase),
      m_events(this, DIID_HostSiteEvents) {}

CHostSite::~CHostSite() = default;

void CHostSite::Detach() {
  m_window = nullptr;
  m_events.DisconnectAll();
}

HRESULT CHostSite::GetApplication(IDispatch** application) {
  if (!application) return E_POINTER;
  *application = nullptr;
  if (!m_window || !m_window->ApplicationObject()) return E_FAIL;
  return m_window->ApplicationObject()->QueryInterface(IID_IDispatch,
                                                       reinterpret_cast<void**>(application));
}

HRESULT CHostSite::GetCommandBase(LONG* base) {
  if (!base) return E_POINTER;
  *base = m_commandBase;
  return m_window ? S_OK : E_FAIL;
}

HRESULT CHostSite::GetUserData(BSTR* userName, BSTR* dataPath) {
  if (!userName || !dataPath) return E_POINTER;
  *userName = nullptr;
  *dataPath = nullptr;
  if (!m_window) return E_FAIL;
  const std::string user = m_window->CurrentUser();
  if (user.empty()) return S_OK;  // no user yet: both empty
  *userName = BstrFromUtf8(user);
  *dataPath = BstrFromUtf8(m_window->DataPath(m_extension));
  return S_OK;
}

HRESULT CHostSite::IsActiveView(LONG* active) {
  if (!active) return E_POINTER;
  *active = 0;
  if (!m_window) return E_FAIL;
  *active = m_window->IsActiveSite(this) ? 1 : 0;
  return S_OK;
}

HRESULT CHostSite::SetReady(LONG ready) {
  if (!m_window) return E_FAIL;
  m_ready = ready;
  return S_OK;
}

HRESULT CHostSite::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT CHostSite::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
  return m_events.Find(iid, out);
}

HRESULT CHostSite::GetMoniker(DWORD, DWORD, IUnknown** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT CHostSite::GetContainer(IUnknown** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

HRESULT CHostSite::QueryService(REFGUID service, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (service != kSiteService) return E_NOINTERFACE;
  return QueryInterface(iid, out);
}
