#pragma once
// Bitmaps from a module's resources as pixmaps, with one colour mapped to
// another on the way (the way dialogs show bitmaps whose light grey stands
// for the button face).

#include <QColor>
#include <QPixmap>

#include <cstdint>

#include "platform/resources/Resources.h"

// The bitmap `id` of the instance with every pixel of colour `from` replaced
// by `to`; a null pixmap when the instance has no such bitmap or it cannot be
// read.
QPixmap LoadMappedBitmap(ResourceInstance instance, std::uint32_t id, QRgb from, const QColor& to);
