#include "platform/com/ServerLibrary.h"

#include <dlfcn.h>

const char* CServerLibrary::EntryName(Entry entry) {
  return entry == UNREGISTER_SERVER ? "DllUnregisterServer" : "DllRegisterServer";
}

CServerLibrary::Call CServerLibrary::CallRegistration(const std::filesystem::path& library, Entry entry) {
  Call call;
  void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = ::dlerror();
    call.loadError = why != nullptr ? why : "unknown error";
    return call;
  }
  ::dlerror();
  auto function = reinterpret_cast<HRESULT (*)()>(::dlsym(handle, EntryName(entry)));
  if (function == nullptr) {
    call.step = NO_ENTRY_POINT;
    return call;
  }
  call.step = CALLED;
  call.result = function();
  return call;
}
