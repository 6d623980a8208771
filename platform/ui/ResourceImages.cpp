// Resource bitmaps (XPM) to pixmaps with a colour mapping.

#include "platform/ui/ResourceImages.h"

#include <QImage>

#include "platform/resources/ResourceBitmaps.h"
#include "platform/resources/ResourceCursors.h"

QPixmap LoadMappedBitmap(ResourceInstance instance, std::uint32_t id, QRgb from, const QColor& to) {
  const char* const* xpm = ResourceFindBitmap(instance, id);
  if (xpm == nullptr) return {};
  QImage image(xpm);
  if (image.isNull()) return {};
  image = image.convertToFormat(QImage::Format_ARGB32);
  const QRgb match = qRgb(qRed(from), qGreen(from), qBlue(from));
  const QRgb replacement = to.rgba();
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(line[x]) == 255 && (line[x] & 0x00FFFFFF) == (match & 0x00FFFFFF)) {
        line[x] = replacement;
      }
    }
  }
  return QPixmap::fromImage(image);
}

QCursor LoadResourceCursor(ResourceInstance instance, std::uint32_t id, Qt::CursorShape fallback) {
  const ResourceCursor* cursor = ResourceFindCursor(instance, id);
  if (cursor == nullptr) return QCursor(fallback);
  QPixmap image = QPixmap::fromImage(QImage(cursor->xpm));
  if (image.isNull()) return QCursor(fallback);
  return QCursor(image, cursor->hotX, cursor->hotY);
}
