// Dialog units to pixels.

#include "platform/ui/DialogUnits.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <cstdint>
#include <cstdlib>

#include "platform/ui/FontMap.h"

QFont DialogFont(const char* family, int pointSize) {
  if (pointSize <= 0) pointSize = 8;
  // The Japanese Windows faces are shown with the installed Japanese face.
  if (family != nullptr) {
    QString mapped = MapFontFace(family);
    if (!mapped.isEmpty()) return QFont(mapped, pointSize);
  }
  QFont wanted(QString::fromLatin1(family != nullptr ? family : ""), pointSize);
  if (family != nullptr && *family != '\0' &&
      QFontInfo(wanted).family().compare(QString::fromLatin1(family), Qt::CaseInsensitive) == 0) {
    return wanted;
  }
  QFont fallback(QStringLiteral("Sans Serif"), pointSize);
  fallback.setStyleHint(QFont::SansSerif);
  return fallback;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  QFontMetrics metrics(font);
  int width = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  DialogBaseUnits units;
  units.cx = (width / 26 + 1) / 2;
  units.cy = metrics.height();
  return units;
}

int MulDivRound(int a, int b, int c) {
  if (c == 0) return 0;
  std::int64_t product = static_cast<std::int64_t>(a) * b;
  std::int64_t half = std::llabs(static_cast<long long>(c)) / 2;
  bool negative = (product < 0) != (c < 0);
  std::int64_t magnitude = (std::llabs(static_cast<long long>(product)) + half) /
                           std::llabs(static_cast<long long>(c));
  return static_cast<int>(negative ? -magnitude : magnitude);
}

QRect MapDialogRect(const DialogBaseUnits& units, int x, int y, int width, int height) {
  return QRect(MulDivRound(x, units.cx, 4), MulDivRound(y, units.cy, 8),
               MulDivRound(width, units.cx, 4), MulDivRound(height, units.cy, 8));
}
