// quillet-regsvr run as a user runs it: on a stand-in extension library, and
// on libQuilletHostManager.so, after which this process creates the manager
// by class id and the stand-in announces itself through it.

#include <gtest/gtest.h>

#include <map>

#include "extension/HostInterfaces.h"
#include "hosts/organizer/ExtensionList.h"
#include "hosts/manager/ConfigHome.h"
#include "platform/com/ClassCreation.h"
#include "platform/com/ComPtr.h"
#include "support/ProcessRunner.h"

namespace {

using testsupport::ProcessResult;

const std::string kFake = QUILLET_FAKE_EXTENSION_LIBRARY;
const std::string kManager = QUILLET_HOST_MANAGER_LIBRARY;
const std::string kManagerKey = "HKEY_CLASSES_ROOT\\CLSID\\{BE44897A-EB38-11D5-823F-00C04FA03755}";

class RegsvrTest : public ::testing::Test {
 protected:
  ProcessResult Regsvr(const std::vector<std::string>& args, std::map<std::string, std::string> env = {}) {
    env["QUILLET_CONFIG_HOME"] = home.Folder();
    return testsupport::RunProcess(QUILLET_REGSVR_PROGRAM, args, env);
  }
  CRegistry Registry() {
    CRegistry registry(home.RegistryFile());
    EXPECT_EQ(registry.Load(), CRegistry::REG_OK);
    return registry;
  }

  CConfigHome home;
};

TEST_F(RegsvrTest, ReportsOutcomesWithDistinctStatuses) {
  struct Case {
    std::vector<std::string> args;
    std::map<std::string, std::string> env;
    int status;
    std::string out;
    std::string err;  // a part of standard error
  };
  const Case cases[] = {
      {{kFake}, {}, 0, "DllRegisterServer in " + kFake + " succeeded.\n", ""},
      {{"-s", kFake}, {}, 0, "", ""},
      {{kFake}, {{"QUILLET_FAKE_RESULT", "80040201"}}, 5, "",
       "DllRegisterServer in " + kFake + " failed with 0x80040201 (SELFREG_E_CLASS)."},
      {{kFake}, {{"QUILLET_FAKE_RESULT", "8badf00d"}}, 5, "", "failed with 0x8BADF00D.\n"},
      {{"-u", kFake}, {}, 4, "", "has no entry point DllUnregisterServer"},
      {{home.Folder() + "/missing.so"}, {}, 3, "", "cannot load " + home.Folder() + "/missing.so: "},
      {{}, {}, 2, "", "missing argument LIBRARY"},
      {{"-x", kFake}, {}, 2, "", "unknown option"},
  };
  for (const Case& c : cases) {
    ProcessResult result = Regsvr(c.args, c.env);
    SCOPED_TRACE(testing::PrintToString(c.args) + " " + result.err);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.out, c.out);
    EXPECT_NE(result.err.find(c.err), std::string::npos);
  }
}

TEST_F(RegsvrTest, ARelativePathIsTakenFromTheCurrentFolder) {
  const std::filesystem::path library(kFake);
  ProcessResult result = testsupport::RunProcess(
      "/bin/sh", {"-c", "cd \"$1\" && exec \"$2\" \"$3\"", "sh", library.parent_path().string(),
                  QUILLET_REGSVR_PROGRAM, library.filename().string()},
      {{"QUILLET_CONFIG_HOME", home.Folder()}});
  EXPECT_EQ(result.status, 0) << result.err;
  std::string server;
  Registry().GetString("HKEY_CLASSES_ROOT\\CLSID\\{0F0F0F0F-1111-2222-3333-444455556666}\\InprocServer32", "",
                       server);
  EXPECT_EQ(server, kFake);  // the library registered its absolute path
}

TEST_F(RegsvrTest, ManagerLibraryServesExtensionsOnceRegistered) {
  ASSERT_EQ(Regsvr({kManager}).status, 0);
  std::string server, threading;
  CRegistry registry = Registry();
  EXPECT_EQ(registry.GetString(kManagerKey + "\\InprocServer32", "", server), CRegistry::REG_OK);
  EXPECT_EQ(registry.GetString(kManagerKey + "\\InprocServer32", "ThreadingModel", threading),
            CRegistry::REG_OK);
  EXPECT_EQ(server, kManager);
  EXPECT_EQ(threading, "Apartment");

  CComPtr<IHostExtensionManager> manager;
  ASSERT_EQ(CoCreateInstance(CLSID_HostExtensionManager, nullptr, CLSCTX_ALL, IHostExtensionManager::Iid,
                             manager.OutVoid()),
            S_OK);
  ASSERT_TRUE(manager);
  manager.Reset();

  // The stand-in registers its control, then announces itself from the same
  // library: its entry names that control, not another library's.
  ASSERT_EQ(CRegistry(home.RegistryFile()).Update([&](CRegistry& r) {
    const std::string other = "HKEY_CLASSES_ROOT\\CLSID\\{00000000-0000-0000-0000-000000000001}";
    return r.SetString(other + "\\InprocServer32", "", kManager) == CRegistry::REG_OK &&
           r.CreateKey(other + "\\Control") == CRegistry::REG_OK;
  }), CRegistry::REG_OK);
  ProcessResult announced = Regsvr({kFake}, {{"QUILLET_FAKE_ANNOUNCE", "1"}});
  ASSERT_EQ(announced.status, 0) << announced.err;
  ExtensionRecord record;
  ASSERT_TRUE(CExtensionList(home.RegistryFile()).Find("Fake", record));
  EXPECT_EQ(record.creator, 7);
  EXPECT_EQ(record.menuCaption, "&Fake");
  EXPECT_EQ(record.controlClass, "{0F0F0F0F-1111-2222-3333-444455556666}");

  ASSERT_EQ(Regsvr({"-u", kManager}).status, 0);
  registry = Registry();
  EXPECT_FALSE(registry.KeyExists(kManagerKey));
  EXPECT_TRUE(registry.KeyExists("HKEY_CLASSES_ROOT\\CLSID"));
  EXPECT_EQ(CoCreateInstance(CLSID_HostExtensionManager, nullptr, CLSCTX_ALL, IHostExtensionManager::Iid,
                             manager.OutVoid()),
            REGDB_E_CLASSNOTREG);
}

}  // namespace
