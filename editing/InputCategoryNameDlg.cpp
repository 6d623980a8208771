// The category name prompt.

#include "editing/InputCategoryNameDlg.h"

#include <QLineEdit>
#include <QValidator>

#include "platform/ui/MessageBox.h"
#include "platform/ui/UiText.h"
#include "resources/extension/ExtensionIds.h"
#include "resources/extension/ExtensionModule.h"
#include "store/Category.h"
#include "store/CategoryRules.h"

namespace {

std::size_t NameBytes(const QString& text) { return QStringToAnsi(text).size(); }

// Keeps the text within the bytes a category name has room for in the ANSI
// code page.  Of an edit that would pass them, only as many whole characters
// of the inserted text are kept as fit (typing a character that does not fit
// does nothing; a long paste is cut), so a double-byte character is never
// cut in two.  Characters without an ANSI form count as one byte here; OK
// refuses them.
class CNameBytesValidator : public QValidator {
 public:
  CNameBytesValidator(QLineEdit* edit) : QValidator(edit), m_last(edit->text()) {
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { m_last = text; });
  }

  State validate(QString& input, int& pos) const override {
    if (NameBytes(input) <= CCategoryRules::MAX_NAME_BYTES) return Acceptable;
    // The inserted part: what lies between the prefix and the suffix that
    // the new text shares with the text before the edit.
    qsizetype prefix = 0;
    while (prefix < input.size() && prefix < m_last.size() && input[prefix] == m_last[prefix]) {
      ++prefix;
    }
    if (prefix > 0 && input[prefix - 1].isHighSurrogate()) --prefix;
    qsizetype suffix = 0;
    while (suffix < input.size() - prefix && suffix < m_last.size() - prefix &&
           input[input.size() - 1 - suffix] == m_last[m_last.size() - 1 - suffix]) {
      ++suffix;
    }
    if (suffix > 0 && input[input.size() - suffix].isLowSurrogate()) --suffix;
    const QString head = input.left(prefix);
    const QString tail = input.right(suffix);
    const QString inserted = input.mid(prefix, input.size() - prefix - suffix);
    QString kept;
    for (const uint point : inserted.toUcs4()) {
      const char32_t codePoint = point;
      const QString next = kept + QString::fromUcs4(&codePoint, 1);
      if (NameBytes(head + next + tail) > CCategoryRules::MAX_NAME_BYTES) break;
      kept = next;
    }
    if (NameBytes(head + kept + tail) > CCategoryRules::MAX_NAME_BYTES) return Invalid;
    input = head + kept + tail;
    pos = static_cast<int>(head.size() + kept.size());
    return Acceptable;
  }

 private:
  QString m_last;
};

}  // namespace

CInputCategoryNameDlg::CInputCategoryNameDlg(CCategory* edited, bool isNew, QWidget* parent)
    : CDialogWindow(ResourceFindDialog(ExtensionResources(), IDD_CATEGORY_NAME), parent),
      newCategory(isNew),
      category(edited) {}

CInputCategoryNameDlg::~CInputCategoryNameDlg() = default;

QLineEdit* CInputCategoryNameDlg::NameEdit() const {
  return qobject_cast<QLineEdit*>(Control(IDC_CATEGORY_NAME));
}

void CInputCategoryNameDlg::OnInitDialog() {
  const char* title = ResourceFindString(ExtensionResources(),
                                         newCategory ? IDS_NEW_CATEGORY : IDS_RENAME_CATEGORY);
  SetCaption(title != nullptr ? title : "");
  QLineEdit* edit = NameEdit();
  if (edit == nullptr) return;
  edit->setText(category != nullptr && !newCategory ? AnsiToQString(category->name) : QString());
  edit->setValidator(new CNameBytesValidator(edit));
  edit->selectAll();
  edit->setFocus();
}

void CInputCategoryNameDlg::OnCommand(int id) {
  if (id == IDOK) {
    OnOk();
    return;
  }
  CDialogWindow::OnCommand(id);
}

void CInputCategoryNameDlg::OnOk() {
  const std::uint32_t caption = newCategory ? IDS_NEW_CATEGORY : IDS_RENAME_CATEGORY;
  QLineEdit* edit = NameEdit();
  const QString text = edit != nullptr ? edit->text() : QString();
  if (text.isEmpty()) {
    ResourceMessageBox(this, ExtensionResources(), IDS_ENTER_CATEGORY_NAME, caption,
                       MB_OK | MB_ICONEXCLAMATION);
    if (edit != nullptr) edit->setFocus();
    return;
  }
  std::string ansi;
  QString unstorable;
  if (!QStringToAnsiExact(text, ansi, unstorable)) {
    ResourceMessageBoxFormat(this, ExtensionResources(), IDS_UNSTORABLE_CHARACTERS,
                             {CharacterCodes(unstorable)}, IDS_QUILLET, MB_OK | MB_ICONEXCLAMATION);
    if (edit != nullptr) edit->setFocus();
    return;
  }
  if (category != nullptr) category->name = ansi;
  EndDialog(IDOK);
}
