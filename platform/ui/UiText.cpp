// ANSI <-> QString through the platform's code page conversions.

#include "platform/ui/UiText.h"

#include <QList>

#include "platform/text/CodePage.h"

QString AnsiToQString(const std::string& ansi) {
  return QString::fromStdString(AnsiToUtf8(ansi));
}

namespace {

// Converts character by character (whole code points, so a character
// outside the basic plane stays one character); calls `missing` for each
// character without an ANSI form.
template <typename Missing>
std::string ConvertEach(const QString& text, Missing missing) {
  std::string out;
  for (const uint point : text.toUcs4()) {
    const char32_t codePoint = point;
    const QString character = QString::fromUcs4(&codePoint, 1);
    std::string one;
    if (Utf8ToAnsi(character.toStdString(), one)) {
      out += one;
    } else {
      missing(character, out);
    }
  }
  return out;
}

}  // namespace

std::string QStringToAnsi(const QString& text) {
  std::string out;
  if (Utf8ToAnsi(text.toStdString(), out)) return out;
  // Only the offending characters are lost.
  return ConvertEach(text, [](const QString&, std::string& converted) { converted += '?'; });
}

bool QStringToAnsiExact(const QString& text, std::string& ansi, QString& unstorable) {
  unstorable.clear();
  if (Utf8ToAnsi(text.toStdString(), ansi)) return true;
  std::string each = ConvertEach(text, [&unstorable](const QString& character, std::string&) {
    if (!unstorable.contains(character)) unstorable += character;
  });
  ansi = unstorable.isEmpty() ? std::move(each) : std::string();
  return unstorable.isEmpty();
}

std::string CharacterCodes(const QString& characters) {
  std::string out;
  for (const uint point : characters.toUcs4()) {
    if (!out.empty()) out += ' ';
    out += QStringLiteral("U+%1").arg(point, 4, 16, QLatin1Char('0')).toUpper().toStdString();
  }
  return out;
}
