#pragma once
// One outgoing (event) interface of an event source.  Receivers connect with
// Advise, which hands back a non-zero cookie, and disconnect with Unadvise.

#include "platform/com/IUnknown.h"

struct IConnectionPointContainer;

struct CONNECTDATA {
  IUnknown* pUnk;
  DWORD dwCookie;
};

struct IEnumConnections : IUnknown {
  static constexpr IID Iid = GuidLiteral("{B196B287-BAB4-101A-B69C-00AA00341D07}");
  using BaseInterface = IUnknown;

  virtual HRESULT Next(ULONG count, CONNECTDATA* items, ULONG* fetched) = 0;  // slot 3
  virtual HRESULT Skip(ULONG count) = 0;                                       // slot 4
  virtual HRESULT Reset() = 0;                                                 // slot 5
  virtual HRESULT Clone(IEnumConnections** out) = 0;                           // slot 6

 protected:
  ~IEnumConnections() = default;
};

struct IConnectionPoint : IUnknown {
  static constexpr IID Iid = GuidLiteral("{B196B286-BAB4-101A-B69C-00AA00341D07}");
  using BaseInterface = IUnknown;

  virtual HRESULT GetConnectionInterface(IID* iid) = 0;                         // slot 3
  virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** out) = 0;  // slot 4
  // Queries `sink` for the outgoing interface (CONNECT_E_CANNOTCONNECT when it
  // has none), keeps it and returns its cookie.
  virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;                    // slot 5
  // CONNECT_E_NOCONNECTION for a cookie that is not connected.
  virtual HRESULT Unadvise(DWORD cookie) = 0;                                   // slot 6
  virtual HRESULT EnumConnections(IEnumConnections** out) = 0;                  // slot 7

 protected:
  ~IConnectionPoint() = default;
};

inline constexpr IID IID_IConnectionPoint = IConnectionPoint::Iid;
inline constexpr IID IID_IEnumConnections = IEnumConnections::Iid;
