#include "platform/com/ClassCreation.h"

#include <dlfcn.h>

#include <map>
#include <new>
#include <string>

#include "platform/com/IClassFactory.h"
#include "platform/registry/Registry.h"

namespace {
struct Registered {
  CLSID clsid;
  IUnknown* classObject;
};

struct Library {
  void* handle;
  DllGetClassObjectFunc getClassObject;
};

std::map<DWORD, Registered>& RegisteredObjects() {
  static std::map<DWORD, Registered> objects;
  return objects;
}

std::map<std::string, Library>& LoadedLibraries() {
  static std::map<std::string, Library> libraries;
  return libraries;
}

HRESULT LoadLibrary(const std::string& path, Library& library) {
  auto& loaded = LoadedLibraries();
  auto it = loaded.find(path);
  if (it != loaded.end()) {
    library = it->second;
    return S_OK;
  }
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return CO_E_DLLNOTFOUND;
  auto entry = reinterpret_cast<DllGetClassObjectFunc>(::dlsym(handle, "DllGetClassObject"));
  if (!entry) {
    ::dlclose(handle);
    return CO_E_ERRORINDLL;
  }
  library = Library{handle, entry};
  loaded.emplace(path, library);
  return S_OK;
}
}  // namespace

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (auto& [cookie, registered] : RegisteredObjects()) {
    if (registered.clsid == clsid) return registered.classObject->QueryInterface(iid, out);
  }
  if (!(context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER))) return REGDB_E_CLASSNOTREG;

  // Memory running out while the class is looked up is E_OUTOFMEMORY, told
  // apart from a class that is not registered: a caller that treats a missing
  // server as normal must not take the one for the other.
  Library library{};
  try {
    CRegistry registry;
    const int loaded = registry.Load();
    if (loaded == CRegistry::REG_ERR_NO_MEMORY) return E_OUTOFMEMORY;
    if (loaded != CRegistry::REG_OK) return REGDB_E_READREGDB;
    std::string path;
    std::string key = "HKEY_CLASSES_ROOT\\CLSID\\" + GuidToString(clsid) + "\\InprocServer32";
    if (registry.GetString(key, "", path) != CRegistry::REG_OK || path.empty()) {
      return REGDB_E_CLASSNOTREG;
    }
    if (HRESULT loadedLibrary = LoadLibrary(path, library); FAILED(loadedLibrary)) return loadedLibrary;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  const HRESULT hr = library.getClassObject(clsid, iid, out);
  if (FAILED(hr)) *out = nullptr;
  return hr;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  IClassFactory* factory = nullptr;
  HRESULT hr = CoGetClassObject(clsid, context, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  if (!factory) return E_UNEXPECTED;
  hr = factory->CreateInstance(outer, iid, out);
  factory->Release();
  if (FAILED(hr)) *out = nullptr;
  return hr;
}

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* classObject, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!classObject) return E_INVALIDARG;
  static DWORD next = 1;
  classObject->AddRef();
  *cookie = next++;
  RegisteredObjects().emplace(*cookie, Registered{clsid, classObject});
  return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie) {
  auto& objects = RegisteredObjects();
  auto it = objects.find(cookie);
  if (it == objects.end()) return E_INVALIDARG;
  IUnknown* classObject = it->second.classObject;
  objects.erase(it);
  classObject->Release();
  return S_OK;
}

void CoFreeUnusedLibraries() {
  auto& loaded = LoadedLibraries();
  for (auto it = loaded.begin(); it != loaded.end();) {
    auto canUnload = reinterpret_cast<DllCanUnloadNowFunc>(::dlsym(it->second.handle, "DllCanUnloadNow"));
    if (canUnload && canUnload() == S_OK) {
      ::dlclose(it->second.handle);
      it = loaded.erase(it);
    } else {
      ++it;
    }
  }
}
