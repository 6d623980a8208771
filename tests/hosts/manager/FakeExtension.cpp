// A stand-in for an extension library, for quillet-regsvr and the extension
// manager to work on.  DllRegisterServer returns the code in
// QUILLET_FAKE_RESULT (hex, e.g. 80040201) when that is set; otherwise it
// registers a control class served by this library and, when
// QUILLET_FAKE_ANNOUNCE is set, announces itself as "Fake" to the organizer's
// extension manager, as an extension does.  There is no DllUnregisterServer.

#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "extension/HostInterfaces.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassCreation.h"
#include "platform/com/ComPtr.h"
#include "platform/registry/Registry.h"

namespace {

constexpr const char* kControlKey = "HKEY_CLASSES_ROOT\\CLSID\\{0F0F0F0F-1111-2222-3333-444455556666}";

std::string OwnPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&OwnPath), &info) == 0 || !info.dli_fname) return {};
  return info.dli_fname;
}

HRESULT Announce() {
  CComPtr<IHostExtensionManager> manager;
  HRESULT hr = CoCreateInstance(CLSID_HostExtensionManager, nullptr, CLSCTX_ALL, IHostExtensionManager::Iid,
                                manager.OutVoid());
  if (FAILED(hr)) return hr;
  CComPtr<IHostExtensionEntry> entry;
  hr = manager->AddExtension(CBstr::FromUtf8("Fake").Get(), 7, CBstr::FromUtf8("help").Get(),
                             CBstr::FromUtf8("large").Get(), entry.Out());
  if (FAILED(hr)) return hr;
  return entry->SetMenuCaption(CBstr::FromUtf8("&Fake").Get());
}

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllRegisterServer() {
  if (const char* result = std::getenv("QUILLET_FAKE_RESULT")) {
    return static_cast<HRESULT>(std::strtoul(result, nullptr, 16));
  }
  const std::string path = OwnPath();
  int saved = CRegistry().Update([&](CRegistry& registry) {
    return registry.SetString(kControlKey, "", "Fake Control") == CRegistry::REG_OK &&
           registry.SetString(std::string(kControlKey) + "\\InprocServer32", "", path) == CRegistry::REG_OK &&
           registry.CreateKey(std::string(kControlKey) + "\\Control") == CRegistry::REG_OK;
  });
  if (saved != CRegistry::REG_OK) return SELFREG_E_CLASS;
  return std::getenv("QUILLET_FAKE_ANNOUNCE") ? Announce() : S_OK;
}
