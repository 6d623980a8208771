#pragma once
// The control the organizer embeds: an empty frame around the main view.
// It creates the view as its only child, keeps it the control's size, shows
// the view's selection in the organizer's status bar and connects the
// organizer's events to the view through its host link (CSinkObject).
//
// How the organizer uses it (window handles are QWidget pointers):
//
//   CComPtr<IOleObject> control;      // CoCreateInstance(CLSID_QuilletExtCtrl, ...)
//   control->SetClientSite(clientSite);   // clientSite answers IServiceProvider
//                                         // with IHostSite as kSiteService
//   RECT place{0, 0, w, h};
//   control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite, 0, parentWidget, &place);
//   CComPtr<IOleInPlaceObject> inPlace;   // control.As(inPlace)
//   inPlace->SetObjectRects(&place, &place);  // after every resize of the parent
//   control->DoVerb(OLEIVERB_PROPERTIES, ...);  // the property page, modal
//   ...
//   control->Close(OLECLOSE_SAVEIFDIRTY);  // the window goes; the view stores its layout
//   control->SetClientSite(nullptr);       // the link disconnects
//   control.Reset();
//
// The control never writes the memo file itself: the organizer asks for a
// save (site event 3) before it closes the control.

#include <QPointer>

#include <string>

#include "extension/SinkObject.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/IOleInPlaceObject.h"
#include "platform/com/IOleObject.h"

class CMainDlg;
class QWidget;

class CQuilletExtCtrl final : public CComObject<IOleObject, IOleInPlaceObject> {
 public:
  CQuilletExtCtrl();

  // IOleObject.
  HRESULT SetClientSite(IOleClientSite* clientSite) override;
  HRESULT GetClientSite(IOleClientSite** clientSite) override;
  HRESULT SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  HRESULT Close(DWORD saveOption) override;
  HRESULT SetMoniker(DWORD, IUnknown*) override { return E_NOTIMPL; }
  HRESULT GetMoniker(DWORD, DWORD, IUnknown** moniker) override;
  HRESULT InitFromData(IUnknown*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT GetClipboardData(DWORD, IUnknown** data) override;
  // OLEIVERB_INPLACEACTIVATE, OLEIVERB_SHOW, OLEIVERB_UIACTIVATE and
  // OLEIVERB_PRIMARY create the window inside `parent` at `position` (once;
  // later calls move and show it); OLEIVERB_PROPERTIES shows the property
  // page; OLEIVERB_HIDE hides the window.
  HRESULT DoVerb(LONG verb, void* message, IOleClientSite* site, LONG index, HWND parent,
                 const RECT* position) override;
  HRESULT EnumVerbs(IUnknown** verbs) override;
  HRESULT Update() override { return S_OK; }
  HRESULT IsUpToDate() override { return S_OK; }
  HRESULT GetUserClassID(CLSID* clsid) override;
  HRESULT GetUserType(DWORD form, LPOLESTR* name) override;
  HRESULT SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  HRESULT GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  HRESULT Advise(IUnknown*, DWORD*) override { return E_NOTIMPL; }
  HRESULT Unadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT EnumAdvise(IUnknown** advises) override;
  HRESULT GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT SetColorScheme(void*) override { return E_NOTIMPL; }

  // IOleInPlaceObject.
  HRESULT GetWindow(HWND* window) override;
  HRESULT ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // Destroys the window (and the view with it).
  HRESULT InPlaceDeactivate() override;
  HRESULT UIDeactivate() override { return S_OK; }
  HRESULT SetObjectRects(const RECT* position, const RECT* clip) override;
  HRESULT ReactivateAndUndo() override { return E_NOTIMPL; }

  // What the control holds, for the organizer's and the tests' checks.
  QWidget* Window() const;
  CMainDlg* View() const;
  CSinkObject* Link() const { return link.Get(); }
  IHostSite* Site() const { return site.Get(); }

  // The organizer's status text of a selection: "%d / %d" with the row
  // counted from 1, empty when no row is current or the list is empty.
  static std::string SelectionText(long row, long count);

 protected:
  ~CQuilletExtCtrl() override;

 private:
  class Frame;
  friend class Frame;

  HRESULT CreateControlWindow(QWidget* parent, const RECT* position);
  void DestroyControlWindow();
  void ShowSelection(long row, long count);
  void ShowPropertyPage();
  void ReleaseLink();

  CComPtr<IOleClientSite> clientSite;
  CComPtr<IHostSite> site;
  CComPtr<CSinkObject> link;
  QPointer<QWidget> window;
  QPointer<CMainDlg> view;
};
