#include "platform/com/EventSink.h"

#include <utility>

CEventSink::CEventSink(REFIID eventInterface, Handler handler)
    : m_iid(eventInterface), m_handler(std::move(handler)) {}

void* CEventSink::FindExtraInterface(REFIID iid) {
  return iid == m_iid ? static_cast<IDispatch*>(this) : nullptr;
}

HRESULT CEventSink::Connect(IUnknown* source) {
  if (!source) return E_POINTER;
  Disconnect();
  CComPtr<IConnectionPointContainer> container;
  HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, container.OutVoid());
  if (FAILED(hr)) return hr;
  CComPtr<IConnectionPoint> point;
  hr = container->FindConnectionPoint(m_iid, point.Out());
  if (FAILED(hr)) return hr;
  if (!point) return CONNECT_E_NOCONNECTION;
  DWORD cookie = 0;
  hr = point->Advise(static_cast<IDispatch*>(this), &cookie);
  if (FAILED(hr)) return hr;
  m_point = std::move(point);
  m_cookie = cookie;
  return S_OK;
}

HRESULT CEventSink::Disconnect() {
  if (!m_point) return S_FALSE;
  // Keep this receiver alive while the source drops its reference to it.
  AddRef();
  CComPtr<IConnectionPoint> point = std::move(m_point);
  DWORD cookie = std::exchange(m_cookie, 0);
  HRESULT hr = point->Unadvise(cookie);
  point.Reset();
  Release();
  return hr;
}

HRESULT CEventSink::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO*, UINT*) {
  if (!m_handler) return DISP_E_MEMBERNOTFOUND;
  // The handler may disconnect this receiver; hold it for the call.
  AddRef();
  Handler handler = m_handler;
  HRESULT hr = handler(member, CDispArgs(params), result);
  Release();
  return hr;
}
