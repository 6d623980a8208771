#include "platform/com/Variant.h"

#include "platform/com/Bstr.h"
#include "platform/com/IDispatch.h"

namespace {
bool Supported(VARTYPE vt) {
  if (vt & VT_BYREF) return true;
  switch (vt) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_BSTR: case VT_DISPATCH:
    case VT_ERROR: case VT_BOOL: case VT_UNKNOWN: case VT_UI4: case VT_INT: case VT_UINT:
      return true;
    default:
      return false;
  }
}
}  // namespace

void VariantInit(VARIANT* value) {
  if (!value) return;
  value->vt = VT_EMPTY;
  value->wReserved1 = value->wReserved2 = value->wReserved3 = 0;
  value->reserved[0] = value->reserved[1] = nullptr;
}

HRESULT VariantClear(VARIANT* value) {
  if (!value) return E_INVALIDARG;
  if (!Supported(value->vt)) return DISP_E_BADVARTYPE;
  switch (value->vt) {
    case VT_BSTR:
      SysFreeString(value->bstrVal);
      break;
    case VT_DISPATCH:
      if (value->pdispVal) value->pdispVal->Release();
      break;
    case VT_UNKNOWN:
      if (value->punkVal) value->punkVal->Release();
      break;
    default:
      break;
  }
  VariantInit(value);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* source) {
  if (!dest || !source) return E_INVALIDARG;
  if (!Supported(source->vt)) return DISP_E_BADVARTYPE;
  if (dest == source) return S_OK;
  HRESULT hr = VariantClear(dest);
  if (FAILED(hr)) return hr;
  *dest = *source;
  if (source->vt == VT_BSTR && source->bstrVal) {
    dest->bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
    if (!dest->bstrVal) {
      VariantInit(dest);
      return E_OUTOFMEMORY;
    }
  } else if (source->vt == VT_DISPATCH && source->pdispVal) {
    source->pdispVal->AddRef();
  } else if (source->vt == VT_UNKNOWN && source->punkVal) {
    source->punkVal->AddRef();
  }
  return S_OK;
}
