#pragma once
// Text between the ANSI code page of resources and data (CP932 unless
// configured otherwise) and the widgets' QString.

#include <QString>

#include <string>

QString AnsiToQString(const std::string& ansi);
// Characters without an ANSI form come out as '?'.
std::string QStringToAnsi(const QString& text);
// The ANSI form of the text when every character has one (true); otherwise
// false, `ansi` empty and `unstorable` holding each character that has none,
// once, in the order they first appear.  For text a user typed or pasted,
// which must never lose characters silently.
bool QStringToAnsiExact(const QString& text, std::string& ansi, QString& unstorable);

// Each character as "U+XXXX", separated by spaces: how a message whose text
// is in the ANSI code page names characters that the code page cannot show.
std::string CharacterCodes(const QString& characters);
