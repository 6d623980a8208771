#pragma once
// Bitmaps from a module's resources as pixmaps, with one colour mapped to
// another on the way (the way dialogs show bitmaps whose light grey stands
// for the button face), and cursors by resource id.

#include <QColor>
#include <QCursor>
#include <QPixmap>

#include <cstdint>

#include "platform/resources/Resources.h"

// The bitmap `id` of the instance with every pixel of colour `from` replaced
// by `to`; a null pixmap when the instance has no such bitmap or it cannot be
// read.
QPixmap LoadMappedBitmap(ResourceInstance instance, std::uint32_t id, QRgb from, const QColor& to);

// The cursor `id` of the instance, with its hot spot; `fallback` when the
// instance has no such cursor or its image cannot be read.
QCursor LoadResourceCursor(ResourceInstance instance, std::uint32_t id,
                           Qt::CursorShape fallback = Qt::ArrowCursor);
