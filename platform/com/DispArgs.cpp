#include "platform/com/DispArgs.h"

#include "platform/com/Bstr.h"

namespace {
// The value a by-reference variant points at, for reading: VT_BYREF|VT_VARIANT
// leads to the inner variant.
const VARIANT* Deref(const VARIANT* v) {
  if (v && v->vt == (VT_BYREF | VT_VARIANT)) return v->pvarVal;
  return v;
}

bool ReadInt(const VARIANT& v, LONG& value) {
  switch (v.vt) {
    case VT_I4: value = v.lVal; return true;
    case VT_I2: value = v.iVal; return true;
    case VT_UI4: value = static_cast<LONG>(v.ulVal); return true;
    case VT_INT: value = v.intVal; return true;
    case VT_UINT: value = static_cast<LONG>(v.uintVal); return true;
    case VT_BOOL: value = v.boolVal ? 1 : 0; return true;
    case VT_BYREF | VT_I4: if (!v.plVal) return false; value = *v.plVal; return true;
    case VT_BYREF | VT_I2: if (!v.piVal) return false; value = *v.piVal; return true;
    case VT_BYREF | VT_UI4: if (!v.pulVal) return false; value = static_cast<LONG>(*v.pulVal); return true;
    case VT_BYREF | VT_INT: if (!v.pintVal) return false; value = *v.pintVal; return true;
    case VT_BYREF | VT_BOOL: if (!v.pboolVal) return false; value = *v.pboolVal ? 1 : 0; return true;
    default: return false;
  }
}
}  // namespace

HRESULT CDispArgs::Expect(UINT count) const {
  if (m_params && m_params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  return Count() == count ? S_OK : DISP_E_BADPARAMCOUNT;
}

VARIANT* CDispArgs::At(UINT index) const {
  if (!m_params || !m_params->rgvarg || index >= m_params->cArgs) return nullptr;
  return &m_params->rgvarg[m_params->cArgs - 1 - index];
}

HRESULT CDispArgs::GetInt(UINT index, LONG& value) const {
  const VARIANT* v = Deref(At(index));
  if (!v) return DISP_E_BADPARAMCOUNT;
  return ReadInt(*v, value) ? S_OK : DISP_E_TYPEMISMATCH;
}

HRESULT CDispArgs::GetBstr(UINT index, BSTR& value) const {
  const VARIANT* v = Deref(At(index));
  if (!v) return DISP_E_BADPARAMCOUNT;
  if (v->vt == VT_BSTR) {
    value = v->bstrVal;
  } else if (v->vt == (VT_BYREF | VT_BSTR) && v->pbstrVal) {
    value = *v->pbstrVal;
  } else if (v->vt == VT_EMPTY) {
    value = nullptr;
  } else {
    return DISP_E_TYPEMISMATCH;
  }
  return S_OK;
}

HRESULT CDispArgs::GetAnsi(UINT index, std::string& value) const {
  BSTR text = nullptr;
  HRESULT hr = GetBstr(index, text);
  if (FAILED(hr)) return hr;
  BstrToAnsi(text, value);
  return S_OK;
}

HRESULT CDispArgs::SetInt(UINT index, LONG value) const {
  VARIANT* v = At(index);
  if (!v) return DISP_E_BADPARAMCOUNT;
  switch (v->vt) {
    case VT_BYREF | VT_I4: if (!v->plVal) break; *v->plVal = value; return S_OK;
    case VT_BYREF | VT_I2: if (!v->piVal) break; *v->piVal = static_cast<std::int16_t>(value); return S_OK;
    case VT_BYREF | VT_UI4: if (!v->pulVal) break; *v->pulVal = static_cast<ULONG>(value); return S_OK;
    case VT_BYREF | VT_INT: if (!v->pintVal) break; *v->pintVal = value; return S_OK;
    case VT_BYREF | VT_BOOL:
      if (!v->pboolVal) break;
      *v->pboolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    case VT_BYREF | VT_VARIANT: {
      if (!v->pvarVal) break;
      HRESULT hr = VariantClear(v->pvarVal);
      if (FAILED(hr)) return hr;
      v->pvarVal->vt = VT_I4;
      v->pvarVal->lVal = value;
      return S_OK;
    }
    default:
      break;
  }
  return DISP_E_TYPEMISMATCH;
}

HRESULT CDispArgs::SetBstr(UINT index, BSTR text) const {
  VARIANT* v = At(index);
  HRESULT hr = DISP_E_TYPEMISMATCH;
  if (!v) {
    hr = DISP_E_BADPARAMCOUNT;
  } else if (v->vt == (VT_BYREF | VT_BSTR) && v->pbstrVal) {
    SysFreeString(*v->pbstrVal);
    *v->pbstrVal = text;
    return S_OK;
  } else if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) {
    hr = VariantClear(v->pvarVal);
    if (SUCCEEDED(hr)) {
      v->pvarVal->vt = VT_BSTR;
      v->pvarVal->bstrVal = text;
      return S_OK;
    }
  }
  SysFreeString(text);
  return hr;
}

HRESULT CDispArgs::SetAnsi(UINT index, std::string_view ansi) const {
  BSTR text = BstrFromAnsi(ansi);
  if (!text) return E_OUTOFMEMORY;
  return SetBstr(index, text);
}

HRESULT CDispArgs::SetUtf8(UINT index, std::string_view utf8) const {
  BSTR text = BstrFromUtf8(utf8);
  if (!text) return E_OUTOFMEMORY;
  return SetBstr(index, text);
}
