#include "extension/QuilletExtPropPage.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QVBoxLayout>

#include "platform/com/Bstr.h"
#include "platform/ui/DialogWindow.h"
#include "platform/ui/UiText.h"
#include "resources/extension/ExtensionModule.h"

namespace {

std::string Caption() {
  const char* text = ResourceFindString(ExtensionResources(), IDS_QUILLETEXT_PPG);
  return text != nullptr ? text : "QuilletExt Property Page";
}

CDialogWindow* NewPage(QWidget* parent) {
  auto* page = new CDialogWindow(
      ResourceFindDialog(ExtensionResources(), IDD_PROPPAGE_QUILLETEXT), parent);
  page->setObjectName(QStringLiteral("QuilletExtPropPage"));
  page->Create();
  return page;
}

}  // namespace

CQuilletExtPropPage::~CQuilletExtPropPage() { delete page.data(); }

CDialogWindow* CQuilletExtPropPage::Page() const { return page.data(); }

HRESULT CQuilletExtPropPage::Activate(HWND parent, const RECT* position, BOOL) {
  if (parent == nullptr) return E_INVALIDARG;
  delete page.data();
  page = NewPage(static_cast<QWidget*>(parent));
  return Move(position);
}

HRESULT CQuilletExtPropPage::Deactivate() {
  delete page.data();
  page = nullptr;
  return S_OK;
}

HRESULT CQuilletExtPropPage::GetPageInfo(PROPPAGEINFO* info) {
  if (info == nullptr) return E_POINTER;
  const DialogTemplate* dialog = ResourceFindDialog(ExtensionResources(), IDD_PROPPAGE_QUILLETEXT);
  *info = PROPPAGEINFO{};
  info->pszTitle = CBstr::FromAnsi(Caption()).Detach();
  if (dialog != nullptr) {
    // The page's size in pixels, as a page made now would have it.
    CDialogWindow probe(dialog, nullptr);
    info->size.cx = probe.width();
    info->size.cy = probe.height();
  }
  return S_OK;
}

HRESULT CQuilletExtPropPage::Show(UINT command) {
  if (!page) return E_UNEXPECTED;
  page->setVisible(command != 0);
  return S_OK;
}

HRESULT CQuilletExtPropPage::Move(const RECT* position) {
  if (!page) return E_UNEXPECTED;
  if (position != nullptr) {
    page->move(position->left, position->top);
    page->resize(position->right - position->left, position->bottom - position->top);
  }
  return S_OK;
}

void CQuilletExtPropPage::RunPropertyFrame(QWidget* parent) {
  QDialog frame(parent);
  frame.setObjectName(QStringLiteral("QuilletExtPropertyFrame"));
  frame.setWindowTitle(AnsiToQString(Caption()));
  auto* layout = new QVBoxLayout(&frame);
  auto* page = NewPage(&frame);
  page->setMinimumSize(page->size());
  layout->addWidget(page);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &frame);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &frame, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &frame, &QDialog::reject);
  layout->addWidget(buttons);
  frame.exec();
}
