#pragma once
// Entering the extension in the registry and announcing it to the organizer,
// and taking both out again: the work behind the library's DllRegisterServer
// and DllUnregisterServer.
//
// Registering, in order:
//   1. the application id (script 103);
//   2. the module's objects: the SinkObject (script 104) and the type library;
//   3. the type library with its help folder (failure: SELFREG_E_TYPELIB);
//   4. the control and its property page (failure: SELFREG_E_CLASS);
//   5. the organizer's entry "Quillet", replaced when it exists.  When the
//      organizer is not installed or refuses a call the extension is still
//      registered, only not listed, and the result is S_OK; only memory
//      running out on the way is reported (E_OUTOFMEMORY).
// Unregistering takes the same steps out in the same order and removes the
// organizer's entry when there is one.  Parent keys that others share
// (HKEY_CLASSES_ROOT\AppID, \CLSID, \TypeLib, \Interface) are never removed.
//
// Every step works on the current user's registry file
// (CRegistry::DefaultPath()).  The steps are virtual so that a failing
// registry can be simulated.

#include <string>

#include "platform/com/ComTypes.h"

class CRegistration {
 public:
  // `modulePath` is the library's full path, written as its server path.
  explicit CRegistration(std::string modulePath);
  virtual ~CRegistration() = default;

  HRESULT Register();
  HRESULT Unregister();

  // The organizer's entry alone.  S_OK also when the organizer is missing or
  // refuses a call; E_OUTOFMEMORY when memory ran out.
  HRESULT RegisterWithHost();
  HRESULT UnregisterFromHost();

  // "InstallPath" of the extension's profile key; "c:" when it is missing.
  static std::string InstallFolder();
  // The folder and a file name joined with "/" (this system's separator).
  static std::string InstallFile(const std::string& folder, const char* fileName);

  const std::string& ModulePath() const { return m_modulePath; }

 protected:
  virtual HRESULT ApplyAppId(bool install);
  virtual HRESULT ApplyObjects(bool install);
  virtual HRESULT ApplyTypeLibrary(bool install);
  virtual HRESULT ApplyClasses(bool install);

 private:
  std::string m_modulePath;
};

// DllRegisterServer / DllUnregisterServer of the library at `modulePath`.
HRESULT RegisterExtension(const std::string& modulePath);
HRESULT UnregisterExtension(const std::string& modulePath);
