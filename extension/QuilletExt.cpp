// The exports of libQuilletExt.so: registration and the class objects of
// the host link, the control and its property page.

#include <dlfcn.h>

#include <new>
#include <string>

#include "extension/ExtensionGuids.h"
#include "extension/QuilletExtCtrl.h"
#include "extension/QuilletExtPropPage.h"
#include "extension/Registration.h"
#include "extension/SinkObject.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComModule.h"

#define QUILLETEXT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The full path of this library, as it was loaded.
std::string ModulePath() {
  Dl_info info{};
  static const char anchor = 0;
  if (dladdr(&anchor, &info) == 0 || info.dli_fname == nullptr) return {};
  return info.dli_fname;
}

template <class T>
HRESULT ClassObject(REFIID iid, void** out) {
  // Nothing may throw out of the library: a class object that cannot be
  // made is reported as a result.
  auto* factory = new (std::nothrow) CClassFactory<T>;
  if (factory == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, out);
  factory->Release();
  return hr;
}

}  // namespace

// Registration builds keys and paths as strings: memory running out on the
// way is E_OUTOFMEMORY, as nothing may throw out of the library.
QUILLETEXT_EXPORT HRESULT DllRegisterServer() {
  try {
    const std::string path = ModulePath();
    if (path.empty()) return E_UNEXPECTED;
    return RegisterExtension(path);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

QUILLETEXT_EXPORT HRESULT DllUnregisterServer() {
  try {
    const std::string path = ModulePath();
    if (path.empty()) return E_UNEXPECTED;
    return UnregisterExtension(path);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

QUILLETEXT_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (clsid == CLSID_SinkObject) return ClassObject<CSinkObject>(iid, out);
  if (clsid == CLSID_QuilletExtCtrl) return ClassObject<CQuilletExtCtrl>(iid, out);
  if (clsid == CLSID_QuilletExtPropPage) return ClassObject<CQuilletExtPropPage>(iid, out);
  return CLASS_E_CLASSNOTAVAILABLE;
}

QUILLETEXT_EXPORT HRESULT DllCanUnloadNow() { return CComModule::CanUnloadNow(); }
