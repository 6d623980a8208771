#pragma once
// The extension's fixed identifiers: its type library, application id, COM
// classes with their ProgIDs, and the names the organizer lists it under.

#include <cstdint>

#include "platform/com/Guid.h"

// The type library QuilletExtLib, version 1.0, and its help file.
inline constexpr GUID LIBID_QuilletExtLib = GuidLiteral("{E7CD525A-C22A-4F9D-88F4-42402A4AEFB1}");
inline constexpr const char* QUILLETEXT_TYPELIB_NAME = "QuilletExtLib";
inline constexpr const char* QUILLETEXT_TYPELIB_VERSION = "1.0";
inline constexpr const char* QUILLETEXT_HELP_FILE = "QuilletExt.hlp";

inline constexpr GUID APPID_QuilletExt = GuidLiteral("{1B0539C3-D57F-4E60-9DEC-AF37BC13D744}");

// The control the organizer creates in its window (coclass QuilletExt).
inline constexpr CLSID CLSID_QuilletExtCtrl = GuidLiteral("{1FE514CE-013C-4D4B-963B-5C3A8352909C}");
inline constexpr const char* QUILLETEXT_CTRL_PROGID = "QUILLETEXT.QuilletExtCtrl.1";
inline constexpr const char* QUILLETEXT_CTRL_TYPE_NAME = "QuilletExt Control";
// Activate when visible, set client site first, inside-out, cannot link
// inside, recompose on resize.
inline constexpr std::uint32_t QUILLETEXT_CTRL_MISC_STATUS = 0x20191;
inline constexpr IID DIID_DQuilletExt = GuidLiteral("{B73F747A-8269-44FB-8FC0-AA390BC4FDDA}");
inline constexpr IID DIID_DQuilletExtEvents = GuidLiteral("{3018E23D-E22B-4E55-B845-8A5C61159255}");

// The control's property page.
inline constexpr CLSID CLSID_QuilletExtPropPage = GuidLiteral("{CF1BD23E-9813-4CE1-B806-B3E1F2D64863}");
inline constexpr const char* QUILLETEXT_PROPPAGE_PROGID = "QUILLETEXT.QuilletExtPropPage.1";
inline constexpr const char* QUILLETEXT_PROPPAGE_TYPE_NAME = "QuilletExt Property Page";

// The host link.
inline constexpr CLSID CLSID_SinkObject = GuidLiteral("{6B0A6A5D-1EF6-4CF2-BECE-E448317EAD97}");
inline constexpr IID IID_ISinkObject = GuidLiteral("{1BB8B518-05F5-4069-816C-6165920A8923}");
inline constexpr const char* SINKOBJECT_PROGID = "QuilletExt.SinkObject.1";
inline constexpr const char* SINKOBJECT_VERSIONLESS_PROGID = "QuilletExt.SinkObject";
