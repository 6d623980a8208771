#include "tools/quillet-handheld/HandheldSession.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string_view>

#include "handheld/HandheldResult.h"
#include "platform/files/FileSystem.h"
#include "store/SecretString.h"
#include "tools/common/ArgParser.h"
#include "tools/common/ExitStatus.h"
#include "tools/common/PasswordSource.h"
#include "tools/common/ToolText.h"

using namespace HandheldResult;

CHandheldSession::CHandheldSession(std::string commandPath) : m_commandPath(std::move(commandPath)) {}

void CHandheldSession::AddDeviceOption(CArgParser& parser) {
  parser.AddOption("device", "DIR",
                   "the device folder (default: $QUILLET_HOME/devices/default, else "
                   "$XDG_DATA_HOME/quillet/devices/default)");
}

std::filesystem::path CHandheldSession::DefaultDevice() {
  const char* quilletHome = std::getenv("QUILLET_HOME");
  if (quilletHome != nullptr && *quilletHome != '\0') {
    return std::filesystem::path(quilletHome) / "devices" / "default";
  }
  std::filesystem::path data;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && *xdg != '\0') {
    data = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return {};
    data = std::filesystem::path(home) / ".local" / "share";
  }
  return data / "quillet" / "devices" / "default";
}

int CHandheldSession::Fail(std::ostream& err, int status, const std::string& message) const {
  err << m_commandPath << ": " << message << "\n";
  return status;
}

int CHandheldSession::StatusFor(int result) {
  switch (result) {
    case HH_OK: return ExitStatus::OK;
    case HH_ERR_NOT_FOUND:
    case HH_ERR_IO: return ExitStatus::CANNOT_OPEN;
    case HH_ERR_DAMAGED: return ExitStatus::DAMAGED;
    case HH_ERR_PASSWORD: return ExitStatus::PASSWORD;
    case HH_ERR_ARGUMENT:
    case HH_ERR_EXISTS:
    case HH_ERR_TOO_LARGE:
    case HH_ERR_NOT_PROTECTED:
    case HH_ERR_PROTECTED: return ExitStatus::USAGE;
    default: return ExitStatus::FAILED;
  }
}

int CHandheldSession::ParseCommandLine(CArgParser& parser, const std::vector<std::string>& args,
                                       CPasswordSource* passwords, std::ostream& out, std::ostream& err) {
  AddDeviceOption(parser);
  if (passwords != nullptr) CPasswordSource::AddOptions(parser);
  if (const int s = parser.Run(args, out, err); s != CArgParser::CONTINUE) return s;
  std::string error;
  if (passwords != nullptr && !passwords->Configure(parser, error)) return parser.UsageError(err, error);
  if (const int s = Locate(parser, err); s != ExitStatus::OK) return s;
  return CArgParser::CONTINUE;
}

int CHandheldSession::Locate(const CArgParser& parser, std::ostream& err) {
  if (parser.Has("device")) {
    if (parser.Value("device").empty()) return parser.UsageError(err, "--device needs a folder");
    m_folder = parser.Value("device");
  } else {
    m_folder = DefaultDevice();
    if (m_folder.empty()) {
      return parser.UsageError(err, "no device folder: give --device DIR or set QUILLET_HOME");
    }
  }
  return ExitStatus::OK;
}

int CHandheldSession::LockDevice(std::ostream& err, bool newDevice) {
  if (m_lock.IsHeld()) return ExitStatus::OK;
  if (newDevice) {
    if (!Files::MakeFolders(m_folder.string())) {
      return Fail(err, ExitStatus::CANNOT_OPEN,
                  "cannot make a device in " + m_folder.string() + ": " + std::strerror(errno));
    }
  }
  switch (CDevice::Lock(m_folder, m_lock)) {
    case CFileLock::LOCK_OK:
      return ExitStatus::OK;
    case CFileLock::LOCK_BUSY:
      return Fail(err, ExitStatus::CANNOT_OPEN,
                  "the device in " + m_folder.string() +
                      " is in use by another program (a HotSync or another quillet-handheld); it was "
                      "left as it was: try again when that program has finished");
    case CFileLock::LOCK_FAILED:
      break;
  }
  if (!newDevice && (m_lock.SystemError() == ENOENT || m_lock.SystemError() == ENOTDIR)) return ExitStatus::OK;
  return Fail(err, ExitStatus::CANNOT_OPEN,
              "cannot open the device in " + m_folder.string() + ": cannot lock it (" + m_lock.LockPath() +
                  "): " + std::strerror(m_lock.SystemError()));
}

int CHandheldSession::OpenDevice(std::ostream& err) {
  if (const int s = LockDevice(err); s != ExitStatus::OK) return s;
  const int rc = m_device.Open(m_folder);
  if (rc == HH_ERR_NOT_FOUND) {
    return Fail(err, ExitStatus::CANNOT_OPEN,
                "no device in " + m_folder.string() + " (make one with 'quillet-handheld init')");
  }
  if (rc == HH_ERR_DAMAGED) {
    return Fail(err, ExitStatus::DAMAGED, (m_folder / CDevice::DEVICE_FILE).string() + " is damaged");
  }
  if (rc != HH_OK) {
    return Fail(err, StatusFor(rc), "cannot open the device in " + m_folder.string() + ": " + Describe(rc));
  }
  return ExitStatus::OK;
}

int CHandheldSession::OpenMemos(std::ostream& err) {
  if (const int s = OpenDevice(err); s != ExitStatus::OK) return s;
  m_memos = std::make_unique<CMemoApp>(m_device);
  const int rc = m_memos->Open();
  if (rc == HH_ERR_NOT_FOUND) {
    return Fail(err, ExitStatus::CANNOT_OPEN, std::string("the device has no ") + CMemoApp::DB_NAME + " database");
  }
  if (rc == HH_ERR_DAMAGED) {
    return Fail(err, ExitStatus::DAMAGED, std::string(CMemoApp::DB_NAME) + " is damaged: it is not a valid Palm database");
  }
  if (rc != HH_OK) {
    return Fail(err, StatusFor(rc), std::string("cannot open ") + CMemoApp::DB_NAME + ": " + Describe(rc));
  }
  return ExitStatus::OK;
}

int CHandheldSession::Unlock(const CPasswordSource& passwords, std::ostream& err) {
  CMemoApp& memos = *m_memos;
  if (!memos.IsProtected()) return ExitStatus::OK;
  const std::string hint = AnsiToOutput(memos.Hint());
  const std::string prompt = "Password" + (hint.empty() ? std::string() : " (hint: " + hint + ")") + ": ";
  const int attempts = passwords.IsInteractive() ? PROMPT_ATTEMPTS : 1;
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    CSecretString password;
    std::string error;
    switch (passwords.Get(prompt, password, error)) {
      case CPasswordSource::PW_OK:
        break;
      case CPasswordSource::PW_NO_SOURCE:
        return Fail(err, ExitStatus::PASSWORD, "the memos are protected by a password: " + error);
      default:
        return Fail(err, ExitStatus::PASSWORD, error);
    }
    const int rc = memos.Unlock(password.view());
    password.Clear();
    if (rc == HH_OK) return ExitStatus::OK;
    if (rc != HH_ERR_PASSWORD) return Fail(err, StatusFor(rc), Describe(rc));
    if (attempt < attempts) err << m_commandPath << ": wrong password, try again\n";
  }
  return Fail(err, ExitStatus::PASSWORD, "wrong password");
}

int CHandheldSession::SaveMemos(std::ostream& err) {
  const int rc = m_memos->Save();
  if (rc != HH_OK) {
    return Fail(err, rc == HH_ERR_NO_MEMORY ? ExitStatus::FAILED : ExitStatus::CANNOT_OPEN,
                std::string("cannot write ") + CMemoApp::DB_NAME + " (" + Describe(rc) +
                    "); the device was left as it was");
  }
  return ExitStatus::OK;
}
