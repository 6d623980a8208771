#pragma once
// The host link's own interface: a dual interface with no members of its
// own, by which the link's class is created and registered.

#include "extension/ExtensionGuids.h"
#include "platform/com/IDispatch.h"

struct ISinkObject : IDispatch {
  static constexpr IID Iid = IID_ISinkObject;
  using BaseInterface = IDispatch;

 protected:
  ~ISinkObject() = default;
};
