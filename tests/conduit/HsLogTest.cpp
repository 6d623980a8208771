// The HotSync log stand-in: one line per entry, counting, host reset.

#include "platform/hslog20/HsLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files/ScopedFileEnv.h"
#include "support/FaultInjectionEnv.h"
#include "support/TempFolder.h"

namespace {

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
  CTempFolder folder("hslog");
  const auto path = folder / "HotSync.log";
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
  LogReset();
}

TEST(HsLog, AnUnwritableFileFailsTheEntryButStillCountsIt) {
  LogSetFile("/nonexistent-quillet-dir/HotSync.log");
  EXPECT_EQ(LogAddEntry("lost", 1, 0), -1);
  EXPECT_EQ(LogTestHeader(), 1);
  EXPECT_EQ(LogEntries().size(), 1u);
  LogReset();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The log is only appended to: whatever fails, the lines of earlier HotSyncs
// stay, every entry reported written is a whole line of its own, and a piece
// that a failed write left behind never joins the next entry's line.
TEST(HsLog, FailedAppendsKeepEveryWrittenEntryWhole) {
  using Op = IFileEnv::Op;
  CTempFolder folder("hslog");
  const auto path = folder / "HotSync.log";
  const std::vector<std::string> texts = {"first report", "second report", "third report"};
  CFaultInjectionEnv faults;
  // One earlier HotSync, then one with `fault` planned (none: clean), then
  // one more.  The results of the middle one's entries.
  const auto run = [&](const CFaultInjectionEnv::SFault* fault) {
    std::filesystem::remove(path);
    LogSetFile(path.c_str());
    EXPECT_EQ(LogAddEntry("earlier", 4, 0), 0);
    std::vector<int> results;
    {
      if (fault != nullptr) {
        faults.Plan(*fault, ENOSPC);
      } else {
        faults.Reset();
      }
      CScopedFileEnv use(faults);
      LogSetFile(path.c_str());
      for (const std::string& text : texts) results.push_back(LogAddEntry(text.c_str(), 4, 0));
    }
    LogSetFile(path.c_str());
    EXPECT_EQ(LogAddEntry("later", 4, 0), 0);
    LogReset();
    return results;
  };
  ASSERT_EQ(run(nullptr), std::vector<int>(texts.size(), 0));
  for (const auto& fault : faults.EachFault({Op::OPEN_WRITE, Op::STAT, Op::READ, Op::WRITE, Op::CLOSE})) {
    const std::vector<int> results = run(&fault);
    EXPECT_EQ(faults.Injected(), 1) << fault.Describe();
    // The texts of the whole lines; any other line is a piece of one.
    std::vector<std::string> whole;
    for (const std::string& line : Lines(ReadAll(path))) {
      const std::string text = line.size() > 22 && line.compare(19, 3, "\t4\t") == 0 ? line.substr(22) : "";
      if (text == "earlier" || text == "later" || std::find(texts.begin(), texts.end(), text) != texts.end()) {
        whole.push_back(text);
      } else {
        EXPECT_LT(line.size(), 22 + texts[0].size()) << fault.Describe() << ": " << line;
      }
    }
    // Every entry reported written is there; one that failed may be or not.
    std::vector<std::string> expected = {"earlier"};
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const bool there = std::find(whole.begin(), whole.end(), texts[i]) != whole.end();
      if (results[i] == 0 || there) expected.push_back(texts[i]);
    }
    expected.push_back("later");
    EXPECT_EQ(whole, expected) << fault.Describe();
    if (fault.op == Op::WRITE || fault.op == Op::OPEN_WRITE) {
      EXPECT_NE(results, std::vector<int>(texts.size(), 0)) << fault.Describe() << ": the failure is reported";
    }
  }
}

}  // namespace
