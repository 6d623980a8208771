#pragma once
// A conduit library loaded the way the HotSync Manager loads one: dlopen of
// the shared library and a look-up of its six entry points by name.

#include <filesystem>
#include <string>

#include "conduit/ConduitEntry.h"

class CConduitLibrary {
 public:
  static constexpr const char* FILE_NAME = "libQuilletC.so";
  static constexpr const char* PATH_VARIABLE = "QUILLET_CONDUIT";

  CConduitLibrary() = default;
  CConduitLibrary(const CConduitLibrary&) = delete;
  CConduitLibrary& operator=(const CConduitLibrary&) = delete;
  ~CConduitLibrary();

  // The library to load: $QUILLET_CONDUIT when set, else libQuilletC.so in the
  // folder of the running program, else (an installed program) in the
  // installed library folder.
  static std::filesystem::path DefaultPath();

  // Loads the library and finds every entry point.  False with Error() set.
  bool Load(const std::filesystem::path& path);
  void Unload();

  const std::string& Error() const { return m_error; }
  const std::filesystem::path& Path() const { return m_path; }

  OpenConduitFn openConduit = nullptr;
  GetConduitNameFn getConduitName = nullptr;
  GetConduitVersionFn getConduitVersion = nullptr;
  ConfigureConduitFn configureConduit = nullptr;
  CfgConduitFn cfgConduit = nullptr;
  GetConduitInfoFn getConduitInfo = nullptr;

 private:
  void* m_handle = nullptr;
  std::filesystem::path m_path;
  std::string m_error;
};
