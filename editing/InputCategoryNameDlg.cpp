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

// Refuses any edit that would make the text longer than a category name may
// be in the ANSI code page.  The whole edit is refused, so a double-byte
// character never gets cut in two.  Characters without an ANSI form count as
// one byte here; OK refuses them.
class CNameBytesValidator : public QValidator {
 public:
  explicit CNameBytesValidator(QObject* parent) : QValidator(parent) {}

  State validate(QString& input, int&) const override {
    return QStringToAnsi(input).size() <= CCategoryRules::MAX_NAME_BYTES ? Acceptable : Invalid;
  }
};

// Each character as "U+XXXX": characters outside the code page cannot be
// shown in a message whose text is in the code page.
std::string CodePoints(const QString& characters) {
  std::string out;
  for (const uint point : characters.toUcs4()) {
    if (!out.empty()) out += ' ';
    out += QStringLiteral("U+%1").arg(point, 4, 16, QLatin1Char('0')).toUpper().toStdString();
  }
  return out;
}

}  // namespace

CInputCategoryNameDlg::CInputCategoryNameDlg(CCategory* category, bool newCategory,
                                             QWidget* parent)
    : CDialogWindow(ResourceFindDialog(ExtensionResources(), IDD_CATEGORY_NAME), parent),
      newCategory(newCategory),
      category(category) {}

CInputCategoryNameDlg::~CInputCategoryNameDlg() = default;

QLineEdit* CInputCategoryNameDlg::NameEdit() const {
  return qobject_cast<QLineEdit*>(Control(IDC_CATEGORY_NAME));
}

void CInputCategoryNameDlg::OnInitDialog() {
  const char* title =
      ResourceFindString(ExtensionResources(), newCategory ? IDS_NEW_CATEGORY : IDS_RENAME_CATEGORY);
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
                             {CodePoints(unstorable)}, IDS_QUILLET, MB_OK | MB_ICONEXCLAMATION);
    if (edit != nullptr) edit->setFocus();
    return;
  }
  if (category != nullptr) category->name = ansi;
  EndDialog(IDOK);
}
