// The category dialogs driven as a user would: buttons pressed on the open
// dialog, names typed into the prompt, message boxes answered through the
// hook.  What the rules do to the table and records is tested with the rules;
// here the dialogs must ask the right questions, show the right messages and
// hand the right selection and changed flag back.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editing/DeleteCategoryDlg.h"
#include "editing/EditCategoryDlg.h"
#include "editing/InputCategoryNameDlg.h"
#include "editing/OpenEditorCount.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/MessageBox.h"
#include "resources/extension/ExtensionModule.h"
#include "store/Category.h"
#include "store/CategoryTable.h"
#include "store/MemoDatabase.h"
#include "store/MemoRecord.h"

namespace {

std::string Str(std::uint32_t id) { return ResourceFindString(ExtensionResources(), id); }

// Acts on the modal dialogs as they come up: each step waits until the top
// modal widget is of its kind, then acts on it from a posted call (a timer
// does not fire while its own handler runs, and the action may open the
// dialog the next step acts on).  A dialog no step expects is cancelled and
// the script counts as failed.
class Script {
 public:
  using Action = std::function<void(CDialogWindow*)>;

  template <typename Dialog>
  Script& On(Action action) {
    steps.push_back({[](QWidget* w) { return qobject_cast<Dialog*>(w) != nullptr; }, action});
    return *this;
  }
  void Start() {
    QObject::connect(&timer, &QTimer::timeout, [this] { Tick(); });
    timer.start(5);
  }
  bool Finished() const { return steps.empty() && !stuck; }

 private:
  void Tick() {
    QWidget* top = QApplication::activeModalWidget();
    if (top == nullptr || pending) return;
    if (steps.empty() || ++waited > 400) {
      stuck = true;
      if (auto* dialog = qobject_cast<CDialogWindow*>(top)) dialog->EndDialog(IDCANCEL);
      return;
    }
    if (!steps.front().ready(top)) return;
    Action action = steps.front().action;
    steps.pop_front();
    waited = 0;
    pending = true;
    QPointer<CDialogWindow> dialog = static_cast<CDialogWindow*>(top);
    QTimer::singleShot(0, [this, action, dialog] {
      pending = false;
      if (dialog != nullptr) action(dialog);
    });
  }

  struct Step {
    std::function<bool(QWidget*)> ready;
    Action action;
  };
  std::deque<Step> steps;
  QTimer timer;
  int waited = 0;
  bool stuck = false;
  bool pending = false;
};

void Click(CDialogWindow* dialog, int id) {
  auto* button = qobject_cast<QAbstractButton*>(dialog->Control(id));
  ASSERT_NE(button, nullptr) << id;
  button->click();
}

Script::Action Press(int id) {
  return [id](CDialogWindow* d) { Click(d, id); };
}

// Highlights the entry of that name, then presses the button.
Script::Action PressOn(const std::string& utf8, int id) {
  return [utf8, id](CDialogWindow* d) {
    CListBox list(d->Control(IDC_CATEGORY_LIST));
    for (int i = 0; i < list.GetCount(); ++i) {
      if (list.GetText(i) == AnsiText(utf8)) list.SetCurSel(i);
    }
    Click(d, id);
  };
}

Script::Action TypeName(const std::string& utf8, int button = IDOK) {
  return [utf8, button](CDialogWindow* d) {
    static_cast<CInputCategoryNameDlg*>(d)->NameEdit()->setText(QString::fromStdString(utf8));
    Click(d, button);
  };
}

class EditCategoryDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageBoxHook([this](const std::string& text, const std::string& caption, unsigned type) {
      shown.push_back({text, caption, std::to_string(type)});
      const int answer = answers.empty() ? IDOK : answers.front();
      if (!answers.empty()) answers.pop_front();
      return answer;
    });
    Reset();
  }
  void TearDown() override { SetMessageBoxHook({}); }

  // Unfiled, 仕事 (1) and Home (2); memos in 仕事, Home and 仕事.
  void Reset() {
    shown.clear();
    table = CCategoryTable();
    database = std::make_unique<CMemoDatabase>();
    dialog = std::make_unique<CEditCategoryDlg>();
    for (const char* name : {"Unfiled", "仕事", "Home"}) AddCategory(name);
    for (const int category : {1, 2, 1}) {
      auto memo = std::make_unique<CMemoRecord>();
      memo->category = category;
      database->AddRecord(std::move(memo));
    }
  }
  void AddCategory(const std::string& utf8) {
    CCategory category(0, 0, AnsiText(utf8), 0);
    ASSERT_EQ(table.Add(category), CCategoryTable::CAT_OK);
  }

  int Run(Script& script, int selected) {
    dialog->selectedCategory = selected;
    dialog->database = database.get();
    dialog->categoryTable = &table;
    script.Start();
    const int result = dialog->DoModal();
    EXPECT_TRUE(script.Finished());
    return result;
  }

  std::vector<std::string> Names() {
    std::vector<std::string> names;
    CCategory category;
    for (int rc = table.First(category); rc == CCategoryTable::CAT_OK; rc = table.Next(category)) {
      names.push_back(category.name);
    }
    return names;
  }

  std::unique_ptr<CMemoDatabase> database;
  CCategoryTable table;
  std::unique_ptr<CEditCategoryDlg> dialog;
  std::vector<std::vector<std::string>> shown;  // text, caption, type
  std::deque<int> answers;
};

// New on a full table, Delete and Rename without a highlighted entry: a
// message each and no other dialog.  OK with nothing highlighted keeps the
// caller's category (Unfiled, never listed).  The editor counts as an open
// editing dialog meanwhile.
TEST_F(EditCategoryDlgTest, RefusalsOpenNoOtherDialog) {
  for (int i = 3; i <= 15; ++i) AddCategory("c" + std::to_string(i));
  const int before = COpenEditorCount::Value();
  int whileOpen = -1;
  Script script;
  script.On<CEditCategoryDlg>([&whileOpen](CDialogWindow* d) {
    whileOpen = COpenEditorCount::Value();
    for (const int id : {IDC_CATEGORY_NEW, IDC_CATEGORY_DELETE, IDC_CATEGORY_RENAME, IDOK}) {
      Click(d, id);
    }
  });
  EXPECT_EQ(Run(script, 0), IDCANCEL);
  EXPECT_EQ(whileOpen, before + 1);
  EXPECT_EQ(COpenEditorCount::Value(), before);
  const std::string exclamation = std::to_string(MB_OK | MB_ICONEXCLAMATION);
  EXPECT_EQ(shown, (std::vector<std::vector<std::string>>{
                       {Str(IDS_TOO_MANY_CATEGORIES), Str(IDS_NEW_CATEGORY), exclamation},
                       {Str(IDS_SELECT_TO_DELETE), Str(IDS_QUILLET), exclamation},
                       {Str(IDS_SELECT_TO_RENAME), Str(IDS_QUILLET), exclamation}}));
  EXPECT_EQ(table.Count(), 16);
  EXPECT_EQ(dialog->selectedCategory, 0);
  EXPECT_EQ(dialog->changed, 0);
}

TEST_F(EditCategoryDlgTest, NewCategoryRefusesTakenNameThenSelectsTheAddedOne) {
  Script script;
  script.On<CEditCategoryDlg>(Press(IDC_CATEGORY_NEW))
      .On<CInputCategoryNameDlg>(TypeName("仕事"))
      .On<CEditCategoryDlg>(Press(IDC_CATEGORY_NEW))
      .On<CInputCategoryNameDlg>(TypeName("旅行", IDCANCEL))
      .On<CEditCategoryDlg>(Press(IDC_CATEGORY_NEW))
      .On<CInputCategoryNameDlg>(TypeName("旅行"))
      .On<CEditCategoryDlg>([](CDialogWindow* d) {
        // Listed in name order and highlighted.
        CListBox list(d->Control(IDC_CATEGORY_LIST));
        EXPECT_EQ(list.GetText(0), "Home");
        EXPECT_EQ(list.GetItemData(list.GetCurSel()), 3);
        Click(d, IDOK);
      });
  EXPECT_EQ(Run(script, 2), IDOK);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0][0], AnsiText("カテゴリ「仕事」は既に存在します。"));
  EXPECT_EQ(shown[0][1], Str(IDS_DUPLICATE_CATEGORY));
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"Unfiled", AnsiText("仕事"), "Home", AnsiText("旅行")}));
  EXPECT_EQ(dialog->selectedCategory, 3);
  EXPECT_EQ(dialog->changed, 1);
}

TEST_F(EditCategoryDlgTest, RenameOntoAnotherAsksBeforeMerging) {
  answers = {IDCANCEL, IDOK};
  Script script;
  script.On<CEditCategoryDlg>(PressOn("仕事", IDC_CATEGORY_RENAME))
      .On<CInputCategoryNameDlg>([](CDialogWindow* d) {
        // The prompt starts from the current name, all of it selected.
        QLineEdit* edit = static_cast<CInputCategoryNameDlg*>(d)->NameEdit();
        EXPECT_EQ(edit->selectedText(), QStringLiteral("仕事"));
        TypeName("Home")(d);
      })
      .On<CEditCategoryDlg>(PressOn("仕事", IDC_CATEGORY_RENAME))
      .On<CInputCategoryNameDlg>(TypeName("Home"))
      .On<CEditCategoryDlg>([](CDialogWindow* d) { d->close(); });
  EXPECT_EQ(Run(script, 1), IDCANCEL);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0][0], AnsiText("カテゴリ「Home」が既に存在するため、「仕事」の全てのレコードが"
                                  "「Home」に追加されます。よろしいですか？"));
  EXPECT_EQ(shown[0][2], std::to_string(MB_OKCANCEL | MB_ICONEXCLAMATION));
  // Declined, then merged: Home is selected although Escape closed the editor.
  EXPECT_EQ(Names(), (std::vector<std::string>{"Unfiled", "Home"}));
  EXPECT_EQ(database->MemoAt(0)->category, 2);
  EXPECT_EQ(dialog->selectedCategory, 2);
  EXPECT_EQ(dialog->changed, 1);
}

TEST_F(EditCategoryDlgTest, DeleteMovesOrDeletesTheMemosAsChosen) {
  for (const int choice : {CDeleteCategoryDlg::MOVE_TO_UNFILED, CDeleteCategoryDlg::DELETE_MEMOS}) {
    SCOPED_TRACE(choice);
    Reset();
    Script script;
    script.On<CEditCategoryDlg>(PressOn("仕事", IDC_CATEGORY_DELETE))
        .On<CDeleteCategoryDlg>([choice](CDialogWindow* d) {
          EXPECT_TRUE(d->IsButtonChecked(IDC_MOVE_TO_UNFILED));
          if (choice == CDeleteCategoryDlg::DELETE_MEMOS) Click(d, IDC_DELETE_MEMOS);
          Click(d, IDOK);
        })
        .On<CEditCategoryDlg>(Press(IDOK));  // nothing highlighted any more
    EXPECT_EQ(Run(script, 1), IDCANCEL);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Unfiled", "Home"}));
    const CMemoRecord* memo = database->MemoAt(2);
    EXPECT_EQ(memo->IsDeleted(), choice == CDeleteCategoryDlg::DELETE_MEMOS);
    EXPECT_EQ(memo->category, choice == CDeleteCategoryDlg::DELETE_MEMOS ? 1 : 0);
    EXPECT_EQ(dialog->selectedCategory, -1);
    EXPECT_EQ(dialog->changed, 1);
  }
}

// The name edit holds at most 15 bytes of the code page and never cuts a
// character; OK refuses an empty name and characters the code page cannot
// store, keeping the prompt open.
TEST_F(EditCategoryDlgTest, NamePromptLimitsBytesAndRefusesUnstorableText) {
  CCategory category(1, 1, AnsiText("仕事"), 0);
  CInputCategoryNameDlg prompt(&category, false, nullptr);
  Script script;
  script.On<CInputCategoryNameDlg>([](CDialogWindow* d) {
    EXPECT_EQ(d->windowTitle(), QStringLiteral("カテゴリー名の変更"));
    QLineEdit* edit = static_cast<CInputCategoryNameDlg*>(d)->NameEdit();
    edit->clear();
    Click(d, IDOK);  // empty
    QTest::keyClicks(edit, QStringLiteral("abcdefghijklmn"));
    QKeyEvent wide(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("あ"));
    QApplication::sendEvent(edit, &wide);  // would be bytes 15 and 16
    EXPECT_EQ(edit->text(), QStringLiteral("abcdefghijklmn"));
    QTest::keyClicks(edit, QStringLiteral("xy"));
    EXPECT_EQ(edit->text(), QStringLiteral("abcdefghijklmnx"));
    // A paste keeps the whole characters that fit (14 bytes here, not 15).
    edit->setText(QStringLiteral("ab"));
    edit->setCursorPosition(1);
    edit->insert(QStringLiteral("漢字かなカナ一二三"));
    EXPECT_EQ(edit->text(), QStringLiteral("a漢字かなカナb"));
    edit->setText(QStringLiteral("旅\U0001F600"));
    Click(d, IDOK);  // unstorable
    EXPECT_TRUE(d->isVisible());
    edit->setText(QStringLiteral("旅行 "));
    Click(d, IDOK);
  });
  script.Start();
  EXPECT_EQ(prompt.DoModal(), IDOK);
  EXPECT_TRUE(script.Finished());
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0][0], Str(IDS_ENTER_CATEGORY_NAME));
  EXPECT_EQ(shown[0][1], Str(IDS_RENAME_CATEGORY));
  EXPECT_NE(shown[1][0].find("U+1F600"), std::string::npos);
  EXPECT_EQ(shown[1][0].find("U+65C5"), std::string::npos);
  EXPECT_EQ(category.name, AnsiText("旅行 "));
}

}  // namespace
