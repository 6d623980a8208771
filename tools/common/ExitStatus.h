#pragma once
// Exit statuses shared by the command-line programs.  Scripts rely on them, so
// they never change meaning.

namespace ExitStatus {

inline constexpr int OK = 0;
inline constexpr int FAILED = 1;        // anything not covered below
inline constexpr int USAGE = 2;         // bad command line or unusable argument
inline constexpr int CANNOT_OPEN = 3;   // the file cannot be opened, created or written
inline constexpr int PASSWORD = 4;      // password missing or wrong
inline constexpr int DAMAGED = 5;       // the file is not a valid record file

}  // namespace ExitStatus
