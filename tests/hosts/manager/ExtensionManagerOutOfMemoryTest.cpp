// The organizer's extension manager and its entries, called as an extension's
// registration calls them, with memory running out at every allocation in
// turn: each method answers E_OUTOFMEMORY instead of letting an exception into
// the caller, and the list stays readable.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "hosts/organizer/ExtensionList.h"
#include "hosts/organizer/ExtensionManager.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassCreation.h"
#include "platform/com/ComPtr.h"
#include "platform/com/IClassFactory.h"
#include "support/AllocationFailure.h"
#include "support/TempFolder.h"

namespace {

TEST(ExtensionManagerOutOfMemory, EveryMethodAnswersWithAResult) {
  CTempFolder dir("manager-oom");
  const std::filesystem::path file = dir / "registry.ini";
  auto manager = CComPtr<IHostExtensionManager>::Attach(new CExtensionManager(file));
  const CBstr name = CBstr::FromUtf8("Quillet");
  const CBstr page = CBstr::FromUtf8("/opt/quillet/QuilletExt.html");
  const CBstr caption = CBstr::FromUtf8("&Quillet");

  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    HRESULT hr = S_OK;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      CComPtr<IHostExtensionEntry> added;
      CComPtr<IHostExtensionEntry> found;
      hr = manager->AddExtension(name.Get(), 0x44655275, page.Get(), page.Get(), added.Out());
      if (SUCCEEDED(hr)) hr = added->SetMenuCaption(caption.Get());
      if (SUCCEEDED(hr)) hr = added->SetFinal(1);
      if (SUCCEEDED(hr)) hr = manager->FindExtension(name.Get(), found.Out());
      if (SUCCEEDED(hr)) hr = found ? found->Remove() : E_FAIL;
      fired = failure.Fired();
    }
    EXPECT_EQ(CRegistry::REG_OK, CRegistry(file).Load()) << "allocation " << n;
    ExtensionRecord left;
    if (!fired) {
      EXPECT_EQ(S_OK, hr);
      EXPECT_FALSE(CExtensionList(file).Find("Quillet", left));
      return false;
    }
    EXPECT_EQ(E_OUTOFMEMORY, hr) << "allocation " << n;
    return true;
  });
  EXPECT_GT(failures, 10u);
}

TEST(ExtensionManagerOutOfMemory, TheLibrarysClassObjectAnswersWithAResult) {
  void* handle = ::dlopen(QUILLET_HOST_MANAGER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << ::dlerror();
  auto getClassObject = reinterpret_cast<DllGetClassObjectFunc>(::dlsym(handle, "DllGetClassObject"));
  ASSERT_NE(getClassObject, nullptr);
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    HRESULT hr = S_OK;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      CComPtr<IClassFactory> factory;
      hr = getClassObject(CLSID_HostExtensionManager, IClassFactory::Iid, factory.OutVoid());
      CComPtr<IHostExtensionManager> manager;
      if (SUCCEEDED(hr)) hr = factory->CreateInstance(nullptr, IHostExtensionManager::Iid, manager.OutVoid());
      fired = failure.Fired();
    }
    EXPECT_EQ(fired ? E_OUTOFMEMORY : S_OK, hr) << "allocation " << n;
    return fired;
  });
  EXPECT_GT(failures, 1u);
  ::dlclose(handle);
}

// Created by class id as an extension creates it: looking the class up tells
// memory running out apart from a class that is not registered.
TEST(ExtensionManagerOutOfMemory, CreationByClassIdAnswersWithAResult) {
  CTempFolder dir("manager-oom");
  ::setenv("QUILLET_CONFIG_HOME", dir.Path().c_str(), 1);
  ASSERT_EQ(S_OK, RegisterHostManager(QUILLET_HOST_MANAGER_LIBRARY));
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    HRESULT hr = S_OK;
    bool fired = false;
    {
      CAllocationFailure failure(n);
      CComPtr<IHostExtensionManager> manager;
      hr = CoCreateInstance(CLSID_HostExtensionManager, nullptr, CLSCTX_ALL, IHostExtensionManager::Iid,
                            manager.OutVoid());
      fired = failure.Fired();
    }
    EXPECT_EQ(fired ? E_OUTOFMEMORY : S_OK, hr) << "allocation " << n;
    return fired;
  });
  EXPECT_GT(failures, 10u);
  ::unsetenv("QUILLET_CONFIG_HOME");
}

}  // namespace
