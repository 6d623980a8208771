#include "platform/com/InvokeArgs.h"

#include "platform/com/Bstr.h"

CInvokeArgs::~CInvokeArgs() {
  for (VARIANT& v : m_args) VariantClear(&v);
}

CInvokeArgs& CInvokeArgs::Add(const VARIANT& value) {
  m_args.push_back(value);
  return *this;
}

CInvokeArgs& CInvokeArgs::Int(LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return Add(v);
}

CInvokeArgs& CInvokeArgs::Bool(bool value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return Add(v);
}

CInvokeArgs& CInvokeArgs::Utf8(std::string_view text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = BstrFromUtf8(text);
  return Add(v);
}

CInvokeArgs& CInvokeArgs::Ansi(std::string_view text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = BstrFromAnsi(text);
  return Add(v);
}

CInvokeArgs& CInvokeArgs::Bstr(BSTR text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = text ? SysAllocStringLen(text, SysStringLen(text)) : nullptr;
  return Add(v);
}

CInvokeArgs& CInvokeArgs::OutInt(LONG* target) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BYREF | VT_I4;
  v.plVal = target;
  return Add(v);
}

CInvokeArgs& CInvokeArgs::OutBool(VARIANT_BOOL* target) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BYREF | VT_BOOL;
  v.pboolVal = target;
  return Add(v);
}

CInvokeArgs& CInvokeArgs::OutBstr(BSTR* target) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BYREF | VT_BSTR;
  v.pbstrVal = target;
  return Add(v);
}

DISPPARAMS* CInvokeArgs::Params() {
  m_reversed.assign(m_args.rbegin(), m_args.rend());
  m_params.rgvarg = m_reversed.empty() ? nullptr : m_reversed.data();
  m_params.rgdispidNamedArgs = nullptr;
  m_params.cArgs = static_cast<UINT>(m_reversed.size());
  m_params.cNamedArgs = 0;
  return &m_params;
}

HRESULT CInvokeArgs::Invoke(IDispatch* target, DISPID member, VARIANT* result) {
  if (!target) return E_POINTER;
  UINT argError = 0;
  return target->Invoke(member, IID_NULL, 0, DISPATCH_METHOD, Params(), result, nullptr, &argError);
}
