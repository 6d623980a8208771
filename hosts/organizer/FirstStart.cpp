// The first start of an installed organizer or viewer for a user.

#include "hosts/organizer/FirstStart.h"

#include <cstdint>
#include <utility>

#include "platform/com/ServerLibrary.h"
#include "platform/registry/Registry.h"
#include "platform/text/Hex.h"

CFirstStart::Folders CFirstStart::Installed() {
  Folders folders;
#ifdef QUILLET_INSTALL_DATADIR
  folders.data = QUILLET_INSTALL_DATADIR;
#endif
#ifdef QUILLET_INSTALL_LIBDIR
  folders.libraries = QUILLET_INSTALL_LIBDIR;
#endif
  return folders;
}

CFirstStart::CFirstStart(Folders folders) : m_folders(std::move(folders)) {}

CFirstStart::Outcome CFirstStart::Run(bool registerExtension) {
  m_error.clear();
  std::error_code error;
  if (m_folders.data.empty() || !std::filesystem::is_regular_file(m_folders.data / HELP_PAGE, error)) {
    return NOTHING_TO_DO;
  }
  bool written = false;
  CRegistry registry(CRegistry::DefaultPath());
  const int result = registry.Update([&](CRegistry& loaded) {
    if (loaded.ValueTypeOf(EXTENSION_KEY, INSTALL_PATH_VALUE) != 0) return false;
    written = loaded.SetString(EXTENSION_KEY, INSTALL_PATH_VALUE, m_folders.data.string()) ==
              CRegistry::REG_OK;
    return written;
  });
  if (result != CRegistry::REG_OK) {
    m_error = "cannot write the extension's install folder to " + registry.File().string();
    if (!registry.Error().empty()) m_error += ": " + registry.Error();
    return SETUP_FAILED;
  }
  if (!written) return NOTHING_TO_DO;
  const std::filesystem::path library = m_folders.libraries / EXTENSION_LIBRARY;
  if (registerExtension && !m_folders.libraries.empty() && std::filesystem::is_regular_file(library, error) &&
      !RegisterExtension(library)) {
    return SETUP_FAILED;
  }
  return INSTALL_PATH_SET;
}

bool CFirstStart::RegisterExtension(const std::filesystem::path& library) {
  // The library stays loaded: the organizer loads it again for its control.
  const CServerLibrary::Call call = CServerLibrary::CallRegistration(library, CServerLibrary::REGISTER_SERVER);
  switch (call.step) {
    case CServerLibrary::CANNOT_LOAD:
      m_error = "cannot load " + library.string() + ": " + call.loadError;
      return false;
    case CServerLibrary::NO_ENTRY_POINT:
      m_error = library.string() + " has no entry point DllRegisterServer";
      return false;
    case CServerLibrary::CALLED:
      break;
  }
  if (FAILED(call.result)) {
    m_error = "registering " + library.string() + " failed with 0x";
    AppendHex(m_error, static_cast<std::uint32_t>(call.result), 8, true);
    return false;
  }
  return true;
}
