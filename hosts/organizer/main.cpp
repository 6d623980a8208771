// quillet-organizer: the desktop organizer.  It lists the HotSync users and
// the registered extensions, opens an extension inside its window and drives
// it through its menus, status bar, Save, Find, user switching and the
// HotSync button.

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "hosts/hotsync/HotSyncSettings.h"
#include "hosts/organizer/ExtensionManager.h"
#include "hosts/organizer/FirstStart.h"
#include "hosts/organizer/OrganizerWindow.h"
#include "platform/ui/UiText.h"
#include "tools/common/ArgParser.h"
#include "tools/common/PasswordSource.h"

namespace {

// The window as it looks now, with the modal dialog it shows (a password
// prompt) painted over it where it stands.
QPixmap Screenshot(QWidget& window) {
  QPixmap shot = window.grab();
  QWidget* modal = QApplication::activeModalWidget();
  if (modal != nullptr && modal != &window) {
    QPainter painter(&shot);
    const QPoint at = window.mapFromGlobal(modal->mapToGlobal(QPoint(0, 0)));
    painter.drawPixmap(at, modal->grab());
  }
  return shot;
}

// The password field of the modal dialog now shown, if it has one.
QLineEdit* PasswordField() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr) return nullptr;
  for (QLineEdit* edit : modal->findChildren<QLineEdit*>()) {
    if (edit->echoMode() == QLineEdit::Password && edit->isEnabled()) return edit;
  }
  return nullptr;
}

// Types the password into the prompt and confirms it as a person would
// (Enter), so the prompt checks it as it checks a typed one.  The copies
// made here are wiped; the prompt wipes its own when it closes.
void AnswerPrompt(QLineEdit* field, const CSecretString& password) {
  std::string bytes(password.view());
  QString text = AnsiToQString(bytes);
  std::fill(bytes.begin(), bytes.end(), '\0');
  field->setText(text);
  text.fill(QChar(0));
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(field, &press);
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  CArgParser parser("quillet-organizer",
                    "The desktop organizer: shows the extensions registered with it (Quillet's memos) "
                    "for the HotSync users of this desktop, with Save, Find and a HotSync button.");
  parser.AddOption("user", "NAME", "the HotSync user to show first (default: the first HotSync user)");
  parser.AddOption("extension", "NAME", "the extension to open (default: the first registered one)");
  parser.AddOption("screenshot", "FILE.png",
                   "save a picture of the window once it is shown and exit (with the offscreen "
                   "platform no display is needed)");
  CPasswordSource::AddOptions(parser);
  parser.SetNotes(
      "Extensions are registered with quillet-regsvr LIBRARY (and taken out with -u); the\n"
      "organizer reads its list of extensions from the registry file\n"
      "($QUILLET_CONFIG_HOME/registry.ini) and the HotSync users and their data under\n"
      "$QUILLET_HOME.  With --screenshot, --password-file or --password-stdin answers the\n"
      "extension's password prompt (once) before the picture is taken.  Exit status 0 when\n"
      "the window was shown, 1 when the screenshot failed, 2 for a usage error.");
  std::vector<std::string> args(argv + 1, argv + argc);
  const int status = parser.Run(args, std::cout, std::cerr);
  if (status != CArgParser::CONTINUE) return status;

  QApplication application(argc, argv);
  // The extension manager serves the extensions' registration, also while
  // the organizer is not running: its library sits beside the program in a
  // build, in the library folder once installed.
  const CFirstStart::Folders installed = CFirstStart::Installed();
  QString manager = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libQuilletHostManager.so"));
  if (!QFileInfo::exists(manager) && !installed.libraries.empty()) {
    manager = QString::fromStdString((installed.libraries / "libQuilletHostManager.so").string());
  }
  if (QFileInfo::exists(manager)) EnsureHostManagerRegistered(manager.toStdString());
  // An installed organizer started for the first time registers the
  // installed extension, so that it is listed at once.
  CFirstStart firstStart(installed);
  if (firstStart.Run(true) == CFirstStart::SETUP_FAILED) {
    std::cerr << "quillet-organizer: " << firstStart.Error() << "\n";
  }

  COrganizerWindow window;
  // A user name is matched as the HotSync keeps it (without regard to case).
  const std::string known = parser.Has("user") ? CHotSyncSettings().KnownUser(parser.Value("user")) : "";
  if (parser.Has("user") && (known.empty() || !window.SelectUser(known))) {
    return parser.UsageError(std::cerr, "there is no HotSync user named " + parser.Value("user"));
  }
  std::string extension;
  const std::vector<std::string> names = window.ExtensionNames();
  if (parser.Has("extension")) {
    for (const std::string& name : names) {
      if (Lower(name) == Lower(parser.Value("extension"))) extension = name;
    }
    if (extension.empty()) {
      return parser.UsageError(std::cerr, "no extension named " + parser.Value("extension") +
                                              " is registered (register it with quillet-regsvr)");
    }
  } else if (!names.empty()) {
    extension = names.front();
  }
  window.show();

  const std::string screenshot = parser.Value("screenshot");
  CSecretString password;
  const bool answer = !screenshot.empty() && (parser.Has("password-file") || parser.Has("password-stdin"));
  if (answer) {
    CPasswordSource source;
    std::string error;
    if (!source.Configure(parser, error) ||
        source.Get("Password: ", password, error) != CPasswordSource::PW_OK) {
      std::cerr << "quillet-organizer: " << (error.empty() ? "no password" : error) << "\n";
      return 2;
    }
  }
  // Saves the picture and ends the program; a prompt still open is
  // cancelled first.
  bool refused = false;
  auto takeShot = [&] {
    const bool saved = Screenshot(window).save(QString::fromStdString(screenshot), "PNG");
    if (!saved) std::cerr << "quillet-organizer: cannot write " << screenshot << "\n";
    else std::cout << "screenshot: " << screenshot << "\n";
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
    QCoreApplication::exit(saved && !refused ? 0 : 1);
  };
  bool answered = false;
  QTimer prompts;
  if (answer) {
    // The prompt runs its own event loop while the extension loads: this
    // timer answers it once; a prompt that comes back (the password was
    // wrong) is pictured as it stands and cancelled.
    QObject::connect(&prompts, &QTimer::timeout, &window, [&] {
      QLineEdit* field = PasswordField();
      if (field == nullptr) return;
      if (answered) {
        std::cerr << "quillet-organizer: the password was not accepted\n";
        refused = true;
        prompts.stop();
        takeShot();
        return;
      }
      answered = true;
      AnswerPrompt(field, password);
      password.Clear();
    });
    prompts.start(50);
  }
  QTimer::singleShot(0, &window, [&] {
    // Without a password the picture is taken as soon as the extension is
    // shown, or inside the password prompt it may show while it loads.
    if (!screenshot.empty() && !answer) QTimer::singleShot(0, &window, takeShot);
    if (!extension.empty()) window.OpenExtension(extension);
    if (answer) QTimer::singleShot(0, &window, [&] {
      prompts.stop();
      takeShot();
    });
  });
  return application.exec();
}
