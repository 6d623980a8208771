// The organizer's main window object.

#include "hosts/organizer/HostMainWindow.h"

#include <QMenuBar>

#include "hosts/organizer/HostStatusBar.h"
#include "hosts/organizer/OrganizerWindow.h"
#include "platform/ui/MenuHandle.h"

CHostMainWindow::CHostMainWindow(COrganizerWindow* window)
    : m_window(window), m_events(this, DIID_HostMainWindowEvents) {}

CHostMainWindow::~CHostMainWindow() = default;

void CHostMainWindow::Detach() {
  m_window = nullptr;
  m_events.DisconnectAll();
}

HRESULT CHostMainWindow::GetMainMenu(LONG_PTR* menu) {
  if (!menu) return E_POINTER;
  *menu = 0;
  if (!m_window) return E_FAIL;
  *menu = CMenuHandle::Of(m_window->menuBar()).Handle();
  return S_OK;
}

HRESULT CHostMainWindow::FindMenuItem(LONG menuId, LONG commandId, LONG* position) {
  if (!position) return E_POINTER;
  *position = -1;
  if (!m_window) return E_FAIL;
  int found = -1;
  if (!m_window->FindMenuItem(menuId, commandId, found)) return E_INVALIDARG;
  *position = found;
  return S_OK;
}

HRESULT CHostMainWindow::GetStatusBar(IDispatch** statusBar) {
  if (!statusBar) return E_POINTER;
  *statusBar = nullptr;
  if (!m_window || !m_window->StatusBarObject()) return E_FAIL;
  return m_window->StatusBarObject()->QueryInterface(IID_IDispatch,
                                                     reinterpret_cast<void**>(statusBar));
}

HRESULT CHostMainWindow::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT CHostMainWindow::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
  return m_events.Find(iid, out);
}
