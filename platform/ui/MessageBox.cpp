// Message boxes over ANSI texts from a module's string table.

#include "platform/ui/MessageBox.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

#include "platform/text/CodePage.h"
#include "platform/ui/UiText.h"

namespace {

MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

std::string LoadAnsi(ResourceInstance instance, std::uint32_t id) {
  const char* text = ResourceFindString(instance, id);
  return text != nullptr ? text : "";
}

// The buttons speak the system's language, which the ANSI code page tells.
bool JapaneseSystem() {
  QString codePage = QString::fromStdString(AnsiCodePage()).toUpper();
  return codePage.contains(QLatin1String("932")) || codePage.contains(QLatin1String("SHIFT")) ||
         codePage.contains(QLatin1String("SJIS"));
}

constexpr const char* kCancel = "キャンセル";
constexpr const char* kYes = "はい(&Y)";
constexpr const char* kNo = "いいえ(&N)";

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) { Hook() = std::move(hook); }

std::string FormatAnsi(const std::string& format, const std::vector<std::string>& arguments) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == 's') {
        if (next < arguments.size()) out += arguments[next];
        ++next;
        ++i;
        continue;
      }
      if (format[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

int AnsiMessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                   unsigned type) {
  if (Hook()) return Hook()(text, caption, type);

  QMessageBox box(parent);
  box.setText(AnsiToQString(text));
  box.setWindowTitle(AnsiToQString(caption));
  switch (type & 0xF0) {
    case MB_ICONERROR:
      box.setIcon(QMessageBox::Critical);
      break;
    case MB_ICONQUESTION:
      box.setIcon(QMessageBox::Question);
      break;
    case MB_ICONWARNING:
      box.setIcon(QMessageBox::Warning);
      break;
    case MB_ICONINFORMATION:
      box.setIcon(QMessageBox::Information);
      break;
    default:
      break;
  }

  struct Choice {
    QMessageBox::StandardButton button;
    int result;
    const char* japanese;  // the button's text on a Japanese system
  };
  std::vector<Choice> choices;
  int escapeResult = IDOK;
  switch (type & 0x0F) {
    case MB_OKCANCEL:
      choices = {{QMessageBox::Ok, IDOK, "OK"}, {QMessageBox::Cancel, IDCANCEL, kCancel}};
      escapeResult = IDCANCEL;
      break;
    case MB_YESNOCANCEL:
      choices = {{QMessageBox::Yes, IDYES, kYes},
                 {QMessageBox::No, IDNO, kNo},
                 {QMessageBox::Cancel, IDCANCEL, kCancel}};
      escapeResult = IDCANCEL;
      break;
    case MB_YESNO:
      choices = {{QMessageBox::Yes, IDYES, kYes}, {QMessageBox::No, IDNO, kNo}};
      escapeResult = IDNO;
      break;
    default:
      choices = {{QMessageBox::Ok, IDOK, "OK"}};
      break;
  }
  const bool japanese = JapaneseSystem();
  for (const Choice& choice : choices) {
    QAbstractButton* button = box.addButton(choice.button);
    if (japanese) button->setText(QString::fromUtf8(choice.japanese));
  }
  const std::size_t defaultIndex = (type & MB_DEFBUTTON2) != 0 && choices.size() > 1 ? 1 : 0;
  box.setDefaultButton(choices[defaultIndex].button);

  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  for (const Choice& choice : choices) {
    if (clicked != nullptr && clicked == box.button(choice.button)) return choice.result;
  }
  return escapeResult;
}

int ResourceMessageBox(QWidget* parent, ResourceInstance instance, std::uint32_t textId,
                       std::uint32_t captionId, unsigned type) {
  return AnsiMessageBox(parent, LoadAnsi(instance, textId), LoadAnsi(instance, captionId), type);
}

int ResourceMessageBoxFormat(QWidget* parent, ResourceInstance instance, std::uint32_t textId,
                             const std::vector<std::string>& arguments, std::uint32_t captionId,
                             unsigned type) {
  return AnsiMessageBox(parent, FormatAnsi(LoadAnsi(instance, textId), arguments),
                        LoadAnsi(instance, captionId), type);
}
