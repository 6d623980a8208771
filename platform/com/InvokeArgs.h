#pragma once
// The calling side of a late-bound call: collects arguments in the member's
// order, owns the strings it made, and hands out the DISPPARAMS with them
// last first.
//
//   LONG handled = 0;
//   CInvokeArgs args;
//   args.Int(19023).OutInt(&handled);
//   HRESULT hr = args.Invoke(sink, SITE_EVENT_COMMAND);

#include <string_view>
#include <vector>

#include "platform/com/IDispatch.h"

class CInvokeArgs {
 public:
  CInvokeArgs() = default;
  CInvokeArgs(const CInvokeArgs&) = delete;
  CInvokeArgs& operator=(const CInvokeArgs&) = delete;
  ~CInvokeArgs();

  CInvokeArgs& Int(LONG value);
  CInvokeArgs& Bool(bool value);
  // Copies the text into a new string.
  CInvokeArgs& Utf8(std::string_view text);
  CInvokeArgs& Ansi(std::string_view text);
  CInvokeArgs& Bstr(BSTR text);
  // Outputs: the variable receives the value.  A BSTR variable must hold
  // null or a string of its own, which the callee may free; afterwards it
  // holds a string the caller frees.
  CInvokeArgs& OutInt(LONG* target);
  CInvokeArgs& OutBool(VARIANT_BOOL* target);
  CInvokeArgs& OutBstr(BSTR* target);

  // The arguments, last first; valid until the next change.
  DISPPARAMS* Params();
  // Invoke as a method on `target`.
  HRESULT Invoke(IDispatch* target, DISPID member, VARIANT* result = nullptr);

 private:
  CInvokeArgs& Add(const VARIANT& value);

  std::vector<VARIANT> m_args;      // in the member's order; owns its strings
  std::vector<VARIANT> m_reversed;  // shallow copies, last first
  DISPPARAMS m_params{};
};
