#include "platform/com/ConnectionPoint.h"

#include <utility>

CConnectionPoint::CConnectionPoint(IConnectionPointContainer* source, REFIID iid,
                                   std::size_t maxConnections)
    : m_source(source), m_iid(iid), m_max(maxConnections) {}

CConnectionPoint::~CConnectionPoint() { DisconnectAll(); }

void CConnectionPoint::DisconnectAll() {
  std::map<DWORD, IUnknown*> sinks;
  sinks.swap(m_sinks);
  for (auto& [cookie, sink] : sinks) sink->Release();
}

HRESULT CConnectionPoint::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IConnectionPoint) return E_NOINTERFACE;
  *out = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

ULONG CConnectionPoint::AddRef() { return m_source->AddRef(); }
ULONG CConnectionPoint::Release() { return m_source->Release(); }

HRESULT CConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = m_iid;
  return S_OK;
}

HRESULT CConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  *out = m_source;
  m_source->AddRef();
  return S_OK;
}

HRESULT CConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  if (m_sinks.size() >= m_max) return CONNECT_E_ADVISELIMIT;
  void* events = nullptr;
  if (FAILED(sink->QueryInterface(m_iid, &events)) || !events) return CONNECT_E_CANNOTCONNECT;
  *cookie = m_nextCookie++;
  m_sinks.emplace(*cookie, static_cast<IUnknown*>(events));
  return S_OK;
}

HRESULT CConnectionPoint::Unadvise(DWORD cookie) {
  auto it = m_sinks.find(cookie);
  if (it == m_sinks.end()) return CONNECT_E_NOCONNECTION;
  IUnknown* sink = it->second;
  m_sinks.erase(it);
  sink->Release();
  return S_OK;
}

HRESULT CConnectionPoint::EnumConnections(IEnumConnections** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT CConnectionPoint::Fire(DISPID member, DISPPARAMS* params, VARIANT* result) {
  std::vector<CComPtr<IDispatch>> receivers;
  for (auto& [cookie, sink] : m_sinks) {
    CComPtr<IDispatch> dispatch;
    if (SUCCEEDED(sink->QueryInterface(IID_IDispatch, dispatch.OutVoid()))) {
      receivers.push_back(std::move(dispatch));
    }
  }
  HRESULT outcome = S_OK;
  DISPPARAMS none{};
  for (auto& receiver : receivers) {
    UINT argError = 0;
    HRESULT hr = receiver->Invoke(member, IID_NULL, 0, DISPATCH_METHOD, params ? params : &none,
                                  result, nullptr, &argError);
    if (FAILED(hr)) outcome = hr;
  }
  return outcome;
}

HRESULT CConnectionPoint::Find(REFIID iid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != m_iid) return CONNECT_E_NOCONNECTION;
  AddRef();
  *out = this;
  return S_OK;
}
