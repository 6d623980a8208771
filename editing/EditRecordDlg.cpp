// The memo editor: opening, the category combo box, OK and Cancel, the byte
// limit of the memo and the remembered window rectangle.

#include "editing/EditRecordDlg.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QHideEvent>
#include <QImage>
#include <QIcon>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "editing/CategoryCombo.h"
#include "editing/EditCategoryDlg.h"
#include "editing/OpenEditorCount.h"
#include "platform/text/LineEnds.h"
#include "platform/ui/Accelerators.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/MessageBox.h"
#include "platform/resources/ResourceBitmaps.h"
#include "platform/ui/UiText.h"
#include "resources/extension/ExtensionModule.h"
#include "store/MemoDatabase.h"
#include "store/RecordView.h"

namespace {

// Profile values (in the module's own key) of the window's rectangle.
constexpr const char* KEY_TOP = "EditRecordDlgTop";
constexpr const char* KEY_LEFT = "EditRecordDlgLeft";
constexpr const char* KEY_BOTTOM = "EditRecordDlgBottom";
constexpr const char* KEY_RIGHT = "EditRecordDlgRight";

// How much of a remembered window must lie on a screen for the user to reach
// it with the mouse; less than that and it is brought back onto the screen.
constexpr int MIN_VISIBLE = 32;

// Bytes of one character in the memo as the database holds it: a line end
// is "\r\n"; a character without an ANSI form counts one, as the '?' the
// display conversion gives it (OK refuses such text anyway).
int AnsiBytes(const QString& character) {
  if (character.size() == 1) {
    const char16_t unit = character.front().unicode();
    if (unit == u'\n' || unit == QChar::ParagraphSeparator || unit == QChar::LineSeparator) return 2;
    if (unit < 0x80) return 1;
  }
  return static_cast<int>(QStringToAnsi(character).size());
}

int MemoBytes(const QString& text) {
  return static_cast<int>(QStringToAnsi(text).size()) + static_cast<int>(text.count(u'\n')) +
         static_cast<int>(text.count(QChar::ParagraphSeparator));
}

// The longest start of `text` that takes at most `room` bytes, ending on a
// whole character.
QString FitText(const QString& text, int room) {
  int used = 0;
  qsizetype end = 0;
  while (end < text.size()) {
    qsizetype width = 1;
    if (end + 1 < text.size() && text[end].isHighSurrogate() && text[end + 1].isLowSurrogate()) {
      width = 2;
    }
    used += AnsiBytes(text.mid(end, width));
    if (used > room) break;
    end += width;
  }
  return text.left(end);
}

// The text as the edit shows it: every "\r\n" (and a lone "\r") becomes "\n".
QString ToEditLineEnds(const std::string& ansi) {
  return AnsiToQString(CrLfToLf(ansi)).replace(u'\r', u'\n');
}

}  // namespace

CEditRecordDlg::CEditRecordDlg(QWidget* parent)
    : CResizeDialog(ResourceFindDialog(ExtensionResources(), IDD_EDIT_MEMO), parent) {}

CEditRecordDlg::~CEditRecordDlg() = default;

QPlainTextEdit* CEditRecordDlg::MemoEdit() const {
  return qobject_cast<QPlainTextEdit*>(Control(IDC_MEMO_EDIT));
}

void CEditRecordDlg::OnInitDialog() {
  m_open = std::make_unique<COpenEditor>();
  InstallAccelerators(*this, ExtensionResources(), IDR_EDIT_ACCELERATORS);
  m_minWidth = width();
  m_minHeight = height();

  AddControl(IDC_MEMO_EDIT, RD_SIZE_X | RD_SIZE_Y);
  AddControl(IDC_MEMO_FRAME, RD_SIZE_X | RD_SIZE_Y);
  AddControl(IDOK, RD_MOVE_X);
  AddControl(IDCANCEL, RD_MOVE_X);
  AddControl(IDC_MEMO_NEW, RD_MOVE_X);
  AddControl(IDC_MEMO_CATEGORY_LABEL, RD_MOVE_X | RD_MOVE_Y);
  AddControl(IDC_MEMO_CATEGORY, RD_MOVE_X | RD_MOVE_Y);

  RestoreRect();

  if (const char* const* icon = ResourceFindBitmap(ExtensionResources(), IDI_MEMO_EDITOR)) {
    setWindowIcon(QIcon(QPixmap::fromImage(QImage(icon))));
  }

  record = nullptr;
  if (database != nullptr) {
    if (recordKey == -1) {
      auto added = std::make_unique<CMemoRecord>();
      CMemoRecord* memo = added.get();
      if (database->AddRecord(std::move(added)) == 0) record = memo;
    } else {
      CRecordView view(*database);
      view.BuildByPosition();
      CRecord* found = nullptr;
      if (view.Find(recordKey, found, true) == 0) {
        record = dynamic_cast<CMemoRecord*>(found);
        if (record != nullptr) category = record->category;
      }
    }
  }
  if (record == nullptr) {
    // Nothing to edit: no database, a position that holds no live memo, or
    // no memory for a new one.
    recordKey = -1;
    m_open.reset();
    EndDialog(IDCANCEL);
    return;
  }

  if (category == -1) category = 0;
  FillCategories();

  QPlainTextEdit* edit = MemoEdit();
  if (edit != nullptr) {
    // Tab moves on to the next control, as in the dialog's other fields.
    edit->setTabChangesFocus(true);
    // Lines wrap at the edit's width: there is nothing to scroll sideways.
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setPlainText(ToEditLineEnds(record->text));
    QTextCursor cursor = edit->textCursor();
    cursor.movePosition(QTextCursor::End);
    edit->setTextCursor(cursor);
    // The caret goes after the last character, but the text shows from its
    // first line, also once the window appears.
    edit->verticalScrollBar()->setValue(0);
    QTimer::singleShot(0, edit, [edit] { edit->verticalScrollBar()->setValue(0); });
    connect(edit->document(), &QTextDocument::contentsChange, this,
            &CEditRecordDlg::NoteInsertion);
    // Every way text comes in is held to the byte limit: typing and pasting
    // here, the context menu's paste through the same paste; text is not
    // dropped onto the memo.
    edit->installEventFilter(this);
    edit->setAcceptDrops(false);
    edit->viewport()->setAcceptDrops(false);
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(edit, &QWidget::customContextMenuRequested, this, &CEditRecordDlg::ShowContextMenu);
    edit->setFocus();
  }
  setMinimumSize(m_minWidth, m_minHeight);
  m_initialised = true;
}

void CEditRecordDlg::FillCategories() {
  CComboBox combo(Control(IDC_MEMO_CATEGORY));
  FillCategoryCombo(combo, database != nullptr ? database->GetCategories() : nullptr, category,
                    false);
}

void CEditRecordDlg::OnSelChange(int id) {
  if (id != IDC_MEMO_CATEGORY) {
    CResizeDialog::OnSelChange(id);
    return;
  }
  CComboBox combo(Control(IDC_MEMO_CATEGORY));
  const int selected = combo.GetCurSel();
  if (selected == CComboBox::CB_ERR) return;
  const auto value = static_cast<int>(combo.GetItemData(selected));
  if (value == CATEGORY_EDIT_ENTRY) {
    EditCategories();
  } else {
    category = value;
  }
}

void CEditRecordDlg::EditCategories() {
  CEditCategoryDlg dialog(this);
  dialog.selectedCategory = category;
  dialog.database = database;
  dialog.categoryTable = database->GetCategories();
  dialog.DoModal();
  // The proposed category may have been deleted meanwhile: then Unfiled.
  category = dialog.selectedCategory == -1 ? 0 : dialog.selectedCategory;
  FillCategories();
}

void CEditRecordDlg::OnCommand(int id) {
  QPlainTextEdit* edit = MemoEdit();
  switch (id) {
    case IDOK:
      OnOk();
      return;
    case IDCANCEL:
      if (recordKey == -1 && record != nullptr) record->attributes |= CRecord::ATTR_DELETED;
      EndDialog(IDCANCEL);
      return;
    case ID_EDIT_COPY:
      if (edit != nullptr) edit->copy();
      return;
    case ID_EDIT_CUT:
      if (edit != nullptr) edit->cut();
      return;
    case ID_EDIT_PASTE:
      PasteWithinLimit();
      return;
    case ID_EDIT_UNDO:
      if (edit != nullptr) edit->undo();
      return;
    case ID_EDIT_SELECT_ALL:
      if (edit != nullptr) edit->selectAll();
      return;
    default:
      CResizeDialog::OnCommand(id);
  }
}

void CEditRecordDlg::OnOk() {
  LimitInsertion();  // an insertion not yet checked against the limit
  QPlainTextEdit* edit = MemoEdit();
  const QString text = edit != nullptr ? edit->toPlainText() : QString();
  if (text.isEmpty()) {
    ResourceMessageBox(this, ExtensionResources(), IDS_ENTER_MEMO, IDS_QUILLET,
                       MB_OK | MB_ICONINFORMATION);
    return;
  }
  std::string ansi;
  QString unstorable;
  if (!QStringToAnsiExact(text, ansi, unstorable)) {
    ResourceMessageBoxFormat(this, ExtensionResources(), IDS_UNSTORABLE_CHARACTERS,
                             {CharacterCodes(unstorable)}, IDS_QUILLET, MB_OK | MB_ICONWARNING);
    return;
  }
  // The database keeps "\r\n" line ends in memory.
  record->text = LfToCrLf(ansi);
  record->category = category;
  record->attributes |= CRecord::ATTR_MODIFIED;
  recordKey = record->position;
  EndDialog(IDOK);
}

void CEditRecordDlg::hideEvent(QHideEvent* event) {
  // A minimised window hides too, but stays open.
  if (!event->spontaneous() && m_open != nullptr) {
    SaveRect();
    m_open.reset();
  }
  CResizeDialog::hideEvent(event);
}

void CEditRecordDlg::RestoreRect() {
  const CAppProfile profile = ExtensionProfile();
  const int top = profile.GetProfileInt("", KEY_TOP, -1);
  const int left = profile.GetProfileInt("", KEY_LEFT, -1);
  const int bottom = profile.GetProfileInt("", KEY_BOTTOM, -1);
  const int right = profile.GetProfileInt("", KEY_RIGHT, -1);
  if (top == -1 || left == -1 || bottom == -1 || right == -1) return;
  QRect rect(QPoint(left, top), QSize(right - left, bottom - top));
  if (rect.width() <= 0 || rect.height() <= 0) return;

  bool reachable = false;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect shared = rect.intersected(screen->availableGeometry());
    if (shared.width() >= MIN_VISIBLE && shared.height() >= MIN_VISIBLE) reachable = true;
  }
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (!reachable && primary != nullptr) {
    // Left behind on a screen that is gone (or moved off every screen): keep
    // its size as far as it fits and bring it onto the primary screen.
    const QRect area = primary->availableGeometry();
    rect.setSize(rect.size().boundedTo(area.size()));
    rect.moveLeft(std::clamp(rect.left(), area.left(), area.right() + 1 - rect.width()));
    rect.moveTop(std::clamp(rect.top(), area.top(), area.bottom() + 1 - rect.height()));
  }
  setGeometry(rect);
}

void CEditRecordDlg::SaveRect() {
  const CAppProfile profile = ExtensionProfile();
  const QRect rect = geometry();
  profile.WriteProfileInt("", KEY_TOP, rect.top());
  profile.WriteProfileInt("", KEY_LEFT, rect.left());
  profile.WriteProfileInt("", KEY_BOTTOM, rect.top() + rect.height());
  profile.WriteProfileInt("", KEY_RIGHT, rect.left() + rect.width());
}

int CEditRecordDlg::Room() const {
  QPlainTextEdit* edit = MemoEdit();
  if (edit == nullptr) return 0;
  return MAX_MEMO_BYTES - MemoBytes(edit->toPlainText()) +
         MemoBytes(edit->textCursor().selectedText());
}

void CEditRecordDlg::PasteWithinLimit() {
  QPlainTextEdit* edit = MemoEdit();
  if (edit == nullptr || edit->isReadOnly()) return;
  QString text = QGuiApplication::clipboard()->text();
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(u'\r', u'\n');
  const QString fitting = FitText(text, std::max(0, Room()));
  if (fitting.size() < text.size()) QApplication::beep();
  if (!fitting.isEmpty()) edit->insertPlainText(fitting);
}

void CEditRecordDlg::ShowContextMenu(const QPoint& position) {
  QPlainTextEdit* edit = MemoEdit();
  if (edit == nullptr) return;
  std::unique_ptr<QMenu> menu(edit->createStandardContextMenu(position));
  for (QAction* action : menu->actions()) {
    if (action->objectName() != QLatin1String("edit-paste")) continue;
    action->disconnect(SIGNAL(triggered()));
    action->disconnect(SIGNAL(triggered(bool)));
    connect(action, &QAction::triggered, this, &CEditRecordDlg::PasteWithinLimit);
  }
  menu->exec(edit->viewport()->mapToGlobal(position));
}

bool CEditRecordDlg::eventFilter(QObject* watched, QEvent* event) {
  QPlainTextEdit* edit = MemoEdit();
  if (watched == edit && edit != nullptr && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Paste)) {
      PasteWithinLimit();
      return true;
    }
    // What the edit would insert for the key: a line end for Enter, the
    // key's printable text otherwise (Ctrl combinations are commands).
    QString inserted;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      inserted = QStringLiteral("\n");
    } else if (!key->text().isEmpty() && key->text().front().isPrint() &&
               (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != Qt::ControlModifier) {
      inserted = key->text();
    }
    if (!inserted.isEmpty() && !edit->isReadOnly() && MemoBytes(inserted) > Room()) {
      QApplication::beep();
      return true;
    }
  }
  return CResizeDialog::eventFilter(watched, event);
}

void CEditRecordDlg::NoteInsertion(int position, int, int added) {
  if (m_limiting || !m_initialised || added <= 0) return;
  // Checked once the edit is done with the change: an undo goes through
  // states longer than the limit on its way back to one within it, and
  // must not be cut in between.
  m_insertPosition = position;
  m_insertLength = added;
  if (!m_limitPending) {
    m_limitPending = true;
    QTimer::singleShot(0, this, &CEditRecordDlg::LimitInsertion);
  }
}

void CEditRecordDlg::LimitInsertion() {
  QPlainTextEdit* edit = MemoEdit();
  if (!m_limitPending || edit == nullptr) return;
  m_limitPending = false;
  QTextDocument* document = edit->document();
  int excess = MemoBytes(document->toPlainText()) - MAX_MEMO_BYTES;
  if (excess <= 0) return;

  // The inserted characters, dropped from the last one back until the memo
  // fits again; a character outside the basic plane goes as a whole.
  const int last = document->characterCount() - 1;
  const int position = std::clamp(m_insertPosition, 0, last);
  const int end = std::clamp(m_insertPosition + m_insertLength, position, last);
  QTextCursor cursor(document);
  cursor.setPosition(position);
  cursor.setPosition(end, QTextCursor::KeepAnchor);
  const QString inserted = cursor.selectedText();
  int keep = static_cast<int>(inserted.size());
  while (keep > 0 && excess > 0) {
    int width = 1;
    if (keep >= 2 && inserted[keep - 1].isLowSurrogate() && inserted[keep - 2].isHighSurrogate()) {
      width = 2;
    }
    excess -= AnsiBytes(inserted.mid(keep - width, width));
    keep -= width;
  }

  m_limiting = true;
  cursor.setPosition(position + keep);
  cursor.setPosition(end, QTextCursor::KeepAnchor);
  // Part of the insertion's step for undo: undoing a paste removes what was
  // kept of it.
  cursor.joinPreviousEditBlock();
  cursor.removeSelectedText();
  cursor.endEditBlock();
  edit->setTextCursor(cursor);
  m_limiting = false;
}
