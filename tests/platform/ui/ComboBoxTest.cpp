// Combo boxes: sorted and positioned inserts, item values, selection by value.

#include <QComboBox>
#include <gtest/gtest.h>

#include "platform/ui/ComboBox.h"
#include "platform/ui/WindowMessage.h"

#include <QCoreApplication>

TEST(ComboBox, SortedAddsFollowTextOrderWhilePositionedInsertsStayPut) {
  QComboBox widget;
  widget.setProperty(CComboBox::SORTED_PROPERTY, true);
  CComboBox combo(&widget);
  combo.SetItemData(combo.AddString("work"), 2);
  combo.SetItemData(combo.AddString("Home"), 1);
  // Shift-JIS "個人" sorts after the ASCII names (lead byte above 0x80).
  combo.SetItemData(combo.AddString("\x8c\xc2\x90\x6c"), 3);
  combo.SetItemData(combo.InsertString(0, "all"), -1);
  combo.SetItemData(combo.InsertString(-1, "Unfiled"), 0);

  ASSERT_EQ(combo.GetCount(), 5);
  const char* expected[] = {"all", "Home", "work", "\x8c\xc2\x90\x6c", "Unfiled"};
  const std::intptr_t values[] = {-1, 1, 2, 3, 0};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(combo.GetLBText(i), expected[i]) << i;
    EXPECT_EQ(combo.GetItemData(i), values[i]) << i;
  }
  EXPECT_EQ(combo.FindItemData(0), 4);
  EXPECT_EQ(combo.FindItemData(7), CComboBox::CB_ERR);
  EXPECT_EQ(combo.SetCurSel(combo.FindItemData(2)), 2);
  EXPECT_EQ(combo.GetCurSel(), 2);
  EXPECT_EQ(combo.SetCurSel(9), CComboBox::CB_ERR);
  EXPECT_EQ(combo.GetCurSel(), CComboBox::CB_ERR);
  EXPECT_EQ(combo.GetItemData(9), CComboBox::CB_ERR);
}

TEST(WindowMessage, ArrivesThroughTheEventLoopAfterThePostingCode) {
  struct Receiver : QObject {
    std::vector<std::tuple<unsigned, WPARAM, LPARAM>> got;
    void customEvent(QEvent* event) override {
      if (const CWindowMessageEvent* m = AsWindowMessage(event)) {
        got.emplace_back(m->Message(), m->WParam(), m->LParam());
      }
    }
  } receiver;
  EXPECT_TRUE(PostWindowMessage(&receiver, WM_USER + 68, 1, -300));
  EXPECT_FALSE(PostWindowMessage(nullptr, WM_USER, 0, 0));
  EXPECT_TRUE(receiver.got.empty());
  QCoreApplication::processEvents();
  ASSERT_EQ(receiver.got.size(), 1u);
  EXPECT_EQ(receiver.got[0], std::make_tuple(0x444u, WPARAM{1}, LPARAM{-300}));
}
