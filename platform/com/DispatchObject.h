#pragma once
// The base of objects whose interfaces are dual (they extend IDispatch) but
// that are called through their method tables only: no type information,
// no names, and Invoke answers DISP_E_MEMBERNOTFOUND unless a derived class
// overrides it.  One override serves the IDispatch part of every listed
// interface.

#include "platform/com/ComObject.h"
#include "platform/com/IDispatch.h"

template <class First, class... Rest>
class CDispatchObject : public CComObject<First, Rest...> {
 public:
  HRESULT GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
    for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

 protected:
  ~CDispatchObject() override = default;
};
