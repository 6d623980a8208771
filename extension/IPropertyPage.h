#pragma once
// A property page: a child window with settings of one or more objects,
// shown by a property frame (a modal dialog with OK and Cancel) inside a
// rectangle of the frame.

#include "platform/com/IUnknown.h"
#include "platform/com/WindowTypes.h"

struct PROPPAGEINFO {
  ULONG cb = sizeof(PROPPAGEINFO);
  LPOLESTR pszTitle = nullptr;      // the page's caption; the caller frees it (SysFreeString)
  SIZEL size;                       // in pixels
  LPOLESTR pszDocString = nullptr;  // the caller frees it
  LPOLESTR pszHelpFile = nullptr;   // the caller frees it
  DWORD dwHelpContext = 0;
};

struct IPropertyPage : IUnknown {
  static constexpr IID Iid = GuidLiteral("{B196B28D-BAB4-101A-B69C-00AA00341D07}");
  using BaseInterface = IUnknown;

  virtual HRESULT SetPageSite(IUnknown* pageSite) = 0;                        // slot 3
  virtual HRESULT Activate(HWND parent, const RECT* position, BOOL modal) = 0;  // slot 4
  virtual HRESULT Deactivate() = 0;                                           // slot 5
  virtual HRESULT GetPageInfo(PROPPAGEINFO* info) = 0;                        // slot 6
  virtual HRESULT SetObjects(ULONG count, IUnknown** objects) = 0;            // slot 7
  virtual HRESULT Show(UINT command) = 0;                                     // slot 8
  virtual HRESULT Move(const RECT* position) = 0;                             // slot 9
  virtual HRESULT IsPageDirty() = 0;                                          // slot 10
  virtual HRESULT Apply() = 0;                                                // slot 11
  virtual HRESULT Help(LPCOLESTR helpDir) = 0;                                // slot 12
  virtual HRESULT TranslateAccelerator(void* message) = 0;                    // slot 13

 protected:
  ~IPropertyPage() = default;
};
