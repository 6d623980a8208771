// quillet category: the files it writes, checked byte by byte against files
// built independently, and the refusals that must leave the file untouched.

#include <gtest/gtest.h>

#include "tools/Fixtures.h"
#include "tools/ToolRunner.h"

namespace tooltest {
namespace {

class QuilletCategory : public ::testing::Test {
 protected:
  TempDir dir;
  std::string file = dir.File("record.dat");
};

TEST_F(QuilletCategory, RefusalsExitTwoAndLeaveTheFileAlone) {
  // A full table: Unfiled and 15 others.
  FileSpec full = MemoFixture();
  for (int i = 3; i < 16; ++i) {
    full.names[static_cast<std::size_t>(i)] = "c" + std::to_string(i);
    full.ids[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  }
  const struct {
    const FileSpec original;
    std::vector<std::string> words;
    std::string message;
  } cases[] = {
      {MemoFixture(), {"add", "Work"}, "category \"Work\" already exists"},
      {MemoFixture(), {"add", "sixteen bytes!!!"}, "at most 15 bytes"},
      {MemoFixture(), {"add", "仕事仕事仕事仕事"}, "at most 15 bytes"},  // 8 characters, 16 bytes
      {MemoFixture(), {"add", ""}, "empty"},
      {MemoFixture(), {"add", "a😀b"}, "cannot store: 😀"},
      {MemoFixture(), {"rename", "Unfiled", "Other"}, "Unfiled can be neither"},
      {MemoFixture(), {"delete", "Unfiled"}, "Unfiled can be neither"},
      {MemoFixture(), {"delete", "work"}, "no category named \"work\""},
      {MemoFixture(), {"rename", "Work", "仕事"}, "--merge"},
      {full, {"add", "more"}, "at most 15 categories"},
  };
  for (const auto& c : cases) {
    const std::string bytes = c.original.Bytes();
    WriteBytes(file, bytes);
    std::vector<std::string> args = {"category", file};
    args.insert(args.end(), c.words.begin(), c.words.end());
    const RunResult r = RunQuillet(args);
    EXPECT_EQ(r.status, 2) << c.words[0] << " " << c.words[1] << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(file), bytes) << c.words[0] << " " << c.words[1];
  }
}

TEST_F(QuilletCategory, AddAndRenameMarkTheCategoryRenamed) {
  WriteBytes(file, MemoFixture(true).Bytes());
  RunResult r = RunQuillet({"category", file, "add", "work", "--password-stdin"}, std::string(PASSWORD) + "\n");
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunQuillet({"category", file, "rename", "仕事", "仕事", "--password-stdin"}, std::string(PASSWORD) + "\n");
  ASSERT_EQ(r.status, 0) << r.err;

  FileSpec expected = Rewritten(MemoFixture(true));
  expected.names[3] = "work";  // case differs from "Work": a category of its own
  expected.ids[3] = 128;
  expected.renamed = 0x0002 | 0x0004 | 0x0008;
  EXPECT_EQ(ReadBytes(file), expected.Bytes());

  // list is the listing of quillet categories.
  const std::string password = std::string(PASSWORD) + "\n";
  const RunResult listed = RunQuillet({"category", file, "list", "--json", "--password-stdin"}, password);
  const RunResult categories = RunQuillet({"categories", file, "--json", "--password-stdin"}, password);
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_EQ(listed.out, categories.out);
}

// Work loses its category slot (and its renamed mark) each way; only where its
// live memo goes differs.  Its deleted memo stays as it is.
TEST_F(QuilletCategory, MergeAndDeleteMoveOnlyTheLiveMemos) {
  const struct {
    std::vector<std::string> words;
    std::uint32_t category;
    std::uint16_t attributes;
  } cases[] = {
      {{"rename", "Work", "仕事", "--merge"}, 2, F_MODIFIED},
      {{"delete", "Work"}, 0, F_MODIFIED},
      {{"delete", "Work", "--delete-memos"}, 1, F_DELETED},
  };
  for (const auto& c : cases) {
    FileSpec original = MemoFixture();
    original.records[1].category = 1;
    WriteBytes(file, original.Bytes());
    std::vector<std::string> args = {"category", file};
    args.insert(args.end(), c.words.begin(), c.words.end());
    const RunResult r = RunQuillet(args);
    ASSERT_EQ(r.status, 0) << r.err;

    FileSpec expected = Rewritten(original);
    expected.names[1].clear();
    expected.ids[1] = 0;
    expected.renamed = 0;
    expected.records[0].category = c.category;
    expected.records[0].attributes = c.attributes;
    EXPECT_EQ(ReadBytes(file), expected.Bytes()) << c.words.back();
  }
}

}  // namespace
}  // namespace tooltest
