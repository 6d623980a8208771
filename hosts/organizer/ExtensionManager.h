#pragma once
// The organizer's extension manager: the object through which an extension's
// registration enters itself into (or takes itself out of) the organizer's
// list of extensions.  It is created by class id CLSID_HostExtensionManager,
// served by libQuilletHostManager.so, so that an extension can register while
// the organizer is not running.
//
// AddExtension adds an entry (replacing one of the same name, names compared
// without ASCII case) with the name, creator, help page and large bitmap it
// is given, and hands back the entry, whose setters fill in the rest.  It
// also records which control the organizer has to create for the extension:
// the class registered by the library that called AddExtension.
// FindExtension hands back the entry of that name, or null with S_OK.
// Every other slot answers E_NOTIMPL.

#include <filesystem>
#include <string>

#include "extension/HostInterfaces.h"
#include "hosts/organizer/ExtensionList.h"
#include "platform/com/DispatchObject.h"

class CExtensionManager final : public CDispatchObject<IHostExtensionManager> {
 public:
  // The list of the current user (created by class id this way).
  CExtensionManager();
  explicit CExtensionManager(std::filesystem::path registryFile);

  HRESULT Reserved7() override { return E_NOTIMPL; }
  HRESULT Reserved8() override { return E_NOTIMPL; }
  // E_INVALIDARG for an empty name or one that cannot name a registry key
  // (holding '\', a line end or a zero); REGDB_E_WRITEREGDB when the list
  // cannot be written.
  HRESULT AddExtension(BSTR name, LONG creator, BSTR helpPage, BSTR largeBitmap,
                       IHostExtensionEntry** entry) override;
  HRESULT Reserved10() override { return E_NOTIMPL; }
  HRESULT FindExtension(BSTR name, IHostExtensionEntry** entry) override;

  // The class id ("{...}") of the control registered (a class with a
  // "Control" key) under HKEY_CLASSES_ROOT\CLSID by the library at
  // `libraryPath`; empty when there is none.
  static std::string ControlClassOf(const CRegistry& registry, const std::string& libraryPath);

 private:
  ~CExtensionManager() override = default;

  std::filesystem::path m_file;
};

// Registers the manager's class in the current user's registry, served by
// the library at `libraryPath` (made absolute):
//   HKEY_CLASSES_ROOT\CLSID\{BE44897A-...} = "Organizer Extension Manager"
//     InprocServer32 = libraryPath, "ThreadingModel" = "Apartment"
// S_OK, or SELFREG_E_CLASS when the registry cannot be written.
HRESULT RegisterHostManager(const std::string& libraryPath);
// Removes the class's key (HKEY_CLASSES_ROOT\CLSID itself stays).  S_OK also
// when it was not registered; SELFREG_E_CLASS when the registry cannot be
// written.
HRESULT UnregisterHostManager();
// What the organizer does at start: registers the class with `libraryPath`
// when it is not registered or its library no longer exists.  S_FALSE when
// it was registered already.
HRESULT EnsureHostManagerRegistered(const std::string& libraryPath);
