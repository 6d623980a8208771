#include "extension/Registration.h"

#include <filesystem>
#include <utility>

#include "extension/ExtensionGuids.h"
#include "extension/HostInterfaces.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassCreation.h"
#include "platform/com/ComPtr.h"
#include "platform/com/RegistryScript.h"
#include "resources/extension/ExtensionModule.h"

namespace {

using Key = CRegistryScript::Key;

constexpr const char* HIVE = "HKEY_CLASSES_ROOT";
// Dispatch interfaces are marshalled by the dispatch marshaller.
constexpr const char* AUTOMATION_PROXY = "{00020420-0000-0000-C000-000000000046}";

// What the organizer is told about the extension.
constexpr const char* HOST_NAME = "Quillet";
constexpr LONG HOST_CREATOR = 0x44655275;  // "DeRu"
constexpr const char* HOST_HELP_PAGE = "QuilletExt.html";
constexpr const char* HOST_LARGE_BITMAP = "QuilletExt32.bmp";
constexpr const char* HOST_SMALL_BITMAP = "QuilletExt16.bmp";
constexpr const char* HOST_MENU_CAPTION = "&Quillet";
constexpr const char* HOST_DISPLAY_NAME = "Quillet";
constexpr const char* HOST_COMBINED_NAME = "Quillet-DeRu";
constexpr const char* HOST_DATA_FILE = "record.dat";
constexpr LONG HOST_FINAL = 1;

std::string Id(const GUID& guid) { return GuidToString(guid); }

Key Named(std::string name, std::string defaultValue, CRegistryScript::Removal removal = CRegistryScript::REMOVE) {
  return Key{.name = std::move(name), .removal = removal, .defaultValue = std::move(defaultValue)};
}

Key ClsidSubKey(const CLSID& clsid) { return Named("CLSID", Id(clsid)); }

Key InprocServer() {
  return Key{.name = "InprocServer32",
             .defaultValue = "%MODULE%",
             .values = {{"ThreadingModel", std::string("Apartment")}}};
}

// The application id and the name of the library under which it is found.
const CRegistryScript& AppIdScript() {
  static const CRegistryScript script{
      HIVE,
      {{.name = "AppID",
        .removal = CRegistryScript::KEEP,
        .subKeys = {Named("%APPID%", "QuilletExt"),
                    Key{.name = "QuilletExt.DLL", .values = {{"AppID", std::string("%APPID%")}}}}}}};
  return script;
}

// The host link's class with its two ProgIDs.
const CRegistryScript& SinkObjectScript() {
  static const CRegistryScript script{
      HIVE,
      {Key{.name = SINKOBJECT_PROGID,
           .defaultValue = "SinkObject Class",
           .subKeys = {ClsidSubKey(CLSID_SinkObject)}},
       Key{.name = SINKOBJECT_VERSIONLESS_PROGID,
           .defaultValue = "SinkObject Class",
           .subKeys = {ClsidSubKey(CLSID_SinkObject), Named("CurVer", SINKOBJECT_PROGID)}},
       Key{.name = "CLSID",
           .removal = CRegistryScript::KEEP,
           .subKeys = {Key{.name = Id(CLSID_SinkObject),
                           .removal = CRegistryScript::REPLACE,
                           .defaultValue = "SinkObject Class",
                           .values = {{"AppID", std::string("%APPID%")}},
                           .subKeys = {Named("ProgID", SINKOBJECT_PROGID),
                                       Named("VersionIndependentProgID",
                                             SINKOBJECT_VERSIONLESS_PROGID),
                                       Key{.name = "Programmable"}, InprocServer(),
                                       Named("TypeLib", Id(LIBID_QuilletExtLib))}}}}}};
  return script;
}

Key DispatchInterface(const IID& iid, const char* name) {
  return Key{.name = Id(iid),
             .removal = CRegistryScript::REPLACE,
             .defaultValue = name,
             .subKeys = {Named("ProxyStubClsid", AUTOMATION_PROXY),
                         Named("ProxyStubClsid32", AUTOMATION_PROXY),
                         Key{.name = "TypeLib",
                             .defaultValue = Id(LIBID_QuilletExtLib),
                             .values = {{"Version", std::string(QUILLETEXT_TYPELIB_VERSION)}}}}};
}

// The type library's version 1.0 (other versions keep its key) with the
// folder of its help file, and the library's dispatch interfaces.
const CRegistryScript& TypeLibraryScript() {
  static const CRegistryScript script{
      HIVE,
      {Key{.name = "TypeLib",
           .removal = CRegistryScript::KEEP,
           .subKeys = {Key{.name = Id(LIBID_QuilletExtLib),
                           .subKeys = {Key{.name = QUILLETEXT_TYPELIB_VERSION,
                                           .removal = CRegistryScript::REPLACE,
                                           .defaultValue = QUILLETEXT_TYPELIB_NAME,
                                           .subKeys = {Key{.name = "0",
                                                           .subKeys = {Named("win32", "%MODULE%")}},
                                                       Named("FLAGS", "0"),
                                                       Named("HELPDIR", "%HELPDIR%")}}}}}},
       Key{.name = "Interface",
           .removal = CRegistryScript::KEEP,
           .subKeys = {DispatchInterface(DIID_DQuilletExt, "_DQuilletExt"),
                       DispatchInterface(DIID_DQuilletExtEvents, "_DQuilletExtEvents")}}}};
  return script;
}

// The control as an insertable ActiveX control and its property page.
const CRegistryScript& ClassesScript() {
  static const CRegistryScript script{
      HIVE,
      {Key{.name = QUILLETEXT_CTRL_PROGID,
           .defaultValue = QUILLETEXT_CTRL_TYPE_NAME,
           .subKeys = {ClsidSubKey(CLSID_QuilletExtCtrl)}},
       Key{.name = QUILLETEXT_PROPPAGE_PROGID,
           .defaultValue = QUILLETEXT_PROPPAGE_TYPE_NAME,
           .subKeys = {ClsidSubKey(CLSID_QuilletExtPropPage)}},
       Key{.name = "CLSID",
           .removal = CRegistryScript::KEEP,
           .subKeys =
               {Key{.name = Id(CLSID_QuilletExtCtrl),
                    .removal = CRegistryScript::REPLACE,
                    .defaultValue = QUILLETEXT_CTRL_TYPE_NAME,
                    .subKeys = {Named("ProgID", QUILLETEXT_CTRL_PROGID), InprocServer(),
                                Key{.name = "Control"},
                                Named("ToolboxBitmap32", "%MODULE%, 1"),
                                Key{.name = "MiscStatus",
                                    .defaultValue = "0",
                                    .subKeys = {Named("1", std::to_string(QUILLETEXT_CTRL_MISC_STATUS))}},
                                Named("TypeLib", Id(LIBID_QuilletExtLib)),
                                Named("Version", QUILLETEXT_TYPELIB_VERSION)}},
                Key{.name = Id(CLSID_QuilletExtPropPage),
                    .removal = CRegistryScript::REPLACE,
                    .defaultValue = QUILLETEXT_PROPPAGE_TYPE_NAME,
                    .subKeys = {Named("ProgID", QUILLETEXT_PROPPAGE_PROGID), InprocServer()}}}}}};
  return script;
}

// Removes the organizer's entry named `name` when there is one; false when
// the organizer refused a call.
bool RemoveHostEntry(IHostExtensionManager& manager, const CBstr& name) {
  CComPtr<IHostExtensionEntry> entry;
  if (FAILED(manager.FindExtension(name.Get(), entry.Out()))) return false;
  return !entry || SUCCEEDED(entry->Remove());
}

CComPtr<IHostExtensionManager> HostExtensionManager() {
  CComPtr<IHostExtensionManager> manager;
  if (FAILED(CoCreateInstance(CLSID_HostExtensionManager, nullptr, CLSCTX_ALL,
                              IHostExtensionManager::Iid, manager.OutVoid()))) {
    manager.Reset();
  }
  return manager;
}

}  // namespace

CRegistration::CRegistration(std::string modulePath) : m_modulePath(std::move(modulePath)) {}

HRESULT CRegistration::Register() {
  // A missing application id would leave the classes half registered: its
  // failure is reported like that of the objects after it.
  if (HRESULT hr = ApplyAppId(true); FAILED(hr)) return hr;
  if (HRESULT hr = ApplyObjects(true); FAILED(hr)) return hr;
  if (FAILED(ApplyTypeLibrary(true))) return SELFREG_E_TYPELIB;
  if (FAILED(ApplyClasses(true))) return SELFREG_E_CLASS;
  RegisterWithHost();
  return S_OK;
}

HRESULT CRegistration::Unregister() {
  if (HRESULT hr = ApplyAppId(false); FAILED(hr)) return hr;
  if (HRESULT hr = ApplyObjects(false); FAILED(hr)) return hr;
  // The type library is already gone after the objects: taking out what is
  // no longer there succeeds.
  if (FAILED(ApplyTypeLibrary(false))) return SELFREG_E_TYPELIB;
  if (FAILED(ApplyClasses(false))) return SELFREG_E_CLASS;
  UnregisterFromHost();
  return S_OK;
}

HRESULT CRegistration::ApplyAppId(bool install) {
  return AppIdScript().Apply(install, {{"APPID", Id(APPID_QuilletExt)}});
}

HRESULT CRegistration::ApplyObjects(bool install) {
  if (HRESULT hr = SinkObjectScript().Apply(
          install, {{"MODULE", m_modulePath}, {"APPID", Id(APPID_QuilletExt)}});
      FAILED(hr)) {
    return hr;
  }
  return CRegistration::ApplyTypeLibrary(install);
}

HRESULT CRegistration::ApplyTypeLibrary(bool install) {
  std::string helpFolder = std::filesystem::path(m_modulePath).parent_path().string();
  return TypeLibraryScript().Apply(install, {{"MODULE", m_modulePath}, {"HELPDIR", helpFolder}});
}

HRESULT CRegistration::ApplyClasses(bool install) {
  return ClassesScript().Apply(install, {{"MODULE", m_modulePath}});
}

std::string CRegistration::InstallFolder() {
  return ExtensionProfile().GetProfileString("", "InstallPath", "c:");
}

std::string CRegistration::InstallFile(const std::string& folder, const char* fileName) {
  return folder + "/" + fileName;
}

void CRegistration::RegisterWithHost() {
  CComPtr<IHostExtensionManager> manager = HostExtensionManager();
  if (!manager) return;  // the organizer is not installed
  CBstr name = CBstr::FromAnsi(HOST_NAME);
  // Registering again replaces the entry.
  if (!RemoveHostEntry(*manager.Get(), name)) return;
  std::string folder = InstallFolder();
  CBstr helpPage = CBstr::FromAnsi(InstallFile(folder, HOST_HELP_PAGE));
  CBstr largeBitmap = CBstr::FromAnsi(InstallFile(folder, HOST_LARGE_BITMAP));
  CComPtr<IHostExtensionEntry> entry;
  if (FAILED(manager->AddExtension(name.Get(), HOST_CREATOR, helpPage.Get(), largeBitmap.Get(),
                                   entry.Out())) ||
      !entry) {
    return;
  }
  // The first refused call ends the announcement.
  (void)(SUCCEEDED(entry->SetMenuCaption(CBstr::FromAnsi(HOST_MENU_CAPTION).Get())) &&
         SUCCEEDED(entry->SetDisplayName(CBstr::FromAnsi(HOST_DISPLAY_NAME).Get())) &&
         SUCCEEDED(entry->SetCombinedName(CBstr::FromAnsi(HOST_COMBINED_NAME).Get())) &&
         SUCCEEDED(entry->SetDataFileName(CBstr::FromAnsi(HOST_DATA_FILE).Get())) &&
         SUCCEEDED(entry->SetSmallBitmap(
             CBstr::FromAnsi(InstallFile(folder, HOST_SMALL_BITMAP)).Get())) &&
         SUCCEEDED(entry->SetFinal(HOST_FINAL)));
}

void CRegistration::UnregisterFromHost() {
  CComPtr<IHostExtensionManager> manager = HostExtensionManager();
  if (manager) RemoveHostEntry(*manager.Get(), CBstr::FromAnsi(HOST_NAME));
}

HRESULT RegisterExtension(const std::string& modulePath) {
  return CRegistration(modulePath).Register();
}

HRESULT UnregisterExtension(const std::string& modulePath) {
  return CRegistration(modulePath).Unregister();
}
