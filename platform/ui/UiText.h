#pragma once
// Text between the ANSI code page of resources and data (CP932 unless
// configured otherwise) and the widgets' QString.

#include <QString>

#include <string>

QString AnsiToQString(const std::string& ansi);
// Characters without an ANSI form come out as '?'.
std::string QStringToAnsi(const QString& text);
