// Image lists cut from resource bitmaps.

#include "platform/ui/ImageList.h"

#include "platform/ui/ResourceImages.h"

bool CImageList::Create(ResourceInstance instance, std::uint32_t bitmapId, int cx, int /*grow*/,
                        QRgb maskColour) {
  m_images.clear();
  m_size = QSize();
  if (cx <= 0) return false;
  QPixmap strip = LoadMappedBitmap(instance, bitmapId, maskColour, QColor(Qt::transparent));
  if (strip.isNull()) return false;
  m_size = QSize(cx, strip.height());
  for (int x = 0; x + cx <= strip.width(); x += cx) {
    m_images.push_back(strip.copy(x, 0, cx, strip.height()));
  }
  return true;
}

int CImageList::Add(const QPixmap& image) {
  if (m_size.isEmpty()) m_size = image.size();
  m_images.push_back(image.size() == m_size ? image
                                            : image.scaled(m_size, Qt::IgnoreAspectRatio,
                                                           Qt::SmoothTransformation));
  return GetImageCount() - 1;
}

QPixmap CImageList::Image(int index) const {
  if (index < 0 || index >= GetImageCount()) return {};
  return m_images[static_cast<std::size_t>(index)];
}

QIcon CImageList::Icon(int index) const {
  QPixmap image = Image(index);
  if (image.isNull()) return {};
  return QIcon(image);
}
