#pragma once
// The embedding interface of a control: the container gives it its client
// site, activates it inside a window of its own (DoVerb with a parent
// window and a rectangle), asks for its status bits and closes it.
// Methods the layer's controls do not use keep their slots and answer
// E_NOTIMPL; monikers, data objects, enumerators and advise sinks are passed
// as IUnknown since nothing here calls them.

#include "platform/com/IOleClientSite.h"
#include "platform/com/WindowTypes.h"

// Verbs for DoVerb.
inline constexpr LONG OLEIVERB_PRIMARY = 0;
inline constexpr LONG OLEIVERB_SHOW = -1;
inline constexpr LONG OLEIVERB_HIDE = -3;
inline constexpr LONG OLEIVERB_UIACTIVATE = -4;
inline constexpr LONG OLEIVERB_INPLACEACTIVATE = -5;
inline constexpr LONG OLEIVERB_PROPERTIES = -7;
// Close options.
inline constexpr DWORD OLECLOSE_SAVEIFDIRTY = 0;
inline constexpr DWORD OLECLOSE_NOSAVE = 1;
inline constexpr DWORD OLECLOSE_PROMPTSAVE = 2;
// The content aspect, for GetMiscStatus.
inline constexpr DWORD DVASPECT_CONTENT = 1;
// User type forms, for GetUserType.
inline constexpr DWORD USERCLASSTYPE_FULL = 1;

struct IOleObject : IUnknown {
  static constexpr IID Iid = GuidLiteral("{00000112-0000-0000-C000-000000000046}");
  using BaseInterface = IUnknown;

  virtual HRESULT SetClientSite(IOleClientSite* site) = 0;                   // slot 3
  virtual HRESULT GetClientSite(IOleClientSite** site) = 0;                  // slot 4
  virtual HRESULT SetHostNames(LPCOLESTR container, LPCOLESTR object) = 0;   // slot 5
  virtual HRESULT Close(DWORD saveOption) = 0;                               // slot 6
  virtual HRESULT SetMoniker(DWORD which, IUnknown* moniker) = 0;            // slot 7
  virtual HRESULT GetMoniker(DWORD assign, DWORD which, IUnknown** moniker) = 0;  // slot 8
  virtual HRESULT InitFromData(IUnknown* data, BOOL creation, DWORD reserved) = 0;  // slot 9
  virtual HRESULT GetClipboardData(DWORD reserved, IUnknown** data) = 0;     // slot 10
  // Runs a verb.  `parent` is the window the control's window goes in and
  // `position` its place there; `message` is unused (null).
  virtual HRESULT DoVerb(LONG verb, void* message, IOleClientSite* site, LONG index,  // slot 11
                         HWND parent, const RECT* position) = 0;
  virtual HRESULT EnumVerbs(IUnknown** verbs) = 0;                           // slot 12
  virtual HRESULT Update() = 0;                                              // slot 13
  virtual HRESULT IsUpToDate() = 0;                                          // slot 14
  virtual HRESULT GetUserClassID(CLSID* clsid) = 0;                          // slot 15
  // The type name; the caller frees it with SysFreeString.
  virtual HRESULT GetUserType(DWORD form, LPOLESTR* name) = 0;               // slot 16
  virtual HRESULT SetExtent(DWORD aspect, SIZEL* size) = 0;                  // slot 17
  virtual HRESULT GetExtent(DWORD aspect, SIZEL* size) = 0;                  // slot 18
  virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;                 // slot 19
  virtual HRESULT Unadvise(DWORD cookie) = 0;                                // slot 20
  virtual HRESULT EnumAdvise(IUnknown** advises) = 0;                        // slot 21
  virtual HRESULT GetMiscStatus(DWORD aspect, DWORD* status) = 0;            // slot 22
  virtual HRESULT SetColorScheme(void* palette) = 0;                         // slot 23

 protected:
  ~IOleObject() = default;
};
