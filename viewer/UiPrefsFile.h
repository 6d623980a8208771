#pragma once
// "UiPrefs.DAT" beside the user's record file: the main view's category
// filter and current memo.  12 bytes: the format value (256), the filter
// (-1 all categories, 0 Unfiled, 1..15 a category index) and the position
// of the current memo (-1 none).

#include "viewer/PrefsFile.h"

inline constexpr const char* UI_PREFS_FILE_NAME = "UiPrefs.DAT";

class CUiPrefsFile : public CPrefsFile {
 public:
  std::int32_t categoryFilter = -1;
  std::int32_t currentPosition = 0;

 protected:
  void ReadFields() override;
  void WriteFields() override;
};
