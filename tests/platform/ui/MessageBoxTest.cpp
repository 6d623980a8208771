// Message boxes from string tables: the texts shown, "%s" filling, and the
// result of each button and of Escape.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "platform/ui/MessageBox.h"

namespace {

ResourceInstance Module() {
  static ResourceInstance module = [] {
    ResourceInstance m = ResourceRegisterModule("MessageBoxTest");
    const ResourceString strings[] = {
        {8, "Quillet"},
        // "カテゴリ「%s」..." with three names, in Shift-JIS.
        {12, "\x83\x4a\x83\x65\x83\x53\x83\x8a\x81\x75%s\x81\x76 %s -> %s (100%%)"},
    };
    ResourceAddStrings(m, strings, std::size(strings));
    return m;
  }();
  return module;
}

TEST(MessageBox, TextsComeFromTheStringTableWithArgumentsFilledIn) {
  std::string text, caption;
  unsigned type = 0;
  SetMessageBoxHook([&](const std::string& t, const std::string& c, unsigned ty) {
    text = t;
    caption = c;
    type = ty;
    return IDCANCEL;
  });
  int result = ResourceMessageBoxFormat(nullptr, Module(), 12, {"\x8c\xc2\x90\x6c", "Work"}, 8,
                                        MB_OKCANCEL | MB_ICONWARNING);
  SetMessageBoxHook({});
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(text, "\x83\x4a\x83\x65\x83\x53\x83\x8a\x81\x75\x8c\xc2\x90\x6c\x81\x76 Work ->  (100%)");
  EXPECT_EQ(caption, "Quillet");
  EXPECT_EQ(type, MB_OKCANCEL | MB_ICONWARNING);
}

TEST(MessageBox, EachButtonAndEscapeGiveTheirResult) {
  const struct {
    unsigned type;
    QMessageBox::StandardButton press;  // NoButton: Escape
    int result;
  } cases[] = {
      {MB_OK, QMessageBox::Ok, IDOK},
      {MB_OK, QMessageBox::NoButton, IDOK},
      {MB_OKCANCEL, QMessageBox::Ok, IDOK},
      {MB_OKCANCEL, QMessageBox::NoButton, IDCANCEL},
      {MB_YESNO | MB_ICONQUESTION, QMessageBox::No, IDNO},
      {MB_YESNOCANCEL, QMessageBox::Yes, IDYES},
      {MB_YESNOCANCEL, QMessageBox::NoButton, IDCANCEL},
  };
  for (const auto& c : cases) {
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      if (c.press == QMessageBox::NoButton) {
        QTest::keyClick(box, Qt::Key_Escape);
      } else {
        box->button(c.press)->click();
      }
    });
    EXPECT_EQ(ResourceMessageBox(nullptr, Module(), 8, 8, c.type), c.result) << c.type;
  }
}

}  // namespace
