#pragma once
// A receiver of one event interface: an object that answers
// QueryInterface for that interface (and IDispatch) and hands every Invoke
// to a handler.  Connect advises it on an event source and keeps the cookie
// and the connection point until Disconnect.
//
// The source holds the receiver while it is connected and the receiver
// holds the source's connection point, so an owner must Disconnect before it
// lets go of either; ClearHandler stops calls into an owner that is going
// away while a source still holds the receiver.

#include <functional>

#include "platform/com/ComPtr.h"
#include "platform/com/DispArgs.h"
#include "platform/com/DispatchObject.h"
#include "platform/com/IConnectionPointContainer.h"
#include "platform/com/IDispatch.h"

class CEventSink final : public CDispatchObject<IDispatch> {
 public:
  // Called for every event: the dispatch id, the arguments, and where a
  // result goes (may be null).  Its result is Invoke's.
  using Handler = std::function<HRESULT(DISPID member, const CDispArgs& args, VARIANT* result)>;

  CEventSink(REFIID eventInterface, Handler handler);

  // Finds the source's connection point for the event interface and advises
  // this receiver on it.  A receiver that is already connected is
  // disconnected first.
  HRESULT Connect(IUnknown* source);
  // S_FALSE when not connected.
  HRESULT Disconnect();
  DWORD Cookie() const { return m_cookie; }
  void ClearHandler() { m_handler = nullptr; }

  // DISP_E_MEMBERNOTFOUND without a handler.
  HRESULT Invoke(DISPID member, REFIID reserved, LCID locale, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

 protected:
  ~CEventSink() override = default;
  void* FindExtraInterface(REFIID iid) override;

 private:
  IID m_iid;
  Handler m_handler;
  CComPtr<IConnectionPoint> m_point;
  DWORD m_cookie = 0;
};
