#pragma once
// The extension's count of open editing dialogs (memo editor, category
// editor), shared by the whole process.  While it is above zero the view
// refuses the host's HotSync.  It never goes below zero.

class COpenEditorCount {
 public:
  static int Value();
  static void Raise();
  // Lowers the count by one; stays at 0.
  static void Lower();
};

// Raises the count for as long as it lives: an editing dialog holds one
// while it is open.
class COpenEditor {
 public:
  COpenEditor() { COpenEditorCount::Raise(); }
  ~COpenEditor() { COpenEditorCount::Lower(); }
  COpenEditor(const COpenEditor&) = delete;
  COpenEditor& operator=(const COpenEditor&) = delete;
};
