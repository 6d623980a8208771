#pragma once
// An event source's connection point for one outgoing interface, kept as a
// member of the source object.  Its reference count is the source's: AddRef
// and Release go to the source, so the point lives exactly as long as the
// source.  Receivers are held with one reference each from Advise to
// Unadvise (or the point's end).  Cookies start at 1 and are never reused.
//
// The source answers FindConnectionPoint with this point when the IID is
// Interface(), and fires events with Fire.

#include <map>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/com/IConnectionPointContainer.h"
#include "platform/com/IDispatch.h"

class CConnectionPoint final : public IConnectionPoint {
 public:
  static constexpr std::size_t kUnlimited = static_cast<std::size_t>(-1);

  // `source` is the object that owns this point (not referenced: it owns us).
  CConnectionPoint(IConnectionPointContainer* source, REFIID iid,
                   std::size_t maxConnections = kUnlimited);
  CConnectionPoint(const CConnectionPoint&) = delete;
  CConnectionPoint& operator=(const CConnectionPoint&) = delete;
  ~CConnectionPoint();

  HRESULT QueryInterface(REFIID iid, void** out) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetConnectionInterface(IID* iid) override;
  HRESULT GetConnectionPointContainer(IConnectionPointContainer** out) override;
  // CONNECT_E_ADVISELIMIT when the point is full.
  HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT Unadvise(DWORD cookie) override;
  HRESULT EnumConnections(IEnumConnections** out) override;  // E_NOTIMPL

  const IID& Interface() const { return m_iid; }
  // The source's FindConnectionPoint for a source with this one point: this
  // point (referenced) when `iid` is Interface(), else
  // CONNECT_E_NOCONNECTION.
  HRESULT Find(REFIID iid, IConnectionPoint** out);
  std::size_t ConnectionCount() const { return m_sinks.size(); }
  // Releases every receiver (the source going away).
  void DisconnectAll();

  // Calls Invoke on every receiver connected when the call starts, in the
  // order they connected; a receiver that disconnects meanwhile (itself or
  // another one) is still called if it was due, since it is held for the
  // call.  Returns S_OK, or the last failure a receiver reported.
  HRESULT Fire(DISPID member, DISPPARAMS* params, VARIANT* result = nullptr);

 private:
  IConnectionPointContainer* m_source;
  IID m_iid;
  std::size_t m_max;
  DWORD m_nextCookie = 1;
  std::map<DWORD, IUnknown*> m_sinks;  // the outgoing interface of each receiver, referenced
};
