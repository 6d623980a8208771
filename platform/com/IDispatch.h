#pragma once
// Late-bound calls: members are identified by dispatch ids and called through
// Invoke with their arguments in a DISPPARAMS (last argument first).
// Slots 3 to 6 follow those of IUnknown.

#include "platform/com/IUnknown.h"
#include "platform/com/Variant.h"

struct ITypeInfo;  // type information is not served: GetTypeInfo answers E_NOTIMPL

inline constexpr WORD DISPATCH_METHOD = 0x1;
inline constexpr WORD DISPATCH_PROPERTYGET = 0x2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_VALUE = 0;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;

// Filled by Invoke when a member reports an error of its own
// (DISP_E_EXCEPTION); the caller frees the strings.
struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  void* pvReserved;
  HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
  SCODE scode;
};

struct IDispatch : IUnknown {
  static constexpr IID Iid = GuidLiteral("{00020400-0000-0000-C000-000000000046}");
  using BaseInterface = IUnknown;

  virtual HRESULT GetTypeInfoCount(UINT* count) = 0;                              // slot 3
  virtual HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) = 0;     // slot 4
  virtual HRESULT GetIDsOfNames(REFIID reserved, LPOLESTR* names, UINT count,     // slot 5
                                LCID locale, DISPID* ids) = 0;
  virtual HRESULT Invoke(DISPID member, REFIID reserved, LCID locale, WORD flags,  // slot 6
                         DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                         UINT* argError) = 0;

 protected:
  ~IDispatch() = default;
};

inline constexpr IID IID_IDispatch = IDispatch::Iid;
