// The organizer application object.

#include "hosts/organizer/HostApplication.h"

#include "hosts/organizer/HostMainWindow.h"
#include "hosts/organizer/OrganizerWindow.h"

CHostApplication::CHostApplication(COrganizerWindow* window)
    : m_window(window), m_events(this, DIID_HostApplicationEvents) {}

CHostApplication::~CHostApplication() = default;

void CHostApplication::Detach() {
  m_window = nullptr;
  m_events.DisconnectAll();
}

HRESULT CHostApplication::GetMainWindow(IDispatch** mainWindow) {
  if (!mainWindow) return E_POINTER;
  *mainWindow = nullptr;
  if (!m_window || !m_window->MainWindowObject()) return E_FAIL;
  return m_window->MainWindowObject()->QueryInterface(IID_IDispatch,
                                                      reinterpret_cast<void**>(mainWindow));
}

HRESULT CHostApplication::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT CHostApplication::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
  return m_events.Find(iid, out);
}
