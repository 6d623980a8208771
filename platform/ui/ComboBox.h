#pragma once
// A drop-down list combo box addressed as the original platform's combo
// boxes are (entries by index with texts and item values, see
// CItemListControl), with its selection.

#include <cstdint>
#include <string>

#include "platform/ui/ItemListControl.h"

class QComboBox;
class QWidget;

class CComboBox : public CItemListControl {
 public:
  static constexpr int CB_ERR = ERR;

  // `control` must be a QComboBox (anything else, or none, gives an object
  // on which every operation fails).
  explicit CComboBox(QWidget* control = nullptr);

  QComboBox* Widget() const { return m_combo; }
  std::string GetLBText(int index) const { return TextAt(index); }

  // The selected entry, or CB_ERR when none is.
  int GetCurSel() const;
  // Selects the entry (-1 clears the selection); the index, or CB_ERR when
  // it is out of range (the selection is then cleared).
  int SetCurSel(int index);

 private:
  QComboBox* m_combo;
};
