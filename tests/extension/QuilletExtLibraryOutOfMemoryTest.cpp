// libQuilletExt.so's exports with memory running out: class objects, a created
// link object, the control's type name and registration answer a failure instead of letting an
// exception into the organizer, and the registry file keeps its old content or
// takes the new one whole.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <string>

#include "extension/ExtensionGuids.h"
#include "extension/HostInterfaces.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/com/IClassFactory.h"
#include "platform/com/IOleObject.h"
#include "platform/registry/Registry.h"
#include "support/TempFolder.h"
#include "support/AllocationFailure.h"

namespace {

const std::string kLibrary = std::string(QUILLET_BINARY_DIR) + "/extension/libQuilletExt.so";

// Registration with the organizer's announcement runs some 20,000
// allocations, each pass rewriting the registry file a dozen times: the loop
// over it fails every STRIDE-th allocation (a prime, so that it falls on every
// step at different offsets) to stay within seconds.
constexpr std::size_t STRIDE = 151;

class QuilletExtLibraryOutOfMemory : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("QUILLET_CONFIG_HOME", m_dir.Path().c_str(), 1);
    m_handle = ::dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(m_handle, nullptr) << ::dlerror();
    m_getClassObject = reinterpret_cast<DllGetClassObjectFunc>(::dlsym(m_handle, "DllGetClassObject"));
    m_register = reinterpret_cast<DllRegisterServerFunc>(::dlsym(m_handle, "DllRegisterServer"));
    m_unregister = reinterpret_cast<DllUnregisterServerFunc>(::dlsym(m_handle, "DllUnregisterServer"));
    ASSERT_TRUE(m_getClassObject && m_register && m_unregister);
  }
  void TearDown() override {
    if (m_handle) ::dlclose(m_handle);
    ::unsetenv("QUILLET_CONFIG_HOME");
  }

  CTempFolder m_dir{"ext-oom"};
  void* m_handle = nullptr;
  DllGetClassObjectFunc m_getClassObject = nullptr;
  DllRegisterServerFunc m_register = nullptr;
  DllUnregisterServerFunc m_unregister = nullptr;
};

TEST_F(QuilletExtLibraryOutOfMemory, ClassObjectsAndTheLinkAnswerWithAResult) {
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    HRESULT hr = S_OK;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      for (const CLSID& clsid : {CLSID_SinkObject, CLSID_QuilletExtCtrl, CLSID_QuilletExtPropPage}) {
        CComPtr<IClassFactory> factory;
        hr = m_getClassObject(clsid, IClassFactory::Iid, factory.OutVoid());
        if (FAILED(hr)) break;
      }
      if (SUCCEEDED(hr)) {
        CComPtr<IClassFactory> factory;
        hr = m_getClassObject(CLSID_SinkObject, IClassFactory::Iid, factory.OutVoid());
        CComPtr<IUnknown> link;
        if (SUCCEEDED(hr)) hr = factory->CreateInstance(nullptr, IID_IUnknown, link.OutVoid());
      }
      fired = failure.Fired();
    }
    EXPECT_EQ(fired ? E_OUTOFMEMORY : S_OK, hr) << "allocation " << n;
    return fired;
  });
  EXPECT_GT(failures, 3u);
}

// The control's type name: E_OUTOFMEMORY and no name, never an exception.
TEST_F(QuilletExtLibraryOutOfMemory, TheControlsTypeNameAnswersWithAResult) {
  CComPtr<IClassFactory> factory;
  ASSERT_EQ(S_OK, m_getClassObject(CLSID_QuilletExtCtrl, IClassFactory::Iid, factory.OutVoid()));
  CComPtr<IOleObject> control;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IOleObject::Iid, control.OutVoid()));
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    LPOLESTR name = nullptr;
    HRESULT hr = S_OK;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      hr = control->GetUserType(USERCLASSTYPE_FULL, &name);
      fired = failure.Fired();
    }
    EXPECT_EQ(fired ? E_OUTOFMEMORY : S_OK, hr) << "allocation " << n;
    EXPECT_EQ(fired, name == nullptr) << "allocation " << n;
    SysFreeString(name);
    return fired;
  });
  // The library is loaded anew for each test: the first call registers its
  // resources under the failing allocations as well, and a registration that
  // ran out of memory is tried again by the next call.
  EXPECT_GT(failures, 10u);
}

TEST_F(QuilletExtLibraryOutOfMemory, RegistrationReportsItAndLeavesTheRegistryWhole) {
  const std::string controlKey = "HKEY_CLASSES_ROOT\\CLSID\\" + GuidToString(CLSID_QuilletExtCtrl);
  // The organizer is installed: registration announces the extension to it.
  const std::string managerServer =
      "HKEY_CLASSES_ROOT\\CLSID\\" + GuidToString(CLSID_HostExtensionManager) + "\\InprocServer32";
  ASSERT_EQ(CRegistry::REG_OK, CRegistry().Update([&](CRegistry& registry) {
    return registry.SetString(managerServer, "", QUILLET_HOST_MANAGER_LIBRARY) == CRegistry::REG_OK;
  }));
  std::size_t failures = 0;
  for (std::size_t n = 1;; n += STRIDE) {
    HRESULT hr = S_OK;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      hr = m_register();
      if (SUCCEEDED(hr)) hr = m_unregister();
      fired = failure.Fired();
    }
    CRegistry registry;
    ASSERT_EQ(CRegistry::REG_OK, registry.Load()) << "allocation " << n;
    if (!fired) {
      EXPECT_EQ(S_OK, hr);
      EXPECT_FALSE(registry.KeyExists(controlKey));
      break;
    }
    ++failures;
    EXPECT_TRUE(FAILED(hr)) << "allocation " << n;
    // Memory is back: registration runs whole, whatever was left before.
    ASSERT_EQ(S_OK, m_register()) << "allocation " << n;
    ASSERT_EQ(S_OK, m_unregister()) << "allocation " << n;
  }
  EXPECT_GT(failures, 10u);
}

}  // namespace
