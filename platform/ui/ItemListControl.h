#pragma once
// What combo boxes and list boxes share: entries by index, each with a text
// (ANSI bytes) and an integer item value, kept in the control's item model.
// A sorted control puts the entries it is given with AddString in text order
// (multibyte-aware, without regard to ASCII case), while InsertString places
// them by position.  The object does not own the control; it only works on
// it.  A control that is missing (or of another kind) gives an object on
// which every operation fails with ERR.

#include <cstdint>
#include <string>

class QAbstractItemModel;
class QWidget;

class CItemListControl {
 public:
  static constexpr int ERR = -1;
  // Dynamic property of the control: true when AddString sorts (templates
  // set it from their sort style).
  static constexpr const char* SORTED_PROPERTY = "quilletSorted";

  bool IsValid() const { return m_model != nullptr; }
  bool IsSorted() const;

  // The new entry's index, or ERR.
  int AddString(const std::string& ansi);
  // At `index` (-1 or past the end: at the end); never sorted in.
  int InsertString(int index, const std::string& ansi);
  // The number of entries left, or ERR for a bad index.
  int DeleteString(int index);
  void ResetContent();
  int GetCount() const;

  // The first entry from `start` + 1 on (wrapping) whose item value equals
  // `value`; -1 starts at the top.  ERR when there is none.
  int FindItemData(std::intptr_t value, int start = -1) const;
  bool SetItemData(int index, std::intptr_t value);
  // The entry's item value, or ERR for a bad index.
  std::intptr_t GetItemData(int index) const;

 protected:
  CItemListControl(QWidget* control, QAbstractItemModel* model);
  // The entry's text ("" for a bad index).
  std::string TextAt(int index) const;
  bool ValidIndex(int index) const { return index >= 0 && index < GetCount(); }

 private:
  QWidget* m_control;
  QAbstractItemModel* m_model;
};
