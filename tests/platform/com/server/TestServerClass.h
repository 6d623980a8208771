#pragma once
// The class that the test server library serves, as its clients see it.

#include "platform/com/IUnknown.h"

struct ITestCounter : IUnknown {
  static constexpr IID Iid = GuidLiteral("{7E1B4C20-5A31-4F0E-9C11-2B8D6A0F3C41}");
  using BaseInterface = IUnknown;

  virtual HRESULT Add(LONG amount, LONG* total) = 0;  // slot 3

 protected:
  ~ITestCounter() = default;
};

inline constexpr CLSID CLSID_TestCounter = GuidLiteral("{7E1B4C21-5A31-4F0E-9C11-2B8D6A0F3C41}");
