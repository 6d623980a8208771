#pragma once
// The tagged values that late-bound calls pass: a 16-bit type tag, three
// reserved words and the value.  The subset used here: empty, 32-bit
// integers, booleans (VARIANT_TRUE is -1), strings (BSTR, owned by the
// variant), object references (owned: one reference) and, with VT_BYREF, a
// pointer to a variable of the caller's that receives an output.

#include <cstdint>

#include "platform/com/ComTypes.h"

struct IUnknown;
struct IDispatch;

using VARTYPE = std::uint16_t;

inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_NULL = 1;
inline constexpr VARTYPE VT_I2 = 2;
inline constexpr VARTYPE VT_I4 = 3;
inline constexpr VARTYPE VT_BSTR = 8;
inline constexpr VARTYPE VT_DISPATCH = 9;
inline constexpr VARTYPE VT_ERROR = 10;
inline constexpr VARTYPE VT_BOOL = 11;
inline constexpr VARTYPE VT_VARIANT = 12;
inline constexpr VARTYPE VT_UNKNOWN = 13;
inline constexpr VARTYPE VT_UI4 = 19;
inline constexpr VARTYPE VT_INT = 22;
inline constexpr VARTYPE VT_UINT = 23;
inline constexpr VARTYPE VT_BYREF = 0x4000;
inline constexpr VARTYPE VT_TYPEMASK = 0x0FFF;

struct VARIANT;

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONG lVal;
    std::int16_t iVal;
    ULONG ulVal;
    int intVal;
    unsigned int uintVal;
    SCODE scode;
    VARIANT_BOOL boolVal;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    LONG* plVal;
    std::int16_t* piVal;
    ULONG* pulVal;
    int* pintVal;
    VARIANT_BOOL* pboolVal;
    BSTR* pbstrVal;
    IUnknown** ppunkVal;
    IDispatch** ppdispVal;
    VARIANT* pvarVal;
    void* byref;
    void* reserved[2];  // keeps the value part as wide as the binary layout's
  };
};
using VARIANTARG = VARIANT;
static_assert(sizeof(VARIANT) == 8 + 2 * sizeof(void*));

// The arguments of a late-bound call.  rgvarg holds them last argument first,
// as callers pass them: the first argument of the member is
// rgvarg[cArgs - 1].  Named arguments (their dispatch ids in
// rgdispidNamedArgs) come first in rgvarg.
struct DISPPARAMS {
  VARIANTARG* rgvarg;
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
};

// Sets the variant to VT_EMPTY without looking at what it held.
void VariantInit(VARIANT* value);
// Frees what the variant owns (its string, its object reference; nothing
// behind VT_BYREF) and sets it to VT_EMPTY.  DISP_E_BADVARTYPE for a type
// outside the subset (the variant is then left as it was).
HRESULT VariantClear(VARIANT* value);
// Clears `dest` and copies `source` into it, duplicating its string and
// adding a reference to its object.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* source);
