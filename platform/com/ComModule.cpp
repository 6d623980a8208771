#include "platform/com/ComModule.h"

namespace {
LONG g_locks = 0;
}  // namespace

void CComModule::Lock() { ++g_locks; }

void CComModule::Unlock() {
  if (g_locks > 0) --g_locks;
}

LONG CComModule::LockCount() { return g_locks; }

HRESULT CComModule::CanUnloadNow() { return g_locks == 0 ? S_OK : S_FALSE; }
