#include "extension/Registration.h"

#include <filesystem>
#include <new>
#include <string_view>
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

// Of the organizer's answers only memory running out is passed on: the
// organizer may be missing or refuse a call, and the extension is still
// registered, but a process out of memory has not done what it was asked.
HRESULT Reported(HRESULT hr) { return hr == E_OUTOFMEMORY ? hr : S_OK; }

// Removes the organizer's entry named `name` when there is one; the first
// failed call's result.
HRESULT RemoveHostEntry(IHostExtensionManager& manager, const CBstr& name) {
  CComPtr<IHostExtensionEntry> entry;
  if (HRESULT hr = manager.FindExtension(name.Get(), entry.Out()); FAILED(hr)) return hr;
  return entry ? entry->Remove() : S_OK;
}

HRESULT HostExtensionManager(CComPtr<IHostExtensionManager>& manager) {
  const HRESULT hr = CoCreateInstance(CLSID_HostExtensionManager, nullptr, CLSCTX_ALL,
                                      IHostExtensionManager::Iid, manager.OutVoid());
  if (FAILED(hr)) manager.Reset();
  return hr;
}

// The text as a BSTR for a call to the organizer; E_OUTOFMEMORY when it
// cannot be made.
HRESULT Text(std::string_view text, CBstr& out) {
  out = CBstr::FromAnsi(text);
  return out.Get() ? S_OK : E_OUTOFMEMORY;
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
  return RegisterWithHost();
}

HRESULT CRegistration::Unregister() {
  if (HRESULT hr = ApplyAppId(false); FAILED(hr)) return hr;
  if (HRESULT hr = ApplyObjects(false); FAILED(hr)) return hr;
  // The type library is already gone after the objects: taking out what is
  // no longer there succeeds.
  if (FAILED(ApplyTypeLibrary(false))) return SELFREG_E_TYPELIB;
  if (FAILED(ApplyClasses(false))) return SELFREG_E_CLASS;
  return UnregisterFromHost();
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

HRESULT CRegistration::RegisterWithHost() {
  try {
    CComPtr<IHostExtensionManager> manager;
    if (HRESULT hr = HostExtensionManager(manager); FAILED(hr)) return Reported(hr);  // not installed
    CBstr name;
    if (HRESULT hr = Text(HOST_NAME, name); FAILED(hr)) return hr;
    // Registering again replaces the entry.
    if (HRESULT hr = RemoveHostEntry(*manager.Get(), name); FAILED(hr)) return Reported(hr);
    const std::string folder = InstallFolder();
    CBstr helpPage;
    CBstr largeBitmap;
    if (HRESULT hr = Text(InstallFile(folder, HOST_HELP_PAGE), helpPage); FAILED(hr)) return hr;
    if (HRESULT hr = Text(InstallFile(folder, HOST_LARGE_BITMAP), largeBitmap); FAILED(hr)) return hr;
    CComPtr<IHostExtensionEntry> entry;
    if (HRESULT hr = manager->AddExtension(name.Get(), HOST_CREATOR, helpPage.Get(), largeBitmap.Get(),
                                           entry.Out());
        FAILED(hr) || !entry) {
      return Reported(hr);
    }
    // The first refused call ends the announcement.
    const std::pair<HRESULT (IHostExtensionEntry::*)(BSTR), std::string> texts[] = {
        {&IHostExtensionEntry::SetMenuCaption, HOST_MENU_CAPTION},
        {&IHostExtensionEntry::SetDisplayName, HOST_DISPLAY_NAME},
        {&IHostExtensionEntry::SetCombinedName, HOST_COMBINED_NAME},
        {&IHostExtensionEntry::SetDataFileName, HOST_DATA_FILE},
        {&IHostExtensionEntry::SetSmallBitmap, InstallFile(folder, HOST_SMALL_BITMAP)}};
    for (const auto& [setter, text] : texts) {
      CBstr value;
      if (HRESULT hr = Text(text, value); FAILED(hr)) return hr;
      if (HRESULT hr = (entry.Get()->*setter)(value.Get()); FAILED(hr)) return Reported(hr);
    }
    return Reported(entry->SetFinal(HOST_FINAL));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

// Every step answers a result (nothing here builds a string of its own).
HRESULT CRegistration::UnregisterFromHost() {
  CComPtr<IHostExtensionManager> manager;
  if (HRESULT hr = HostExtensionManager(manager); FAILED(hr)) return Reported(hr);
  CBstr name;
  if (HRESULT hr = Text(HOST_NAME, name); FAILED(hr)) return hr;
  return Reported(RemoveHostEntry(*manager.Get(), name));
}

HRESULT RegisterExtension(const std::string& modulePath) {
  return CRegistration(modulePath).Register();
}

HRESULT UnregisterExtension(const std::string& modulePath) {
  return CRegistration(modulePath).Unregister();
}
