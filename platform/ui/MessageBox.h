#pragma once
// Message boxes whose text and caption are entries of a module's string
// table (ANSI bytes), with the buttons and icon given as the usual MB_* bits
// and the pressed button returned as an ID* value.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/resources/Resources.h"
#include "platform/ui/DialogWindow.h"

class QWidget;

// Buttons (one of).
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_OKCANCEL = 0x01;
inline constexpr unsigned MB_YESNOCANCEL = 0x03;
inline constexpr unsigned MB_YESNO = 0x04;
// Icon (one of).
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONEXCLAMATION = MB_ICONWARNING;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
// The second button is the default one.
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;

// Results besides IDOK and IDCANCEL.
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Shows `text` with `caption` (ANSI bytes) modally over `parent`; returns the
// button pressed.  Escape or closing the box gives IDCANCEL when the box has
// a Cancel button and IDOK for a box with OK only.
int AnsiMessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                   unsigned type);

// The same with the text and caption loaded from the instance's strings (a
// missing string shows as empty).
int ResourceMessageBox(QWidget* parent, ResourceInstance instance, std::uint32_t textId,
                       std::uint32_t captionId, unsigned type);

// The same with each "%s" of the text filled, in order, with the arguments
// (ANSI bytes); "%%" gives "%".
int ResourceMessageBoxFormat(QWidget* parent, ResourceInstance instance, std::uint32_t textId,
                             const std::vector<std::string>& arguments, std::uint32_t captionId,
                             unsigned type);

// `format` with each "%s" replaced by the next argument (empty when they run
// out) and "%%" by "%".
std::string FormatAnsi(const std::string& format, const std::vector<std::string>& arguments);

// When set, a message box is not shown: the hook receives the text, caption
// and type and its answer is returned.  An empty function shows boxes again.
using MessageBoxHook =
    std::function<int(const std::string& text, const std::string& caption, unsigned type)>;
void SetMessageBoxHook(MessageBoxHook hook);
