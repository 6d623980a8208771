// quillet-hotsync run as a user runs it: devices made and changed with
// quillet-handheld, desktop files read and changed with quillet, every sync
// action, the stored actions, protected memos, failures and exit statuses.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "handheld/JsonValue.h"
#include "support/ProcessRunner.h"
#include "support/TempFolder.h"
#include "hosts/hotsync/HotSyncSettings.h"
#include "platform/files/FileLock.h"
#include "platform/registry/Registry.h"

namespace {

using testsupport::ProcessResult;
using testsupport::RunProcess;

constexpr const char* USER = "Ann Smith";

class HotSyncToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* program : {QUILLET_HOTSYNC_PROGRAM, QUILLET_PROGRAM, QUILLET_HANDHELD_PROGRAM}) {
      ASSERT_TRUE(std::filesystem::exists(program)) << program << " is not built";
    }
  }

  std::map<std::string, std::string> Environment() const {
    return {{"QUILLET_HOME", (folder / "home").string()},
            {"QUILLET_CONFIG_HOME", (folder / "config").string()},
            {"XDG_DATA_HOME", ""},
            {"XDG_CONFIG_HOME", ""},
            {"QUILLET_CONDUIT", ""}};
  }
  ProcessResult HotSync(const std::vector<std::string>& args) const {
    return RunProcess(QUILLET_HOTSYNC_PROGRAM, args, Environment());
  }
  ProcessResult Handheld(const std::vector<std::string>& args) const {
    return RunProcess(QUILLET_HANDHELD_PROGRAM, args, Environment());
  }
  ProcessResult Quillet(const std::vector<std::string>& args) const {
    return RunProcess(QUILLET_PROGRAM, args, Environment());
  }
  // Runs a command that must succeed.
  static std::string Ok(const ProcessResult& run) {
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    return run.out;
  }

  std::string DesktopFile() const {
    return (folder / "home" / "HotSync" / USER / "Quillet" / "record.dat").string();
  }
  std::string DeviceFolder() const { return (folder / "home" / "devices" / "default").string(); }

  static CJsonValue Json(const std::string& text) {
    CJsonValue json;
    EXPECT_EQ(CJsonValue::Parse(text, json), 0) << text;
    return json;
  }
  // The texts of the memos a "list --json" shows, sorted.
  static std::vector<std::string> Texts(const std::string& listJson) {
    std::vector<std::string> texts;
    CJsonValue json = Json(listJson);
    const CJsonValue* memos = json.Find("memos");
    if (memos == nullptr) return texts;
    for (const CJsonValue& memo : memos->Items()) {
      if (memo.Find("text") == nullptr) return {"memo without text"};
    }
    for (const CJsonValue& memo : memos->Items()) texts.push_back(memo.Find("text")->AsString());
    std::sort(texts.begin(), texts.end());
    return texts;
  }
  std::vector<std::string> DesktopTexts(const std::vector<std::string>& extra = {}) const {
    std::vector<std::string> args{"list", DesktopFile(), "--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    return Texts(Ok(Quillet(args)));
  }
  std::vector<std::string> HandheldTexts(const std::vector<std::string>& extra = {}) const {
    std::vector<std::string> args{"list", "--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    return Texts(Ok(Handheld(args)));
  }
  // The id of the handheld memo with that text.
  std::string HandheldId(const std::string& text, const std::vector<std::string>& extra = {}) const {
    std::vector<std::string> args{"list", "--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    CJsonValue json = Json(Ok(Handheld(args)));
    const CJsonValue* memos = json.Find("memos");
    if (memos == nullptr) return "0";
    for (const CJsonValue& memo : memos->Items()) {
      if (memo.Find("text")->AsString() == text) return std::to_string(memo.Find("id")->AsInteger());
    }
    ADD_FAILURE() << "no handheld memo " << text;
    return "0";
  }
  // The position of the desktop memo with that text.
  std::string DesktopPosition(const std::string& text, const std::vector<std::string>& extra = {}) const {
    std::vector<std::string> args{"list", DesktopFile(), "--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    CJsonValue json = Json(Ok(Quillet(args)));
    const CJsonValue* memos = json.Find("memos");
    if (memos == nullptr) return "0";
    for (const CJsonValue& memo : memos->Items()) {
      if (memo.Find("text")->AsString() == text) return std::to_string(memo.Find("position")->AsInteger());
    }
    ADD_FAILURE() << "no desktop memo " << text;
    return "0";
  }
  std::uint32_t LastSyncPc() const {
    std::ifstream in(std::filesystem::path(DeviceFolder()) / "device.json");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return static_cast<std::uint32_t>(Json(text).Find("lastSyncPc")->AsInteger());
  }
  std::uint32_t PcId() const {
    CRegistry registry(folder / "config" / "registry.ini");
    std::uint32_t id = 0;
    EXPECT_EQ(registry.Load(), CRegistry::REG_OK);
    registry.GetDword(CHotSyncSettings::ROOT_KEY, "PcId", id);
    return id;
  }

  // A device with memos in three categories.
  void MakeDevice() {
    Ok(Handheld({"init", "--user", USER}));
    Ok(Handheld({"category", "add", "Work"}));
    Ok(Handheld({"category", "add", "Home"}));
    Ok(Handheld({"add", "--text", "groceries"}));
    Ok(Handheld({"add", "--text", "meeting notes", "--category", "Work"}));
    Ok(Handheld({"add", "--text", "paint the fence", "--category", "Home"}));
  }

  CTempFolder folder;
};

const std::vector<std::string> kFirstMemos = {"groceries", "meeting notes", "paint the fence"};

TEST_F(HotSyncToolTest, FirstHotSyncMakesTheDesktopFileAndRemembersThisDesktop) {
  MakeDevice();
  std::string out = Ok(HotSync({"sync"}));
  EXPECT_NE(out.find("slow"), std::string::npos) << "a device never synchronised gets a slow sync\n" << out;
  EXPECT_NE(out.find("OK Quillet Conduit"), std::string::npos) << out;
  EXPECT_EQ(DesktopTexts(), kFirstMemos);
  EXPECT_EQ(HandheldTexts(), kFirstMemos);
  EXPECT_EQ(LastSyncPc(), PcId());
  EXPECT_NE(PcId(), 0u);

  // Categories arrived with their names and the records are clean on both sides.
  CJsonValue list = Json(Ok(Quillet({"list", DesktopFile(), "--json"})));
  std::vector<std::string> categories;
  for (const CJsonValue& category : list.Find("categories")->Items()) {
    categories.push_back(category.Find("name")->AsString());
  }
  EXPECT_EQ(categories, (std::vector<std::string>{"Unfiled", "Work", "Home"}));
  CJsonValue dump = Json(Ok(Quillet({"dump", DesktopFile(), "--json"})));
  for (const CJsonValue& record : dump.Find("records")->Items()) {
    EXPECT_EQ(record.Find("attributes")->AsInteger(), 0);
  }
  CJsonValue handheldDump = Json(Ok(Handheld({"dump", "--json"})));
  for (const CJsonValue& record : handheldDump.Find("records")->Items()) {
    EXPECT_FALSE(record.Find("dirty")->AsBool());
  }
  // The log shows the HotSync.
  std::string log = Ok(HotSync({"log"}));
  EXPECT_NE(log.find("HotSync started"), std::string::npos) << log;
  EXPECT_NE(log.find("OK Quillet Conduit"), std::string::npos) << log;
}

TEST_F(HotSyncToolTest, LaterHotSyncsAreFastAndCarryChangesBothWays) {
  MakeDevice();
  Ok(HotSync({"sync"}));
  Ok(Handheld({"edit", HandheldId("groceries"), "--text", "groceries and milk"}));
  Ok(Handheld({"add", "--text", "call the plumber", "--category", "Home"}));
  Ok(Quillet({"edit", DesktopFile(), DesktopPosition("meeting notes"), "--text", "meeting notes, final"}));
  Ok(Quillet({"add", DesktopFile(), "--text", "desktop idea", "--category", "1"}));
  Ok(Quillet({"delete", DesktopFile(), DesktopPosition("paint the fence")}));

  std::string out = Ok(HotSync({"sync"}));
  EXPECT_EQ(out.find("slow"), std::string::npos) << out;
  const std::vector<std::string> expected = {"call the plumber", "desktop idea", "groceries and milk",
                                             "meeting notes, final"};
  EXPECT_EQ(DesktopTexts(), expected);
  EXPECT_EQ(HandheldTexts(), expected);
}

TEST_F(HotSyncToolTest, DesktopOverwritesHandheld) {
  MakeDevice();
  Ok(HotSync({"sync"}));
  Ok(Handheld({"add", "--text", "only on the handheld"}));
  Ok(Quillet({"add", DesktopFile(), "--text", "only on the desktop"}));
  Ok(HotSync({"sync", "--action", "desktop-overwrites"}));
  std::vector<std::string> expected = kFirstMemos;
  expected.push_back("only on the desktop");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(HandheldTexts(), expected);
  EXPECT_EQ(DesktopTexts(), expected);
}

TEST_F(HotSyncToolTest, HandheldOverwritesDesktop) {
  MakeDevice();
  Ok(HotSync({"sync"}));
  Ok(Handheld({"add", "--text", "only on the handheld"}));
  Ok(Quillet({"add", DesktopFile(), "--text", "only on the desktop"}));
  Ok(HotSync({"sync", "--action", "handheld-overwrites"}));
  std::vector<std::string> expected = kFirstMemos;
  expected.push_back("only on the handheld");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(DesktopTexts(), expected);
  EXPECT_EQ(HandheldTexts(), expected);
}

TEST_F(HotSyncToolTest, SlowSyncOnRequestCarriesChangesToo) {
  MakeDevice();
  Ok(HotSync({"sync"}));
  Ok(Handheld({"add", "--text", "new on the handheld"}));
  std::string out = Ok(HotSync({"sync", "--action", "slow"}));
  EXPECT_NE(out.find("slow"), std::string::npos) << out;
  std::vector<std::string> expected = kFirstMemos;
  expected.push_back("new on the handheld");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(DesktopTexts(), expected);
}

TEST_F(HotSyncToolTest, DoNothingLeavesBothSidesAndTheDeviceAlone) {
  MakeDevice();
  std::string deviceBefore;
  {
    std::ifstream in(std::filesystem::path(DeviceFolder()) / "QuilletMemoDB.pdb", std::ios::binary);
    deviceBefore.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  Ok(HotSync({"sync", "--action", "nothing"}));
  EXPECT_FALSE(std::filesystem::exists(DesktopFile()));
  std::ifstream in(std::filesystem::path(DeviceFolder()) / "QuilletMemoDB.pdb", std::ios::binary);
  std::string deviceAfter((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(deviceAfter, deviceBefore);
  // Nothing was exchanged, so the device is still "never synchronised": the
  // next HotSync is slow and compares everything.
  EXPECT_EQ(LastSyncPc(), 0u);
  std::string out = Ok(HotSync({"sync"}));
  EXPECT_NE(out.find("slow"), std::string::npos) << out;
  EXPECT_EQ(DesktopTexts(), kFirstMemos);
}

TEST_F(HotSyncToolTest, StoredActionsApplyNextOnlyThenPermanent) {
  MakeDevice();
  Ok(HotSync({"sync"}));
  // The next-only action is used once.
  std::string shown = Ok(HotSync({"action", "--set", "nothing"}));
  EXPECT_NE(shown.find("Next HotSync action: Do nothing"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Default HotSync action: Synchronize the files"), std::string::npos) << shown;
  Ok(Handheld({"add", "--text", "waits one HotSync"}));
  std::string out = Ok(HotSync({"sync"}));
  EXPECT_NE(out.find("Do nothing"), std::string::npos) << out;
  EXPECT_EQ(DesktopTexts(), kFirstMemos);
  shown = Ok(HotSync({"action"}));
  EXPECT_NE(shown.find("Next HotSync action: Synchronize the files"), std::string::npos) << shown;
  Ok(HotSync({"sync"}));
  EXPECT_EQ(DesktopTexts().size(), 4u);

  // A permanent action holds until changed; an explicit --action wins over it.
  Ok(HotSync({"action", "--set", "nothing", "--default", "--user", USER}));
  Ok(Handheld({"add", "--text", "stays on the handheld"}));
  Ok(HotSync({"sync"}));
  Ok(HotSync({"sync"}));
  EXPECT_EQ(DesktopTexts().size(), 4u);
  Ok(HotSync({"sync", "--action", "sync"}));
  EXPECT_EQ(DesktopTexts().size(), 5u);
  shown = Ok(HotSync({"action"}));
  EXPECT_NE(shown.find("Default HotSync action: Do nothing"), std::string::npos) << shown;
}

TEST_F(HotSyncToolTest, ANextOnlyActionSurvivesAFailedHotSync) {
  MakeDevice();
  Ok(HotSync({"sync"}));
  Ok(HotSync({"action", "--set", "handheld-overwrites"}));
  // A desktop file that is not a record file makes the conduit fail.
  const std::string garbage = "this is not a record file";
  std::ofstream(DesktopFile(), std::ios::binary | std::ios::trunc) << garbage;
  Ok(HotSync({"action", "--set", "sync"}));
  ProcessResult run = HotSync({"sync"});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.err.find("the conduit failed: "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("(0x"), std::string::npos) << run.err;
  std::ifstream in(DesktopFile(), std::ios::binary);
  std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(after, garbage) << "a failed HotSync leaves the desktop file as it was";
  std::string shown = Ok(HotSync({"action"}));
  EXPECT_NE(shown.find("Next HotSync action: Synchronize the files (sync)"), std::string::npos) << shown;
}

TEST_F(HotSyncToolTest, AFailedHotSyncMakesTheNextOneSlow) {
  MakeDevice();
  Ok(HotSync({"sync"}));
  std::string good;
  {
    std::ifstream in(DesktopFile(), std::ios::binary);
    good.assign((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::ofstream(DesktopFile(), std::ios::binary | std::ios::trunc) << "this is not a record file";
  EXPECT_EQ(HotSync({"sync"}).status, 1);
  std::ofstream(DesktopFile(), std::ios::binary | std::ios::trunc) << good;
  Ok(Handheld({"edit", HandheldId("groceries"), "--text", "groceries and bread"}));

  std::string out = Ok(HotSync({"sync"}));
  EXPECT_NE(out.find("slow"), std::string::npos) << "after a failure every memo is compared\n" << out;
  EXPECT_EQ(DesktopTexts(), HandheldTexts());
  out = Ok(HotSync({"sync"}));
  EXPECT_EQ(out.find("slow"), std::string::npos) << "a successful HotSync clears the mark\n" << out;
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST_F(HotSyncToolTest, AHotSyncFindingTheMemoFileInUseFailsAndChangesNothing) {
  MakeDevice();
  Ok(HotSync({"sync"}));
  Ok(Quillet({"add", DesktopFile(), "--text", "desk memo"}));
  Ok(Handheld({"add", "--text", "hand memo"}));
  const std::filesystem::path memoDb = std::filesystem::path(DeviceFolder()) / "QuilletMemoDB.pdb";
  const std::string desktop = FileBytes(DesktopFile());
  const std::string handheld = FileBytes(memoDb);

  CFileLock other;
  ASSERT_EQ(other.Acquire(DesktopFile(), 0), CFileLock::LOCK_OK);
  std::map<std::string, std::string> env = Environment();
  env["QUILLET_LOCK_WAIT_MS"] = "50";
  ProcessResult run = RunProcess(QUILLET_HOTSYNC_PROGRAM, {"sync"}, env);
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.out.find("The desktop file " + DesktopFile() + " is in use by another program"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("HotSync again"), std::string::npos) << run.out;
  EXPECT_EQ(FileBytes(DesktopFile()), desktop);
  EXPECT_EQ(FileBytes(memoDb), handheld);

  other.Release();
  const std::string out = Ok(HotSync({"sync"}));
  EXPECT_NE(out.find("slow"), std::string::npos) << out;
  const std::vector<std::string> texts = DesktopTexts();
  EXPECT_EQ(texts, HandheldTexts());
  for (const char* text : {"desk memo", "hand memo"}) {
    EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << text;
  }
}

// A HotSync holds the device from start to end, and marks the next HotSync
// slow before the conduit runs, so that one killed part-way leaves the mark.
TEST_F(HotSyncToolTest, TheDeviceIsHeldAndTheSlowMarkSetForTheWholeHotSync) {
  MakeDevice();
  Ok(HotSync({"sync"}));
  CHotSyncSettings settings(CRegistry(folder / "config" / "registry.ini"));
  ASSERT_FALSE(settings.SlowSyncNeeded(USER));

  // The conduit waits for the memo file, which this test holds.
  CFileLock memoFile;
  ASSERT_EQ(memoFile.Acquire(DesktopFile(), 0), CFileLock::LOCK_OK);
  std::map<std::string, std::string> waiting = Environment();
  waiting["QUILLET_LOCK_WAIT_MS"] = "60000";
  ProcessResult first;
  std::thread hotSync([&] { first = RunProcess(QUILLET_HOTSYNC_PROGRAM, {"sync"}, waiting); });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!settings.SlowSyncNeeded(USER) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(settings.SlowSyncNeeded(USER)) << "marked before the conduit runs";

  std::map<std::string, std::string> impatient = Environment();
  impatient["QUILLET_LOCK_WAIT_MS"] = "50";
  ProcessResult run = RunProcess(QUILLET_HANDHELD_PROGRAM, {"add", "--text", "during"}, impatient);
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_NE(run.err.find("is in use by another program"), std::string::npos) << run.err;
  run = RunProcess(QUILLET_HOTSYNC_PROGRAM, {"sync"}, impatient);
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_NE(run.err.find("is in use by another program"), std::string::npos) << run.err;

  memoFile.Release();
  hotSync.join();
  EXPECT_EQ(first.status, 0) << first.out << first.err;
  EXPECT_FALSE(settings.SlowSyncNeeded(USER)) << "cleared once the HotSync succeeded";
  const std::vector<std::string> texts = HandheldTexts();
  EXPECT_EQ(texts, DesktopTexts());
  EXPECT_EQ(std::find(texts.begin(), texts.end(), "during"), texts.end());
}

TEST_F(HotSyncToolTest, ProtectedMemosTravelEncryptedWithTheirPassword) {
  MakeDevice();
  const std::string passwordFile = (folder / "password.txt").string();
  std::ofstream(passwordFile) << "s3cret\n";
  Ok(Handheld({"password", "set", "--hint", "the usual", "--password-file", passwordFile}));
  Ok(HotSync({"sync"}));
  // The desktop file is protected: listing needs the password, and the
  // stored bodies are not the plain texts.
  EXPECT_NE(Quillet({"list", DesktopFile(), "--json"}).status, 0);
  EXPECT_EQ(DesktopTexts({"--password-file", passwordFile}), kFirstMemos);
  CJsonValue list = Json(Ok(Quillet({"list", DesktopFile(), "--json", "--password-file", passwordFile})));
  EXPECT_TRUE(list.Find("protected")->AsBool());
  EXPECT_EQ(list.Find("hint")->AsString(), "the usual");
  std::string dump = Ok(Quillet({"dump", DesktopFile(), "--json"}));
  EXPECT_EQ(dump.find("67726f636572696573"), std::string::npos) << "\"groceries\" is not stored in clear";

  // Edits on both sides under the password meet on both sides.
  const std::vector<std::string> password = {"--password-file", passwordFile};
  Ok(Handheld({"edit", HandheldId("groceries", password), "--text", "groceries (handheld)", "--password-file",
               passwordFile}));
  Ok(Quillet({"edit", DesktopFile(), DesktopPosition("meeting notes", password), "--text", "meeting (desktop)",
              "--password-file", passwordFile}));
  Ok(HotSync({"sync"}));
  const std::vector<std::string> expected = {"groceries (handheld)", "meeting (desktop)", "paint the fence"};
  EXPECT_EQ(DesktopTexts({"--password-file", passwordFile}), expected);
  EXPECT_EQ(HandheldTexts({"--password-file", passwordFile}), expected);
}

TEST_F(HotSyncToolTest, AnotherDesktopMeansASlowSync) {
  MakeDevice();
  Ok(HotSync({"sync"}));
  // The same device, HotSynced from a second desktop (another registry and home).
  std::map<std::string, std::string> other = {{"QUILLET_HOME", (folder / "other-home").string()},
                                               {"QUILLET_CONFIG_HOME", (folder / "other-config").string()},
                                               {"XDG_DATA_HOME", ""}, {"XDG_CONFIG_HOME", ""}};
  ProcessResult run = RunProcess(QUILLET_HOTSYNC_PROGRAM, {"sync", "--device", DeviceFolder()}, other);
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("slow"), std::string::npos) << run.out;
  EXPECT_NE(LastSyncPc(), PcId());
  // Back on the first desktop: slow again, and nothing is lost or doubled.
  std::string out = Ok(HotSync({"sync"}));
  EXPECT_NE(out.find("slow"), std::string::npos) << out;
  EXPECT_EQ(DesktopTexts(), kFirstMemos);
  EXPECT_EQ(HandheldTexts(), kFirstMemos);
}

TEST_F(HotSyncToolTest, FailuresAndUsageErrorsHaveTheirExitStatus) {
  ProcessResult run = HotSync({"sync", "--device", (folder / "no-device").string()});
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_NE(run.err.find("cannot open the device"), std::string::npos) << run.err;
  EXPECT_EQ(HotSync({"sync", "--action", "sideways"}).status, 2);
  EXPECT_EQ(HotSync({"action", "--default"}).status, 2);
  EXPECT_EQ(HotSync({"action"}).status, 2) << "no user yet";
  EXPECT_EQ(HotSync({"frobnicate"}).status, 2);
  for (const char* command : {"sync", "action", "configure", "info", "log"}) {
    ProcessResult help = HotSync({command, "--help"});
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_NE(help.out.find("usage: quillet-hotsync"), std::string::npos) << command;
  }
  // A conduit that cannot be found.
  std::map<std::string, std::string> env = Environment();
  env["QUILLET_CONDUIT"] = (folder / "missing.so").string();
  run = RunProcess(QUILLET_HOTSYNC_PROGRAM, {"info"}, env);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot load the conduit"), std::string::npos) << run.err;
}

TEST_F(HotSyncToolTest, InfoShowsWhatTheConduitAnswers) {
  std::string out = Ok(HotSync({"info"}));
  EXPECT_NE(out.find("GetConduitName: Quillet Conduit"), std::string::npos) << out;
  EXPECT_NE(out.find("GetConduitVersion: 258 (1.2)"), std::string::npos) << out;
  EXPECT_NE(out.find("GetConduitInfo 0 (name): Quillet Conduit"), std::string::npos) << out;
  EXPECT_NE(out.find("0x10000000"), std::string::npos) << out;
  EXPECT_NE(out.find("GetConduitInfo 2 (default action): 0"), std::string::npos) << out;
}

TEST_F(HotSyncToolTest, ConfigureWithoutADisplayFailsAndChangesNothing) {
  MakeDevice();
  Ok(HotSync({"sync"}));
  Ok(HotSync({"action", "--set", "handheld-overwrites"}));
  std::map<std::string, std::string> env = Environment();
  env["QT_QPA_PLATFORM"] = "";
  env["DISPLAY"] = "";
  env["WAYLAND_DISPLAY"] = "";
  ProcessResult run = RunProcess(QUILLET_HOTSYNC_PROGRAM, {"configure"}, env);
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.err.find("no display"), std::string::npos) << run.err;
  std::string shown = Ok(HotSync({"action"}));
  EXPECT_NE(shown.find("Next HotSync action: Handheld overwrites Desktop"), std::string::npos) << shown;
}

}  // namespace
