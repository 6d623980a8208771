#pragma once
// The memo editor ("メモの編集"): a resizable dialog in which the user writes
// a new memo or changes an existing one, its text and its category.  It works
// directly on the memo database: a new memo is added when the dialog opens
// (and marked deleted again when the user cancels); OK stores the text, the
// category and the modified mark in the record.
//
// The caller sets `recordKey` (the position of the memo to edit, or -1 for a
// new memo), `category` (the category to propose, -1 for all) and
// `database`, runs DoModal() and then reads `recordKey`: -1 when no memo was
// saved, otherwise the position of the memo that now holds the text.  While
// the dialog is open the count of open editing dialogs is one higher.  The
// window's rectangle is kept in the extension's profile from one opening to
// the next.

#include <memory>

#include "platform/ui/ResizeDialog.h"

class CMemoDatabase;
class CMemoRecord;
class COpenEditor;
class QPlainTextEdit;

class CEditRecordDlg : public CResizeDialog {
  Q_OBJECT

 public:
  // Longest memo text in bytes of the ANSI code page ("\r\n" counts two).
  static constexpr int MAX_MEMO_BYTES = 32767;

  explicit CEditRecordDlg(QWidget* parent = nullptr);
  ~CEditRecordDlg() override;

  // In: the position of the record to edit (it exists and is not deleted),
  // or -1 for a new memo.  Out: the position of the saved memo, or -1 when
  // nothing was saved.
  int recordKey = -1;
  // In: the category to propose (-1: all, which proposes Unfiled).  Then the
  // category chosen in the combo box.
  int category = -1;
  // Not owned: the database the memo belongs to.
  CMemoDatabase* database = nullptr;
  // Not owned (the database holds it): the record being edited, set while
  // the dialog opens.
  CMemoRecord* record = nullptr;

 protected:
  void OnInitDialog() override;
  void OnCommand(int id) override;
  void OnSelChange(int id) override;
  // The window closes (whatever ended the dialog): its rectangle is
  // remembered and the dialog no longer counts as open.
  void hideEvent(QHideEvent* event) override;
  // Typing into the memo edit that would pass the byte limit is refused.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPlainTextEdit* MemoEdit() const;
  void FillCategories();
  void OnOk();
  void EditCategories();
  void RestoreRect();
  void SaveRect();
  // Bytes that the memo can still take when the selection is replaced.
  int Room() const;
  // Pastes as much of the clipboard's text as the memo can take, never half
  // a character.
  void PasteWithinLimit();
  void ShowContextMenu(const QPoint& position);
  // A last guard for insertions that come by other ways (input methods):
  // what passes MAX_MEMO_BYTES is cut at a character boundary (all of it
  // when nothing fits).
  void NoteInsertion(int position, int removed, int added);
  void LimitInsertion();

  std::unique_ptr<COpenEditor> m_open;
  bool m_initialised = false;
  bool m_limiting = false;
  bool m_limitPending = false;
  int m_insertPosition = 0;
  int m_insertLength = 0;
  int m_minWidth = 0;
  int m_minHeight = 0;
};
