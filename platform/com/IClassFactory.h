#pragma once
// The class object of a class: creates its instances.  A library serves class
// objects through its exported DllGetClassObject.

#include "platform/com/IUnknown.h"

struct IClassFactory : IUnknown {
  static constexpr IID Iid = GuidLiteral("{00000001-0000-0000-C000-000000000046}");
  using BaseInterface = IUnknown;

  // `outer` non-null asks for aggregation, which no class of ours supports:
  // CLASS_E_NOAGGREGATION.
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) = 0;  // slot 3
  // Keeps the serving library loaded while `lock` is non-zero (counted).
  virtual HRESULT LockServer(BOOL lock) = 0;                                    // slot 4

 protected:
  ~IClassFactory() = default;
};

inline constexpr IID IID_IClassFactory = IClassFactory::Iid;

// The exports of an in-process server library.
extern "C" {
using DllGetClassObjectFunc = HRESULT (*)(REFCLSID clsid, REFIID iid, void** out);
using DllCanUnloadNowFunc = HRESULT (*)();
using DllRegisterServerFunc = HRESULT (*)();
using DllUnregisterServerFunc = HRESULT (*)();
}
