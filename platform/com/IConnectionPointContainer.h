#pragma once
// An event source: finds the connection point of one outgoing interface.

#include "platform/com/IConnectionPoint.h"

struct IEnumConnectionPoints : IUnknown {
  static constexpr IID Iid = GuidLiteral("{B196B285-BAB4-101A-B69C-00AA00341D07}");
  using BaseInterface = IUnknown;

  virtual HRESULT Next(ULONG count, IConnectionPoint** items, ULONG* fetched) = 0;  // slot 3
  virtual HRESULT Skip(ULONG count) = 0;                                            // slot 4
  virtual HRESULT Reset() = 0;                                                      // slot 5
  virtual HRESULT Clone(IEnumConnectionPoints** out) = 0;                           // slot 6

 protected:
  ~IEnumConnectionPoints() = default;
};

struct IConnectionPointContainer : IUnknown {
  static constexpr IID Iid = GuidLiteral("{B196B284-BAB4-101A-B69C-00AA00341D07}");
  using BaseInterface = IUnknown;

  virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** out) = 0;     // slot 3
  // CONNECT_E_NOCONNECTION when the source has no such outgoing interface.
  virtual HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** out) = 0;  // slot 4

 protected:
  ~IConnectionPointContainer() = default;
};

inline constexpr IID IID_IConnectionPointContainer = IConnectionPointContainer::Iid;
inline constexpr IID IID_IEnumConnectionPoints = IEnumConnectionPoints::Iid;
