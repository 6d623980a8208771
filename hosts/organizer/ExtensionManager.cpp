#include "hosts/organizer/ExtensionManager.h"

#include <dlfcn.h>

#include <new>
#include <system_error>
#include <utility>

#include "hosts/organizer/ExtensionEntry.h"
#include "platform/com/Bstr.h"
#include "platform/com/Guid.h"

namespace {

constexpr const char* kClassesKey = "HKEY_CLASSES_ROOT\\CLSID";
constexpr const char* kManagerName = "Organizer Extension Manager";

std::string Utf8(BSTR text) {
  std::string out;
  BstrToUtf8(text, out);  // a broken unit is kept as U+FFFD
  return out;
}

// The path with "." and ".." and links resolved as far as it exists, so that
// the same library named two ways compares equal.
std::string SamePathForm(const std::string& path) {
  if (path.empty()) return path;
  std::error_code error;
  std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
  return error ? std::filesystem::path(path).lexically_normal().string() : resolved.string();
}

std::string ManagerKey() {
  return std::string(kClassesKey) + "\\" + GuidToString(CLSID_HostExtensionManager);
}

// The library that holds the code at `address`; empty when it is not known.
std::string LibraryOf(const void* address) {
  Dl_info info{};
  if (!address || dladdr(address, &info) == 0 || !info.dli_fname) return {};
  return info.dli_fname;
}

}  // namespace

CExtensionManager::CExtensionManager() : m_file(CRegistry::DefaultPath()) {}

CExtensionManager::CExtensionManager(std::filesystem::path registryFile) : m_file(std::move(registryFile)) {}

std::string CExtensionManager::ControlClassOf(const CRegistry& registry, const std::string& libraryPath) {
  if (libraryPath.empty()) return {};
  const std::string library = SamePathForm(libraryPath);
  for (const std::string& id : registry.SubKeys(kClassesKey)) {
    const std::string key = std::string(kClassesKey) + "\\" + id;
    if (!registry.KeyExists(key + "\\Control")) continue;
    std::string server;
    if (registry.GetString(key + "\\InprocServer32", "", server) != CRegistry::REG_OK) continue;
    if (!server.empty() && SamePathForm(server) == library) return id;
  }
  return {};
}

// Not inlined, so that the return address is in the code that called the
// manager.
__attribute__((noinline)) HRESULT CExtensionManager::AddExtension(BSTR name, LONG creator, BSTR helpPage,
                                                                  BSTR largeBitmap,
                                                                  IHostExtensionEntry** entry) {
  const void* caller = __builtin_return_address(0);
  if (!entry) return E_POINTER;
  *entry = nullptr;
  // No exception leaves a COM method: memory running out is E_OUTOFMEMORY.
  try {
    ExtensionRecord record;
    record.name = Utf8(name);
    record.creator = creator;
    record.helpPage = Utf8(helpPage);
    record.largeBitmap = Utf8(largeBitmap);
    // The entry's fields say nothing of the control the organizer has to create
    // to show the extension.  An extension registers its control before it
    // announces itself, from the same library: the control is the class with a
    // "Control" key that this library serves.
    CRegistry registry(m_file);
    const int loaded = registry.Load();
    if (loaded == CRegistry::REG_ERR_NO_MEMORY) return E_OUTOFMEMORY;
    if (loaded == CRegistry::REG_OK) record.controlClass = ControlClassOf(registry, LibraryOf(caller));

    CExtensionList list(m_file);
    if (HRESULT hr = list.Write(record); FAILED(hr)) return hr;
    *entry = new CExtensionEntry(record.name, m_file);  // the creation's reference goes to the caller
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CExtensionManager::FindExtension(BSTR name, IHostExtensionEntry** entry) {
  if (!entry) return E_POINTER;
  *entry = nullptr;
  try {
    ExtensionRecord record;
    const HRESULT hr = CExtensionList(m_file).Lookup(Utf8(name), record);
    if (hr != S_OK) return hr == S_FALSE ? S_OK : hr;
    *entry = new CExtensionEntry(record.name, m_file);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT RegisterHostManager(const std::string& libraryPath) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(libraryPath, error);
  if (error || libraryPath.empty()) return E_INVALIDARG;
  const std::string key = ManagerKey();
  const std::string server = key + "\\InprocServer32";
  int result = CRegistry().Update([&](CRegistry& registry) {
    return registry.SetString(key, "", kManagerName) == CRegistry::REG_OK &&
           registry.SetString(server, "", absolute.lexically_normal().string()) == CRegistry::REG_OK &&
           registry.SetString(server, "ThreadingModel", "Apartment") == CRegistry::REG_OK;
  });
  return result == CRegistry::REG_OK ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterHostManager() {
  const std::string key = ManagerKey();
  int result = CRegistry().Update([&](CRegistry& registry) {
    return registry.KeyExists(key) && registry.DeleteKey(key) == CRegistry::REG_OK;
  });
  return result == CRegistry::REG_OK ? S_OK : SELFREG_E_CLASS;
}

HRESULT EnsureHostManagerRegistered(const std::string& libraryPath) {
  CRegistry registry;
  std::string server;
  if (registry.Load() == CRegistry::REG_OK &&
      registry.GetString(ManagerKey() + "\\InprocServer32", "", server) == CRegistry::REG_OK &&
      !server.empty()) {
    std::error_code error;
    if (std::filesystem::is_regular_file(server, error)) return S_FALSE;
  }
  return RegisterHostManager(libraryPath);
}
