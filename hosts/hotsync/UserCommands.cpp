// quillet-hotsync action, configure, info and log: the user's HotSync action,
// the conduit's own dialog and information, and the HotSync log.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "conduit/ConduitBlocks.h"
#include "conduit/SyncLog.h"
#include "hosts/hotsync/Commands.h"
#include "hosts/hotsync/ConduitLibrary.h"
#include "hosts/hotsync/HotSyncPaths.h"
#include "hosts/hotsync/HotSyncSettings.h"
#include "hosts/hotsync/LogText.h"
#include "hosts/hotsync/SyncActions.h"
#include "platform/files/FileSystem.h"
#include "platform/text/UserName.h"
#include "tools/common/ArgParser.h"
#include "tools/common/ExitStatus.h"
#include "tools/common/InputFile.h"
#include "tools/common/ToolText.h"

namespace {

int Fail(std::ostream& err, const CArgParser& parser, int status, const std::string& message) {
  err << parser.CommandPath() << ": " << message << '\n';
  return status;
}

// Whether a command may name only a user who has HotSynced here: the
// commands that show or change a user's action, so that a mistyped name
// neither stores an action no HotSync will use nor shows one as if it would.
enum class Named { ANY_USER, KNOWN_USER };

// The user of a command: --user, else the last (or only) HotSync user.
// CArgParser::CONTINUE, or the usage error's status when there is none.
int ChooseUser(const CArgParser& parser, CHotSyncSettings& settings, std::string& user, std::ostream& err,
               Named named = Named::KNOWN_USER) {
  if (!parser.Has("user")) {
    user = settings.DefaultUser();
    if (!user.empty()) return CArgParser::CONTINUE;
    const std::vector<std::string> users = settings.Users();
    if (users.size() > 1) return parser.UsageError(err, "there are several HotSync users: give --user U");
    return parser.UsageError(err, "no HotSync user yet: give --user U");
  }
  user = parser.Value("user");
  if (const std::string problem = UserName::Problem(user); !problem.empty()) {
    return parser.UsageError(err, "the user name " + problem);
  }
  // A known user goes by the spelling the HotSync kept, which also names the
  // user's HotSync folder.
  if (std::string known = settings.KnownUser(user); !known.empty()) {
    user = std::move(known);
    return CArgParser::CONTINUE;
  }
  if (named == Named::KNOWN_USER) {
    std::string users;
    for (const std::string& name : settings.Users()) users += (users.empty() ? "" : ", ") + name;
    return parser.UsageError(err, "'" + user + "' has never HotSynced with this desktop" +
                                      (users.empty() ? std::string() : " (the HotSync users: " + users + ")"));
  }
  return CArgParser::CONTINUE;
}

void AddUserOption(CArgParser& parser) {
  parser.AddOption("user", "U", "the HotSync user (default: the user of the last HotSync)");
}

void PrintActions(std::ostream& out, const std::string& user, const CHotSyncSettings::Actions& actions) {
  out << "User: " << user << '\n';
  out << "Default HotSync action: " << SyncActionDescription(actions.permanent) << " ("
      << SyncActionName(actions.permanent) << ")\n";
  const std::int32_t next = actions.next.value_or(actions.permanent);
  out << "Next HotSync action: " << SyncActionDescription(next) << " (" << SyncActionName(next) << ")\n";
}

bool LoadConduit(CConduitLibrary& conduit, const CArgParser& parser, std::ostream& err) {
  if (conduit.Load(CConduitLibrary::DefaultPath())) return true;
  Fail(err, parser, ExitStatus::FAILED, conduit.Error());
  return false;
}

}  // namespace

int ActionCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-hotsync action", "Shows or chooses what the next HotSync does with the memos.");
  AddUserOption(parser);
  parser.AddOption("set", "ACTION", "sync, slow, handheld-overwrites, desktop-overwrites or nothing");
  parser.AddFlag("default", "with --set: make the action the default (else: the next HotSync only)");
  int status = parser.Run(args, out, err);
  if (status != CArgParser::CONTINUE) return status;
  if (parser.Has("default") && !parser.Has("set")) return parser.UsageError(err, "--default needs --set");
  std::int32_t syncType = SYNC_TYPE_FAST;
  if (parser.Has("set") && !ParseSyncAction(parser.Value("set"), syncType)) {
    return parser.UsageError(err, "unknown action '" + parser.Value("set") + "'");
  }
  CHotSyncSettings settings;
  std::string user;
  if (const int s = ChooseUser(parser, settings, user, err); s != CArgParser::CONTINUE) return s;
  if (parser.Has("set") && !settings.SetAction(user, syncType, parser.Has("default"))) {
    return Fail(err, parser, ExitStatus::CANNOT_OPEN, "cannot store the action: " + settings.Error());
  }
  PrintActions(out, user, settings.GetActions(user));
  return ExitStatus::OK;
}

int ConfigureCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-hotsync configure",
                    "Shows the conduit's \"Change HotSync Action\" dialog and keeps the choice.");
  AddUserOption(parser);
  int status = parser.Run(args, out, err);
  if (status != CArgParser::CONTINUE) return status;
  CHotSyncSettings settings;
  std::string user;
  if (const int s = ChooseUser(parser, settings, user, err); s != CArgParser::CONTINUE) return s;
  const CHotSyncSettings::Actions actions = settings.GetActions(user);

  ConduitConfigBlock block{};
  block.version = CONDUIT_CONFIG_VERSION;
  block.size = CONDUIT_CONFIG_SIZE;
  block.creator = MEMO_DB_CREATOR;
  block.userId = settings.UserId(user);
  std::string ansiUser;
  if (!InputToAnsi(user, ansiUser)) ansiUser.clear();
  std::strncpy(block.userName, ansiUser.c_str(), sizeof block.userName - 1);
  std::strncpy(block.localName, LOCAL_FILE_NAME, sizeof block.localName - 1);
  block.defaultSyncType = actions.permanent;
  block.nextSyncType = actions.next.value_or(actions.permanent);
  block.chosenSyncType = block.nextSyncType;
  // Left 0 by a cancelled dialog: the dialog writes 1 or 2 on OK.
  block.preference = 0;

  CConduitLibrary conduit;
  if (!LoadConduit(conduit, parser, err)) return ExitStatus::FAILED;
  std::uint32_t size = sizeof block;
  const std::int32_t result = conduit.cfgConduit(CONDUIT_CFG_STANDARD, &block, &size);
  if (result != 0) {
    return Fail(err, parser, ExitStatus::FAILED,
                result == -1 ? std::string("the dialog cannot be shown (no display)")
                             : "the conduit refused the configuration: " + std::to_string(result));
  }
  if (block.preference != SYNC_PREF_PERMANENT && block.preference != SYNC_PREF_TEMPORARY) {
    out << "Cancelled: nothing changed.\n";
  } else if (!settings.SetAction(user, block.chosenSyncType, block.preference == SYNC_PREF_PERMANENT)) {
    return Fail(err, parser, ExitStatus::CANNOT_OPEN, "cannot store the action: " + settings.Error());
  }
  PrintActions(out, user, settings.GetActions(user));
  return ExitStatus::OK;
}

int InfoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-hotsync info", "Shows what the conduit tells the HotSync Manager about itself.");
  int status = parser.Run(args, out, err);
  if (status != CArgParser::CONTINUE) return status;
  CConduitLibrary conduit;
  if (!LoadConduit(conduit, parser, err)) return ExitStatus::FAILED;

  char name[256] = "";
  std::int32_t rc = conduit.getConduitName(name, sizeof name);
  out << "Conduit: " << conduit.Path().string() << '\n';
  out << "GetConduitName: " << (rc == 0 ? AnsiToVisible(name) : "failed (" + std::to_string(rc) + ")") << '\n';
  const std::int32_t version = conduit.getConduitVersion();
  out << "GetConduitVersion: " << version << " (" << (version >> 8) << '.' << (version & 0xFF) << ")\n";

  ConduitRequestBlock request{};
  request.version = CONDUIT_REQUEST_VERSION;
  request.size = CONDUIT_REQUEST_SIZE;
  request.creator = MEMO_DB_CREATOR;
  char text[256] = "";
  std::uint32_t size = sizeof text;
  rc = conduit.getConduitInfo(CONDUIT_INFO_NAME, &request, text, &size);
  out << "GetConduitInfo 0 (name): " << (rc == 0 ? AnsiToVisible(text) : "failed (" + std::to_string(rc) + ")")
      << '\n';
  for (std::int32_t type : {CONDUIT_INFO_MFC_VERSION, CONDUIT_INFO_DEFAULT_ACTION}) {
    std::uint32_t value = 0;
    size = sizeof value;
    rc = conduit.getConduitInfo(type, nullptr, &value, &size);
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", value);
    out << "GetConduitInfo " << type << (type == CONDUIT_INFO_MFC_VERSION ? " (version value): " : " (default action): ");
    if (rc != 0) {
      out << "failed (" << rc << ")\n";
    } else if (type == CONDUIT_INFO_DEFAULT_ACTION) {
      out << value << " (" << SyncActionDescription(static_cast<std::int32_t>(value)) << ")\n";
    } else {
      out << hex << '\n';
    }
  }
  return ExitStatus::OK;
}

int LogCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CArgParser parser("quillet-hotsync log", "Shows the user's HotSync log, oldest entry first.");
  AddUserOption(parser);
  parser.AddOption("home", "DIR", "the quillet home (default: $QUILLET_HOME, else $XDG_DATA_HOME/quillet)");
  int status = parser.Run(args, out, err);
  if (status != CArgParser::CONTINUE) return status;
  CHotSyncSettings settings;
  std::string user;
  if (const int s = ChooseUser(parser, settings, user, err, Named::ANY_USER); s != CArgParser::CONTINUE) return s;
  std::filesystem::path home = QuilletHome(parser.Value("home"));
  if (home.empty()) return parser.UsageError(err, "no home folder: give --home DIR or set QUILLET_HOME");
  std::filesystem::path file = HotSyncFolder(home, user) / LOG_FILE_NAME;
  // A pipe or a device with the log's name is refused rather than waited on.
  std::string error;
  switch (CheckInputFile(file.string(), error)) {
    case INPUT_FILE_OK:
      break;
    case INPUT_FILE_MISSING:
      out << "No HotSync log for " << user << " yet.\n";
      return ExitStatus::OK;
    default:
      return Fail(err, parser, ExitStatus::CANNOT_OPEN, error);
  }
  std::vector<std::uint8_t> bytes;
  if (Files::ReadWholeFile(file.string(), bytes) != Files::FILE_OK) {
    return Fail(err, parser, ExitStatus::CANNOT_OPEN, "cannot read " + file.string() + ": " + std::strerror(errno));
  }
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  // Each line: time, activity code, text (the conduit's ANSI text).
  // A HotSync starts with entries without text (activity 19 first); they are
  // shown as one heading.
  std::string line;
  bool inStart = false;
  while (std::getline(in, line)) {
    std::size_t tab1 = line.find('\t');
    std::size_t tab2 = tab1 == std::string::npos ? std::string::npos : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos) {
      out << AnsiToVisible(line) << '\n';
      inStart = false;
      continue;
    }
    std::string time = line.substr(0, tab1);
    std::string activity = line.substr(tab1 + 1, tab2 - tab1 - 1);
    std::string text = line.substr(tab2 + 1);
    if (text.empty()) {
      if (activity == "19" && !inStart) out << time << "  HotSync started\n";
      inStart = true;
      continue;
    }
    inStart = false;
    std::int32_t code = 0;
    try {
      code = static_cast<std::int32_t>(std::stol(activity));
    } catch (const std::exception&) {
      code = CSyncLog::ACT_NONE;
    }
    out << time << "  " << LogEntryForDisplay(code, text) << '\n';
  }
  return ExitStatus::OK;
}
