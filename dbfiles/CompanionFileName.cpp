#include "dbfiles/CompanionFileName.h"

#include "platform/text/Mbcs.h"

bool IsFolderSeparator(char c) {
#ifdef _WIN32
  return c == '\\';
#else
  return c == '\\' || c == '/';
#endif
}

std::size_t FindLastFolderSeparator(std::string_view path) {
  std::size_t last = MbsFindLast(path, '\\');
#ifndef _WIN32
  std::size_t slash = MbsFindLast(path, '/');
  if (slash != std::string_view::npos && (last == std::string_view::npos || slash > last)) last = slash;
#endif
  return last;
}

std::string CompanionFileName(std::string_view path, std::string_view extension) {
  std::size_t dot = MbsFindLast(path, '.');
  std::size_t separator = FindLastFolderSeparator(path);
  std::string result(path);
  if (dot != std::string_view::npos && (separator == std::string_view::npos || separator < dot)) {
    result.resize(dot);
  }
  result.append(extension);
  return result;
}
