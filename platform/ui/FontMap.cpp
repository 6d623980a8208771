// Windows font faces mapped to the installed Japanese faces.

#include "platform/ui/FontMap.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <string>

#include "platform/ui/UiText.h"

namespace {

enum class Pitch { None, Proportional, Fixed };

// The face name as text: UTF-8 when the bytes are valid UTF-8, else ANSI.
QString FaceText(std::string_view face) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8(QByteArrayView(face.data(), static_cast<qsizetype>(face.size())));
  if (!utf8.hasError()) return text;
  return AnsiToQString(std::string(face));
}

// Full-width letters folded to ASCII, spaces dropped, lower case: the
// Japanese faces are written both ways ("ＭＳ ゴシック", "MS ゴシック").
QString FoldFace(const QString& face) {
  QString folded = face.normalized(QString::NormalizationForm_KC).toLower();
  folded.remove(QLatin1Char(' '));
  return folded;
}

Pitch PitchOf(const QString& folded) {
  static const char16_t* const proportional[] = {u"msuigothic", u"mspgothic", u"mspゴシック"};
  static const char16_t* const fixed[] = {u"msgothic", u"msゴシック"};
  for (const char16_t* name : proportional) {
    if (folded == QString::fromUtf16(name)) return Pitch::Proportional;
  }
  for (const char16_t* name : fixed) {
    if (folded == QString::fromUtf16(name)) return Pitch::Fixed;
  }
  return Pitch::None;
}

// The first installed family that writes Japanese, else the sans-serif face.
QString AnyJapaneseFamily() {
  const QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
  if (!families.isEmpty()) return families.front();
  return QStringLiteral("Sans Serif");
}

QString FamilyFor(Pitch pitch) {
  static const QString ipaProportional = QStringLiteral("IPAPGothic");
  static const QString ipaFixed = QStringLiteral("IPAGothic");
  const QString& first = pitch == Pitch::Fixed ? ipaFixed : ipaProportional;
  const QString& second = pitch == Pitch::Fixed ? ipaProportional : ipaFixed;
  if (QFontDatabase::hasFamily(first)) return first;
  if (QFontDatabase::hasFamily(second)) return second;
  return AnyJapaneseFamily();
}

}  // namespace

QString MapFontFace(std::string_view face) {
  Pitch pitch = PitchOf(FoldFace(FaceText(face)));
  if (pitch == Pitch::None) return QString();
  return FamilyFor(pitch);
}

QFont MakeWindowsFont(std::string_view face, int height, int weight) {
  QFont font;
  QString family = MapFontFace(face);
  if (family.isEmpty()) {
    QString given = FaceText(face);
    if (!given.isEmpty() && QFontDatabase::hasFamily(given)) {
      family = given;
    } else {
      family = QStringLiteral("Sans Serif");
      font.setStyleHint(QFont::SansSerif);
    }
  }
  font.setFamily(family);
  font.setWeight(static_cast<QFont::Weight>(std::clamp(weight <= 0 ? FW_NORMAL : weight, 1, 1000)));
  font.setStyleStrategy(QFont::NoAntialias);
  if (height == 0) height = 12;
  if (height < 0) {
    font.setPixelSize(-height);
    return font;
  }
  // A positive height is the whole cell: shrink the em until ascent plus
  // descent fit into it.
  font.setPixelSize(height);
  for (int size = height; size > 1; --size) {
    font.setPixelSize(size);
    QFontMetrics metrics(font);
    if (metrics.ascent() + metrics.descent() <= height) break;
  }
  return font;
}
