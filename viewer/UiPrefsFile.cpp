// The main view's remembered category filter and current memo.

#include "viewer/UiPrefsFile.h"

void CUiPrefsFile::ReadFields() {
  CPrefsFile::ReadFields();
  ReadInt(categoryFilter);
  ReadInt(currentPosition);
}

void CUiPrefsFile::WriteFields() {
  CPrefsFile::WriteFields();
  WriteInt(categoryFilter);
  WriteInt(currentPosition);
}
