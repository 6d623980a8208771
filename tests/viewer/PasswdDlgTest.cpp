// The password prompt: what it shows on opening, what OK takes and what
// Cancel leaves alone.

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/ui/UiText.h"
#include "resources/extension/ExtensionIds.h"
#include "viewer/PasswdDlg.h"

namespace {

QLineEdit* PasswordField(CPasswdDlg& dialog) {
  return qobject_cast<QLineEdit*>(dialog.Control(IDC_PASSWORD_EDIT));
}

int RunModal(CPasswdDlg& dialog, const std::function<void()>& act) {
  QTimer::singleShot(0, &dialog, act);
  return dialog.DoModal();
}

TEST(PasswdDlg, OpensWithTheThreeStringsAndFocusOnThePassword) {
  CPasswdDlg dialog;
  dialog.userName = QStringToAnsi(QStringLiteral("山田 花子"));
  dialog.password = "tried";
  dialog.hint = QStringToAnsi(QStringLiteral("猫の名前\r\n二番目の行"));
  RunModal(dialog, [&] {
    EXPECT_EQ(dialog.ItemText(IDC_PASSWORD_USER), dialog.userName);
    EXPECT_EQ(dialog.ItemText(IDC_PASSWORD_EDIT), "tried");
    EXPECT_EQ(PasswordField(dialog)->echoMode(), QLineEdit::Password);
    auto* hint = qobject_cast<QPlainTextEdit*>(dialog.Control(IDC_PASSWORD_HINT));
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->toPlainText(), QStringLiteral("猫の名前\n二番目の行"));
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(QApplication::focusWidget(), dialog.Control(IDC_PASSWORD_EDIT));
    dialog.EndDialog(IDCANCEL);
  });
}

TEST(PasswdDlg, OkTakesTheFieldAndCancelLeavesTheStrings) {
  const struct {
    const char* typed;  // replaces the selected old password
    bool clear;         // empty the field first
    int button;         // or 0 for Escape
    int result;
    const char* password;
  } cases[] = {
      {"s3cret", false, IDOK, IDOK, "s3cret"},
      {"", true, IDOK, IDOK, ""},
      {"", false, IDOK, IDOK, "old"},
      {"other", false, IDCANCEL, IDCANCEL, "old"},
      {"other", false, 0, IDCANCEL, "old"},
  };
  for (const auto& c : cases) {
    CPasswdDlg dialog;
    dialog.userName = "user";
    dialog.password = "old";
    dialog.hint = "hint";
    int result = RunModal(dialog, [&] {
      QLineEdit* field = PasswordField(dialog);
      if (c.clear) field->clear();
      QTest::keyClicks(field, c.typed);
      if (c.button == 0) {
        QTest::keyClick(field, Qt::Key_Escape);
      } else {
        QTest::mouseClick(qobject_cast<QPushButton*>(dialog.Control(c.button)), Qt::LeftButton);
      }
    });
    EXPECT_EQ(result, c.result) << c.typed;
    EXPECT_EQ(dialog.password, c.password) << c.typed;
    EXPECT_EQ(dialog.userName, "user");
    EXPECT_EQ(dialog.hint, "hint");
    EXPECT_TRUE(PasswordField(dialog)->text().isEmpty()) << "field cleared on closing";
  }
}

}  // namespace
