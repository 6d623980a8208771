#pragma once
// Services reachable from a client site by service identifier.

#include "platform/com/IUnknown.h"

struct IServiceProvider : IUnknown {
  static constexpr IID Iid = GuidLiteral("{6D5140C1-7436-11CE-8034-00AA006009FA}");
  using BaseInterface = IUnknown;

  virtual HRESULT QueryService(REFGUID service, REFIID iid, void** out) = 0;  // slot 3

 protected:
  ~IServiceProvider() = default;
};

inline constexpr IID IID_IServiceProvider = IServiceProvider::Iid;
