// Creating objects by class id: a server library found through the registry,
// loaded with dlopen and kept while its objects live.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/com/ClassCreation.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComPtr.h"
#include "platform/com/RegistryScript.h"
#include "support/TempFolder.h"
#include "tests/platform/com/server/TestServerClass.h"

namespace {

class ClassCreationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("QUILLET_CONFIG_HOME", m_dir.Path().c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("QUILLET_CONFIG_HOME");
  }

  static HRESULT Register(const CLSID& clsid, const std::string& module) {
    CRegistryScript script{"HKEY_CLASSES_ROOT",
                           {{.name = "CLSID", .removal = CRegistryScript::KEEP,
                             .subKeys = {{.name = "%CLSID%", .removal = CRegistryScript::REPLACE,
                                          .subKeys = {{.name = "InprocServer32", .defaultValue = "%MODULE%"}}}}}}};
    return script.Apply(true, {{"CLSID", GuidToString(clsid)}, {"MODULE", module}});
  }

  CTempFolder m_dir{"com"};
};

TEST_F(ClassCreationTest, CreatesFromTheRegisteredLibraryAndKeepsItWhileObjectsLive) {
  ASSERT_EQ(Register(CLSID_TestCounter, COM_TEST_SERVER), S_OK);

  CComPtr<ITestCounter> counter;
  ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, ITestCounter::Iid, counter.OutVoid()),
            S_OK);
  LONG total = 0;
  EXPECT_EQ(counter->Add(5, &total), S_OK);
  CoFreeUnusedLibraries();  // the object still lives: the library must stay
  EXPECT_EQ(counter->Add(2, &total), S_OK);
  EXPECT_EQ(total, 7);

  CComPtr<IUnknown> other;
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, counter.Get(), CLSCTX_INPROC_SERVER, IID_IUnknown,
                             other.OutVoid()),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, other.OutVoid()),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, IID_IClassFactory, other.OutVoid()),
            E_NOINTERFACE);
  EXPECT_FALSE(other);
  counter.Reset();
  CoFreeUnusedLibraries();

  // Loaded again on the next request.
  ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, ITestCounter::Iid, counter.OutVoid()),
            S_OK);
  EXPECT_EQ(counter->Add(1, &total), S_OK);
  EXPECT_EQ(total, 1);
}

TEST_F(ClassCreationTest, FailuresSayWhatIsMissing) {
  constexpr CLSID unknown = GuidLiteral("{00000000-1111-2222-3333-444444444444}");
  CComPtr<IUnknown> object;
  EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_ALL, IID_IUnknown, object.OutVoid()), REGDB_E_CLASSNOTREG);
  ASSERT_EQ(Register(unknown, (m_dir / "missing.so").string()), S_OK);
  EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_ALL, IID_IUnknown, object.OutVoid()), CO_E_DLLNOTFOUND);
  // A library that is not a server.
  ASSERT_EQ(Register(unknown, "libm.so.6"), S_OK);
  EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_ALL, IID_IUnknown, object.OutVoid()), CO_E_ERRORINDLL);
  EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr), E_POINTER);
}

class CLocalCounter final : public CComObject<ITestCounter> {
 public:
  HRESULT Add(LONG amount, LONG* total) override {
    *total = amount;
    return S_OK;
  }
};

TEST_F(ClassCreationTest, ClassObjectsOfThisProcessComeFirst) {
  auto* factory = new CClassFactory<CLocalCounter>;
  DWORD cookie = 0;
  ASSERT_EQ(CoRegisterClassObject(CLSID_TestCounter, factory->GetUnknown(), &cookie), S_OK);
  factory->Release();
  CComPtr<ITestCounter> counter;
  // Found without any registry entry, for an out-of-process context too.
  ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_LOCAL_SERVER, ITestCounter::Iid,
                             counter.OutVoid()),
            S_OK);
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
  EXPECT_EQ(CoRevokeClassObject(cookie), E_INVALIDARG);
  EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_LOCAL_SERVER, ITestCounter::Iid,
                             counter.OutVoid()),
            REGDB_E_CLASSNOTREG);
}

}  // namespace
