// ANSI <-> QString through the platform's code page conversions.

#include "platform/ui/UiText.h"

#include "platform/text/CodePage.h"

QString AnsiToQString(const std::string& ansi) {
  return QString::fromStdString(AnsiToUtf8(ansi));
}

std::string QStringToAnsi(const QString& text) {
  std::string out;
  if (Utf8ToAnsi(text.toStdString(), out)) return out;
  // Convert character by character so that only the offending ones are lost.
  out.clear();
  for (QChar c : text) {
    std::string one;
    if (Utf8ToAnsi(QString(c).toStdString(), one)) {
      out += one;
    } else {
      out += '?';
    }
  }
  return out;
}
