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
  void done(int result) override;

 private:
  QPlainTextEdit* MemoEdit() const;
  void FillCategories();
  void OnOk();
  void EditCategories();
  void RestoreRect();
  void SaveRect();
  // Keeps the memo within MAX_MEMO_BYTES: an insertion that would pass it is
  // cut at a character boundary (dropped entirely when nothing fits).
  void LimitInsertion(int position, int removed, int added);

  std::unique_ptr<COpenEditor> m_open;
  bool m_initialised = false;
  bool m_limiting = false;
  bool m_closed = false;
  int m_minWidth = 0;
  int m_minHeight = 0;
};
