#pragma once
// The commands of quillet-hotsync.  Each takes the words after its name and
// returns the exit status.

#include <iosfwd>
#include <string>
#include <vector>

int SyncCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int ActionCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int ConfigureCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int InfoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int LogCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The conduit's database.
inline constexpr const char* MEMO_DB_NAME = "QuilletMemoDB";
inline constexpr unsigned MEMO_DB_CREATOR = 0x44655275;  // 'DeRu'
inline constexpr unsigned MEMO_DB_TYPE = 0x44415441;     // 'DATA'
