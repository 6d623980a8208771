#pragma once
// The root interface of every object.  Interfaces are abstract classes whose
// virtual functions occupy the object's method table in declaration order,
// each one interface's slots following those of the interface it extends;
// they have no virtual destructor (it would take slots), and an object is
// destroyed only by its own Release.
//
// Each interface names its identifier as `Iid` and the interface it extends
// as `BaseInterface`, so that object helpers can answer QueryInterface for
// the whole chain.
//
// Rules every object keeps:
// - QueryInterface for IID_IUnknown always returns the same pointer (the
//   object's identity); an interface obtained from an object can be queried
//   for every interface the object has, and back.
// - A successful QueryInterface adds a reference; a failing one sets *out to
//   null and returns E_NOINTERFACE (E_POINTER when out is null).
// - AddRef and Release return the new count, for diagnostics only.

#include "platform/com/ComTypes.h"
#include "platform/com/Guid.h"

struct IUnknown {
  static constexpr IID Iid = GuidLiteral("{00000000-0000-0000-C000-000000000046}");
  using BaseInterface = void;

  virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;  // slot 0
  virtual ULONG AddRef() = 0;                                  // slot 1
  virtual ULONG Release() = 0;                                 // slot 2

 protected:
  ~IUnknown() = default;
};

inline constexpr IID IID_IUnknown = IUnknown::Iid;
