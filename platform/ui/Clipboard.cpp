// The system clipboard's plain text as ANSI bytes.

#include "platform/ui/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/text/LineEnds.h"
#include "platform/ui/UiText.h"

bool PutClipboardText(const std::string& ansi) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  // Memos end their lines with "\r\n"; other programs here expect "\n".
  clipboard->setText(AnsiToQString(CrLfToLf(ansi)));
  return true;
}

bool ClipboardHasText() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  return clipboard != nullptr && !clipboard->text().isEmpty();
}

ClipboardText GetClipboardText(std::string& ansi, QString& unstorable) {
  ansi.clear();
  unstorable.clear();
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return ClipboardText::NONE;
  const QString text = clipboard->text();
  if (text.isEmpty()) return ClipboardText::NONE;
  if (!QStringToAnsiExact(text, ansi, unstorable)) return ClipboardText::UNSTORABLE;
  // Lines end with "\r\n" in memos, whichever line ends the text came with.
  ansi = LfToCrLf(CrLfToLf(ansi));
  return ClipboardText::TEXT;
}
