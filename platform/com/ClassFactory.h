#pragma once
// The class object of a class whose instances are made with `new T`: T
// derives from CComObject and has a default constructor.  A library's
// DllGetClassObject creates one per request:
//
//   if (clsid == CLSID_Thing) {
//     auto* factory = new CClassFactory<CThing>;
//     HRESULT hr = factory->QueryInterface(iid, out);
//     factory->Release();
//     return hr;
//   }

#include <new>

#include "platform/com/ComObject.h"
#include "platform/com/IClassFactory.h"

template <class T>
class CClassFactory final : public CComObject<IClassFactory> {
 public:
  HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    // No exception leaves a COM method: memory running out while the object or
    // anything it builds in its constructor is allocated is E_OUTOFMEMORY.
    T* object = nullptr;
    try {
      object = new T;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    HRESULT hr = object->QueryInterface(iid, out);
    object->Release();  // the creator's reference; the query's one remains on success
    return hr;
  }

  HRESULT LockServer(BOOL lock) override {
    if (lock) {
      CComModule::Lock();
    } else {
      CComModule::Unlock();
    }
    return S_OK;
  }

 protected:
  ~CClassFactory() override = default;
};
