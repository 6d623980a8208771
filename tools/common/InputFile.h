#pragma once
// A check made before a command reads a file it was given: that the name is a
// regular file that can be opened for reading.  The file is opened without
// blocking and examined through its descriptor, so that a named pipe is
// refused at once instead of holding the command until some writer comes, and
// a folder or a device is refused with a message that says what it is.

#include <string>

enum InputFileResult {
  INPUT_FILE_OK = 0,
  INPUT_FILE_MISSING = 1,      // nothing has that name
  INPUT_FILE_UNREADABLE = 2,   // it cannot be opened (permissions, ...)
  INPUT_FILE_NOT_REGULAR = 3,  // a folder, a named pipe, a device or a socket
};

// On failure `error` holds a one-line reason naming the path, e.g.
// "cannot open x.dat: Permission denied" or "x.dat is a named pipe, not a file".
InputFileResult CheckInputFile(const std::string& path, std::string& error);
