#pragma once
// The receiving side of a late-bound call: reads a DISPPARAMS by the
// member's argument order (argument 0 is the first the member declares,
// stored last in rgvarg) and writes outputs through by-reference arguments.
//
// Inputs are accepted by value or by reference.  Numbers and flags are read
// from VT_I4, VT_I2, VT_UI4, VT_INT, VT_UINT and VT_BOOL alike; strings from
// VT_BSTR (VT_EMPTY reads as the empty string).  Outputs must be VT_BYREF:
// a number or flag is written in the variable's own type (a true flag
// becomes VARIANT_TRUE in a VT_BOOL); a string output frees the string the
// variable held (so callers pass it null or owned) and stores a new one that
// the caller owns; VT_BYREF|VT_VARIANT receives a new value of its own.
// Every failure is DISP_E_BADPARAMCOUNT (no such argument) or
// DISP_E_TYPEMISMATCH, and leaves the argument as it was.

#include <string>
#include <string_view>

#include "platform/com/Variant.h"

class CDispArgs {
 public:
  explicit CDispArgs(const DISPPARAMS* params) : m_params(params) {}

  UINT Count() const { return m_params ? m_params->cArgs : 0; }
  // S_OK when there are exactly `count` arguments, none of them named.
  HRESULT Expect(UINT count) const;
  // The argument, or null when there is none at that index.
  VARIANT* At(UINT index) const;

  HRESULT GetInt(UINT index, LONG& value) const;
  // The string as the caller passed it, borrowed for the call.
  HRESULT GetBstr(UINT index, BSTR& value) const;
  // The string in the ANSI code page; characters it cannot store (and
  // broken UTF-16) arrive as "?".
  HRESULT GetAnsi(UINT index, std::string& value) const;

  HRESULT SetInt(UINT index, LONG value) const;
  HRESULT SetBool(UINT index, bool value) const { return SetInt(index, value ? 1 : 0); }
  // Takes ownership of `text` when it succeeds (frees it otherwise).
  HRESULT SetBstr(UINT index, BSTR text) const;
  HRESULT SetAnsi(UINT index, std::string_view ansi) const;
  HRESULT SetUtf8(UINT index, std::string_view utf8) const;

 private:
  const DISPPARAMS* m_params;
};
