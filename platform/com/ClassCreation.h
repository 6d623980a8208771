#pragma once
// Creating objects by class id.  A class is found, in this order:
// 1. among the class objects this process registered with
//    CoRegisterClassObject (any context);
// 2. for in-process contexts, in the registry: the default value of
//    HKEY_CLASSES_ROOT\CLSID\{class id}\InprocServer32 names the library; it
//    is loaded (once per process) and asked through its DllGetClassObject.
// A library stays loaded until CoFreeUnusedLibraries finds that its
// DllCanUnloadNow answers S_OK, so it outlives every object it served.
//
// The registry is the current user's registry file (CRegistry::DefaultPath()),
// read at every lookup, so that a library registered meanwhile is found.
//
// Results: REGDB_E_CLASSNOTREG when the class is not registered (or only for
// contexts the caller did not allow), CO_E_DLLNOTFOUND when its library cannot
// be loaded, CO_E_ERRORINDLL when it has no DllGetClassObject, and otherwise
// what the library and the class object answer.

#include "platform/com/IUnknown.h"

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, REFIID iid, void** out);
// Asks the class object for a new instance; `outer` is for aggregation.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** out);

// Makes `classObject` (referenced until revoked) the class object of `clsid`
// in this process.  The cookie is non-zero.
HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* classObject, DWORD* cookie);
// E_INVALIDARG for an unknown cookie.
HRESULT CoRevokeClassObject(DWORD cookie);

// Unloads the libraries whose DllCanUnloadNow answers S_OK.
void CoFreeUnusedLibraries();
