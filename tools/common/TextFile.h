#pragma once
// Reading the text file that a command takes a memo text from (--text-file).

#include <cstddef>
#include <string>

// Reads the whole file, refusing one of more than `maxBytes` bytes before
// reading it.  False with a one-line reason.
bool ReadTextFile(const std::string& path, std::size_t maxBytes, std::string& bytes, std::string& error);
