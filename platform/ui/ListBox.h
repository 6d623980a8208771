#pragma once
// A list box addressed as the original platform's list boxes are: entries by
// index, each with a text (ANSI bytes) and an integer item value; a sorted
// list box puts the entries it is given with AddString in text order, while
// InsertString places them by position.  The object does not own the
// control; it only works on it.

#include <cstdint>
#include <string>

class QListWidget;
class QWidget;

class CListBox {
 public:
  static constexpr int LB_ERR = -1;

  // `control` must be a QListWidget (anything else, or none, gives an object
  // on which every operation fails).  It sorts when its CComboBox::
  // SORTED_PROPERTY is true, as templates set it.
  explicit CListBox(QWidget* control = nullptr);

  bool IsValid() const { return m_list != nullptr; }
  QListWidget* Widget() const { return m_list; }
  bool IsSorted() const;

  // The new entry's index, or LB_ERR.  Sorted: before the first entry whose
  // text is greater (multibyte-aware, without regard to ASCII case).
  int AddString(const std::string& ansi);
  // At `index` (-1 or past the end: at the end); never sorted in.
  int InsertString(int index, const std::string& ansi);
  // The number of entries left, or LB_ERR for a bad index.
  int DeleteString(int index);
  void ResetContent();
  int GetCount() const;
  std::string GetText(int index) const;

  // The highlighted entry, or LB_ERR when none is.
  int GetCurSel() const;
  // Highlights the entry (-1 clears it); the index, or LB_ERR when it is out
  // of range (nothing is highlighted then).
  int SetCurSel(int index);
  // The first entry from `start` + 1 on (wrapping) whose item value equals
  // `value`; -1 starts at the top.  LB_ERR when there is none.
  int FindItemData(std::intptr_t value, int start = -1) const;

  bool SetItemData(int index, std::intptr_t value);
  // The entry's item value, or LB_ERR for a bad index.
  std::intptr_t GetItemData(int index) const;

 private:
  QListWidget* m_list;
};
