#pragma once
// The base of objects that implement one or more interfaces:
//
//   class CThing : public CComObject<IHostSite, IConnectionPointContainer> { ... };
//   CThing* thing = new CThing;   // the creator holds the first reference
//   ...
//   thing->Release();             // the last release deletes the object
//
// QueryInterface answers IID_IUnknown with the first interface's pointer
// (the object's identity, the same on every call), every listed interface
// and the interfaces each one extends; FindExtraInterface may add others.
// The object counts itself in the module's lock count while it lives.
//
// Reference counting (one thread, as apartment-threaded objects are used):
// the release that brings the count to 0 deletes the object exactly once.
// While the object is being destroyed (its count already at 0), AddRef and
// Release change nothing and return 0, so that code run by the destructor
// that takes and drops a reference does not delete the object a second time.
// Releasing an object after its destruction has finished is the caller's
// fault and cannot be caught.

#include <type_traits>

#include "platform/com/ComModule.h"
#include "platform/com/IUnknown.h"

template <class First, class... Rest>
class CComObject : public First, public Rest... {
 public:
  CComObject() { CComModule::Lock(); }
  CComObject(const CComObject&) = delete;
  CComObject& operator=(const CComObject&) = delete;

  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    void* found = Find(iid);
    if (!found) found = FindExtraInterface(iid);
    if (!found) return E_NOINTERFACE;
    AddRef();
    *out = found;
    return S_OK;
  }

  ULONG AddRef() override {
    if (m_destroying) return 0;
    return ++m_refs;
  }

  ULONG Release() override {
    if (m_destroying || m_refs == 0) return 0;
    if (--m_refs == 0) {
      m_destroying = true;
      delete this;
      return 0;
    }
    return m_refs;
  }

  // The object's identity.
  IUnknown* GetUnknown() { return static_cast<First*>(this); }
  ULONG RefCount() const { return m_refs; }

 protected:
  virtual ~CComObject() { CComModule::Unlock(); }

  // Another interface of this object (without adding a reference), or null.
  virtual void* FindExtraInterface(REFIID) { return nullptr; }

 private:
  template <class I>
  static bool InChain(REFIID iid) {
    if (iid == I::Iid) return true;
    if constexpr (!std::is_void_v<typename I::BaseInterface>) {
      return InChain<typename I::BaseInterface>(iid);
    } else {
      return false;
    }
  }

  template <class I>
  void* Match(REFIID iid) {
    return InChain<I>(iid) ? static_cast<void*>(static_cast<I*>(this)) : nullptr;
  }

  void* Find(REFIID iid) {
    if (iid == IID_IUnknown) return static_cast<void*>(GetUnknown());
    void* found = Match<First>(iid);
    ((found = found ? found : Match<Rest>(iid)), ...);
    return found;
  }

  ULONG m_refs = 1;
  bool m_destroying = false;
};
