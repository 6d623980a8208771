// The HotSync log stand-in: one line per entry, counting, host reset.

#include "platform/hslog20/HsLog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::filesystem::path TempLog() {
  return std::filesystem::temp_directory_path() /
         ("quillet-hslog-" + std::to_string(::getpid()) + ".log");
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(HsLog, EntriesAreCountedPerHotSyncAndKeptInMemory) {
  LogReset();
  EXPECT_EQ(LogTestHeader(), 0);
  EXPECT_EQ(LogAddEntry("first", 4, 0), 0);
  EXPECT_EQ(LogAddEntry(nullptr, -1, 0), 0);  // a marker without text is not counted
  EXPECT_EQ(LogTestHeader(), 1);
  ASSERT_EQ(LogEntries().size(), 2u);
  EXPECT_EQ(LogEntries()[1].text, "");
  LogSetFile(nullptr);  // a new HotSync without a file
  EXPECT_EQ(LogTestHeader(), 0);
  EXPECT_TRUE(LogEntries().empty());
}

TEST(HsLog, EachEntryIsOneLineOfTheFile) {
  auto path = TempLog();
  std::filesystem::remove(path);
  LogSetFile(path.c_str());
  EXPECT_EQ(LogAddEntry("two\r\nlines", 9, 0), 0);
  EXPECT_EQ(LogAddEntry("next", -1, 0), 0);
  LogReset();
  EXPECT_EQ(LogAddEntry("not in the file", 1, 0), 0);

  std::string text = ReadAll(path);
  std::istringstream lines(text);
  std::string line1, line2, extra;
  ASSERT_TRUE(std::getline(lines, line1));
  ASSERT_TRUE(std::getline(lines, line2));
  EXPECT_FALSE(std::getline(lines, extra));
  // <YYYY-MM-DDTHH:MM:SS>\t<activity>\t<text>
  ASSERT_GT(line1.size(), 20u);
  EXPECT_EQ(line1[4], '-');
  EXPECT_EQ(line1[10], 'T');
  EXPECT_EQ(line1.substr(19), "\t9\ttwo  lines");
  EXPECT_EQ(line2.substr(19), "\t-1\tnext");
  std::filesystem::remove(path);
  LogReset();
}

TEST(HsLog, AnUnwritableFileFailsTheEntryButStillCountsIt) {
  LogSetFile("/nonexistent-quillet-dir/HotSync.log");
  EXPECT_EQ(LogAddEntry("lost", 1, 0), -1);
  EXPECT_EQ(LogTestHeader(), 1);
  EXPECT_EQ(LogEntries().size(), 1u);
  LogReset();
}

}  // namespace
