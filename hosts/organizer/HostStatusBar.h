#pragma once
// The status bar of the organizer's window as an extension sees it: it sets
// the text of one pane.  Holds a plain pointer to the window that owns it;
// after Detach it answers E_FAIL.

#include "extension/HostInterfaces.h"
#include "platform/com/DispatchObject.h"

class COrganizerWindow;

class CHostStatusBar final : public CDispatchObject<IHostStatusBar> {
 public:
  explicit CHostStatusBar(COrganizerWindow* window);

  HRESULT Reserved7() override { return E_NOTIMPL; }
  HRESULT Reserved8() override { return E_NOTIMPL; }
  // E_INVALIDARG for a pane the status bar does not have.
  HRESULT SetPaneText(LONG pane, BSTR text) override;

  void Detach() { m_window = nullptr; }

 private:
  ~CHostStatusBar() override = default;

  COrganizerWindow* m_window;
};
