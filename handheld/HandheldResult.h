#pragma once
// Result codes of the simulated handheld.  Every operation of the handheld
// library returns one of these; nothing throws out of it.

namespace HandheldResult {

inline constexpr int HH_OK = 0;
inline constexpr int HH_ERR_NOT_FOUND = 1;     // no such device, database, record or category
inline constexpr int HH_ERR_DAMAGED = 2;       // a file is not a well-formed database or device file
inline constexpr int HH_ERR_IO = 3;            // reading or writing a file failed
inline constexpr int HH_ERR_EXISTS = 4;        // the database, device or category exists already
inline constexpr int HH_ERR_FULL = 5;          // no free record id, category slot or category id
inline constexpr int HH_ERR_NO_MEMORY = 6;
inline constexpr int HH_ERR_ARGUMENT = 7;      // a name, text or value the operation cannot take
inline constexpr int HH_ERR_PASSWORD = 8;      // password missing or wrong
inline constexpr int HH_ERR_READ_ONLY = 9;     // a write through a database opened for reading
inline constexpr int HH_ERR_TOO_LARGE = 10;    // record, block or database beyond its limit
inline constexpr int HH_ERR_NOT_PROTECTED = 11;// a password operation on unprotected memos
inline constexpr int HH_ERR_PROTECTED = 12;    // setting a password where one is set already

// A short English description of a code, for messages.
inline const char* Describe(int code) {
  switch (code) {
    case HH_OK: return "done";
    case HH_ERR_NOT_FOUND: return "not found";
    case HH_ERR_DAMAGED: return "damaged file";
    case HH_ERR_IO: return "input/output error";
    case HH_ERR_EXISTS: return "already exists";
    case HH_ERR_FULL: return "no room left";
    case HH_ERR_NO_MEMORY: return "out of memory";
    case HH_ERR_ARGUMENT: return "invalid argument";
    case HH_ERR_PASSWORD: return "password missing or wrong";
    case HH_ERR_READ_ONLY: return "database opened for reading only";
    case HH_ERR_TOO_LARGE: return "too large";
    case HH_ERR_NOT_PROTECTED: return "the memos are not protected";
    case HH_ERR_PROTECTED: return "the memos are protected already";
    default: return "unknown error";
  }
}

}  // namespace HandheldResult
