#pragma once
// Plain text on the system clipboard, in the ANSI code page.  The system
// clipboard carries Unicode text with "\n" line ends; this is the one place
// where it is converted from and to the ANSI bytes with "\r\n" line ends
// that memos hold.

#include <QString>

#include <string>

enum class ClipboardText {
  NONE,        // no text (or an empty one) on the clipboard
  TEXT,        // text, converted whole
  UNSTORABLE,  // text with characters the ANSI code page cannot hold
};

// Puts the ANSI text on the clipboard as plain text; false when there is no
// clipboard.
bool PutClipboardText(const std::string& ansi);
// True when the clipboard holds a non-empty plain text.
bool ClipboardHasText();
// The clipboard's plain text as ANSI bytes.  UNSTORABLE leaves `ansi` empty
// and names the characters that cannot be kept in `unstorable`.
ClipboardText GetClipboardText(std::string& ansi, QString& unstorable);
