// Objects built on the layer's helpers: identity and QueryInterface rules,
// reference counts, connection points and late-bound calls with outputs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/Bstr.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/EventSink.h"
#include "platform/com/InvokeArgs.h"
#include "platform/com/IServiceProvider.h"

namespace {

constexpr IID DIID_TestEvents = GuidLiteral("{0C6A1F10-3B2E-4D77-8E0A-5F9C2D4B7A11}");

// An event source that also offers a service, so that it has two interfaces.
class CSource final : public CComObject<IConnectionPointContainer, IServiceProvider> {
 public:
  explicit CSource(int* destroyed = nullptr, std::size_t limit = CConnectionPoint::kUnlimited)
      : point(this, DIID_TestEvents, limit), m_destroyed(destroyed) {}

  HRESULT EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
    return point.Find(iid, out);
  }
  HRESULT QueryService(REFGUID, REFIID iid, void** out) override { return QueryInterface(iid, out); }

  CConnectionPoint point;

 private:
  ~CSource() override {
    // Code run while the object goes away may take and drop a reference.
    AddRef();
    Release();
    if (m_destroyed) ++*m_destroyed;
  }
  int* m_destroyed;
};

TEST(ComObjectTest, QueryInterfaceKeepsIdentityAndIsSymmetric) {
  auto* source = new CSource;
  CComPtr<IConnectionPointContainer> container = CComPtr<IConnectionPointContainer>::Attach(source);

  CComPtr<IServiceProvider> service;
  ASSERT_EQ(container.As(service), S_OK);
  CComPtr<IUnknown> fromContainer, fromService, again;
  ASSERT_EQ(container.As(fromContainer), S_OK);
  ASSERT_EQ(service.As(fromService), S_OK);
  ASSERT_EQ(fromService.As(again), S_OK);
  EXPECT_EQ(fromContainer.Get(), fromService.Get());
  EXPECT_EQ(fromContainer.Get(), again.Get());

  CComPtr<IConnectionPointContainer> back;
  ASSERT_EQ(service.As(back), S_OK);  // and back the other way
  EXPECT_EQ(back.Get(), container.Get());

  void* none = &none;
  EXPECT_EQ(container->QueryInterface(IID_IDispatch, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(container->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  // Every successful query added one reference.
  EXPECT_EQ(source->RefCount(), 6u);
}

TEST(ComObjectTest, LastReleaseDestroysOnceEvenWhenTheDestructorTouchesTheCount) {
  int destroyed = 0;
  LONG locks = CComModule::LockCount();
  auto* source = new CSource(&destroyed);
  EXPECT_EQ(CComModule::LockCount(), locks + 1);
  EXPECT_EQ(source->AddRef(), 2u);
  EXPECT_EQ(source->Release(), 1u);
  EXPECT_EQ(destroyed, 0);
  EXPECT_EQ(source->Release(), 0u);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(CComModule::LockCount(), locks);
}

struct Received {
  std::vector<DISPID> events;
};

CEventSink* MakeSink(Received& received) {
  return new CEventSink(DIID_TestEvents, [&received](DISPID member, const CDispArgs&, VARIANT*) {
    received.events.push_back(member);
    return S_OK;
  });
}

TEST(ComObjectTest, ConnectionPointCookies) {
  int destroyed = 0;
  auto* source = new CSource(&destroyed, 2);
  Received first, second;
  CEventSink* a = MakeSink(first);
  CEventSink* b = MakeSink(second);

  ASSERT_EQ(a->Connect(source->GetUnknown()), S_OK);
  ASSERT_EQ(b->Connect(source->GetUnknown()), S_OK);
  EXPECT_NE(a->Cookie(), 0u);
  EXPECT_NE(a->Cookie(), b->Cookie());
  EXPECT_EQ(a->RefCount(), 2u);  // ours and the source's

  CEventSink* third = MakeSink(first);
  EXPECT_EQ(third->Connect(source->GetUnknown()), CONNECT_E_ADVISELIMIT);
  EXPECT_EQ(third->Cookie(), 0u);
  third->Release();

  EXPECT_EQ(source->point.Fire(7, nullptr), S_OK);
  DWORD oldCookie = a->Cookie();
  EXPECT_EQ(a->Disconnect(), S_OK);
  EXPECT_EQ(a->RefCount(), 1u);
  EXPECT_EQ(a->Disconnect(), S_FALSE);
  EXPECT_EQ(source->point.Unadvise(oldCookie), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(source->point.Unadvise(12345), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(source->point.Fire(8, nullptr), S_OK);
  EXPECT_EQ(first.events, std::vector<DISPID>{7});
  EXPECT_EQ(second.events, (std::vector<DISPID>{7, 8}));

  // A receiver without the event interface cannot connect.
  DWORD cookie = 99;
  EXPECT_EQ(source->point.Advise(static_cast<IConnectionPointContainer*>(source), &cookie),
            CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);

  // The source going away releases the receivers still connected to it.
  ASSERT_EQ(b->Disconnect(), S_OK);
  ASSERT_EQ(b->Connect(source->GetUnknown()), S_OK);
  source->point.DisconnectAll();
  EXPECT_EQ(b->RefCount(), 1u);  // only ours; b still holds the point, and so the source
  b->ClearHandler();
  b->Release();
  a->Release();
  EXPECT_EQ(destroyed, 0);
  source->Release();
}

TEST(ComObjectTest, InvokePassesArgumentsInOrderAndFillsOutputs) {
  std::string text;
  LONG number = 0;
  auto* receiver = new CEventSink(DIID_TestEvents, [&](DISPID member, const CDispArgs& args, VARIANT*) {
    if (member != 14) return DISP_E_MEMBERNOTFOUND;
    HRESULT hr = args.Expect(5);
    if (FAILED(hr)) return hr;
    if (FAILED(hr = args.GetInt(0, number)) || FAILED(hr = args.GetAnsi(1, text))) return hr;
    args.SetBool(2, true);
    args.SetInt(3, number * 2);
    return args.SetAnsi(4, text + "\x82\xa0");  // appends "あ"
  });

  LONG doubled = 0;
  VARIANT_BOOL found = VARIANT_FALSE;
  BSTR line = SysAllocString(u"old");  // an in/out string: the callee frees it
  CInvokeArgs args;
  args.Int(21).Utf8("メモ").OutBool(&found).OutInt(&doubled).OutBstr(&line);
  ASSERT_EQ(args.Invoke(receiver, 14), S_OK);
  EXPECT_EQ(number, 21);
  EXPECT_EQ(text, "\x83\x81\x83\x82");  // "メモ" in CP932
  EXPECT_EQ(found, VARIANT_TRUE);
  EXPECT_EQ(doubled, 42);
  EXPECT_EQ(CBstr::Attach(line).View(), u"メモあ");

  CInvokeArgs wrong;
  wrong.Utf8("x").Utf8("y").OutInt(&doubled).OutInt(&doubled).OutInt(&doubled);
  EXPECT_EQ(wrong.Invoke(receiver, 14), DISP_E_TYPEMISMATCH);
  CInvokeArgs few;
  few.Int(1);
  EXPECT_EQ(few.Invoke(receiver, 14), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(few.Invoke(receiver, 3), DISP_E_MEMBERNOTFOUND);

  // An output that is not by reference is refused and left alone.
  DISPPARAMS* params = few.Params();
  EXPECT_EQ(CDispArgs(params).SetInt(0, 5), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(params->rgvarg[0].lVal, 1);
  receiver->Release();
}

}  // namespace
