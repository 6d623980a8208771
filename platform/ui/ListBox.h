#pragma once
// A list box addressed as the original platform's list boxes are (entries by
// index with texts and item values, see CItemListControl), with its
// highlighted entry.

#include <cstdint>
#include <string>

#include "platform/ui/ItemListControl.h"

class QListWidget;
class QWidget;

class CListBox : public CItemListControl {
 public:
  static constexpr int LB_ERR = ERR;

  // `control` must be a QListWidget (anything else, or none, gives an object
  // on which every operation fails).
  explicit CListBox(QWidget* control = nullptr);

  QListWidget* Widget() const { return m_list; }
  std::string GetText(int index) const { return TextAt(index); }

  // The highlighted entry, or LB_ERR when none is.
  int GetCurSel() const;
  // Highlights the entry (-1 clears it); the index, or LB_ERR when it is out
  // of range (nothing is highlighted then).
  int SetCurSel(int index);

 private:
  QListWidget* m_list;
};
