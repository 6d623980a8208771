// The status bar object of the organizer's window.

#include "hosts/organizer/HostStatusBar.h"

#include <QString>

#include "hosts/organizer/OrganizerWindow.h"
#include "platform/com/Bstr.h"

CHostStatusBar::CHostStatusBar(COrganizerWindow* window) : m_window(window) {}

HRESULT CHostStatusBar::SetPaneText(LONG pane, BSTR text) {
  if (!m_window) return E_FAIL;
  if (pane < 0 || pane >= COrganizerWindow::kStatusPanes) return E_INVALIDARG;
  const QString shown = QString::fromUtf16(text ? text : u"", static_cast<qsizetype>(SysStringLen(text)));
  return m_window->SetPaneText(static_cast<int>(pane), shown) ? S_OK : E_FAIL;
}
