#pragma once
// Calling the self-registration entry points of an in-process server library
// (DllRegisterServer, DllUnregisterServer): the library is loaded, the entry
// point looked up and called, and what happened is handed back for the caller
// to report in its own words.
//
// The library stays loaded until the process ends: the objects it made while
// registering (and the libraries it loaded) may still be in use, and a host
// that registered an extension loads the same library again for its control.

#include <filesystem>
#include <string>

#include "platform/com/ComTypes.h"

class CServerLibrary {
 public:
  enum Entry { REGISTER_SERVER, UNREGISTER_SERVER };

  enum Step {
    CALLED,          // the entry point ran; `result` is its answer
    CANNOT_LOAD,     // the library could not be loaded; `loadError` says why
    NO_ENTRY_POINT,  // the library does not export the entry point
  };

  struct Call {
    Step step = CANNOT_LOAD;
    HRESULT result = E_FAIL;  // the entry point's answer, E_FAIL when it was not called
    std::string loadError;
  };

  // "DllRegisterServer" or "DllUnregisterServer".
  static const char* EntryName(Entry entry);

  // Loads `library` and calls its entry point.  The path goes to the loader as
  // it is: a name without '/' is looked for in the library folders, so a
  // caller that means a file gives a path with its folder.
  static Call CallRegistration(const std::filesystem::path& library, Entry entry);
};
