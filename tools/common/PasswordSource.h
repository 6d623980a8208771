#pragma once
// Where a command gets a password from: a no-echo prompt on the terminal,
// --password-file FILE (its first line) or --password-stdin (the first line of
// standard input).  Never from an argument.  Passwords are typed or stored in
// UTF-8 and handed out as ANSI bytes (the form the handheld hashes), in a
// CSecretString; every buffer that held them is wiped.

#include <string>
#include <string_view>

#include "store/SecretString.h"

class CArgParser;

class CPasswordSource {
 public:
  enum Result {
    PW_OK = 0,          // password holds the password
    PW_NO_SOURCE = 1,   // no file, no standard input and no terminal to ask on
    PW_FAILED = 2,      // the source could not be read or held no password
    PW_CANCELLED = 3,   // end of input at the prompt
  };

  // Longest password accepted, in bytes of input.
  static constexpr std::size_t MAX_PASSWORD_BYTES = 1024;

  // Declares --password-file FILE and --password-stdin on a command.
  static void AddOptions(CArgParser& parser);

  // Takes the choice from a parsed command line.  False with a message when both
  // options are given.
  bool Configure(const CArgParser& parser, std::string& error);

  // For a command that also takes a new password: declares --new-password-file
  // FILE and --new-password-stdin.
  static void AddNewPasswordOptions(CArgParser& parser);
  // Takes the new password's source: one of those options or, when neither is
  // given, the next line of standard input when --password-stdin was given, or
  // else the terminal.  False with a message when both options are given.
  bool ConfigureNew(const CArgParser& parser, std::string& error);

  // True when the password will be asked on the terminal, so that a wrong one
  // may be asked again.  That is the case when neither option was given, standard
  // input is a terminal and the controlling terminal can be opened.
  bool IsInteractive() const;

  // Gets the password.  The prompt text is shown only on the terminal.
  Result Get(std::string_view prompt, CSecretString& password, std::string& error) const;

 private:
  enum Kind { FROM_PROMPT, FROM_FILE, FROM_STDIN };
  Kind m_kind = FROM_PROMPT;
  std::string m_file;
};
