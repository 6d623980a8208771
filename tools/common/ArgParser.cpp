#include "tools/common/ArgParser.h"

#include <ostream>

#include "tools/common/ExitStatus.h"

namespace {
const std::string kEmpty;
}

CArgParser::CArgParser(std::string commandPath, std::string summary)
    : m_commandPath(std::move(commandPath)), m_summary(std::move(summary)) {}

void CArgParser::AddFlag(std::string name, std::string help) {
  m_options.push_back(Option{std::move(name), std::string(), std::move(help), false, std::string()});
}

void CArgParser::AddOption(std::string name, std::string valueName, std::string help) {
  m_options.push_back(Option{std::move(name), std::move(valueName), std::move(help), false, std::string()});
}

void CArgParser::AddPositional(std::string name, std::string help, bool required,
                               bool repeated) {
  m_positionalSpecs.push_back(PositionalSpec{std::move(name), std::move(help), required, repeated});
}

void CArgParser::SetNotes(std::string notes) { m_notes = std::move(notes); }

CArgParser::Option* CArgParser::FindOption(std::string_view name) {
  for (Option& o : m_options) {
    if (o.name == name) return &o;
  }
  return nullptr;
}

const CArgParser::Option* CArgParser::FindOption(std::string_view name) const {
  for (const Option& o : m_options) {
    if (o.name == name) return &o;
  }
  return nullptr;
}

bool CArgParser::Fail(std::string message) {
  m_error = std::move(message);
  return false;
}

bool CArgParser::Parse(const std::vector<std::string>& args) {
  m_positionals.clear();
  m_error.clear();
  m_helpRequested = false;
  for (Option& o : m_options) {
    o.given = false;
    o.value.clear();
  }
  // --help wins over every other word, even malformed ones.
  for (const std::string& a : args) {
    if (a == "--") break;
    if (a == "--help" || a == "-h") {
      m_helpRequested = true;
      return true;
    }
  }

  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!optionsEnded && a == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && a.size() > 1 && a[0] == '-') {
      if (a.size() < 3 || a[1] != '-') return Fail("unknown option '" + a + "'");
      std::string_view body = std::string_view(a).substr(2);
      std::string_view name = body;
      bool inlineValue = false;
      std::string_view value;
      if (std::size_t eq = body.find('='); eq != std::string_view::npos) {
        name = body.substr(0, eq);
        value = body.substr(eq + 1);
        inlineValue = true;
      }
      Option* o = FindOption(name);
      if (o == nullptr) return Fail("unknown option '--" + std::string(name) + "'");
      if (o->given) return Fail("option '--" + o->name + "' given more than once");
      if (o->valueName.empty()) {
        if (inlineValue) return Fail("option '--" + o->name + "' takes no value");
      } else if (inlineValue) {
        o->value = std::string(value);
      } else {
        if (i + 1 >= args.size()) {
          return Fail("option '--" + o->name + "' needs a value (" + o->valueName + ")");
        }
        o->value = args[++i];
      }
      o->given = true;
      continue;
    }
    m_positionals.push_back(a);
  }

  std::size_t required = 0;
  bool repeated = false;
  for (const PositionalSpec& p : m_positionalSpecs) {
    if (p.required) ++required;
    if (p.repeated) repeated = true;
  }
  if (m_positionals.size() < required) {
    const PositionalSpec& missing = m_positionalSpecs[m_positionals.size()];
    return Fail("missing argument " + missing.name);
  }
  if (!repeated && m_positionals.size() > m_positionalSpecs.size()) {
    return Fail("unexpected argument '" + m_positionals[m_positionalSpecs.size()] + "'");
  }
  return true;
}

int CArgParser::Run(const std::vector<std::string>& args, std::ostream& out,
                    std::ostream& err) {
  if (!Parse(args)) return UsageError(err, m_error);
  if (m_helpRequested) {
    out << Help();
    return ExitStatus::OK;
  }
  return CONTINUE;
}

bool CArgParser::Has(std::string_view name) const {
  const Option* o = FindOption(name);
  return o != nullptr && o->given;
}

const std::string& CArgParser::Value(std::string_view name) const {
  const Option* o = FindOption(name);
  return o != nullptr && o->given ? o->value : kEmpty;
}

const std::string& CArgParser::Positional(std::size_t i) const {
  return i < m_positionals.size() ? m_positionals[i] : kEmpty;
}

std::string CArgParser::Usage() const {
  std::string u = "usage: " + m_commandPath;
  for (const PositionalSpec& p : m_positionalSpecs) {
    std::string word = p.name + (p.repeated ? "..." : "");
    u += p.required ? " " + word : " [" + word + "]";
  }
  for (const Option& o : m_options) {
    u += " [--" + o.name + (o.valueName.empty() ? "" : " " + o.valueName) + "]";
  }
  return u;
}

std::string CArgParser::Help() const {
  std::string h = Usage() + "\n\n" + m_summary + "\n";
  auto line = [&h](const std::string& left, const std::string& help) {
    std::string l = "  " + left;
    if (l.size() < 24) {
      l.append(24 - l.size(), ' ');
    } else {
      l += "\n" + std::string(24, ' ');
    }
    h += l + help + "\n";
  };
  if (!m_positionalSpecs.empty()) {
    h += "\narguments:\n";
    for (const PositionalSpec& p : m_positionalSpecs) line(p.name, p.help);
  }
  h += "\noptions:\n";
  for (const Option& o : m_options) {
    line("--" + o.name + (o.valueName.empty() ? "" : " " + o.valueName), o.help);
  }
  line("--help", "show this help and exit");
  if (!m_notes.empty()) h += "\n" + m_notes + (m_notes.back() == '\n' ? "" : "\n");
  return h;
}

int CArgParser::UsageError(std::ostream& err, std::string_view message) const {
  err << m_commandPath << ": " << message << " (see '" << m_commandPath << " --help')\n";
  return ExitStatus::USAGE;
}

bool CArgParser::ParseNumber(std::string_view text, std::uint64_t max, std::uint64_t& value) {
  if (text.empty() || text.size() > 20) return false;
  std::uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (digit > max || v > (max - digit) / 10) return false;
    v = v * 10 + digit;
  }
  value = v;
  return true;
}
