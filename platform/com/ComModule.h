#pragma once
// The module's count of live objects and server locks, which decides whether
// the library may be unloaded (DllCanUnloadNow answers S_OK only at 0).
// Every library that links this layer has its own count (build shared
// libraries so that their own symbols bind locally, e.g. with hidden
// visibility or -Bsymbolic, so that a host that links the layer too keeps
// a separate count).

#include "platform/com/ComTypes.h"

class CComModule {
 public:
  static void Lock();
  static void Unlock();  // never goes below 0
  static LONG LockCount();
  // S_OK when nothing holds the module, otherwise S_FALSE.
  static HRESULT CanUnloadNow();
};
