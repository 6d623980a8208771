// libQuilletHostManager.so: serves the organizer's extension manager to any
// process (an extension's registration creates it by class id), and enters
// or removes the manager's class in the registry.

#include <dlfcn.h>

#include <new>
#include <string>

#include "hosts/organizer/ExtensionManager.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComModule.h"

#define MANAGER_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// This library's own path, as the process loaded it.
std::string ModulePath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&ModulePath), &info) == 0 || !info.dli_fname) return {};
  return info.dli_fname;
}

}  // namespace

MANAGER_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != CLSID_HostExtensionManager) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) CClassFactory<CExtensionManager>;
  if (!factory) return E_OUTOFMEMORY;
  HRESULT hr = factory->QueryInterface(iid, out);
  factory->Release();
  return hr;
}

MANAGER_EXPORT HRESULT DllCanUnloadNow() {
  return CComModule::CanUnloadNow();
}

MANAGER_EXPORT HRESULT DllRegisterServer() {
  std::string path = ModulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  return RegisterHostManager(path);
}

MANAGER_EXPORT HRESULT DllUnregisterServer() {
  return UnregisterHostManager();
}
