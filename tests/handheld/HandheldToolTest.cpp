// End-to-end: the quillet-handheld program run as a user would, checking its
// output, its exit statuses and what it leaves on the device.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "handheld/JsonValue.h"
#include "handheld/HandheldResult.h"
#include "handheld/MemoApp.h"
#include "support/TempFolder.h"
#include "support/ProcessRunner.h"

#ifdef QUILLET_HANDHELD_TOOL

namespace {

using ToolRun = testsupport::ProcessResult;

std::string ReadToolText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class HandheldToolTest : public ::testing::Test {
 protected:
  // Runs the program with --device pointing at the test device (unless the
  // arguments name one) and the given standard input.
  ToolRun Tool(std::vector<std::string> args, const std::string& input = "", bool withDevice = true) {
    if (withDevice) {
      args.push_back("--device");
      args.push_back(Device().string());
    }
    return testsupport::RunProcess(QUILLET_HANDHELD_TOOL, args, {}, input);
  }
  std::filesystem::path Device() const { return m_temp.Path() / "device"; }
  // `list --json` parsed.
  CJsonValue List(const std::vector<std::string>& extra = {}, const std::string& input = "") {
    std::vector<std::string> args = {"list", "--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    const ToolRun run = Tool(args, input);
    EXPECT_EQ(0, run.status) << run.err;
    CJsonValue json;
    EXPECT_EQ(HandheldResult::HH_OK, CJsonValue::Parse(run.out, json)) << run.out;
    return json;
  }
  void Init() {
    const ToolRun run = Tool({"init", "--user", "Tester"});
    ASSERT_EQ(0, run.status) << run.err;
  }

  CTempFolder m_temp;
};

const CJsonValue& Memos(const CJsonValue& list) { return *list.Find("memos"); }
std::string Str(const CJsonValue& object, const char* key) { return object.Find(key)->AsString(); }
std::int64_t Int(const CJsonValue& object, const char* key) { return object.Find(key)->AsInteger(); }
bool Flag(const CJsonValue& object, const char* key) { return object.Find(key)->AsBool(); }

}  // namespace

TEST_F(HandheldToolTest, InitAddListEditAndDelete) {
  Init();
  EXPECT_EQ(1, Tool({"init", "--user", "Again"}).status);  // a device is there already
  CDevice device;
  ASSERT_EQ(HandheldResult::HH_OK, device.Open(Device()));
  EXPECT_EQ("Tester", device.UserName());
  EXPECT_NE(0u, device.UserId());
  EXPECT_EQ(0u, device.LastSyncPc());

  ASSERT_EQ(0, Tool({"category", "add", "仕事"}).status);
  ToolRun added = Tool({"add", "--text", "line one\r\nline two", "--category", "仕事", "--private"});
  ASSERT_EQ(0, added.status) << added.err;
  const auto textFile = m_temp.Path() / "memo.txt";
  std::ofstream(textFile) << "漢字のメモ";
  ASSERT_EQ(0, Tool({"add", "--text-file", textFile.string()}).status);

  CJsonValue list = List();
  EXPECT_FALSE(Flag(list, "protected"));
  const auto& categories = list.Find("categories")->Items();
  ASSERT_EQ(2u, categories.size());
  EXPECT_EQ("Unfiled", Str(categories[0], "name"));
  EXPECT_EQ("仕事", Str(categories[1], "name"));
  EXPECT_TRUE(Flag(categories[1], "renamed"));
  ASSERT_EQ(2u, Memos(list).Items().size());
  const CJsonValue& first = Memos(list).Items()[0];
  EXPECT_EQ(0, Int(first, "index"));
  EXPECT_EQ("line one\nline two", Str(first, "text"));
  EXPECT_EQ(1, Int(first, "category"));
  EXPECT_TRUE(Flag(first, "private"));
  EXPECT_TRUE(Flag(first, "dirty"));
  EXPECT_TRUE(Flag(first, "modified"));
  EXPECT_EQ("漢字のメモ", Str(Memos(list).Items()[1], "text"));
  const std::string id1 = std::to_string(Int(first, "id"));
  const std::string id2 = std::to_string(Int(Memos(list).Items()[1], "id"));

  // The device keeps CP932 bytes: 漢字 is 8a bf 8e 9a.
  const ToolRun dump = Tool({"dump", "--json"});
  ASSERT_EQ(0, dump.status);
  CJsonValue raw;
  ASSERT_EQ(HandheldResult::HH_OK, CJsonValue::Parse(dump.out, raw));
  EXPECT_EQ("QuilletMemoDB", Str(raw, "name"));
  EXPECT_EQ("DeRu", Str(raw, "creator"));
  EXPECT_EQ("DATA", Str(raw, "type"));
  EXPECT_TRUE(raw.Find("sortInfo")->GetKind() == CJsonValue::Kind::Null);
  EXPECT_EQ(0, Str(raw.Find("records")->Items()[1], "data").rfind("8abf8e9a", 0));
  EXPECT_EQ(0x40 | 0x10 | 1, Int(raw.Find("records")->Items()[0], "attributes"));

  ASSERT_EQ(0, Tool({"edit", id1, "--public", "--category", "unfiled"}).status);
  EXPECT_EQ(2, Tool({"edit", id1}).status);                       // nothing to change
  EXPECT_EQ(2, Tool({"edit", id1, "--category", "Nothing"}).status);
  EXPECT_EQ(2, Tool({"edit", "999", "--text", "x"}).status);
  ASSERT_EQ(0, Tool({"delete", id1, "--archive"}).status);
  ASSERT_EQ(0, Tool({"delete", id2}).status);
  EXPECT_EQ(0u, Memos(List()).Items().size());
  list = List({"--all"});
  ASSERT_EQ(2u, Memos(list).Items().size());
  EXPECT_TRUE(Flag(Memos(list).Items()[0], "archived"));
  EXPECT_EQ("line one\nline two", Str(Memos(list).Items()[0], "text"));
  EXPECT_TRUE(Flag(Memos(list).Items()[1], "deleted"));
  EXPECT_EQ("", Str(Memos(list).Items()[1], "text"));
}

TEST_F(HandheldToolTest, CategoriesMoveTheirMemosToUnfiledWhenDeleted) {
  Init();
  ASSERT_EQ(0, Tool({"category", "add", "Work"}).status);
  EXPECT_EQ(2, Tool({"category", "add", "work"}).status);
  EXPECT_EQ(2, Tool({"category", "add", "ABCDEFGHIJKLMNOP"}).status);
  ASSERT_EQ(0, Tool({"add", "--text", "w", "--category", "Work"}).status);
  ASSERT_EQ(0, Tool({"category", "rename", "Work", "Office"}).status);
  EXPECT_EQ(2, Tool({"category", "rename", "Unfiled", "Other"}).status);
  CJsonValue list = List();
  EXPECT_EQ("Office", Str(list.Find("categories")->Items()[1], "name"));
  ASSERT_EQ(0, Tool({"category", "delete", "Office"}).status);
  list = List();
  EXPECT_EQ(1u, list.Find("categories")->Items().size());
  EXPECT_EQ(0, Int(Memos(list).Items()[0], "category"));
  EXPECT_EQ(2, Tool({"category", "delete", "Office"}).status);
}

TEST_F(HandheldToolTest, PasswordProtectsTheMemos) {
  Init();
  ASSERT_EQ(0, Tool({"add", "--text", "secret memo"}).status);
  const auto pw = m_temp.Path() / "pw";
  std::ofstream(pw) << "hunter2\n";
  ToolRun set = Tool({"password", "set", "--hint", "ヒント", "--password-file", pw.string()});
  ASSERT_EQ(0, set.status) << set.err;
  // The digest is MD5("hunter2") = 2ab96390c7dbe3439de74d0c9b0b1767.
  const std::string app = Str([&] {
    CJsonValue raw;
    CJsonValue::Parse(Tool({"dump", "--json"}).out, raw);
    return raw;
  }(), "appInfo");
  EXPECT_EQ("2ab96390c7dbe3439de74d0c9b0b1767", app.substr(280 * 2, 32));

  // Without a password there is no terminal to ask on; a wrong one is refused.
  EXPECT_EQ(4, Tool({"list"}).status);
  EXPECT_EQ(4, Tool({"list", "--password-stdin"}, "wrong\n").status);
  EXPECT_EQ(4, Tool({"add", "--text", "x"}).status);
  CJsonValue list = List({"--password-stdin"}, "hunter2\n");
  EXPECT_TRUE(Flag(list, "protected"));
  EXPECT_EQ("ヒント", Str(list, "hint"));
  EXPECT_EQ("secret memo", Str(Memos(list).Items()[0], "text"));
  ASSERT_EQ(0, Tool({"add", "--text", "second", "--password-file", pw.string()}).status);
  EXPECT_EQ(2, Tool({"password", "set", "--password-file", pw.string()}).status);

  EXPECT_EQ(4, Tool({"password", "clear", "--password-stdin"}, "nope\n").status);
  ASSERT_EQ(0, Tool({"password", "clear", "--password-stdin"}, "hunter2\n").status);
  list = List();
  EXPECT_FALSE(Flag(list, "protected"));
  EXPECT_EQ("second", Str(Memos(list).Items()[1], "text"));
  EXPECT_EQ(2, Tool({"password", "clear"}).status);
}

TEST_F(HandheldToolTest, ExitStatusesForMissingAndDamagedFiles) {
  EXPECT_EQ(3, Tool({"list"}).status);  // no device yet
  Init();
  EXPECT_EQ(2, Tool({"list", "--bogus"}).status);
  EXPECT_EQ(2, Tool({"add"}).status);
  const ToolRun help = Tool({"add", "--help"});
  EXPECT_EQ(0, help.status);
  EXPECT_NE(std::string::npos, help.out.find("--text-file"));

  const auto exported = m_temp.Path() / "copy.pdb";
  ASSERT_EQ(0, Tool({"export", "QuilletMemoDB", exported.string()}).status);
  const std::string bytes = ReadToolText(exported);
  std::ofstream(m_temp.Path() / "bad.pdb", std::ios::binary) << bytes.substr(0, 70);
  EXPECT_EQ(5, Tool({"import", (m_temp.Path() / "bad.pdb").string()}).status);
  EXPECT_EQ(3, Tool({"import", (m_temp.Path() / "none.pdb").string()}).status);
  EXPECT_EQ(3, Tool({"dump", "NoSuchDB"}).status);

  std::ofstream(Device() / "QuilletMemoDB.pdb", std::ios::binary) << bytes.substr(0, 90);
  const ToolRun damaged = Tool({"list"});
  EXPECT_EQ(5, damaged.status);
  EXPECT_EQ(1, std::count(damaged.err.begin(), damaged.err.end(), '\n'));
  ASSERT_EQ(0, Tool({"import", exported.string()}).status);
  EXPECT_EQ(0, Tool({"list"}).status);
  // A memo database file whose header names another database is damaged, not missing.
  std::string misnamed = bytes;
  misnamed.replace(0, 13, std::string("OtherNameDB\0\0", 13));
  std::ofstream(Device() / "QuilletMemoDB.pdb", std::ios::binary) << misnamed;
  EXPECT_EQ(5, Tool({"list"}).status);
  EXPECT_EQ(5, Tool({"add", "--text", "x"}).status);
  EXPECT_EQ(misnamed, ReadToolText(Device() / "QuilletMemoDB.pdb"));

  std::ofstream(Device() / "device.json") << "{ not json";
  EXPECT_EQ(5, Tool({"list"}).status);
}

TEST_F(HandheldToolTest, DefaultDeviceComesFromTheEnvironment) {
  const std::string home = (m_temp.Path() / "home").string();
  const ToolRun inHome = testsupport::RunProcess(QUILLET_HANDHELD_TOOL, {"init", "--user", "Env"},
                                                 {{"XDG_DATA_HOME", ""}, {"QUILLET_HOME", home}});
  ASSERT_EQ(0, inHome.status) << inHome.err;
  EXPECT_TRUE(std::filesystem::exists(m_temp.Path() / "home" / "devices" / "default" / "QuilletMemoDB.pdb"));
  const ToolRun inXdg = testsupport::RunProcess(
      QUILLET_HANDHELD_TOOL, {"init", "--user", "Env"},
      {{"QUILLET_HOME", ""}, {"XDG_DATA_HOME", (m_temp.Path() / "xdg").string()}});
  ASSERT_EQ(0, inXdg.status) << inXdg.err;
  EXPECT_TRUE(std::filesystem::exists(m_temp.Path() / "xdg" / "quillet" / "devices" / "default" / "device.json"));
}

#endif  // QUILLET_HANDHELD_TOOL
