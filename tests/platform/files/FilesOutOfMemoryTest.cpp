// The file helpers with memory running out at every allocation in turn: each
// reports FILE_ERR_NO_MEMORY (or, for the lock, LOCK_FAILED), the target file
// keeps its old content, and no temporary file is left behind.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/files/AtomicFileWriter.h"
#include "platform/files/FileLock.h"
#include "platform/files/FileSystem.h"
#include "platform/files/StaleTemporaries.h"
#include "support/AllocationFailure.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(FilesOutOfMemory, ReplaceReadAndRemove) {
  const fs::path folder = fs::temp_directory_path() / ("quillet-files-oom-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string target = (folder / "data.bin").string();
  const std::string doomed = (folder / "doomed.bin").string();
  const std::string replacement(5000, 'n');
  const std::string nested = (folder / "made" / "folder with a name long enough to need memory").string();
  const std::size_t failures = AllocationFailureLoop([&](std::size_t n) {
    fs::remove_all(folder / "made");
    std::ofstream(target, std::ios::binary) << "old content";
    std::ofstream(doomed, std::ios::binary) << "x";
    std::ofstream(folder / ".data.bin.Stale1", std::ios::binary) << "left by a killed writer";
    std::vector<std::uint8_t> read;
    int rc = Files::FILE_OK;
    bool fired = false;
    {
      CFileLock lock;
      const std::function<int()> steps[] = {
          [&] { return lock.Acquire(target, 0) == CFileLock::LOCK_OK ? Files::FILE_OK : Files::FILE_ERR_NO_MEMORY; },
          [&] {
            (void)Files::RemoveStaleTemporaries(target);
            return Files::FILE_OK;
          },
          [&] {
            CAtomicFileWriter writer;
            Files::FileResult r = writer.Begin(target, CAtomicFileWriter::Options{});
            if (r == Files::FILE_OK) r = writer.Write(replacement.data(), replacement.size());
            if (r == Files::FILE_OK) r = writer.Commit();
            return static_cast<int>(r);
          },
          [&] { return static_cast<int>(Files::ReadWholeFile(target, read)); },
          [&] { return static_cast<int>(Files::RemoveFileDurably(doomed)); },
          [&] {
            if (Files::MakeFolders(nested)) return static_cast<int>(Files::FILE_OK);
            return static_cast<int>(errno == ENOMEM ? Files::FILE_ERR_NO_MEMORY : Files::FILE_ERR_IO);
          },
      };
      CAllocationFailure failure(n);
      for (const auto& step : steps) {
        rc = step();
        if (rc != Files::FILE_OK) break;
      }
      fired = failure.Fired();
    }
    const std::string now = ReadText(target);
    EXPECT_TRUE(now == "old content" || now == replacement) << "allocation " << n;
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      EXPECT_TRUE(name == "data.bin" || name == "doomed.bin" || name == ".data.bin.lock" || name == "made" ||
                  name == ".data.bin.Stale1")
          << "allocation " << n << ": " << name;
    }
    if (!fired) {
      EXPECT_EQ(Files::FILE_OK, rc);
      EXPECT_EQ(replacement.size(), read.size());
      return false;
    }
    EXPECT_EQ(Files::FILE_ERR_NO_MEMORY, rc) << "allocation " << n;
    return true;
  });
  EXPECT_GT(failures, 3u);
  fs::remove_all(folder);
}

}  // namespace
