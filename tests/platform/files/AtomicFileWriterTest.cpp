// Crash-safe replacement: what the target holds after every way a
// replacement can end, its permissions, and the existence rules.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/files/AtomicFileWriter.h"
#include "platform/files/ScopedFileEnv.h"
#include "support/FaultInjectionEnv.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using namespace Files;
using Existence = CAtomicFileWriter::Existence;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

// Writes the bytes in two pieces and commits.
FileResult Replace(CAtomicFileWriter& out, const std::string& path, const std::string& bytes,
                   const CAtomicFileWriter::Options& options = {}) {
  FileResult rc = out.Begin(path, options);
  if (rc == FILE_OK) rc = out.Write(bytes.data(), bytes.size() / 2);
  if (rc == FILE_OK) rc = out.Write(bytes.data() + bytes.size() / 2, bytes.size() - bytes.size() / 2);
  if (rc == FILE_OK) rc = out.Commit();
  return rc;
}

const std::string ORIGINAL("original\0bytes\xff", 15);
const std::string REPLACEMENT("the new content\0", 16);

TEST(AtomicFileWriter, ReplacesTheFileKeepingItsPermissions) {
  CTempFolder folder;
  const std::string path = folder.File("record.dat");
  WriteFile(path, ORIGINAL);
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);

  CAtomicFileWriter out;
  ASSERT_EQ(Replace(out, path, REPLACEMENT), FILE_OK);
  EXPECT_FALSE(out.IsOpen());
  EXPECT_EQ(ReadAll(path), REPLACEMENT);
  EXPECT_EQ(ModeOf(path), 0640u);
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino) << "a new file is renamed into place";
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"record.dat"});

  // The same writer serves again; without keepExistingMode the new mode applies.
  CAtomicFileWriter::Options options;
  options.keepExistingMode = false;
  options.newFileMode = 0600;
  ASSERT_EQ(Replace(out, path, ORIGINAL, options), FILE_OK);
  EXPECT_EQ(ReadAll(path), ORIGINAL);
  EXPECT_EQ(ModeOf(path), 0600u);
}

TEST(AtomicFileWriter, NewFilesGetTheUmaskModeOrTheModeAsked) {
  CTempFolder folder;
  const mode_t old = ::umask(027);
  CAtomicFileWriter out;
  EXPECT_EQ(Replace(out, folder.File("usual"), "x"), FILE_OK);
  CAtomicFileWriter::Options options;
  options.newFileMode = 0604;  // not narrowed by the umask
  EXPECT_EQ(Replace(out, folder.File("asked"), "y", options), FILE_OK);
  ::umask(old);
  EXPECT_EQ(ModeOf(folder.File("usual")), 0640u);
  EXPECT_EQ(ModeOf(folder.File("asked")), 0604u);
  EXPECT_EQ(ReadAll(folder.File("asked")), "y");
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"asked", "usual"}));
}

TEST(AtomicFileWriter, FailureAtAnyStepLeavesTheOriginalAndNoTemporaryFile) {
  CTempFolder folder;
  const std::string path = folder.File("record.dat");
  using Op = IFileEnv::Op;
  CFaultInjectionEnv faults;
  const auto clean = [&] {
    WriteFile(path, ORIGINAL);
    CScopedFileEnv use(faults);
    faults.Reset();
    CAtomicFileWriter out;
    EXPECT_EQ(Replace(out, path, REPLACEMENT), FILE_OK);
  };
  // Every operation of each kind fails in turn (and every write is cut short):
  // the original stays unless the replacement was reported in place.
  struct Case {
    Op op;
    bool cut;
    FileResult expected;  // FILE_OK: the step fails but is not needed
  };
  const Case cases[] = {
      {Op::OPEN_WRITE, false, FILE_ERR_CREATE}, {Op::WRITE, false, FILE_ERR_WRITE},
      {Op::WRITE, true, FILE_ERR_WRITE},        {Op::SYNC, false, FILE_ERR_FLUSH},
      {Op::CLOSE, false, FILE_ERR_CLOSE},       {Op::RENAME, false, FILE_ERR_PLACE},
      {Op::SYNC_FOLDER, false, FILE_ERR_FOLDER_SYNC},
  };
  for (const Case& c : cases) {
    clean();
    const int count = faults.Count(c.op);
    ASSERT_GT(count, 0) << CFaultInjectionEnv::Name(c.op);
    for (int n = 1; n <= count; ++n) {
      const std::string step = std::string(CFaultInjectionEnv::Name(c.op)) + (c.cut ? " cut short" : "") +
                               " #" + std::to_string(n);
      WriteFile(path, ORIGINAL);
      FileResult rc;
      {
        CScopedFileEnv use(faults);
        faults.Reset();
        if (c.cut) {
          faults.CutNthWrite(n);
        } else {
          faults.FailNth(c.op, n, ENOSPC);
        }
        CAtomicFileWriter out;
        rc = Replace(out, path, REPLACEMENT);
        EXPECT_EQ(faults.Injected(), 1) << step;
        if (rc != FILE_OK) {
          EXPECT_EQ(out.SystemError(), ENOSPC) << step;
        }
        out.Abort();  // what a caller does after a failed write; a no-op after Commit
      }
      EXPECT_EQ(rc, c.expected) << step;
      EXPECT_EQ(ReadAll(path), rc == FILE_ERR_FOLDER_SYNC ? REPLACEMENT : ORIGINAL) << step;
      EXPECT_EQ(folder.Names(), std::vector<std::string>{"record.dat"}) << step;
    }
  }

  // Given up before Commit, or dropped unfinished: nothing changes.
  WriteFile(path, ORIGINAL);
  {
    CAtomicFileWriter out;
    ASSERT_EQ(out.Begin(path, {}), FILE_OK);
    ASSERT_EQ(out.Write(REPLACEMENT.data(), REPLACEMENT.size()), FILE_OK);
    EXPECT_EQ(folder.Names().size(), 2u) << "the temporary file sits beside the target";
    out.Abort();
    EXPECT_EQ(out.Commit(), FILE_ERR_WRITE) << "nothing left to commit";
  }
  {
    CAtomicFileWriter out;
    ASSERT_EQ(out.Begin(path, {}), FILE_OK);
    ASSERT_EQ(out.Write(REPLACEMENT.data(), REPLACEMENT.size()), FILE_OK);
  }
  EXPECT_EQ(ReadAll(path), ORIGINAL);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"record.dat"});

  // No temporary file can be made where the folder is missing.
  CAtomicFileWriter out;
  EXPECT_EQ(out.Begin(folder.File("missing/record.dat"), {}), FILE_ERR_CREATE);
  EXPECT_EQ(out.SystemError(), ENOENT);
  EXPECT_EQ(out.Write("x", 1), FILE_ERR_WRITE);
}

TEST(AtomicFileWriter, MustNotExistNeverReplacesAnything) {
  CTempFolder folder;
  const std::string path = folder.File("new.dat");
  CAtomicFileWriter::Options options;
  options.existence = Existence::MUST_NOT_EXIST;
  CAtomicFileWriter out;
  ASSERT_EQ(Replace(out, path, REPLACEMENT, options), FILE_OK);
  EXPECT_EQ(ReadAll(path), REPLACEMENT);

  // There already: refused before anything is written.
  EXPECT_EQ(out.Begin(path, options), FILE_ERR_EXISTS);
  EXPECT_EQ(ReadAll(path), REPLACEMENT);

  // A file that appears while the new one is written wins.
  const std::string raced = folder.File("raced.dat");
  ASSERT_EQ(out.Begin(raced, options), FILE_OK);
  ASSERT_EQ(out.Write(REPLACEMENT.data(), REPLACEMENT.size()), FILE_OK);
  WriteFile(raced, ORIGINAL);
  EXPECT_EQ(out.Commit(), FILE_ERR_EXISTS);
  EXPECT_EQ(ReadAll(raced), ORIGINAL);

  // A dangling symbolic link holds its name too.
  const std::string link = folder.File("link.dat");
  fs::create_symlink(folder.File("nowhere"), link);
  EXPECT_EQ(out.Begin(link, options), FILE_ERR_EXISTS);
  EXPECT_FALSE(fs::exists(folder.File("nowhere")));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"link.dat", "new.dat", "raced.dat"}));
}

TEST(AtomicFileWriter, MustExistNeverCreatesAFile) {
  CTempFolder folder;
  CAtomicFileWriter::Options options;
  options.existence = Existence::MUST_EXIST;
  CAtomicFileWriter out;
  EXPECT_EQ(out.Begin(folder.File("missing.dat"), options), FILE_ERR_NOT_FOUND);
  EXPECT_FALSE(fs::exists(folder.File("missing.dat")));

  // Not a regular file: refused, and a pipe nobody reads does not block.
  ASSERT_EQ(::mkfifo(folder.File("pipe").c_str(), 0600), 0);
  EXPECT_EQ(out.Begin(folder.File("pipe"), options), FILE_ERR_IO);
  fs::create_directory(folder.File("folder"));
  EXPECT_EQ(out.Begin(folder.File("folder"), options), FILE_ERR_IO);

  const std::string path = folder.File("record.dat");
  WriteFile(path, ORIGINAL);
  ASSERT_EQ(Replace(out, path, REPLACEMENT, options), FILE_OK);
  EXPECT_EQ(ReadAll(path), REPLACEMENT);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"folder", "pipe", "record.dat"}));
}

}  // namespace
