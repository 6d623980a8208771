#pragma once
// The commands of the quillet program.  Each receives the words after its name
// and returns the exit status (tools/common/ExitStatus.h).

#include <iosfwd>
#include <string>
#include <vector>

int InitCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int ListCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int ShowCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int AddCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int EditCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int DeleteCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int CategoriesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int CategoryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int ExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int ImportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int DemoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int PasswordCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
