#pragma once
// The control's property page: the class the organizer may create by class
// id (an IPropertyPage) and the page itself, a child dialog from template
// 200 that holds a note and no settings.  RunPropertyFrame shows it in a
// modal frame captioned "QuilletExt Property Page", as the control's
// properties verb does.

#include <QPointer>

#include "platform/com/ComObject.h"
#include "extension/IPropertyPage.h"

class CDialogWindow;
class QWidget;

class CQuilletExtPropPage final : public CComObject<IPropertyPage> {
 public:
  CQuilletExtPropPage() = default;

  HRESULT SetPageSite(IUnknown*) override { return S_OK; }
  // Creates the page inside `parent` at `position`.
  HRESULT Activate(HWND parent, const RECT* position, BOOL modal) override;
  HRESULT Deactivate() override;
  HRESULT GetPageInfo(PROPPAGEINFO* info) override;
  HRESULT SetObjects(ULONG, IUnknown**) override { return S_OK; }
  HRESULT Show(UINT command) override;
  HRESULT Move(const RECT* position) override;
  HRESULT IsPageDirty() override { return S_FALSE; }  // there is nothing to change
  HRESULT Apply() override { return S_OK; }
  HRESULT Help(LPCOLESTR) override { return E_NOTIMPL; }
  HRESULT TranslateAccelerator(void*) override { return S_FALSE; }

  // The page while it is active, null otherwise.
  CDialogWindow* Page() const;

  // Shows the page in a modal frame over `parent`; returns when the frame
  // is closed.
  static void RunPropertyFrame(QWidget* parent);

 protected:
  ~CQuilletExtPropPage() override;

 private:
  QPointer<CDialogWindow> page;
};
