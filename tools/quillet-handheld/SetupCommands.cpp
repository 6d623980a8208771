// The commands that set a device up: init, category and password.

#include <ostream>
#include <random>

#include "handheld/HandheldResult.h"
#include "platform/text/UserName.h"
#include "store/SecretString.h"
#include "tools/common/ArgParser.h"
#include "tools/common/CommandTable.h"
#include "tools/common/ExitStatus.h"
#include "tools/common/PasswordSource.h"
#include "tools/common/ToolText.h"
#include "tools/quillet-handheld/Commands.h"
#include "tools/quillet-handheld/HandheldSession.h"

using namespace HandheldResult;

namespace {

// A HotSync user name takes at most this many bytes on the handheld.
constexpr std::size_t MAX_USER_NAME = 40;

std::uint32_t RandomUserId() {
  std::random_device source;
  std::uint32_t id = 0;
  while (id == 0) id = static_cast<std::uint32_t>(source());
  return id;
}

// A category name from the command line as the device keeps it.  CONTINUE or USAGE.
int TakeName(const CArgParser& parser, const std::string& utf8, std::string& ansi, std::ostream& err) {
  if (utf8.empty()) return parser.UsageError(err, "the category name is empty");
  if (!InputToAnsi(utf8, ansi)) {
    return parser.UsageError(err, "the category name '" + utf8 + "' is not UTF-8 or has no Shift-JIS form");
  }
  return CArgParser::CONTINUE;
}

int CategoryFailed(const CHandheldSession& session, std::ostream& err, int rc, const std::string& name) {
  switch (rc) {
    case HH_ERR_NOT_FOUND: return session.Fail(err, ExitStatus::USAGE, "the device has no category '" + name + "'");
    case HH_ERR_EXISTS: return session.Fail(err, ExitStatus::USAGE, "the device has a category '" + name + "' already");
    case HH_ERR_TOO_LARGE:
      return session.Fail(err, ExitStatus::USAGE, "the category name '" + name + "' is longer than 15 bytes");
    case HH_ERR_FULL: return session.Fail(err, ExitStatus::FAILED, "all 15 categories are in use");
    case HH_ERR_ARGUMENT:
      return session.Fail(err, ExitStatus::USAGE, "\"Unfiled\" cannot be renamed or deleted");
    default:
      return session.Fail(err, CHandheldSession::StatusFor(rc), std::string("cannot change the categories: ") + Describe(rc));
  }
}

// Parses a category or password sub-command (the password options with
// `passwords`) and opens the memos.  CONTINUE or the exit status.
int ParseAndOpenMemos(CArgParser& parser, const std::vector<std::string>& args, CHandheldSession& session,
                      CPasswordSource* passwords, std::ostream& out, std::ostream& err) {
  if (const int s = session.ParseCommandLine(parser, args, passwords, out, err); s != CArgParser::CONTINUE) return s;
  if (const int s = session.OpenMemos(err); s != ExitStatus::OK) return s;
  return CArgParser::CONTINUE;
}

int CategoryAdd(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-handheld category add", "Adds a category in the first free slot.");
  parser.AddPositional("NAME", "the new category's name (at most 15 bytes in Shift-JIS)");
  CHandheldSession session(parser.CommandPath());
  if (const int s = ParseAndOpenMemos(parser, args, session, nullptr, out, err); s != CArgParser::CONTINUE) return s;
  std::string name;
  if (const int s = TakeName(parser, parser.Positional(0), name, err); s != CArgParser::CONTINUE) return s;
  std::uint8_t slot = 0;
  if (const int rc = session.Memos().AddCategory(name, &slot); rc != HH_OK) {
    return CategoryFailed(session, err, rc, parser.Positional(0));
  }
  if (const int s = session.SaveMemos(err); s != ExitStatus::OK) return s;
  out << "added category " << parser.Positional(0) << " at index " << static_cast<int>(slot) << "\n";
  return ExitStatus::OK;
}

int CategoryRename(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-handheld category rename", "Renames a category.");
  parser.AddPositional("OLD", "the category's name");
  parser.AddPositional("NEW", "its new name (at most 15 bytes in Shift-JIS)");
  CHandheldSession session(parser.CommandPath());
  if (const int s = ParseAndOpenMemos(parser, args, session, nullptr, out, err); s != CArgParser::CONTINUE) return s;
  std::string oldName, newName;
  if (const int s = TakeName(parser, parser.Positional(0), oldName, err); s != CArgParser::CONTINUE) return s;
  if (const int s = TakeName(parser, parser.Positional(1), newName, err); s != CArgParser::CONTINUE) return s;
  CMemoApp& memos = session.Memos();
  const int slot = memos.FindCategory(oldName);
  if (slot < 0) return CategoryFailed(session, err, HH_ERR_NOT_FOUND, parser.Positional(0));
  if (const int rc = memos.RenameCategory(static_cast<std::uint8_t>(slot), newName); rc != HH_OK) {
    return CategoryFailed(session, err, rc, rc == HH_ERR_ARGUMENT ? parser.Positional(0) : parser.Positional(1));
  }
  if (const int s = session.SaveMemos(err); s != ExitStatus::OK) return s;
  out << "renamed category " << parser.Positional(0) << " to " << parser.Positional(1) << "\n";
  return ExitStatus::OK;
}

int CategoryDelete(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-handheld category delete",
                    "Deletes a category; its memos move to \"Unfiled\" and become dirty.");
  parser.AddPositional("NAME", "the category's name");
  CHandheldSession session(parser.CommandPath());
  if (const int s = ParseAndOpenMemos(parser, args, session, nullptr, out, err); s != CArgParser::CONTINUE) return s;
  std::string name;
  if (const int s = TakeName(parser, parser.Positional(0), name, err); s != CArgParser::CONTINUE) return s;
  CMemoApp& memos = session.Memos();
  const int slot = memos.FindCategory(name);
  if (slot < 0) return CategoryFailed(session, err, HH_ERR_NOT_FOUND, parser.Positional(0));
  if (const int rc = memos.DeleteCategory(static_cast<std::uint8_t>(slot)); rc != HH_OK) {
    return CategoryFailed(session, err, rc, parser.Positional(0));
  }
  if (const int s = session.SaveMemos(err); s != ExitStatus::OK) return s;
  out << "deleted category " << parser.Positional(0) << "\n";
  return ExitStatus::OK;
}

int PasswordSet(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-handheld password set",
                    "Protects the memos: stores the password's digest and the hint and encrypts every memo.");
  parser.AddOption("hint", "H", "a hint shown when the password is asked for (UTF-8)");
  parser.SetNotes(
      "The new password is asked on the terminal (twice) unless --password-file or\n"
      "--password-stdin is given.  Memos that are protected already must have their\n"
      "password cleared first.");
  CHandheldSession session(parser.CommandPath());
  CPasswordSource passwords;
  if (const int s = ParseAndOpenMemos(parser, args, session, &passwords, out, err); s != CArgParser::CONTINUE) return s;
  std::string hint;
  if (!InputToAnsi(parser.Value("hint"), hint)) {
    return parser.UsageError(err, "the hint is not UTF-8 or has no Shift-JIS form");
  }
  CMemoApp& memos = session.Memos();
  if (memos.IsProtected()) {
    return session.Fail(err, ExitStatus::USAGE, "the memos are protected already; clear the password first");
  }
  CSecretString password;
  std::string error;
  if (passwords.Get("New password: ", password, error) != CPasswordSource::PW_OK) {
    return session.Fail(err, ExitStatus::PASSWORD, error.empty() ? "no password given" : error);
  }
  if (password.empty()) return session.Fail(err, ExitStatus::PASSWORD, "the password is empty");
  if (passwords.IsInteractive()) {
    CSecretString again;
    if (passwords.Get("Repeat the new password: ", again, error) != CPasswordSource::PW_OK ||
        again.view() != password.view()) {
      return session.Fail(err, ExitStatus::PASSWORD, "the two passwords differ");
    }
  }
  const int rc = memos.SetPassword(password.view(), hint);
  password.Clear();
  if (rc != HH_OK) {
    return session.Fail(err, CHandheldSession::StatusFor(rc), std::string("cannot set the password: ") + Describe(rc));
  }
  if (const int s = session.SaveMemos(err); s != ExitStatus::OK) return s;
  out << "the memos are protected\n";
  return ExitStatus::OK;
}

int PasswordClear(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-handheld password clear",
                    "Removes the protection: decrypts every memo and removes the digest and the hint.");
  parser.SetNotes("The current password is asked on the terminal unless --password-file or\n--password-stdin is given.");
  CHandheldSession session(parser.CommandPath());
  CPasswordSource passwords;
  if (const int s = ParseAndOpenMemos(parser, args, session, &passwords, out, err); s != CArgParser::CONTINUE) return s;
  CMemoApp& memos = session.Memos();
  if (!memos.IsProtected()) return session.Fail(err, ExitStatus::USAGE, "the memos are not protected");
  if (const int s = session.Unlock(passwords, err); s != ExitStatus::OK) return s;
  if (const int rc = memos.ClearPassword(); rc != HH_OK) {
    return session.Fail(err, CHandheldSession::StatusFor(rc), std::string("cannot clear the password: ") + Describe(rc));
  }
  if (const int s = session.SaveMemos(err); s != ExitStatus::OK) return s;
  out << "the memos are no longer protected\n";
  return ExitStatus::OK;
}

}  // namespace

int InitCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-handheld init",
                    "Makes a new device: device.json with a random user id and an empty memo database.");
  parser.AddOption("user", "NAME", "the HotSync user name of the device (UTF-8)");
  CHandheldSession::AddDeviceOption(parser);
  if (const int s = parser.Run(args, out, err); s != CArgParser::CONTINUE) return s;
  CHandheldSession session(parser.CommandPath());
  if (const int s = session.Locate(parser, err); s != ExitStatus::OK) return s;
  const std::string& user = parser.Value("user");
  if (!parser.Has("user") || user.empty()) return parser.UsageError(err, "give the user name with --user NAME");
  if (const std::string problem = UserName::Problem(user); !problem.empty()) {
    return parser.UsageError(err, "the user name " + problem);
  }
  std::string ansi;
  if (!InputToAnsi(user, ansi)) return parser.UsageError(err, "the user name is not UTF-8 or has no Shift-JIS form");
  if (ansi.size() > MAX_USER_NAME) {
    return parser.UsageError(err, "the user name is longer than " + std::to_string(MAX_USER_NAME) + " bytes");
  }
  if (const int s = session.LockDevice(err, true); s != ExitStatus::OK) return s;
  CDevice device;
  int rc = CDevice::Init(session.Folder(), user, RandomUserId(), device);
  if (rc == HH_ERR_EXISTS) {
    return session.Fail(err, ExitStatus::FAILED, "there is a device in " + session.Folder().string() + " already");
  }
  if (rc != HH_OK) {
    return session.Fail(err, ExitStatus::CANNOT_OPEN,
                        "cannot make a device in " + session.Folder().string() + ": " + Describe(rc));
  }
  CMemoApp memos(device);
  rc = memos.Create();
  if (rc != HH_OK && rc != HH_ERR_EXISTS) {
    return session.Fail(err, ExitStatus::CANNOT_OPEN, std::string("cannot make the memo database: ") + Describe(rc));
  }
  out << "made device " << session.Folder().string() << " for " << user << " (user id " << device.UserId() << ")\n";
  return ExitStatus::OK;
}

int CategoryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CCommandTable table("quillet-handheld category", "Manages the categories of the memos on the device.");
  table.Add("add", "NAME: add a category", CategoryAdd);
  table.Add("rename", "OLD NEW: rename a category", CategoryRename);
  table.Add("delete", "NAME: delete a category, moving its memos to Unfiled", CategoryDelete);
  return table.Run(args, out, err);
}

int PasswordCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CCommandTable table("quillet-handheld password", "Protects the memos on the device with a password, or not.");
  table.Add("set", "[--hint H]: protect the memos", PasswordSet);
  table.Add("clear", "remove the protection", PasswordClear);
  return table.Run(args, out, err);
}
