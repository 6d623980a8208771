// The help engine: records requests and opens help files with the desktop's
// handler.

#include "platform/ui/HelpEngine.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include <deque>
#include <mutex>
#include <utility>

namespace {

constexpr std::size_t KEPT_REQUESTS = 16;

struct HelpState {
  std::mutex mutex;
  HelpViewer viewer;
  std::deque<HelpRequest> requests;
};

HelpState& State() {
  static HelpState state;
  return state;
}

bool OpenWithDesktop(QWidget* /*owner*/, const HelpRequest& request) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(request.file)));
}

}  // namespace

bool ShowHelp(QWidget* owner, const char* helpFile, std::uint32_t command, std::uintptr_t data) {
  if (helpFile == nullptr || *helpFile == '\0') return false;
  HelpRequest request{helpFile, command, data};
  HelpViewer viewer;
  {
    HelpState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.requests.push_back(request);
    while (state.requests.size() > KEPT_REQUESTS) state.requests.pop_front();
    viewer = state.viewer;
  }
  return viewer ? viewer(owner, request) : OpenWithDesktop(owner, request);
}

void SetHelpViewer(HelpViewer viewer) {
  HelpState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.viewer = std::move(viewer);
}

std::vector<HelpRequest> HelpRequests() {
  HelpState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return {state.requests.begin(), state.requests.end()};
}
