// The memo editor over a loaded memo file, driven as a user would: text put
// into the memo edit, a category picked, keys pressed, buttons clicked, and
// message boxes answered through the hook.

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "editing/DeleteCategoryDlg.h"
#include "editing/EditCategoryDlg.h"
#include "editing/EditRecordDlg.h"
#include "editing/OpenEditorCount.h"
#include "platform/registry/AppProfile.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/UiText.h"
#include "resources/extension/ExtensionModule.h"
#include "store/MemoDatabase.h"
#include "support/MemoAppBytes.h"
#include "support/TempFolder.h"

namespace {

struct Shown {
  std::string text;
  std::string caption;
  unsigned type;
};

std::string ResourceText(std::uint32_t id) { return ResourceFindString(ExtensionResources(), id); }

QPlainTextEdit* Edit(CEditRecordDlg& dialog) {
  return qobject_cast<QPlainTextEdit*>(dialog.Control(IDC_MEMO_EDIT));
}
QComboBox* Combo(CEditRecordDlg& dialog) {
  return qobject_cast<QComboBox*>(dialog.Control(IDC_MEMO_CATEGORY));
}
int SelectedCategory(CEditRecordDlg& dialog) {
  CComboBox combo(Combo(dialog));
  return static_cast<int>(combo.GetItemData(combo.GetCurSel()));
}
void Click(CEditRecordDlg& dialog, int id) {
  qobject_cast<QAbstractButton*>(dialog.Control(id))->click();
}

class EditRecordDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("QUILLET_CONFIG_HOME", (dir / "config").c_str(), 1);
    // Positions: 0 "alpha" (Personal), 1 deleted, 2 "gamma" (Business).
    recordfile::File file = recordfile::MemoFile();
    file.appInfo = recordfile::DataBlock(recordfile::MemoAppInfo(recordfile::DefaultCategories(), {}, ""));
    auto memo = [](std::uint32_t id, std::uint16_t attributes, std::uint32_t category,
                   const char* text) {
      recordfile::Record record;
      record.id = id;
      record.attributes = attributes;
      record.category = category;
      record.data = recordfile::PlainBody(text);
      return record;
    };
    file.records = {memo(7, 0, 2, "alpha\nbeta"), memo(8, FileLayout::REC_ATTR_DELETED, 1, "gone"),
                    memo(9, 0, 1, "gamma")};
    recordfile::WriteAll(dir / "record.dat", Build(file));
    ASSERT_EQ(database.Load((dir / "record.dat").string(), RDB_OPEN_READ_WRITE, nullptr), RDB_OK);
    SetMessageBoxHook([this](const std::string& text, const std::string& caption, unsigned type) {
      shown.push_back({text, caption, type});
      return IDOK;
    });
  }
  void TearDown() override { SetMessageBoxHook({}); }

  // Runs the editor on the record key; `act` runs once it is open.
  int Run(CEditRecordDlg& dialog, int key, int proposed,
          const std::function<void(CEditRecordDlg&)>& act) {
    dialog.recordKey = key;
    dialog.category = proposed;
    dialog.database = &database;
    QTimer::singleShot(0, &dialog, [&dialog, act] {
      EXPECT_EQ(COpenEditorCount::Value(), 1);
      act(dialog);
      // A step that left the dialog open: end it so the test goes on.
      if (dialog.isVisible()) dialog.EndDialog(-5);
    });
    const int result = dialog.DoModal();
    EXPECT_EQ(COpenEditorCount::Value(), 0);
    return result;
  }

  CTempFolder dir;
  CMemoDatabase database;
  std::vector<Shown> shown;
};

TEST_F(EditRecordDlgTest, NewMemoIsAddedAtOpeningSavedWithOkAndLeftDeletedByCancel) {
  CEditRecordDlg saved;
  int proposed = -2;
  EXPECT_EQ(Run(saved, -1, -1,
                [&](CEditRecordDlg& dialog) {
                  proposed = SelectedCategory(dialog);
                  CComboBox combo(Combo(dialog));
                  const int business = combo.FindItemData(1);
                  combo.SetCurSel(business);
                  emit Combo(dialog)->activated(business);
                  Edit(dialog)->setPlainText(QStringLiteral("メモ one\ntwo"));
                  Click(dialog, IDOK);
                }),
            IDOK);
  EXPECT_EQ(proposed, 0);  // "all" proposes Unfiled
  ASSERT_EQ(database.RecordCount(), 4);
  EXPECT_EQ(saved.recordKey, 3);
  const CMemoRecord* memo = database.MemoAt(3);
  EXPECT_EQ(memo->uniqueId, 0u);
  EXPECT_EQ(memo->category, 1);
  EXPECT_EQ(memo->attributes, CRecord::ATTR_MODIFIED);
  EXPECT_EQ(memo->text, AnsiText("メモ one\r\ntwo"));

  CEditRecordDlg cancelled;
  Run(cancelled, -1, 2, [](CEditRecordDlg& dialog) {
    Edit(dialog)->setPlainText(QStringLiteral("never kept"));
    Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(cancelled.recordKey, -1);
  ASSERT_EQ(database.RecordCount(), 5);
  EXPECT_TRUE(database.MemoAt(4)->IsDeleted());
  EXPECT_EQ(database.MemoAt(4)->text, "");
}

TEST_F(EditRecordDlgTest, EditRefusesEmptyAndUnstorableTextAndMarksAnUnchangedTextModified) {
  CEditRecordDlg editor;
  std::vector<std::string> textsAfterRefusals;
  Run(editor, 2, -1, [&](CEditRecordDlg& dialog) {
    EXPECT_EQ(SelectedCategory(dialog), 1);  // the memo's own category
    EXPECT_EQ(Edit(dialog)->toPlainText(), QStringLiteral("gamma"));
    EXPECT_TRUE(Edit(dialog)->textCursor().atEnd());
    EXPECT_EQ(dialog.focusWidget(), Edit(dialog));
    Edit(dialog)->clear();
    Click(dialog, IDOK);
    Edit(dialog)->setPlainText(QStringLiteral("gamma 😀"));
    Click(dialog, IDOK);
    textsAfterRefusals.push_back(database.MemoAt(2)->text);
    EXPECT_TRUE(dialog.isVisible());
    Edit(dialog)->setPlainText(QStringLiteral("gamma"));
    Click(dialog, IDOK);
  });
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, ResourceText(IDS_ENTER_MEMO));
  EXPECT_EQ(shown[0].caption, ResourceText(IDS_QUILLET));
  EXPECT_EQ(shown[0].type, MB_OK | MB_ICONINFORMATION);
  EXPECT_NE(shown[1].text.find("U+1F600"), std::string::npos) << shown[1].text;
  EXPECT_EQ(textsAfterRefusals, std::vector<std::string>{"gamma"});
  EXPECT_EQ(editor.recordKey, 2);
  EXPECT_EQ(database.MemoAt(2)->attributes, CRecord::ATTR_MODIFIED);
  EXPECT_EQ(database.RecordCount(), 3);
}

TEST_F(EditRecordDlgTest, MemoStaysWithinTheByteLimitWithoutSplittingACharacter) {
  // 2 + 2 * 20000 bytes: only 16,382 double-byte characters fit after "xy",
  // leaving one byte that half a character must not take.
  QApplication::clipboard()->setText(QStringLiteral("xy") + QString(20000, QChar(0x3042)));
  CEditRecordDlg editor;
  QString afterPaste, afterTyping, afterUndo;
  Run(editor, -1, 0, [&](CEditRecordDlg& dialog) {
    QPlainTextEdit* edit = Edit(dialog);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCoreApplication::processEvents();
    afterPaste = edit->toPlainText();
    QTest::keyClicks(edit, QStringLiteral("zw"));  // one byte left: "z" fits, "w" does not
    QCoreApplication::processEvents();
    afterTyping = edit->toPlainText();
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QCoreApplication::processEvents();
    afterUndo = edit->toPlainText();
    Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(afterPaste, QStringLiteral("xy") + QString(16382, QChar(0x3042)));
  EXPECT_EQ(QStringToAnsi(afterPaste).size(), 32766u);
  EXPECT_EQ(afterTyping, afterPaste + QStringLiteral("z"));
  EXPECT_EQ(afterUndo, QString());
}

TEST_F(EditRecordDlgTest, WindowRectangleIsRestoredOnlyWhenCompleteAndKeptOnTheScreen) {
  const CAppProfile profile = ExtensionProfile();
  auto runAndMeasure = [this](QRect& opened, QSize& minimum) {
    CEditRecordDlg editor;
    Run(editor, 0, -1, [&](CEditRecordDlg& dialog) {
      opened = dialog.geometry();
      minimum = dialog.minimumSize();
      Click(dialog, IDCANCEL);
    });
  };
  QRect first;
  QSize templateSize;
  profile.WriteProfileInt("", "EditRecordDlgTop", 30);
  profile.WriteProfileInt("", "EditRecordDlgLeft", 40);
  profile.WriteProfileInt("", "EditRecordDlgBottom", 530);  // no right edge yet
  runAndMeasure(first, templateSize);
  EXPECT_EQ(first.size(), templateSize);
  // Closing wrote all four.
  EXPECT_EQ(profile.GetProfileInt("", "EditRecordDlgRight", -1), first.left() + first.width());

  profile.WriteProfileInt("", "EditRecordDlgTop", 30);
  profile.WriteProfileInt("", "EditRecordDlgLeft", 40);
  profile.WriteProfileInt("", "EditRecordDlgBottom", 530);
  profile.WriteProfileInt("", "EditRecordDlgRight", 640);
  QRect restored;
  QSize minimum;
  runAndMeasure(restored, minimum);
  EXPECT_EQ(restored, QRect(40, 30, 600, 500));
  EXPECT_EQ(minimum, templateSize);
  EXPECT_EQ(profile.GetProfileInt("", "EditRecordDlgBottom", -1), 530);

  // Left on a screen that is no longer there: brought back onto the screen.
  profile.WriteProfileInt("", "EditRecordDlgTop", 5000);
  profile.WriteProfileInt("", "EditRecordDlgLeft", 9000);
  profile.WriteProfileInt("", "EditRecordDlgBottom", 5500);
  profile.WriteProfileInt("", "EditRecordDlgRight", 9600);
  QRect moved;
  runAndMeasure(moved, minimum);
  EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(moved)) << moved.x();
  EXPECT_EQ(moved.size(), QSize(600, 500));
}

TEST_F(EditRecordDlgTest, DeletingTheProposedCategoryInTheCategoryEditorFallsBackToUnfiled) {
  // Each step waits for its kind of dialog on top, is taken off the list,
  // then acts.
  struct Step {
    std::function<bool(QWidget*)> ready;
    std::function<void(CDialogWindow*)> act;
  };
  std::deque<Step> steps = {
      {[](QWidget* w) { return qobject_cast<CEditCategoryDlg*>(w) != nullptr; },
       [](CDialogWindow* d) {
         CListBox list(d->Control(IDC_CATEGORY_LIST));
         for (int i = 0; i < list.GetCount(); ++i) {
           if (list.GetText(i) == "Business") list.SetCurSel(i);
         }
         qobject_cast<QAbstractButton*>(d->Control(IDC_CATEGORY_DELETE))->click();
       }},
      {[](QWidget* w) { return qobject_cast<CDeleteCategoryDlg*>(w) != nullptr; },
       [](CDialogWindow* d) { qobject_cast<QAbstractButton*>(d->Control(IDOK))->click(); }},
      {[](QWidget* w) { return qobject_cast<CEditCategoryDlg*>(w) != nullptr; },
       [](CDialogWindow* d) { qobject_cast<QAbstractButton*>(d->Control(IDOK))->click(); }},
  };
  QTimer timer;
  int ticks = 0;
  QObject::connect(&timer, &QTimer::timeout, [&steps, &ticks] {
    QWidget* top = QApplication::activeModalWidget();
    if (!steps.empty() && ++ticks > 400) {
      // A dialog that never came: close whatever is open so the test ends.
      if (auto* dialog = qobject_cast<CDialogWindow*>(top)) dialog->EndDialog(IDCANCEL);
      return;
    }
    if (steps.empty() || top == nullptr || !steps.front().ready(top)) return;
    const Step step = steps.front();
    steps.pop_front();
    // Acts outside the timer's own call, which does not run again until it
    // returns: the action may open a dialog of the next step.
    QTimer::singleShot(0, top, [step, top] { step.act(static_cast<CDialogWindow*>(top)); });
  });
  timer.start(5);

  CEditRecordDlg editor;
  int shownAfter = -2;
  Run(editor, 2, -1, [&](CEditRecordDlg& dialog) {
    CComboBox combo(Combo(dialog));
    const int entry = combo.FindItemData(-2);
    combo.SetCurSel(entry);
    emit Combo(dialog)->activated(entry);
    shownAfter = SelectedCategory(dialog);
    EXPECT_EQ(combo.FindItemData(1), CComboBox::CB_ERR);
    Click(dialog, IDOK);
  });
  EXPECT_TRUE(steps.empty());
  EXPECT_EQ(shownAfter, 0);
  EXPECT_EQ(database.MemoAt(2)->category, 0);
  EXPECT_EQ(editor.recordKey, 2);
}

}  // namespace
