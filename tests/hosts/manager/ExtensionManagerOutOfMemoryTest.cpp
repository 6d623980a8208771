// The organizer's extension manager and its entries, called as an extension's
// registration calls them, with memory running out at every allocation in
// turn: each method answers E_OUTOFMEMORY instead of letting an exception into
// the caller, and the list stays readable.

#include <gtest/gtest.h>

#include "hosts/organizer/ExtensionList.h"
#include "hosts/organizer/ExtensionManager.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
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

}  // namespace
