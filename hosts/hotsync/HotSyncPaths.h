#pragma once
// Where the HotSync Manager keeps its users' data:
//   the quillet home: --home DIR, else $QUILLET_HOME, else
//     $XDG_DATA_HOME/quillet, else ~/.local/share/quillet;
//   the HotSync folder of user U: <home>/HotSync/U/ (a name that is not a
//     safe single folder name is written with %XX escapes);
//   the default device: <home>/devices/default.

#include <filesystem>
#include <string>

// "" when no home folder can be found.
std::filesystem::path QuilletHome(const std::string& homeOption);
std::filesystem::path DefaultDeviceFolder(const std::filesystem::path& home);
std::filesystem::path HotSyncFolder(const std::filesystem::path& home, const std::string& user);
// A user name as one folder name: '/', '%' and control characters as %XX,
// and "", "." and ".." with their dots escaped.
std::string FolderNameFor(const std::string& user);

// Inside a user's HotSync folder.
inline constexpr const char* CONDUIT_FOLDER = "Quillet";
inline constexpr const char* LOCAL_FILE_NAME = "record.dat";
inline constexpr const char* LOG_FILE_NAME = "HotSync.log";
