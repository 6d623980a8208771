#pragma once
// Which memo file quillet-viewer opens and for which user: the file given on
// the command line, else the memo file in the HotSync folder of the user
// (--user, else the only HotSync user of this desktop).

#include <filesystem>
#include <string>

struct ViewerTarget {
  std::string user;             // as typed / as the HotSync keeps it (UTF-8)
  std::filesystem::path file;   // the desktop memo file
};

class CHotSyncSettings;

// False with a one-line reason in `error` when no user or file can be chosen.
bool ChooseViewerTarget(CHotSyncSettings& settings, const std::filesystem::path& home,
                        const std::string& userOption, bool userGiven,
                        const std::string& fileArgument, ViewerTarget& out, std::string& error);
