#include "extension/QuilletExtCtrl.h"

#include <QPainter>
#include <QPaintEvent>
#include <QRegion>
#include <QResizeEvent>
#include <QWidget>

#include <cstdio>

#include "extension/ExtensionGuids.h"
#include "extension/QuilletExtPropPage.h"
#include "platform/com/Bstr.h"
#include "platform/com/IServiceProvider.h"
#include "platform/ui/WindowMessage.h"
#include "resources/extension/ExtensionModule.h"
#include "viewer/MainDlg.h"

// The control's window: the view's parent.  It keeps the view its own size,
// hands the focus to it, draws a white face with an ellipse where the view
// does not cover it, and takes the selection messages the view posts.
class CQuilletExtCtrl::Frame final : public QWidget {
 public:
  Frame(QWidget* parent, CQuilletExtCtrl* control) : QWidget(parent), m_control(control) {
    setObjectName(QStringLiteral("QuilletExtCtrl"));
  }
  void Detach() { m_control = nullptr; }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    if (m_control != nullptr && m_control->view) {
      m_control->view->setGeometry(0, 0, width(), height());
      m_control->view->update();
    }
  }
  void focusInEvent(QFocusEvent* event) override {
    QWidget::focusInEvent(event);
    if (m_control != nullptr && m_control->view) m_control->view->setFocus();
  }
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    // The view draws its own face; the frame's shows only around it.
    if (m_control != nullptr && m_control->view && m_control->view->isVisible()) {
      painter.setClipRegion(QRegion(rect()) - m_control->view->geometry());
    }
    const QRect bounds = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawEllipse(bounds);
  }
  void customEvent(QEvent* event) override {
    if (const CWindowMessageEvent* message = AsWindowMessage(event)) {
      if (message->Message() == WM_VIEW_SELECTION && m_control != nullptr) {
        m_control->ShowSelection(static_cast<long>(message->WParam()),
                                 static_cast<long>(message->LParam()));
      }
      return;
    }
    QWidget::customEvent(event);
  }

 private:
  CQuilletExtCtrl* m_control;
};

CQuilletExtCtrl::CQuilletExtCtrl() = default;

QWidget* CQuilletExtCtrl::Window() const { return window.data(); }
CMainDlg* CQuilletExtCtrl::View() const { return view.data(); }

CQuilletExtCtrl::~CQuilletExtCtrl() {
  DestroyControlWindow();
  ReleaseLink();
}

void CQuilletExtCtrl::ReleaseLink() {
  if (link) {
    link->SetView(nullptr);
    link->Disconnect();
    link.Reset();
  }
}

HRESULT CQuilletExtCtrl::SetClientSite(IOleClientSite* newSite) {
  clientSite = CComPtr<IOleClientSite>(newSite);
  // A new site (or none) ends the link to the old one; the control keeps no
  // reference into an organizer that took it out.
  ReleaseLink();
  site.Reset();
  if (newSite == nullptr) return S_OK;

  CComPtr<IServiceProvider> services;
  HRESULT hr = clientSite.As(services);
  if (FAILED(hr)) return hr;
  hr = services->QueryService(kSiteService, IHostSite::Iid, site.OutVoid());
  if (FAILED(hr)) {
    site.Reset();
    return hr;
  }
  if (!site) return E_NOINTERFACE;
  link = CComPtr<CSinkObject>::Attach(new CSinkObject);
  // A link whose application or main window is missing still passes the
  // site's events; the control works with what the organizer gives.
  link->Initialize(site.Get());
  // A window made before the site was set gets its view connected now.
  if (view) {
    link->SetView(view.data());
    link->Connect();
  }
  return S_OK;
}

HRESULT CQuilletExtCtrl::GetClientSite(IOleClientSite** out) {
  if (out == nullptr) return E_POINTER;
  *out = clientSite.Get();
  if (*out != nullptr) (*out)->AddRef();
  return S_OK;
}

HRESULT CQuilletExtCtrl::Close(DWORD) {
  DestroyControlWindow();
  return S_OK;
}

HRESULT CQuilletExtCtrl::GetMoniker(DWORD, DWORD, IUnknown** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT CQuilletExtCtrl::GetClipboardData(DWORD, IUnknown** data) {
  if (data != nullptr) *data = nullptr;
  return E_NOTIMPL;
}

HRESULT CQuilletExtCtrl::EnumVerbs(IUnknown** verbs) {
  if (verbs != nullptr) *verbs = nullptr;
  return E_NOTIMPL;
}

HRESULT CQuilletExtCtrl::EnumAdvise(IUnknown** advises) {
  if (advises != nullptr) *advises = nullptr;
  return E_NOTIMPL;
}

HRESULT CQuilletExtCtrl::DoVerb(LONG verb, void*, IOleClientSite*, LONG, HWND parent,
                                const RECT* position) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
    case OLEIVERB_INPLACEACTIVATE:
      if (!window) return CreateControlWindow(static_cast<QWidget*>(parent), position);
      if (position != nullptr) SetObjectRects(position, position);
      window->show();
      return S_OK;
    case OLEIVERB_HIDE:
      if (window) window->hide();
      return S_OK;
    case OLEIVERB_PROPERTIES:
      ShowPropertyPage();
      return S_OK;
    default:
      return E_NOTIMPL;
  }
}

HRESULT CQuilletExtCtrl::CreateControlWindow(QWidget* parent, const RECT* position) {
  if (parent == nullptr) return E_INVALIDARG;
  auto* frame = new Frame(parent, this);
  window = frame;
  if (position != nullptr) {
    frame->setGeometry(position->left, position->top, position->right - position->left,
                       position->bottom - position->top);
  }
  auto* newView = new CMainDlg(frame);
  view = newView;
  if (!newView->Create()) {
    DestroyControlWindow();
    return E_FAIL;
  }
  newView->setGeometry(0, 0, frame->width(), frame->height());
  frame->show();
  newView->setFocus();
  if (link) {
    link->SetView(newView);
    link->Connect();
    std::string userName;
    std::string dataPath;
    link->GetUserData(userName, dataPath);
    if (!userName.empty() && view) view->LoadUserData(userName, dataPath);
    if (link && link->IsActiveView() != 0) {
      link->MergeMenus(1);
      if (view) view->SetActive(1);
    }
    if (link) link->SetReady(1);
  }
  return S_OK;
}

void CQuilletExtCtrl::DestroyControlWindow() {
  if (link) link->SetView(nullptr);
  // The view goes first, while its parent still stands: it stores its
  // layout and settings as it is destroyed.
  delete view.data();
  view = nullptr;
  if (window) {
    static_cast<Frame*>(window.data())->Detach();
    delete window.data();
  }
  window = nullptr;
}

HRESULT CQuilletExtCtrl::GetUserClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_QuilletExtCtrl;
  return S_OK;
}

HRESULT CQuilletExtCtrl::GetUserType(DWORD, LPOLESTR* name) {
  if (name == nullptr) return E_POINTER;
  const char* text = ResourceFindString(ExtensionResources(), IDS_QUILLETEXT);
  *name = CBstr::FromAnsi(text != nullptr ? text : QUILLETEXT_CTRL_TYPE_NAME).Detach();
  return *name != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CQuilletExtCtrl::GetMiscStatus(DWORD, DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = QUILLETEXT_CTRL_MISC_STATUS;
  return S_OK;
}

HRESULT CQuilletExtCtrl::GetWindow(HWND* out) {
  if (out == nullptr) return E_POINTER;
  *out = window.data();
  return window ? S_OK : E_FAIL;
}

HRESULT CQuilletExtCtrl::InPlaceDeactivate() {
  DestroyControlWindow();
  return S_OK;
}

HRESULT CQuilletExtCtrl::SetObjectRects(const RECT* position, const RECT*) {
  if (position == nullptr) return E_POINTER;
  if (!window) return E_UNEXPECTED;
  window->setGeometry(position->left, position->top, position->right - position->left,
                      position->bottom - position->top);
  // The frame's resize event does the same once it is shown; a hidden frame
  // gets it only later.
  if (view) view->setGeometry(0, 0, window->width(), window->height());
  return S_OK;
}

std::string CQuilletExtCtrl::SelectionText(long row, long count) {
  if (row == -1 || count == 0) return {};
  char text[48];
  std::snprintf(text, sizeof text, "%ld / %ld", row + 1, count);
  return text;
}

void CQuilletExtCtrl::ShowSelection(long row, long count) {
  if (!site) return;
  // The status bar is reached from the site: application, main window,
  // status bar; any refusal leaves the status bar as it is.
  CComPtr<IDispatch> object;
  CComPtr<IHostApplication> application;
  CComPtr<IHostMainWindow> mainWindow;
  CComPtr<IHostStatusBar> statusBar;
  if (FAILED(site->GetApplication(object.Out())) || !object || FAILED(object.As(application))) {
    return;
  }
  if (FAILED(application->GetMainWindow(object.Out())) || !object ||
      FAILED(object.As(mainWindow))) {
    return;
  }
  if (FAILED(mainWindow->GetStatusBar(object.Out())) || !object || FAILED(object.As(statusBar))) {
    return;
  }
  const CBstr text = CBstr::FromAnsi(SelectionText(row, count));
  statusBar->SetPaneText(1, text.Get());
}

void CQuilletExtCtrl::ShowPropertyPage() {
  CQuilletExtPropPage::RunPropertyFrame(window ? window.data() : nullptr);
}
