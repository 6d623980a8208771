// Opening a link target with the desktop's URL opener.

#include "platform/ui/ShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>

#include <utility>

#include "platform/ui/UiText.h"

namespace {

ShellOpenHandler& Handler() {
  static ShellOpenHandler handler;
  return handler;
}

}  // namespace

QUrl ShellTargetUrl(const std::string& target) {
  if (target.empty()) return QUrl();
  QString text = AnsiToQString(target);
  QUrl url(text, QUrl::TolerantMode);
  // A one-letter scheme is a drive letter ("C:\..."), not a scheme.
  if (url.isValid() && url.scheme().size() > 1) return url;
  return QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
}

bool ShellOpen(const std::string& target) {
  QUrl url = ShellTargetUrl(target);
  if (url.isEmpty()) return false;
  if (Handler()) return Handler()(url);
  return QDesktopServices::openUrl(url);
}

ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler) {
  return std::exchange(Handler(), std::move(handler));
}
