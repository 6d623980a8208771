// Choosing the user and memo file of the viewer.

#include "hosts/viewer/ViewerTarget.h"

#include <vector>

#include "hosts/hotsync/HotSyncPaths.h"
#include "hosts/hotsync/HotSyncSettings.h"
#include "platform/text/UserName.h"

bool ChooseViewerTarget(CHotSyncSettings& settings, const std::filesystem::path& home,
                        const std::string& userOption, bool userGiven,
                        const std::string& fileArgument, ViewerTarget& out, std::string& error) {
  out = ViewerTarget{};
  if (userGiven) {
    if (const std::string problem = UserName::Problem(userOption); !problem.empty()) {
      error = "the user name " + problem;
      return false;
    }
    std::string known = settings.KnownUser(userOption);
    out.user = known.empty() ? userOption : known;
  }
  if (!fileArgument.empty()) {
    out.file = fileArgument;
    if (!userGiven) {
      // The file names no user; the only HotSync user, if there is one, is
      // the likely owner, else the login name stands in.
      std::vector<std::string> users = settings.Users();
      const char* login = std::getenv("USER");
      out.user = users.size() == 1 ? users[0] : (login != nullptr ? login : "");
    }
    return true;
  }
  if (!userGiven) {
    std::vector<std::string> users = settings.Users();
    if (users.empty()) {
      error = "no HotSync user on this desktop yet: HotSync a handheld first, or give FILE";
      return false;
    }
    if (users.size() > 1) {
      std::string names;
      for (const std::string& name : users) names += (names.empty() ? "" : ", ") + name;
      error = "there are several HotSync users (" + names + "): give --user NAME";
      return false;
    }
    out.user = users[0];
  }
  if (home.empty()) {
    error = "no quillet home folder: set QUILLET_HOME or HOME, or give FILE";
    return false;
  }
  out.file = HotSyncFolder(home, out.user) / CONDUIT_FOLDER / LOCAL_FILE_NAME;
  return true;
}
