#pragma once
// The container's side of an embedded control: the control calls it to learn
// about its container.  The organizer's client site also answers
// IServiceProvider, through which the control finds the organizer's site.
// Only the slot order matters here; the container answers E_NOTIMPL where it
// has nothing to say.

#include "platform/com/IUnknown.h"

struct IOleClientSite : IUnknown {
  static constexpr IID Iid = GuidLiteral("{00000118-0000-0000-C000-000000000046}");
  using BaseInterface = IUnknown;

  virtual HRESULT SaveObject() = 0;                                          // slot 3
  virtual HRESULT GetMoniker(DWORD assign, DWORD which, IUnknown** moniker) = 0;  // slot 4
  virtual HRESULT GetContainer(IUnknown** container) = 0;                    // slot 5
  virtual HRESULT ShowObject() = 0;                                          // slot 6
  virtual HRESULT OnShowWindow(BOOL show) = 0;                               // slot 7
  virtual HRESULT RequestNewObjectLayout() = 0;                              // slot 8

 protected:
  ~IOleClientSite() = default;
};
