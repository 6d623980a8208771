#pragma once
// The device a command works on: finds its folder (--device DIR, else the
// default device under $QUILLET_HOME or $XDG_DATA_HOME), opens it and its memo
// database, asks for the password when the memos are protected, and writes the
// changes back.  Every problem is reported on one line of standard error and
// turned into the tool's exit status.
//
// A session holds the device's lock (the one a HotSync holds for its whole
// run) from before it opens the device until it ends, so that a change never
// comes between another writer's read and write.  Commands that only read take
// it too: as on a real handheld, the memos are not there to look at while a
// HotSync runs.

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "handheld/Device.h"
#include "handheld/MemoApp.h"
#include "platform/files/FileLock.h"

class CArgParser;
class CPasswordSource;

class CHandheldSession {
 public:
  static constexpr int PROMPT_ATTEMPTS = 3;

  explicit CHandheldSession(std::string commandPath);

  // Declares --device DIR.
  static void AddDeviceOption(CArgParser& parser);
  // The default device folder, or empty when no home folder is known.
  static std::filesystem::path DefaultDevice();

  // Takes the folder from the parsed command line.  OK or USAGE.
  int Locate(const CArgParser& parser, std::ostream& err);
  // Declares --device DIR and, with `passwords`, the password options; parses
  // the command line, configures the password source and takes the folder.
  // CArgParser::CONTINUE, or the exit status to end with.
  int ParseCommandLine(CArgParser& parser, const std::vector<std::string>& args, CPasswordSource* passwords,
                       std::ostream& out, std::ostream& err);
  // Takes the device's lock, waiting a short while for another holder, and
  // removes the temporary files that killed writers left in the device folder.
  // OK, or CANNOT_OPEN when another program keeps the device.  A folder that
  // does not exist is not locked (OK): opening the device reports it.
  // newDevice creates the folder first, for a device about to be made.
  int LockDevice(std::ostream& err, bool newDevice = false);
  // Locks (LockDevice) and opens the device: OK, CANNOT_OPEN or DAMAGED.
  int OpenDevice(std::ostream& err);
  // Opens the device and its memo database.
  int OpenMemos(std::ostream& err);
  // When the memos are protected, gets the password and unlocks them: OK or PASSWORD.
  int Unlock(const CPasswordSource& passwords, std::ostream& err);
  // Writes the memo database back: OK or CANNOT_OPEN.
  int SaveMemos(std::ostream& err);

  const std::filesystem::path& Folder() const { return m_folder; }
  CDevice& Device() { return m_device; }
  CMemoApp& Memos() { return *m_memos; }

  // Prints "<command>: <message>" and returns the status.
  int Fail(std::ostream& err, int status, const std::string& message) const;
  // The exit status for a handheld result code met while opening or writing.
  static int StatusFor(int result);

 private:
  std::string m_commandPath;
  std::filesystem::path m_folder;
  CDevice m_device;
  std::unique_ptr<CMemoApp> m_memos;
  CFileLock m_lock;
};
