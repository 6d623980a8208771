// The component layer with memory running out at every allocation in turn:
// strings, variants, argument setters and class factories answer
// E_OUTOFMEMORY (or a null string), never an exception.

#include <gtest/gtest.h>

#include "platform/com/Bstr.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/DispArgs.h"
#include "platform/com/Variant.h"
#include "support/AllocationFailure.h"

namespace {

// An object whose constructor allocates as well.
class CHeavy final : public CComObject<IUnknown> {
 public:
  CHeavy() : m_name(200, 'h') {}

 private:
  std::string m_name;
};

TEST(ComOutOfMemory, StringsVariantsArgumentsAndFactories) {
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    VARIANT source;
    VariantInit(&source);
    VARIANT copy;
    VariantInit(&copy);
    VARIANT out;
    VariantInit(&out);
    BSTR outText = nullptr;
    out.vt = VT_BYREF | VT_BSTR;
    out.pbstrVal = &outText;
    DISPPARAMS params{&out, nullptr, 1, 0};
    HRESULT hr = S_OK;
    bool fired = false;
    CComPtr<IUnknown> made;
    {
      CAllocationFailure failure(n);
      source.vt = VT_BSTR;
      source.bstrVal = BstrFromAnsi("a text long enough to need its own block");
      hr = source.bstrVal != nullptr ? S_OK : E_OUTOFMEMORY;
      if (SUCCEEDED(hr)) hr = VariantCopy(&copy, &source);
      if (SUCCEEDED(hr)) hr = CDispArgs(&params).SetAnsi(0, "an answer through the argument");
      if (SUCCEEDED(hr)) hr = CDispArgs(&params).SetUtf8(0, "another answer, in UTF-8 this time");
      if (SUCCEEDED(hr)) {
        auto* factory = new (std::nothrow) CClassFactory<CHeavy>;
        hr = factory != nullptr ? factory->CreateInstance(nullptr, IID_IUnknown, made.OutVoid()) : E_OUTOFMEMORY;
        if (factory != nullptr) factory->Release();
      }
      fired = failure.Fired();
    }
    VariantClear(&source);
    VariantClear(&copy);
    SysFreeString(outText);
    if (!fired) {
      EXPECT_EQ(S_OK, hr);
      EXPECT_NE(nullptr, made.Get());
      return false;
    }
    EXPECT_EQ(E_OUTOFMEMORY, hr) << "allocation " << n;
    return true;
  });
  EXPECT_GT(failures, 4u);
}

}  // namespace
