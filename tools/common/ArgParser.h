#pragma once
// Command-line parsing for one sub-command: flags (--all), options with a value
// (--category INDEX or --category=INDEX), positional arguments, and --help (or -h)
// on every command.  "--" ends the options.  Errors are one line, meant for
// standard error, and the caller exits with ExitStatus::USAGE.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

class CArgParser {
 public:
  // Result of Run(): either go on with the command, or exit with the status.
  static constexpr int CONTINUE = -1;

  // commandPath is what the user typed to reach the command ("quillet list").
  CArgParser(std::string commandPath, std::string summary);

  void AddFlag(std::string name, std::string help);
  void AddOption(std::string name, std::string valueName, std::string help);
  // A required positional must be given; a repeated one takes every remaining
  // positional argument (at least one when required) and must be the last.
  void AddPositional(std::string name, std::string help, bool required = true,
                     bool repeated = false);
  // Free text shown at the end of --help.
  void SetNotes(std::string notes);

  // Parses args (the words after the command name).  Returns false with Error()
  // set on a usage error.  HelpRequested() tells whether --help was given; the
  // other arguments are then not checked.
  bool Parse(const std::vector<std::string>& args);
  bool HelpRequested() const { return m_helpRequested; }

  // Parses and handles the outcome: prints the help to out and returns 0, prints
  // the error to err and returns ExitStatus::USAGE, or returns CONTINUE.
  int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

  bool Has(std::string_view name) const;                 // flag or option given
  const std::string& Value(std::string_view name) const; // option value, "" when absent
  const std::vector<std::string>& Positionals() const { return m_positionals; }
  const std::string& Positional(std::size_t i) const;    // "" when absent

  std::string Usage() const;  // "usage: quillet list FILE [--all] [--json]"
  std::string Help() const;   // usage, summary, arguments and options
  const std::string& Error() const { return m_error; }
  const std::string& CommandPath() const { return m_commandPath; }

  // Writes "<command>: <message>" and a pointer to --help on one line of err and
  // returns ExitStatus::USAGE.
  int UsageError(std::ostream& err, std::string_view message) const;

  // Reads a decimal number 0..max without sign, spaces or leading "+".
  static bool ParseNumber(std::string_view text, std::uint64_t max, std::uint64_t& value);

 private:
  struct Option {
    std::string name;       // without the leading "--"
    std::string valueName;  // empty for a flag
    std::string help;
    bool given = false;
    std::string value;
  };
  struct PositionalSpec {
    std::string name;
    std::string help;
    bool required;
    bool repeated;
  };

  Option* FindOption(std::string_view name);
  const Option* FindOption(std::string_view name) const;
  bool Fail(std::string message);

  std::string m_commandPath;
  std::string m_summary;
  std::string m_notes;
  std::vector<Option> m_options;
  std::vector<PositionalSpec> m_positionalSpecs;
  std::vector<std::string> m_positionals;
  std::string m_error;
  bool m_helpRequested = false;
};
