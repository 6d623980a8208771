// The QuilletExt module's bitmaps and cursors.

#include "platform/resources/ResourceBitmaps.h"
#include "platform/resources/ResourceCursors.h"
#include "resources/extension/ExtensionModule.h"

bool AddExtensionImages(ResourceInstance module) { return module != nullptr; }
