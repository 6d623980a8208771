// Dialogs from templates: controls at their dialog-unit places, addressed by id.

#include "platform/ui/DialogWindow.h"

#include <algorithm>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/ui/ComboBox.h"
#include "platform/ui/ListView.h"
#include "platform/ui/UiText.h"

CDialogWindow::CDialogWindow(const DialogTemplate* dialogTemplate, QWidget* parent)
    : QDialog(parent), m_template(dialogTemplate) {
  if (IsChild()) {
    setWindowFlags(Qt::Widget);
  } else {
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  }
  if (m_template != nullptr) Build();
}

CDialogWindow::~CDialogWindow() = default;

void CDialogWindow::Build() {
  setFont(DialogFont(m_template->fontName, m_template->fontPointSize));
  m_units = BaseUnitsOf(font());
  if (m_template->caption != nullptr) SetCaption(m_template->caption);
  QSize size = MapDialogRect(m_units, 0, 0, m_template->width, m_template->height).size();
  if (IsChild() || (m_template->style & DLG_TEMPLATE_RESIZABLE) != 0) {
    resize(size);
  } else {
    setFixedSize(size);
  }

  QButtonGroup* radioGroup = nullptr;
  // A label's '&' marks the letter that takes the focus to the control after
  // it; a label with no such control shows the letter plainly.
  QLabel* labelWithoutBuddy = nullptr;
  auto settleLabel = [&labelWithoutBuddy](QWidget* next) {
    if (labelWithoutBuddy == nullptr) return;
    if (next != nullptr) {
      labelWithoutBuddy->setBuddy(next);
    } else {
      QString text = labelWithoutBuddy->text();
      text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&'));
      labelWithoutBuddy->setText(text.replace(QStringLiteral("\x01"), QStringLiteral("&")));
    }
    labelWithoutBuddy = nullptr;
  };
  for (std::size_t i = 0; i < m_template->itemCount; ++i) {
    const DialogItem& item = m_template->items[i];
    QString text = AnsiToQString(item.text != nullptr ? item.text : "");
    QWidget* widget = nullptr;
    QAbstractButton* button = nullptr;
    bool plain = false;
    switch (item.kind) {
      case DLG_ITEM_LABEL: {
        auto* label = new QLabel(text, this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        widget = label;
        break;
      }
      case DLG_ITEM_GROUPBOX:
        widget = new QGroupBox(text, this);
        break;
      case DLG_ITEM_BITMAP: {
        auto* label = new QLabel(this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
      }
      case DLG_ITEM_PUSHBUTTON:
      case DLG_ITEM_DEFPUSHBUTTON: {
        auto* push = new QPushButton(text, this);
        push->setAutoDefault(false);
        push->setDefault(item.kind == DLG_ITEM_DEFPUSHBUTTON);
        button = push;
        break;
      }
      case DLG_ITEM_RADIOBUTTON:
      case DLG_ITEM_AUTORADIOBUTTON: {
        auto* radio = new QRadioButton(text, this);
        radio->setAutoExclusive(false);
        if (item.kind == DLG_ITEM_AUTORADIOBUTTON) {
          if (radioGroup == nullptr || (item.style & DLG_STYLE_GROUP) != 0) {
            radioGroup = new QButtonGroup(this);
          }
          radioGroup->addButton(radio);
        } else {
          plain = true;
        }
        button = radio;
        break;
      }
      case DLG_ITEM_CHECKBOX:
      case DLG_ITEM_AUTOCHECKBOX:
        button = new QCheckBox(text, this);
        plain = item.kind == DLG_ITEM_CHECKBOX;
        break;
      case DLG_ITEM_EDIT:
        if ((item.style & DLG_STYLE_MULTILINE) != 0) {
          auto* edit = new QPlainTextEdit(text, this);
          edit->setReadOnly((item.style & DLG_STYLE_READONLY) != 0);
          widget = edit;
        } else {
          auto* edit = new QLineEdit(text, this);
          edit->setReadOnly((item.style & DLG_STYLE_READONLY) != 0);
          if ((item.style & DLG_STYLE_PASSWORD) != 0) edit->setEchoMode(QLineEdit::Password);
          widget = edit;
        }
        break;
      case DLG_ITEM_COMBOBOX: {
        auto* combo = new QComboBox(this);
        combo->setProperty(CComboBox::SORTED_PROPERTY, (item.style & DLG_STYLE_SORT) != 0);
        int id = item.id;
        connect(combo, &QComboBox::activated, this, [this, id] { OnSelChange(id); });
        widget = combo;
        break;
      }
      case DLG_ITEM_LISTBOX: {
        auto* list = new QListWidget(this);
        list->setProperty(CComboBox::SORTED_PROPERTY, (item.style & DLG_STYLE_SORT) != 0);
        widget = list;
        break;
      }
      case DLG_ITEM_LISTVIEW: {
        auto* list = new CListView(this, item.style);
        int id = item.id;
        list->SetNotifyHandler([this, id](const ListNotify& notify) { return OnNotify(id, notify); });
        widget = list;
        break;
      }
    }
    if (item.kind != DLG_ITEM_RADIOBUTTON && item.kind != DLG_ITEM_AUTORADIOBUTTON) {
      if ((item.style & DLG_STYLE_GROUP) != 0) radioGroup = nullptr;
    }
    if (button != nullptr) {
      widget = button;
      int id = item.id;
      connect(button, &QAbstractButton::clicked, this, [this, id, plain] { Clicked(id, plain); });
    }
    if (widget == nullptr) continue;
    if (item.kind == DLG_ITEM_LABEL || item.kind == DLG_ITEM_GROUPBOX) {
      settleLabel(nullptr);
      if (item.kind == DLG_ITEM_LABEL) labelWithoutBuddy = static_cast<QLabel*>(widget);
    } else if (item.kind != DLG_ITEM_BITMAP) {
      settleLabel(widget);
    }
    widget->setGeometry(MapDialogRect(m_units, item.x, item.y, item.width, item.height));
    if (item.kind == DLG_ITEM_COMBOBOX) {
      // A template gives a drop-down list's height with the list dropped
      // down; the box itself is one line high.
      widget->resize(widget->width(), std::min(widget->height(), widget->sizeHint().height()));
    }
    if ((item.style & DLG_STYLE_TABSTOP) == 0 && item.kind != DLG_ITEM_LABEL &&
        item.kind != DLG_ITEM_GROUPBOX && item.kind != DLG_ITEM_BITMAP) {
      widget->setFocusPolicy(Qt::ClickFocus);
    }
    if ((item.style & DLG_STYLE_DISABLED) != 0) widget->setEnabled(false);
    if ((item.style & DLG_STYLE_HIDDEN) != 0) widget->hide();
    if (item.id != DLG_ID_STATIC) {
      widget->setObjectName(QStringLiteral("item%1").arg(item.id));
      m_controls.emplace(item.id, widget);
    }
  }
  settleLabel(nullptr);
}

void CDialogWindow::Clicked(int id, bool plain) {
  if (plain) {
    // A plain button keeps its state: only the dialog's code changes it.
    if (auto* button = qobject_cast<QAbstractButton*>(Control(id))) {
      button->setChecked(!button->isChecked());
    }
  }
  OnCommand(id);
}

int CDialogWindow::DoModal() {
  if (m_template == nullptr) return -1;
  m_ending = false;
  m_result = -1;
  OnInitDialog();
  if (!m_ending) exec();
  return m_result;
}

bool CDialogWindow::Create() {
  if (m_template == nullptr || !IsChild()) return false;
  OnInitDialog();
  show();
  return true;
}

bool CDialogWindow::IsChild() const {
  return m_template != nullptr && (m_template->style & DLG_TEMPLATE_CHILD) != 0;
}

void CDialogWindow::EndDialog(int result) {
  m_result = result;
  m_ending = true;
  QDialog::done(result);
}

QWidget* CDialogWindow::Control(int id) const {
  auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second;
}

bool CDialogWindow::SetItemText(int id, const std::string& ansi) {
  QWidget* widget = Control(id);
  if (widget == nullptr) return false;
  QString text = AnsiToQString(ansi);
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    group->setTitle(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(text);
  } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    line->setText(text);
  } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
    edit->setPlainText(text);
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    combo->setEditText(text);
  } else {
    return false;
  }
  return true;
}

std::string CDialogWindow::ItemText(int id) const {
  QWidget* widget = Control(id);
  QString text;
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    text = label->text();
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    text = group->title();
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    text = button->text();
  } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    text = line->text();
  } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
    text = edit->toPlainText();
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    text = combo->currentText();
  }
  return QStringToAnsi(text);
}

void CDialogWindow::CheckRadioButton(int first, int last, int id) {
  for (int i = first; i <= last; ++i) {
    if (auto* button = qobject_cast<QAbstractButton*>(Control(i))) {
      button->setCheckable(true);
      button->setChecked(i == id);
    }
  }
}

void CDialogWindow::CheckButton(int id, bool checked) {
  if (auto* button = qobject_cast<QAbstractButton*>(Control(id))) {
    button->setCheckable(true);
    button->setChecked(checked);
  }
}

bool CDialogWindow::IsButtonChecked(int id) const {
  auto* button = qobject_cast<QAbstractButton*>(Control(id));
  return button != nullptr && button->isChecked();
}

bool CDialogWindow::SetItemBitmap(int id, const QPixmap& bitmap) {
  auto* label = qobject_cast<QLabel*>(Control(id));
  if (label == nullptr) return false;
  label->setPixmap(bitmap);
  if (!bitmap.isNull()) label->resize(bitmap.deviceIndependentSize().toSize());
  return true;
}

void CDialogWindow::SetCaption(const std::string& ansi) { setWindowTitle(AnsiToQString(ansi)); }

void CDialogWindow::OnCommand(int id) {
  if (id == IDOK || id == IDCANCEL) EndDialog(id);
}

void CDialogWindow::OnSelChange(int) {}

void CDialogWindow::OnWindowMessage(unsigned, WPARAM, LPARAM) {}

bool CDialogWindow::OnNotify(int, const ListNotify&) { return false; }

void CDialogWindow::customEvent(QEvent* event) {
  if (const CWindowMessageEvent* message = AsWindowMessage(event)) {
    OnWindowMessage(message->Message(), message->WParam(), message->LParam());
    return;
  }
  QDialog::customEvent(event);
}

void CDialogWindow::reject() {
  // Escape and the close button: the Cancel command, which the dialog's code
  // may handle; the window stays open unless it ends the dialog.
  if (!m_ending) OnCommand(IDCANCEL);
}

void CDialogWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    OnHelp();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CDialogWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) {
    OnSysColorChange();
  }
  QDialog::changeEvent(event);
}
