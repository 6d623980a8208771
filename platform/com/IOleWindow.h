#pragma once
// An object that has a window.

#include "platform/com/IUnknown.h"
#include "platform/com/WindowTypes.h"

struct IOleWindow : IUnknown {
  static constexpr IID Iid = GuidLiteral("{00000114-0000-0000-C000-000000000046}");
  using BaseInterface = IUnknown;

  virtual HRESULT GetWindow(HWND* window) = 0;                               // slot 3
  virtual HRESULT ContextSensitiveHelp(BOOL enter) = 0;                      // slot 4

 protected:
  ~IOleWindow() = default;
};
