// A minimal in-process server: one class, its factory and the two exports a
// loader calls.

#include "platform/com/ClassFactory.h"
#include "platform/com/ComObject.h"
#include "tests/platform/com/server/TestServerClass.h"

namespace {
class CTestCounter final : public CComObject<ITestCounter> {
 public:
  HRESULT Add(LONG amount, LONG* total) override {
    if (!total) return E_POINTER;
    *total = (m_total += amount);
    return S_OK;
  }

 private:
  LONG m_total = 0;
};
}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid,
                                                                            REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != CLSID_TestCounter) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new CClassFactory<CTestCounter>;
  HRESULT hr = factory->QueryInterface(iid, out);
  factory->Release();
  return hr;
}

extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
  return CComModule::CanUnloadNow();
}
