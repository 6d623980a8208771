// The process-wide count of open editing dialogs.  The extension runs on the
// host's user-interface thread only, so a plain counter serves.

#include "editing/OpenEditorCount.h"

namespace {
int openEditorCount = 0;
}  // namespace

int COpenEditorCount::Value() { return openEditorCount; }

void COpenEditorCount::Raise() { ++openEditorCount; }

void COpenEditorCount::Lower() {
  if (openEditorCount > 0) --openEditorCount;
}
