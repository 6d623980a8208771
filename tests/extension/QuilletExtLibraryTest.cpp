// libQuilletExt.so as the organizer loads it: the class objects of its three
// classes, the unload answer while one is held, and registration in a
// process without an application object, under the library's own path.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "extension/ExtensionGuids.h"
#include "platform/com/ComPtr.h"
#include "platform/com/IClassFactory.h"
#include "platform/registry/Registry.h"
#include "support/TempFolder.h"

namespace {

const std::string kLibrary = std::string(QUILLET_BINARY_DIR) + "/extension/libQuilletExt.so";

class QuilletExtLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("QUILLET_CONFIG_HOME", m_dir.Path().c_str(), 1);
    m_handle = ::dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(m_handle, nullptr) << ::dlerror();
    getClassObject = reinterpret_cast<DllGetClassObjectFunc>(::dlsym(m_handle, "DllGetClassObject"));
    canUnloadNow = reinterpret_cast<DllCanUnloadNowFunc>(::dlsym(m_handle, "DllCanUnloadNow"));
    registerServer = reinterpret_cast<DllRegisterServerFunc>(::dlsym(m_handle, "DllRegisterServer"));
    unregisterServer =
        reinterpret_cast<DllUnregisterServerFunc>(::dlsym(m_handle, "DllUnregisterServer"));
    ASSERT_TRUE(getClassObject && canUnloadNow && registerServer && unregisterServer);
  }
  void TearDown() override {
    if (m_handle != nullptr) ::dlclose(m_handle);
    ::unsetenv("QUILLET_CONFIG_HOME");
  }

  CTempFolder m_dir;
  void* m_handle = nullptr;
  DllGetClassObjectFunc getClassObject = nullptr;
  DllCanUnloadNowFunc canUnloadNow = nullptr;
  DllRegisterServerFunc registerServer = nullptr;
  DllUnregisterServerFunc unregisterServer = nullptr;
};

TEST_F(QuilletExtLibraryTest, ServesItsThreeClassesAndUnloadsOnlyWhenNothingIsHeld) {
  EXPECT_EQ(canUnloadNow(), S_OK);
  for (const CLSID& clsid : {CLSID_SinkObject, CLSID_QuilletExtCtrl, CLSID_QuilletExtPropPage}) {
    CComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(clsid, IClassFactory::Iid, factory.OutVoid()), S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(canUnloadNow(), S_OK);

  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(getClassObject(LIBID_QuilletExtLib, IClassFactory::Iid, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
}

TEST_F(QuilletExtLibraryTest, RegistersUnderItsOwnPathWithoutAnApplicationObject) {
  ASSERT_EQ(registerServer(), S_OK);
  CRegistry registry;
  ASSERT_EQ(registry.Load(), CRegistry::REG_OK);
  std::string server;
  ASSERT_EQ(registry.GetString("HKEY_CLASSES_ROOT\\CLSID\\" + GuidToString(CLSID_QuilletExtCtrl) +
                                   "\\InprocServer32",
                               "", server),
            CRegistry::REG_OK);
  EXPECT_TRUE(std::filesystem::equivalent(server, kLibrary)) << server;

  ASSERT_EQ(unregisterServer(), S_OK);
  ASSERT_EQ(registry.Load(), CRegistry::REG_OK);
  EXPECT_FALSE(registry.KeyExists("HKEY_CLASSES_ROOT\\CLSID\\" + GuidToString(CLSID_QuilletExtCtrl)));
}

}  // namespace
