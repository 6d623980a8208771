// The password prompt over the extension's dialog template 210.

#include "viewer/PasswdDlg.h"

#include <QLineEdit>

#include <limits>

#include "platform/crypto/SecureWipe.h"
#include "platform/resources/ResourceDialogs.h"
#include "platform/text/LineEnds.h"
#include "platform/ui/UiText.h"
#include "resources/extension/ExtensionModule.h"

namespace {

void Wipe(std::string& text) {
  if (!text.empty()) SecureWipe(text.data(), text.size());
  text.clear();
}

}  // namespace

CPasswdDlg::CPasswdDlg(QWidget* parent)
    : CDialogWindow(ResourceFindDialog(ExtensionResources(), IDD_PASSWORD), parent) {}

CPasswdDlg::~CPasswdDlg() {
  ClearPasswordField();
  Wipe(password);
}

void CPasswdDlg::OnInitDialog() {
  SetItemText(IDC_PASSWORD_USER, userName);
  // The hint is kept with "\r\n" line ends; the field shows plain line breaks.
  SetItemText(IDC_PASSWORD_HINT, CrLfToLf(hint));
  if (auto* edit = qobject_cast<QLineEdit*>(Control(IDC_PASSWORD_EDIT))) {
    // The field takes a password of any length.
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setText(AnsiToQString(password));
    // The password tried before is selected, so typing replaces it.
    edit->selectAll();
    edit->setFocus();
  }
}

void CPasswdDlg::OnCommand(int id) {
  if (id == IDOK) {
    std::string entered = ItemText(IDC_PASSWORD_EDIT);
    Wipe(password);
    password = entered;
    Wipe(entered);
  }
  if (id == IDOK || id == IDCANCEL) ClearPasswordField();
  CDialogWindow::OnCommand(id);
}

void CPasswdDlg::ClearPasswordField() {
  // Setting the text also drops the field's undo history, which holds what
  // was typed.
  if (auto* edit = qobject_cast<QLineEdit*>(Control(IDC_PASSWORD_EDIT))) edit->setText(QString());
}
