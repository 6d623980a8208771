#pragma once
// OLE Automation strings: UTF-16 text in a block of the layer's allocator,
// the pointer pointing at the first character, preceded by the text's length
// in bytes (32-bit) and followed by a zero character.  The text may itself
// contain zero characters; its length is the prefix, not the terminator.
// A null BSTR is the empty string.  Every module that links this layer
// allocates and frees through the same C allocator, so a string allocated in
// one module may be freed in another.
//
// Conversions to UTF-8 and to the ANSI code page never fail silently: a unit
// that is not valid UTF-16 (a lone surrogate) or a character the code page
// cannot store becomes a visible replacement (U+FFFD in UTF-8, "?" in ANSI)
// and the conversion reports false.

#include <string>
#include <string_view>

#include "platform/com/ComTypes.h"

// A copy of the zero-terminated text (null for null text); null when memory
// runs out.
BSTR SysAllocString(const OLECHAR* text);
// A string of `length` characters copied from `text`, or zero-filled when
// `text` is null.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// Frees the string; null is allowed.
void SysFreeString(BSTR text);
// The length in characters (0 for null).
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

// UTF-8 to a new BSTR (null when memory runs out).  Bytes that are not valid
// UTF-8 become U+FFFD and `exact` (when given) is set to false.
BSTR BstrFromUtf8(std::string_view utf8, bool* exact = nullptr);
// The string as UTF-8; false when a unit was replaced.
bool BstrToUtf8(BSTR text, std::string& out);
// ANSI bytes (the process's code page) to a new BSTR (null when memory runs
// out).  Undecodable bytes become U+FFFD and `exact` (when given) is set to false.
BSTR BstrFromAnsi(std::string_view ansi, bool* exact = nullptr);
// The string in the ANSI code page; false when a unit was replaced by "?".
bool BstrToAnsi(BSTR text, std::string& out);

// UTF-16 <-> UTF-8 on ordinary strings, with the same replacement rules.
bool Utf16ToUtf8(std::u16string_view text, std::string& out);
bool Utf8ToUtf16(std::string_view text, std::u16string& out);

// Owns one BSTR and frees it when it goes.
class CBstr {
 public:
  CBstr() = default;
  explicit CBstr(std::u16string_view text);
  // Takes ownership of a string (for example one returned through an output).
  static CBstr Attach(BSTR text);
  static CBstr FromUtf8(std::string_view utf8);
  static CBstr FromAnsi(std::string_view ansi);
  CBstr(const CBstr& other);
  CBstr(CBstr&& other) noexcept;
  CBstr& operator=(CBstr other) noexcept;
  ~CBstr();

  BSTR Get() const { return m_text; }
  // The address to pass as an output: frees what is held first.
  BSTR* Out();
  // Gives up ownership.
  BSTR Detach();
  UINT Length() const { return SysStringLen(m_text); }
  std::u16string_view View() const { return {m_text ? m_text : u"", Length()}; }
  std::string Utf8() const;
  std::string Ansi() const;

 private:
  BSTR m_text = nullptr;
};
