#pragma once
// What an installed organizer (or viewer) does the first time a user starts
// it, in place of the per-user steps of an installer: the extension's
// "InstallPath" names the folder of its help page and bitmaps, and the
// extension is registered with the organizer, so that it is listed at once.
//
// A build that is not installed has no installed folders (the paths are
// empty, or the folders hold no extension files) and nothing is done; the
// extension is then registered by hand with quillet-regsvr.

#include <filesystem>
#include <string>

class CFirstStart {
 public:
  // The extension's per-user registry key and the value naming its folder.
  static constexpr const char* EXTENSION_KEY = "HKEY_CURRENT_USER\\Software\\Brindle Works\\QuilletExt";
  static constexpr const char* INSTALL_PATH_VALUE = "InstallPath";
  static constexpr const char* EXTENSION_LIBRARY = "libQuilletExt.so";
  static constexpr const char* HELP_PAGE = "QuilletExt.html";

  struct Folders {
    std::filesystem::path data;       // the help page and the bitmaps
    std::filesystem::path libraries;  // libQuilletExt.so, libQuilletHostManager.so, libQuilletC.so
  };
  // The folders the package installs to (empty in a build without them).
  static Folders Installed();

  enum Outcome {
    NOTHING_TO_DO,    // "InstallPath" is set already, or there is no installed extension
    INSTALL_PATH_SET, // "InstallPath" written; the extension was registered too
    SETUP_FAILED,     // see Error()
  };

  // Works on the current user's registry file (CRegistry::DefaultPath()),
  // the one the extension registers itself in.
  explicit CFirstStart(Folders folders);

  // When the registry has no "InstallPath" for the extension and the data
  // folder holds its help page: writes "InstallPath" (under the registry's
  // lock, only if still missing), then, when `registerExtension` is set and
  // the library folder holds the extension, loads it and calls its
  // DllRegisterServer (the organizer's extension manager must be registered
  // already for the extension to be listed).
  Outcome Run(bool registerExtension);
  const std::string& Error() const { return m_error; }

 private:
  bool RegisterExtension(const std::filesystem::path& library);

  Folders m_folders;
  std::string m_error;
};
