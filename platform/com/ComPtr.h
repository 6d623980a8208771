#pragma once
// Holds one reference to an interface and releases it when it goes.

#include <utility>

#include "platform/com/IUnknown.h"

template <class I>
class CComPtr {
 public:
  CComPtr() = default;
  // Adds a reference to `p`.
  explicit CComPtr(I* p) : m_p(p) {
    if (m_p) m_p->AddRef();
  }
  CComPtr(const CComPtr& other) : CComPtr(other.m_p) {}
  CComPtr(CComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  CComPtr& operator=(CComPtr other) noexcept {
    std::swap(m_p, other.m_p);
    return *this;
  }
  ~CComPtr() { Reset(); }

  // Takes over a reference the caller already holds.
  static CComPtr Attach(I* p) {
    CComPtr result;
    result.m_p = p;
    return result;
  }
  I* Detach() { return std::exchange(m_p, nullptr); }

  void Reset() {
    if (I* p = std::exchange(m_p, nullptr)) p->Release();
  }
  I* Get() const { return m_p; }
  I* operator->() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }

  // The address to pass as an output: releases what is held first.
  I** Out() {
    Reset();
    return &m_p;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }

  // Queries the held object for another interface.
  template <class J>
  HRESULT As(CComPtr<J>& out) const {
    if (!m_p) return E_POINTER;
    return m_p->QueryInterface(J::Iid, out.OutVoid());
  }

 private:
  I* m_p = nullptr;
};
