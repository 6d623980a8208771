// Registration against an empty registry file and a fake organizer whose
// extension manager this process serves, recording every call it receives.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "extension/ExtensionGuids.h"
#include "extension/HostInterfaces.h"
#include "extension/Registration.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassCreation.h"
#include "platform/com/DispatchObject.h"
#include "platform/com/IClassFactory.h"
#include "platform/registry/Registry.h"
#include "resources/extension/ExtensionModule.h"
#include "support/TempFolder.h"

namespace {

#define NOT_USED(n) \
  HRESULT Reserved##n() override { return E_NOTIMPL; }

class CFakeManager;

std::string Utf8(BSTR text) { return CBstr(std::u16string_view(text, SysStringLen(text))).Utf8(); }

class CFakeEntry final : public CDispatchObject<IHostExtensionEntry> {
 public:
  CFakeEntry(CFakeManager& manager, std::vector<std::string>& calls) : m_manager(manager), m_calls(calls) {}
  HRESULT SetMenuCaption(BSTR text) override { return Record("10", text); }
  HRESULT SetDisplayName(BSTR text) override { return Record("12", text); }
  HRESULT SetDataFileName(BSTR text) override { return Record("16", text); }
  HRESULT SetCombinedName(BSTR text) override { return Record("18", text); }
  HRESULT SetSmallBitmap(BSTR text) override { return Record("24", text); }
  HRESULT SetFinal(LONG flag) override {
    m_calls.push_back("32 " + std::to_string(flag));
    return S_OK;
  }
  HRESULT Remove() override;
  NOT_USED(7) NOT_USED(8) NOT_USED(9) NOT_USED(11) NOT_USED(13) NOT_USED(14) NOT_USED(15)
  NOT_USED(17) NOT_USED(19) NOT_USED(20) NOT_USED(21) NOT_USED(22) NOT_USED(23) NOT_USED(25)
  NOT_USED(26) NOT_USED(27) NOT_USED(28) NOT_USED(29) NOT_USED(30) NOT_USED(31) NOT_USED(33)
  NOT_USED(34) NOT_USED(35) NOT_USED(36) NOT_USED(37)

 private:
  HRESULT Record(const char* slot, BSTR text) {
    m_calls.push_back(std::string(slot) + " " + Utf8(text));
    return S_OK;
  }
  CFakeManager& m_manager;
  std::vector<std::string>& m_calls;
};

// The organizer's extension list: at most one entry per name.
class CFakeManager final : public CDispatchObject<IHostExtensionManager, IClassFactory> {
 public:
  std::vector<std::string> calls;
  std::vector<CFakeEntry*> entries;  // referenced by the list

  HRESULT AddExtension(BSTR name, LONG creator, BSTR helpPage, BSTR largeBitmap,
                       IHostExtensionEntry** entry) override {
    char creatorText[16];
    std::snprintf(creatorText, sizeof creatorText, "%08X", static_cast<unsigned>(creator));
    calls.push_back("9 " + Utf8(name) + " " + creatorText + " " + Utf8(helpPage) + " " +
                    Utf8(largeBitmap));
    auto* added = new CFakeEntry(*this, calls);
    entries.push_back(added);
    added->AddRef();
    *entry = added;
    return S_OK;
  }
  HRESULT FindExtension(BSTR name, IHostExtensionEntry** entry) override {
    calls.push_back("11 " + Utf8(name));
    *entry = nullptr;
    if (!entries.empty()) {
      entries.front()->AddRef();
      *entry = entries.front();
    }
    return S_OK;
  }
  // Every creation hands out this one list.
  HRESULT CreateInstance(IUnknown*, REFIID iid, void** out) override { return QueryInterface(iid, out); }
  HRESULT LockServer(BOOL) override { return S_OK; }
  NOT_USED(7) NOT_USED(8) NOT_USED(10)

  ~CFakeManager() override {
    for (auto* entry : entries) entry->Release();
  }
};

HRESULT CFakeEntry::Remove() {
  m_calls.push_back("38");
  auto& list = m_manager.entries;
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (*it == this) {
      list.erase(it);
      Release();
      break;
    }
  }
  return S_OK;
}

// A registration whose type library or class step the registry refuses.
class CRefusingRegistration : public CRegistration {
 public:
  CRefusingRegistration(std::string module, bool typeLibrary, bool classes)
      : CRegistration(std::move(module)), m_typeLibrary(typeLibrary), m_classes(classes) {}

 protected:
  HRESULT ApplyTypeLibrary(bool install) override {
    return m_typeLibrary ? REGDB_E_WRITEREGDB : CRegistration::ApplyTypeLibrary(install);
  }
  HRESULT ApplyClasses(bool install) override {
    return m_classes ? REGDB_E_WRITEREGDB : CRegistration::ApplyClasses(install);
  }

 private:
  bool m_typeLibrary;
  bool m_classes;
};

constexpr const char* MODULE = "/opt/quillet/lib/libQuilletExt.so";
const std::string HKCR = "HKEY_CLASSES_ROOT\\";

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("QUILLET_CONFIG_HOME", m_dir.Path().c_str(), 1);
    m_manager = new CFakeManager;
    ASSERT_EQ(CoRegisterClassObject(CLSID_HostExtensionManager,
                                    static_cast<IClassFactory*>(m_manager), &m_cookie),
              S_OK);
  }
  void TearDown() override {
    if (m_cookie) CoRevokeClassObject(m_cookie);
    m_manager->Release();
    ::unsetenv("QUILLET_CONFIG_HOME");
  }

  static CRegistry Registry() {
    CRegistry registry;
    EXPECT_EQ(registry.Load(), CRegistry::REG_OK);
    return registry;
  }
  static std::string Text(const CRegistry& registry, const std::string& key, const char* name = "") {
    std::string value;
    return registry.GetString(HKCR + key, name, value) == CRegistry::REG_OK ? value : "<none>";
  }
  static std::string Id(const GUID& guid) { return GuidToString(guid); }

  CTempFolder m_dir;
  CFakeManager* m_manager = nullptr;
  DWORD m_cookie = 0;
};

TEST_F(RegistrationTest, RegisterWritesEveryKeyAndTheHostEntryAndUnregisterTakesThemOut) {
  ASSERT_EQ(ExtensionProfile().WriteProfileString("", "InstallPath", "/opt/quillet"), CRegistry::REG_OK);
  const std::string sink = "CLSID\\" + Id(CLSID_SinkObject);
  const std::string control = "CLSID\\" + Id(CLSID_QuilletExtCtrl);
  const std::string typeLibrary = "TypeLib\\" + Id(LIBID_QuilletExtLib);
  {  // a stale SinkObject class key and another server's class
    CRegistry registry = Registry();
    registry.SetString(HKCR + sink + "\\Stale", "", "old");
    registry.SetString(HKCR + "CLSID\\{00000000-0000-0000-0000-000000000001}", "", "Other");
    ASSERT_EQ(registry.Save(), CRegistry::REG_OK);
  }

  ASSERT_EQ(RegisterExtension(MODULE), S_OK);
  CRegistry registry = Registry();
  const struct {
    std::string key, name, value;
  } written[] = {
      {"AppID\\" + Id(APPID_QuilletExt), "", "QuilletExt"},
      {"AppID\\QuilletExt.DLL", "AppID", Id(APPID_QuilletExt)},
      {"QuilletExt.SinkObject.1\\CLSID", "", Id(CLSID_SinkObject)},
      {sink, "", "SinkObject Class"},
      {sink, "AppID", Id(APPID_QuilletExt)},
      {sink + "\\InprocServer32", "", MODULE},
      {sink + "\\InprocServer32", "ThreadingModel", "Apartment"},
      {typeLibrary + "\\1.0", "", "QuilletExtLib"},
      {typeLibrary + "\\1.0\\HELPDIR", "", "/opt/quillet/lib"},
      {control, "", "QuilletExt Control"},
      {control + "\\MiscStatus\\1", "", "131473"},
      {control + "\\ToolboxBitmap32", "", std::string(MODULE) + ", 1"},
      {"CLSID\\" + Id(CLSID_QuilletExtPropPage), "", "QuilletExt Property Page"},
  };
  for (const auto& w : written) EXPECT_EQ(Text(registry, w.key, w.name.c_str()), w.value) << w.key;
  EXPECT_TRUE(registry.KeyExists(HKCR + sink + "\\Programmable"));
  EXPECT_FALSE(registry.KeyExists(HKCR + sink + "\\Stale"));

  EXPECT_EQ(m_manager->calls,
            (std::vector<std::string>{"11 Quillet",
                                      "9 Quillet 44655275 /opt/quillet/QuilletExt.html /opt/quillet/QuilletExt32.bmp",
                                      "10 &Quillet", "12 Quillet", "18 Quillet-DeRu", "16 record.dat",
                                      "24 /opt/quillet/QuilletExt16.bmp", "32 1"}));

  m_manager->calls.clear();
  ASSERT_EQ(UnregisterExtension(MODULE), S_OK);
  EXPECT_EQ(m_manager->calls, (std::vector<std::string>{"11 Quillet", "38"}));
  EXPECT_TRUE(m_manager->entries.empty());
  registry = Registry();
  for (const auto& w : written) EXPECT_FALSE(registry.KeyExists(HKCR + w.key)) << w.key;
  for (const char* gone : {"QuilletExt.SinkObject", "QUILLETEXT.QuilletExtPropPage.1"}) {
    EXPECT_FALSE(registry.KeyExists(HKCR + gone)) << gone;
  }
  EXPECT_FALSE(registry.KeyExists(HKCR + typeLibrary));
  EXPECT_TRUE(registry.KeyExists(HKCR + "AppID"));
  EXPECT_TRUE(registry.KeyExists(HKCR + "CLSID\\{00000000-0000-0000-0000-000000000001}"));
}

TEST_F(RegistrationTest, RegisteringTwiceReplacesTheEntryAndTheFolderDefaultsToC) {
  ASSERT_EQ(RegisterExtension(MODULE), S_OK);
  m_manager->calls.clear();
  ASSERT_EQ(RegisterExtension(MODULE), S_OK);
  ASSERT_GE(m_manager->calls.size(), 3u);
  EXPECT_EQ(m_manager->calls[1], "38");
  EXPECT_EQ(m_manager->calls[2], "9 Quillet 44655275 c:/QuilletExt.html c:/QuilletExt32.bmp");
  EXPECT_EQ(m_manager->entries.size(), 1u);
}

TEST_F(RegistrationTest, UnregisteringWithoutAnEntryOrWithoutTheOrganizerSucceeds) {
  EXPECT_EQ(UnregisterExtension(MODULE), S_OK);
  EXPECT_EQ(m_manager->calls, (std::vector<std::string>{"11 Quillet"}));

  ASSERT_EQ(CoRevokeClassObject(m_cookie), S_OK);
  m_cookie = 0;
  EXPECT_EQ(RegisterExtension(MODULE), S_OK);
  EXPECT_TRUE(Registry().KeyExists(HKCR + "CLSID\\" + Id(CLSID_QuilletExtCtrl)));
  EXPECT_EQ(UnregisterExtension(MODULE), S_OK);
  EXPECT_EQ(m_manager->calls.size(), 1u);
}

TEST_F(RegistrationTest, FailingStepsReturnTheirCodesAndLeaveTheOrganizerAlone) {
  const struct {
    bool typeLibrary, classes;
    HRESULT expected;
  } cases[] = {
      {true, false, SELFREG_E_TYPELIB},
      {false, true, SELFREG_E_CLASS},
  };
  for (const auto& c : cases) {
    CRefusingRegistration registration(MODULE, c.typeLibrary, c.classes);
    EXPECT_EQ(registration.Register(), c.expected);
    EXPECT_EQ(registration.Unregister(), c.expected);
  }
  EXPECT_TRUE(m_manager->calls.empty());

  // A registry file that cannot be read is neither overwritten nor passed over.
  const std::filesystem::path file = CRegistry::DefaultPath();
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file) << "not a registry\n";
  EXPECT_EQ(RegisterExtension(MODULE), REGDB_E_READREGDB);
  EXPECT_EQ(UnregisterExtension(MODULE), REGDB_E_READREGDB);
  EXPECT_TRUE(m_manager->calls.empty());
  std::ifstream in(file);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not a registry\n");
}

}  // namespace
