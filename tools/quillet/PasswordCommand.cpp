// quillet password set | clear: re-encrypts a memo file under a new password, or
// decrypts it, and writes the new digest and hint.  The HotSync never sees a
// password and so cannot re-encrypt memos itself: after the password is set,
// changed or cleared on the handheld it stops until the desktop file carries
// the same digest, and this is how the desktop file gets there.

#include <ostream>

#include "store/MemoDatabase.h"
#include "store/SecretString.h"
#include "tools/common/ArgParser.h"
#include "tools/common/CommandTable.h"
#include "tools/common/ExitStatus.h"
#include "tools/common/PasswordSource.h"
#include "tools/common/ToolText.h"
#include "tools/quillet/Commands.h"
#include "tools/quillet/MemoFile.h"

namespace {


// Parses the command line and configures the current password's source (and
// the new one's when newPasswords is given).  Returns CONTINUE or the exit status.
int Parse(CArgParser& parser, const std::vector<std::string>& args, CPasswordSource& passwords,
          CPasswordSource* newPasswords, std::ostream& out, std::ostream& err) {
  if (const int s = parser.Run(args, out, err); s != CArgParser::CONTINUE) return s;
  std::string error;
  if (!passwords.Configure(parser, error)) return parser.UsageError(err, error);
  if (newPasswords != nullptr && !newPasswords->ConfigureNew(parser, error)) {
    return parser.UsageError(err, error);
  }
  return CArgParser::CONTINUE;
}

// Gets the new password.  On a terminal it is typed twice and asked again, a few
// times, when the two differ or it is empty; from a file or standard input it is
// read once.  Returns an exit status; password is empty unless OK.
int TakeNewPassword(const CPasswordSource& source, const std::string& commandPath,
                    const CMemoFile& file, CSecretString& password, std::ostream& err) {
  const bool interactive = source.IsInteractive();
  const int attempts = interactive ? CMemoFile::PROMPT_ATTEMPTS : 1;
  const std::string prompt = "New password for " + file.Path() + ": ";
  for (int attempt = 1;; ++attempt) {
    std::string error;
    switch (source.Get(prompt, password, error)) {
      case CPasswordSource::PW_OK:
        break;
      case CPasswordSource::PW_NO_SOURCE:
        return file.Fail(err, ExitStatus::PASSWORD,
                         "no new password: give it with --new-password-file FILE or "
                         "--new-password-stdin, or run on a terminal");
      case CPasswordSource::PW_FAILED:
      case CPasswordSource::PW_CANCELLED:
        return file.Fail(err, ExitStatus::PASSWORD, error);
    }
    std::string problem;
    int status = ExitStatus::OK;
    if (password.empty()) {
      // An empty password would protect nothing.
      problem = "the new password is empty";
      status = ExitStatus::USAGE;
    } else if (interactive) {
      CSecretString again;
      if (source.Get("Repeat the new password: ", again, error) != CPasswordSource::PW_OK) {
        password.Clear();
        return file.Fail(err, ExitStatus::PASSWORD, error);
      }
      if (again.view() != password.view()) {
        problem = "the two passwords differ";
        status = ExitStatus::PASSWORD;
      }
    }
    if (status == ExitStatus::OK) return ExitStatus::OK;
    password.Clear();
    if (attempt >= attempts) return file.Fail(err, status, problem);
    err << commandPath << ": " << problem << ", try again\n";
  }
}

// Reports a failed SetPassword.
int PasswordChangeFailed(const CMemoFile& file, int rc, std::ostream& err) {
  switch (rc) {
    case CMemoDatabase::PW_ERR_NO_APP_INFO:
      return file.Fail(err, ExitStatus::FAILED,
                       file.Path() + " has no category information to keep a password in; "
                                     "it was left as it was");
    case CMemoDatabase::PW_ERR_PASSWORD:
      return file.Fail(err, ExitStatus::PASSWORD,
                       "that password cannot be used (its digest reads as \"no password\")");
    case CMemoDatabase::PW_ERR_HINT:
      return file.Fail(err, ExitStatus::USAGE, "the hint cannot be stored");
    case CMemoDatabase::PW_ERR_NO_MEMORY:
      return file.Fail(err, ExitStatus::FAILED, "out of memory; the file was left as it was");
    default:
      return file.Fail(err, ExitStatus::FAILED,
                       "cannot change the password of " + file.Path() + "; it was left as it was");
  }
}

int PasswordSet(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet password set",
                    "Protects the memos with a new password: every memo is encrypted under it "
                    "and the file keeps its digest and the hint.");
  parser.AddPositional("FILE", CMemoFile::FILE_HELP);
  parser.AddOption("hint", "TEXT",
                   "a hint shown when the password is asked for (UTF-8); without it the file "
                   "keeps no hint");
  CPasswordSource::AddOptions(parser);
  CPasswordSource::AddNewPasswordOptions(parser);
  parser.SetNotes(
      "After the password was set or changed on the handheld, give the desktop file the\n"
      "same password so that the next HotSync goes through.  The current password is\n"
      "asked for only when the file is protected.  The new one is asked on the terminal\n"
      "(twice) unless --new-password-file or --new-password-stdin is given; with\n"
      "--password-stdin alone, standard input holds the current password (when the file\n"
      "is protected) and then, on the next line, the new one.  The memos are not marked\n"
      "modified.  Exits 0 without writing when the file has that password and hint already.");
  CPasswordSource passwords;
  CPasswordSource newPasswords;
  if (const int s = Parse(parser, args, passwords, &newPasswords, out, err);
      s != CArgParser::CONTINUE) {
    return s;
  }
  std::string hint;
  if (!InputToAnsi(parser.Value("hint"), hint)) {
    return parser.UsageError(err, "the hint is not UTF-8 or has no Shift-JIS form");
  }
  if (hint.size() > CMemoDatabase::MAX_HINT_BYTES) {
    return parser.UsageError(err, "the hint is longer than " +
                                      std::to_string(CMemoDatabase::MAX_HINT_BYTES) + " bytes");
  }

  CMemoFile file(parser.CommandPath());
  const std::string& path = parser.Positional(0);
  if (const int s = file.Open(path, true, passwords, err); s != ExitStatus::OK) return s;
  CMemoDatabase& db = file.Database();
  CSecretString password;
  if (const int s = TakeNewPassword(newPasswords, parser.CommandPath(), file, password, err);
      s != ExitStatus::OK) {
    return s;
  }
  if (db.IsEncrypted() && db.CheckPassword(password.c_str()) && db.PasswordHint() == hint) {
    out << path << " is protected by that password and hint already; nothing changed\n";
    return ExitStatus::OK;
  }
  const int rc = db.SetPassword(password.c_str(), hint);
  password.Clear();
  if (rc != RDB_OK) return PasswordChangeFailed(file, rc, err);
  if (const int s = file.Save(err); s != ExitStatus::OK) return s;
  out << "the memos in " << path << " are protected by the new password\n";
  return ExitStatus::OK;
}

int PasswordClear(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet password clear",
                    "Removes the protection: every memo is stored in plain text, and the digest "
                    "and the hint are removed.");
  parser.AddPositional("FILE", CMemoFile::FILE_HELP);
  CPasswordSource::AddOptions(parser);
  parser.SetNotes(
      "After the password was cleared on the handheld, clear it in the desktop file too\n"
      "so that the next HotSync goes through.  The current password is asked on the\n"
      "terminal unless --password-file or --password-stdin is given.  The memos are not\n"
      "marked modified.  Exits 0 without writing when the file is not protected.");
  CPasswordSource passwords;
  if (const int s = Parse(parser, args, passwords, nullptr, out, err); s != CArgParser::CONTINUE) {
    return s;
  }
  CMemoFile file(parser.CommandPath());
  const std::string& path = parser.Positional(0);
  if (const int s = file.Open(path, true, passwords, err); s != ExitStatus::OK) return s;
  CMemoDatabase& db = file.Database();
  if (!db.IsEncrypted()) {
    out << path << " is not protected by a password; nothing changed\n";
    return ExitStatus::OK;
  }
  if (const int rc = db.SetPassword(nullptr, {}); rc != RDB_OK) {
    return PasswordChangeFailed(file, rc, err);
  }
  if (const int s = file.Save(err); s != ExitStatus::OK) return s;
  out << "the memos in " << path << " are no longer protected\n";
  return ExitStatus::OK;
}

}  // namespace

int PasswordCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CCommandTable table("quillet password",
                      "Sets, changes or removes the password of a memo file, re-encrypting every "
                      "memo.\nA HotSync stops while the handheld and the desktop file have "
                      "different passwords;\ngive the desktop file the handheld's password (or "
                      "none) with these commands.");
  table.Add("set", "FILE [--hint TEXT]: protect the memos with a new password", PasswordSet);
  table.Add("clear", "FILE: remove the protection", PasswordClear);
  return table.Run(args, out, err);
}
