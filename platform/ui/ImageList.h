#pragma once
// An image list: equal-width images cut from one resource bitmap, the mask
// colour made transparent, addressed by index.

#include <QIcon>
#include <QPixmap>
#include <QRgb>

#include <cstdint>
#include <vector>

#include "platform/resources/Resources.h"

class CImageList {
 public:
  // Cuts bitmap `bitmapId` of the instance into `cx`-pixel-wide images (as
  // tall as the bitmap); pixels of `maskColour` become transparent.  `grow`
  // is how many images the list makes room for at a time; it changes
  // nothing here.  False (and an empty list) when the bitmap is missing or
  // cx is not positive.
  bool Create(ResourceInstance instance, std::uint32_t bitmapId, int cx, int grow,
              QRgb maskColour);
  // Appends an image (scaled to the list's size when it has one); its index.
  int Add(const QPixmap& image);

  int GetImageCount() const { return static_cast<int>(m_images.size()); }
  QSize ImageSize() const { return m_size; }
  // Null for a bad index.
  QPixmap Image(int index) const;
  QIcon Icon(int index) const;

 private:
  std::vector<QPixmap> m_images;
  QSize m_size;
};
