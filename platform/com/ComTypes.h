#pragma once
// The fixed-width types of the component layer and the result codes that its
// objects exchange.  Every type has the width that the binary interface between
// separately built modules expects: HRESULT is a signed 32-bit code whose top
// bit marks failure.

#include <cstdint>

using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using UINT = unsigned int;
using BOOL = std::int32_t;
using DISPID = std::int32_t;
using LCID = std::uint32_t;
using LONG_PTR = std::intptr_t;
using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using VARIANT_BOOL = std::int16_t;

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

namespace com_detail {
constexpr HRESULT Code(std::uint32_t bits) { return static_cast<HRESULT>(bits); }
}  // namespace com_detail

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;

inline constexpr HRESULT E_NOTIMPL = com_detail::Code(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = com_detail::Code(0x80004002u);
inline constexpr HRESULT E_POINTER = com_detail::Code(0x80004003u);
inline constexpr HRESULT E_ABORT = com_detail::Code(0x80004004u);
inline constexpr HRESULT E_FAIL = com_detail::Code(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = com_detail::Code(0x8000FFFFu);
inline constexpr HRESULT E_ACCESSDENIED = com_detail::Code(0x80070005u);
inline constexpr HRESULT E_HANDLE = com_detail::Code(0x80070006u);
inline constexpr HRESULT E_OUTOFMEMORY = com_detail::Code(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = com_detail::Code(0x80070057u);

inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = com_detail::Code(0x80020001u);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = com_detail::Code(0x80020003u);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = com_detail::Code(0x80020004u);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = com_detail::Code(0x80020005u);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = com_detail::Code(0x80020006u);
inline constexpr HRESULT DISP_E_NONAMEDARGS = com_detail::Code(0x80020007u);
inline constexpr HRESULT DISP_E_BADVARTYPE = com_detail::Code(0x80020008u);
inline constexpr HRESULT DISP_E_EXCEPTION = com_detail::Code(0x80020009u);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = com_detail::Code(0x8002000Eu);

inline constexpr HRESULT CLASS_E_NOAGGREGATION = com_detail::Code(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = com_detail::Code(0x80040111u);
inline constexpr HRESULT REGDB_E_READREGDB = com_detail::Code(0x80040150u);
inline constexpr HRESULT REGDB_E_WRITEREGDB = com_detail::Code(0x80040151u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = com_detail::Code(0x80040154u);
inline constexpr HRESULT CO_E_DLLNOTFOUND = com_detail::Code(0x800401F8u);
inline constexpr HRESULT CO_E_ERRORINDLL = com_detail::Code(0x800401F9u);

// Connection points and self-registration share their interface-specific
// code range, so the two families hold the same values.
inline constexpr HRESULT CONNECT_E_NOCONNECTION = com_detail::Code(0x80040200u);
inline constexpr HRESULT CONNECT_E_ADVISELIMIT = com_detail::Code(0x80040201u);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = com_detail::Code(0x80040202u);
inline constexpr HRESULT SELFREG_E_TYPELIB = com_detail::Code(0x80040200u);
inline constexpr HRESULT SELFREG_E_CLASS = com_detail::Code(0x80040201u);

// Where a class may be served from, for class creation.
inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
inline constexpr DWORD CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
inline constexpr DWORD CLSCTX_ALL = CLSCTX_SERVER | CLSCTX_INPROC_HANDLER;
