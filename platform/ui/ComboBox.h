#pragma once
// A drop-down list combo box addressed as the original platform's combo
// boxes are: entries by index, each with a text (ANSI bytes) and an integer
// item value; a sorted combo box puts the entries it is given with AddString
// in text order, while InsertString places them by position.  The object does
// not own the control; it only works on it.

#include <cstdint>
#include <string>

class QComboBox;
class QWidget;

class CComboBox {
 public:
  // Dynamic property of a combo box control: true when AddString sorts.
  static constexpr const char* SORTED_PROPERTY = "quilletSorted";
  static constexpr int CB_ERR = -1;

  // `control` must be a QComboBox (anything else, or none, gives an object
  // on which every operation fails).
  explicit CComboBox(QWidget* control = nullptr);

  bool IsValid() const { return m_combo != nullptr; }
  QComboBox* Widget() const { return m_combo; }
  bool IsSorted() const;

  // The new entry's index, or CB_ERR.  Sorted: before the first entry whose
  // text is greater (multibyte-aware, without regard to ASCII case).
  int AddString(const std::string& ansi);
  // At `index` (-1 or past the end: at the end); never sorted in.
  int InsertString(int index, const std::string& ansi);
  // The number of entries left, or CB_ERR for a bad index.
  int DeleteString(int index);
  void ResetContent();
  int GetCount() const;
  std::string GetLBText(int index) const;

  // The selected entry, or CB_ERR when none is.
  int GetCurSel() const;
  // Selects the entry (-1 clears the selection); the index, or CB_ERR when
  // it is out of range (the selection is then cleared).
  int SetCurSel(int index);
  // The first entry from `start` + 1 on (wrapping) whose item value equals
  // `value`; -1 starts at the top.  CB_ERR when there is none.
  int FindItemData(std::intptr_t value, int start = -1) const;

  bool SetItemData(int index, std::intptr_t value);
  // The entry's item value, or CB_ERR for a bad index.
  std::intptr_t GetItemData(int index) const;

 private:
  QComboBox* m_combo;
};
