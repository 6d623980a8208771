// quillet-regsvr: registers an in-process server library (an extension, the
// organizer's extension manager) in the current user's registry by loading
// it and calling its DllRegisterServer, or unregisters it with
// DllUnregisterServer.

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "platform/com/ComTypes.h"
#include "platform/com/ServerLibrary.h"
#include "platform/text/Hex.h"
#include "tools/common/ArgParser.h"
#include "tools/common/ExitStatus.h"

namespace {

// Exit statuses of this program besides ExitStatus::OK, USAGE (bad command
// line) and CANNOT_OPEN (the library cannot be loaded).
constexpr int NO_ENTRY_POINT = 4;  // the library does not export the entry point
constexpr int ENTRY_FAILED = 5;    // the entry point returned a failure code

// The names of the result codes a registration may return.  Where two
// families share a value, the self-registration name is the one meant here.
const char* ResultName(HRESULT hr) {
  struct Named {
    HRESULT code;
    const char* name;
  };
  static constexpr Named kNames[] = {
      {SELFREG_E_TYPELIB, "SELFREG_E_TYPELIB"},
      {SELFREG_E_CLASS, "SELFREG_E_CLASS"},
      {CONNECT_E_CANNOTCONNECT, "CONNECT_E_CANNOTCONNECT"},
      {E_NOTIMPL, "E_NOTIMPL"},
      {E_NOINTERFACE, "E_NOINTERFACE"},
      {E_POINTER, "E_POINTER"},
      {E_ABORT, "E_ABORT"},
      {E_FAIL, "E_FAIL"},
      {E_UNEXPECTED, "E_UNEXPECTED"},
      {E_ACCESSDENIED, "E_ACCESSDENIED"},
      {E_HANDLE, "E_HANDLE"},
      {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
      {E_INVALIDARG, "E_INVALIDARG"},
      {DISP_E_UNKNOWNINTERFACE, "DISP_E_UNKNOWNINTERFACE"},
      {DISP_E_MEMBERNOTFOUND, "DISP_E_MEMBERNOTFOUND"},
      {DISP_E_PARAMNOTFOUND, "DISP_E_PARAMNOTFOUND"},
      {DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH"},
      {DISP_E_UNKNOWNNAME, "DISP_E_UNKNOWNNAME"},
      {DISP_E_NONAMEDARGS, "DISP_E_NONAMEDARGS"},
      {DISP_E_BADVARTYPE, "DISP_E_BADVARTYPE"},
      {DISP_E_EXCEPTION, "DISP_E_EXCEPTION"},
      {DISP_E_BADPARAMCOUNT, "DISP_E_BADPARAMCOUNT"},
      {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION"},
      {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
      {REGDB_E_READREGDB, "REGDB_E_READREGDB"},
      {REGDB_E_WRITEREGDB, "REGDB_E_WRITEREGDB"},
      {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG"},
      {CO_E_DLLNOTFOUND, "CO_E_DLLNOTFOUND"},
      {CO_E_ERRORINDLL, "CO_E_ERRORINDLL"},
  };
  for (const Named& named : kNames) {
    if (named.code == hr) return named.name;
  }
  return nullptr;
}

std::string Hex(HRESULT hr) {
  std::string text = "0x";
  AppendHex(text, static_cast<std::uint32_t>(hr), 8, true);
  return text;
}

// regsvr32's one-letter switches, spelled with '-' ("-u", "-s", "-us"), as
// the long options the parser knows.  A path never starts with a single '-'
// followed by these letters only, so nothing else is taken for them.
std::vector<std::string> ExpandShortSwitches(const std::vector<std::string>& args) {
  std::vector<std::string> expanded;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (arg == "--") optionsEnded = true;
    const bool shortSwitches = !optionsEnded && arg.size() > 1 && arg[0] == '-' &&
                               arg.find_first_not_of("us", 1) == std::string::npos;
    if (!shortSwitches) {
      expanded.push_back(arg);
      continue;
    }
    for (char letter : arg.substr(1)) expanded.push_back(letter == 'u' ? "--unregister" : "--silent");
  }
  return expanded;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-regsvr",
                    "Registers an in-process server library in the current user's registry by calling "
                    "its DllRegisterServer (or unregisters it with DllUnregisterServer).");
  parser.AddPositional("LIBRARY", "the library (.so); a relative path is taken from the current folder");
  parser.AddFlag("unregister", "call DllUnregisterServer instead (short: -u)");
  parser.AddFlag("silent", "print nothing on success (short: -s)");
  parser.SetNotes(
      "Exit status: 0 success, 2 bad arguments, 3 the library cannot be loaded, 4 the library has no\n"
      "such entry point, 5 the entry point returned a failure code.");
  if (const int s = parser.Run(ExpandShortSwitches(args), out, err); s != CArgParser::CONTINUE) return s;

  const std::string& library = parser.Positional(0);
  const CServerLibrary::Entry entry =
      parser.Has("unregister") ? CServerLibrary::UNREGISTER_SERVER : CServerLibrary::REGISTER_SERVER;
  const char* entryName = CServerLibrary::EntryName(entry);
  // dlopen would search the library folders for a name without '/': the
  // library is always taken as a path, and an absolute one, so that the
  // library registers the path it will be found at later.
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute(library, error);
  if (error) return parser.UsageError(err, "cannot use the path " + library + ": " + error.message());

  const CServerLibrary::Call call = CServerLibrary::CallRegistration(path, entry);
  switch (call.step) {
    case CServerLibrary::CANNOT_LOAD:
      err << "quillet-regsvr: cannot load " << library << ": " << call.loadError << "\n";
      return ExitStatus::CANNOT_OPEN;
    case CServerLibrary::NO_ENTRY_POINT:
      err << "quillet-regsvr: " << library << " has no entry point " << entryName << "\n";
      return NO_ENTRY_POINT;
    case CServerLibrary::CALLED:
      break;
  }
  if (FAILED(call.result)) {
    err << "quillet-regsvr: " << entryName << " in " << library << " failed with " << Hex(call.result);
    if (const char* name = ResultName(call.result)) err << " (" << name << ")";
    err << ".\n";
    return ENTRY_FAILED;
  }
  if (!parser.Has("silent")) out << entryName << " in " << library << " succeeded.\n";
  return ExitStatus::OK;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = Run(args, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
