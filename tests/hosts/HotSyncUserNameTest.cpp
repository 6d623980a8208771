// User names with control characters, and actions that cannot be stored:
// quillet-hotsync and quillet-handheld refuse them with one line and a
// non-zero exit status, and store nothing.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "support/TempFolder.h"
#include "support/ProcessRunner.h"

namespace {

using testsupport::ProcessResult;

class HotSyncUserNameTest : public ::testing::Test {
 protected:
  ProcessResult Run(const char* program, const std::vector<std::string>& args) const {
    return testsupport::RunProcess(program, args,
                                   {{"QUILLET_HOME", (folder / "home").string()},
                                    {"QUILLET_CONFIG_HOME", (folder / "config").string()},
                                    {"XDG_DATA_HOME", ""},
                                    {"XDG_CONFIG_HOME", ""},
                                    {"QUILLET_CONDUIT", ""}});
  }
  ProcessResult HotSync(const std::vector<std::string>& args) const { return Run(QUILLET_HOTSYNC_PROGRAM, args); }
  ProcessResult Handheld(const std::vector<std::string>& args) const { return Run(QUILLET_HANDHELD_PROGRAM, args); }
  static void ExpectRefused(const ProcessResult& run, int status, const std::string& message) {
    EXPECT_EQ(run.status, status) << run.out << run.err;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
  }
  std::string Registry() const {
    std::ifstream in(folder / "config" / "registry.ini", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  CTempFolder folder;
};

TEST_F(HotSyncUserNameTest, ControlCharactersInANameAreRefusedEverywhere) {
  ExpectRefused(Handheld({"init", "--user", "Ann\nSmith"}), 2, "the user name holds a line end (0x0A)");
  EXPECT_FALSE(std::filesystem::exists(folder / "home" / "devices" / "default"));

  ASSERT_EQ(Handheld({"init", "--user", "Ann"}).status, 0);
  ASSERT_EQ(HotSync({"sync"}).status, 0);
  const std::string registry = Registry();
  for (const char* command : {"action", "configure", "log"}) {
    SCOPED_TRACE(command);
    ExpectRefused(HotSync({command, "--user", "Ann\tSmith"}), 2, "the user name holds a control character (0x09)");
  }
  ExpectRefused(HotSync({"action", "--user", "A\nn", "--set", "slow"}), 2, "the user name holds a line end");
  // A name that has never HotSynced here stores nothing either; a known one
  // is found whatever its case.
  ExpectRefused(HotSync({"action", "--user", "Anne", "--set", "slow"}), 2,
                "'Anne' has never HotSynced with this desktop (the HotSync users: Ann)");
  EXPECT_EQ(Registry(), registry);
  const ProcessResult set = HotSync({"action", "--user", "ann", "--set", "slow"});
  EXPECT_EQ(set.status, 0) << set.err;
  EXPECT_NE(set.out.find("User: Ann\n"), std::string::npos) << set.out;

  // A handheld whose user name holds a line end is not synchronised.
  const std::filesystem::path deviceFile = folder / "home" / "devices" / "default" / "device.json";
  std::ifstream in(deviceFile, std::ios::binary);
  std::string json((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  const std::size_t at = json.find("\"Ann\"");
  ASSERT_NE(at, std::string::npos) << json;
  json.replace(at, 5, "\"Bo\\nb\"");
  std::ofstream(deviceFile, std::ios::binary | std::ios::trunc) << json;
  const ProcessResult sync = HotSync({"sync"});
  EXPECT_NE(sync.status, 0) << sync.out;
  EXPECT_EQ(sync.err.find('\n'), sync.err.size() - 1) << "one line: " << sync.err;
  EXPECT_EQ(Registry().find("Bo"), std::string::npos) << Registry();
  std::vector<std::string> folders;
  for (const auto& entry : std::filesystem::directory_iterator(folder / "home" / "HotSync")) {
    folders.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(folders, std::vector<std::string>{"Ann"});
}

TEST_F(HotSyncUserNameTest, AnActionTheRegistryCannotTakeIsAFailure) {
  ASSERT_EQ(Handheld({"init", "--user", "Ann"}).status, 0);
  ASSERT_EQ(HotSync({"sync"}).status, 0);
  // The registry can still be read, but no change can take its lock.
  const std::filesystem::path lock = folder / "config" / "registry.ini.lock";
  std::filesystem::remove(lock);
  std::filesystem::create_directory(lock);
  ExpectRefused(HotSync({"action", "--set", "slow"}), 3, "cannot store the action");
  const ProcessResult shown = HotSync({"action"});
  EXPECT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.out.find("Next HotSync action: Synchronize the files (sync)"), std::string::npos) << shown.out;
}

}  // namespace
