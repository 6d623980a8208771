// The shared command-line helpers: argument parsing, JSON strings, listing lines
// and crash-safe creation of new files.

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <random>
#include <sstream>

#include "tools/ToolRunner.h"
#include "tools/common/ArgParser.h"
#include "tools/common/InputFile.h"
#include "tools/common/JsonOutput.h"
#include "tools/common/JsonWriter.h"
#include "tools/common/NewFile.h"
#include "tools/common/ToolText.h"

namespace {

CArgParser MakeParser() {
  CArgParser p("tool cmd", "Does things.");
  p.AddPositional("FILE", "a file");
  p.AddPositional("REST", "more", false, true);
  p.AddFlag("all", "everything");
  p.AddOption("category", "INDEX", "a category");
  return p;
}

TEST(ArgParser, AcceptsOptionsAnywhereInBothSpellings) {
  CArgParser p = MakeParser();
  ASSERT_TRUE(p.Parse({"--category=3", "f", "--all", "a", "--", "--not-an-option"}));
  EXPECT_TRUE(p.Has("all"));
  EXPECT_EQ(p.Value("category"), "3");
  EXPECT_EQ(p.Positionals(), (std::vector<std::string>{"f", "a", "--not-an-option"}));
  ASSERT_TRUE(p.Parse({"f", "--category", "--all"}));
  EXPECT_EQ(p.Value("category"), "--all") << "an option's value is taken as it is";
  EXPECT_FALSE(p.Has("all"));
}

TEST(ArgParser, RejectsMalformedCommandLines) {
  const std::vector<std::vector<std::string>> bad = {
      {},                               // FILE missing
      {"f", "--bogus"},                 // unknown option
      {"f", "-x"},                      // no short options
      {"f", "--category"},              // value missing
      {"f", "--all=yes"},               // a flag takes no value
      {"f", "--all", "--all"},          // given twice
  };
  for (const auto& args : bad) {
    CArgParser p = MakeParser();
    EXPECT_FALSE(p.Parse(args)) << ::testing::PrintToString(args);
    EXPECT_FALSE(p.Error().empty());
    EXPECT_EQ(p.Error().find('\n'), std::string::npos);
  }
  CArgParser p = MakeParser();
  std::ostringstream out, err;
  EXPECT_EQ(p.Run({"--bogus", "--help"}, out, err), 0) << "--help wins";
  EXPECT_EQ(out.str().rfind("usage: tool cmd FILE [REST...] [--all] [--category INDEX]\n", 0), 0u)
      << out.str();
  EXPECT_EQ(p.Run({"f", "--bogus"}, out, err), 2);
  EXPECT_EQ(err.str(), "tool cmd: unknown option '--bogus' (see 'tool cmd --help')\n");
}

TEST(ArgParser, ParseNumberRejectsEverythingButPlainDigitsInRange) {
  std::uint64_t v = 0;
  EXPECT_TRUE(CArgParser::ParseNumber("15", 15, v));
  EXPECT_EQ(v, 15u);
  for (const char* bad : {"", "16", "-1", "+1", " 1", "1x", "99999999999999999999999"}) {
    EXPECT_FALSE(CArgParser::ParseNumber(bad, 15, v)) << bad;
  }
  EXPECT_TRUE(CArgParser::ParseNumber("18446744073709551615", UINT64_MAX, v));
  EXPECT_FALSE(CArgParser::ParseNumber("18446744073709551616", UINT64_MAX, v));
}

// The listing's own writer and nlohmann-json, which writes every other
// output, quote alike.
TEST(JsonOutput, EscapesControlCharactersAndReplacesBrokenUtf8) {
  const std::string r = "\xEF\xBF\xBD";
  for (std::string (*quote)(std::string_view) :
       {+[](std::string_view s) { return JsonOutput::Dump(std::string(s)); }, &CJsonWriter::Quote}) {
    EXPECT_EQ(quote("a\"b\\c\n\r\t\b\f\x01\x1f\x7f"), "\"a\\\"b\\\\c\\n\\r\\t\\b\\f\\u0001\\u001f\x7f\"");
    EXPECT_EQ(quote("日本 €"), "\"日本 €\"");
    // A lone continuation byte, a cut sequence, an overlong form and a
    // surrogate are replaced rather than refused, so that a listing goes on.
    EXPECT_EQ(quote("\x80|\xE6\x97|\xC0\xAF|\xED\xA0\x80|\xF0\x9F\x98"),
              "\"" + r + "|" + r + "|" + r + r + "|" + r + r + r + "|" + r + "\"");
  }
}

// Whatever bytes a string holds, the output parses, and the listing's writer
// gives the same bytes as nlohmann-json.
TEST(JsonOutput, AnyBytesAreWrittenAlikeAndParse) {
  std::mt19937 random(7);
  for (int round = 0; round < 5000; ++round) {
    std::string bytes(random() % 24, '\0');
    for (char& c : bytes) {
      c = static_cast<char>(random() % 4 == 0 ? 0xE0 + random() % 32 : random() % 2 ? 0x80 + random() % 64 : random() % 256);
    }
    const std::string written = JsonOutput::Dump(bytes);
    ASSERT_EQ(CJsonWriter::Quote(bytes), written) << ::testing::PrintToString(bytes);
    ASSERT_TRUE(nlohmann::json::parse(written, nullptr, false).is_string()) << written;
  }
  EXPECT_EQ(nlohmann::json::parse(JsonOutput::Dump("日本 \x01\"")).get<std::string>(), "日本 \x01\"");
}

TEST(JsonWriter, WritesNestedValuesCompactOrIndented) {
  for (int indent : {0, 2}) {
    std::ostringstream s;
    CJsonWriter w(s, indent);
    w.BeginObject();
    w.Key("a");
    w.BeginArray();
    w.Int(-1);
    w.UInt(4294967295u);
    w.Bool(true);
    w.Null();
    w.BeginObject();
    w.EndObject();
    w.Value(JsonOutput::Json{{"x", JsonOutput::Json::array({1, "\n"})}});
    w.EndArray();
    w.Key("b");
    w.BeginArray();
    w.EndArray();
    w.EndObject();
    w.Finish();
    EXPECT_EQ(s.str(), indent == 0
                           ? "{\"a\":[-1,4294967295,true,null,{},{\"x\":[1,\"\\n\"]}],\"b\":[]}\n"
                           : "{\n  \"a\": [\n    -1,\n    4294967295,\n    true,\n    null,\n"
                             "    {},\n    {\n      \"x\": [\n        1,\n        \"\\n\"\n      ]\n    }\n  ],\n"
                             "  \"b\": []\n}\n");
  }
}

TEST(ToolText, FirstLineIsCutOnCharacterBoundaries) {
  // "メモ" in Shift-JIS is four bytes; a cut after three must not split the
  // second character.
  EXPECT_EQ(FirstLineForOutput("\x83\x81\x83\x82", 3), "メ...");
  EXPECT_EQ(FirstLineForOutput("\x83\x81\x83\x82", 4), "メモ");
  EXPECT_EQ(FirstLineForOutput("one\r\ntwo", 40), "one...");
  EXPECT_EQ(FirstLineForOutput("a\x1b[31mb", 40), "a [31mb");
  EXPECT_EQ(AnsiToVisible("\x95\x5C\x1b]0;x\x07\r\n"), "表 ]0;x   ");
  std::string ansi;
  EXPECT_TRUE(InputToAnsi("表", ansi));
  EXPECT_EQ(ansi, "\x95\x5C");
  EXPECT_FALSE(InputToAnsi("😀", ansi));
  EXPECT_EQ(AnsiToOutput("a\r\nb\rc\n"), "a\nb\rc\n");
}

TEST(NewFile, CreatesCompleteFilesAndNeverReplacesOne) {
  tooltest::TempDir dir;
  const std::string path = dir.File("new.dat");
  std::string error;
  const mode_t old = umask(022);
  EXPECT_EQ(CreateNewFile(path, std::string("abc\0def", 7), error), NEW_FILE_CREATED) << error;
  umask(old);
  EXPECT_EQ(tooltest::ReadBytes(path), std::string("abc\0def", 7));
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "a new memo file is its owner's alone, whatever the umask";

  EXPECT_EQ(CreateNewFile(path, "other", error), NEW_FILE_EXISTS);
  EXPECT_EQ(tooltest::ReadBytes(path), std::string("abc\0def", 7));
  EXPECT_EQ(CreateNewFile(dir.File("missing/new.dat"), "x", error), NEW_FILE_FAILED);
  EXPECT_FALSE(error.empty());
  // No temporary file is left behind.
  std::size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1u);
}

TEST(InputFile, RefusesWhatIsNotARegularFileWithoutBlocking) {
  tooltest::TempDir dir;
  tooltest::WriteBytes(dir.File("file"), "x");
  ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
  const struct {
    std::string path;
    InputFileResult result;
    std::string message;
  } cases[] = {
      {dir.File("file"), INPUT_FILE_OK, ""},
      {dir.File("missing"), INPUT_FILE_MISSING, "cannot open " + dir.File("missing") + ": No such file"},
      {dir.File("file/below"), INPUT_FILE_MISSING, "cannot open "},
      {dir.File("pipe"), INPUT_FILE_NOT_REGULAR, dir.File("pipe") + " is a named pipe, not a file"},
      {dir.Path(), INPUT_FILE_NOT_REGULAR, dir.Path() + " is a folder, not a file"},
      {"/dev/null", INPUT_FILE_NOT_REGULAR, "/dev/null is a device, not a file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::string error;
    EXPECT_EQ(CheckInputFile(c.path, error), c.result);
    EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
  }
}

}  // namespace
