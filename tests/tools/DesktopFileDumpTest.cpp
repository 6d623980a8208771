// `quillet dump`'s JSON, checked against files built independently.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "support/RecordFileBytes.h"
#include "support/TempFolder.h"
#include "tools/common/DesktopFileDump.h"

namespace {

using namespace recordfile;

using Json = nlohmann::ordered_json;

std::vector<std::string> Keys(const Json& object) {
  std::vector<std::string> keys;
  for (const auto& member : object.items()) keys.push_back(member.key());
  return keys;
}

std::string Hex(const Bytes& b) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  for (std::uint8_t c : b) {
    s.push_back(digits[c >> 4]);
    s.push_back(digits[c & 15]);
  }
  return s;
}

std::string HexText(const std::string& s) { return Hex(Bytes(s.begin(), s.end())); }

struct DumpResult {
  int status;
  std::string out, err;
  Json json;
};

DumpResult Dump(const std::filesystem::path& p) {
  std::ostringstream out, err;
  DumpResult r;
  r.status = DumpDesktopFile(p.string(), out, err);
  r.out = out.str();
  r.err = err.str();
  if (r.status == 0) {
    r.json = Json::parse(r.out, nullptr, false);
    EXPECT_FALSE(r.json.is_discarded()) << r.out;
  }
  return r;
}

void ExpectBlock(const Json& j, const Block& b) {
  ASSERT_TRUE(j.is_object());
  EXPECT_EQ(Keys(j), (std::vector<std::string>{"size", "kind", "dataOffset", "name", "capacity", "length",
                                                "reserved", "data"}));
  EXPECT_EQ(j.at("size").get<std::uint64_t>(), 56 + b.data.size());
  EXPECT_EQ(j.at("kind").get<std::uint64_t>(), b.kind);
  EXPECT_EQ(j.at("dataOffset").get<std::uint64_t>(), b.dataOffset);
  EXPECT_EQ(j.at("name").get<std::string>(), b.name);  // ASCII: the same as text
  EXPECT_EQ(j.at("capacity").get<std::uint64_t>(), b.capacity);
  EXPECT_EQ(j.at("length").get<std::uint64_t>(), b.length);
  EXPECT_EQ(j.at("reserved").get<std::uint64_t>(), b.reserved);
  EXPECT_EQ(j.at("data").get<std::string>(), Hex(Bytes(b.data.begin(), b.data.begin() + b.capacity)));
}

TEST(DesktopFileDump, ShowsTheContainerAsLoaded) {
  CTempFolder folder{"dump"};
  File f;
  Header h;
  h.name = "Memo\x95\x5C";  // Shift-JIS for "Memo表"
  h.version = 3;
  h.creator = 0x6D656D6F;
  h.type = 0x44415441;
  h.flags = 0x8008;
  h.modificationDate = 0xFFFFFFF0;
  h.modificationNumber = 42;
  h.creationDate = 7;
  h.backupDate = 8;
  f.header = h;
  Block app;
  app.name = "MemoDB";
  app.data.assign(300, 0xAB);
  app.capacity = 300;
  app.length = 280;
  app.reserved = 77;
  f.appInfo = app;
  Block sort;
  sort.name = "S";
  sort.data = {0, 1, 2};
  sort.capacity = 3;
  sort.length = 1;
  f.sortInfo = sort;
  Record a;
  a.id = 0xFFFFFFFE;
  a.attributes = 0x1F;
  a.category = 15;
  a.data = Text("memo body");
  a.lengthField = 1234;  // not what the loader uses
  Record empty;  // exactly 40 bytes
  empty.id = 9;
  f.records = {a, empty};
  f = Consistent(f);
  f.trailing = Text("trailing bytes belong to no record");
  WriteAll(folder.Path() / "record.dat", Build(f));

  DumpResult r = Dump(folder.Path() / "record.dat");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.err.empty());
  const Json& j = r.json;
  EXPECT_EQ(Keys(j), (std::vector<std::string>{"header", "appInfo", "sortInfo", "records"}));
  const Json& hj = j.at("header");
  EXPECT_EQ(Keys(hj), (std::vector<std::string>{"size", "kind", "name", "version", "creator", "type", "flags",
                                                 "modificationDate", "modificationNumber", "creationDate",
                                                 "backupDate", "recordCount", "appInfoSize", "sortInfoSize"}));
  EXPECT_EQ(hj.at("size").get<std::uint64_t>(), 84u);
  EXPECT_EQ(hj.at("kind").get<std::uint64_t>(), 1u);
  EXPECT_EQ(hj.at("name").get<std::string>(), "Memo\xE8\xA1\xA8");
  EXPECT_EQ(hj.at("version").get<std::uint64_t>(), 3u);
  EXPECT_EQ(hj.at("creator").get<std::uint64_t>(), 0x6D656D6Fu);
  EXPECT_EQ(hj.at("type").get<std::uint64_t>(), 0x44415441u);
  EXPECT_EQ(hj.at("flags").get<std::uint64_t>(), 0x8008u);
  EXPECT_EQ(hj.at("modificationDate").get<std::uint64_t>(), 0xFFFFFFF0u);
  EXPECT_EQ(hj.at("modificationNumber").get<std::uint64_t>(), 42u);
  EXPECT_EQ(hj.at("creationDate").get<std::uint64_t>(), 7u);
  EXPECT_EQ(hj.at("backupDate").get<std::uint64_t>(), 8u);
  EXPECT_EQ(hj.at("recordCount").get<std::uint64_t>(), 2u);
  EXPECT_EQ(hj.at("appInfoSize").get<std::uint64_t>(), 356u);
  EXPECT_EQ(hj.at("sortInfoSize").get<std::uint64_t>(), 59u);
  ExpectBlock(j.at("appInfo"), app);
  ExpectBlock(j.at("sortInfo"), sort);
  const Json& records = j.at("records");
  ASSERT_TRUE(records.is_array());
  ASSERT_EQ(records.size(), 2u);
  const Json& r0 = records[0];
  EXPECT_EQ(Keys(r0), (std::vector<std::string>{"size", "kind", "id", "attributes", "category", "length", "data"}));
  EXPECT_EQ(r0.at("size").get<std::uint64_t>(), 49u);
  EXPECT_EQ(r0.at("kind").get<std::uint64_t>(), 0x1002u);
  EXPECT_EQ(r0.at("id").get<std::uint64_t>(), 0xFFFFFFFEu);
  EXPECT_EQ(r0.at("attributes").get<std::uint64_t>(), 0x1Fu);
  EXPECT_EQ(r0.at("category").get<std::uint64_t>(), 15u);
  EXPECT_EQ(r0.at("length").get<std::uint64_t>(), 9u);
  EXPECT_EQ(r0.at("data").get<std::string>(), HexText("memo body"));
  const Json& r1 = records[1];
  EXPECT_EQ(r1.at("size").get<std::uint64_t>(), 40u);
  EXPECT_EQ(r1.at("length").get<std::uint64_t>(), 0u);
  EXPECT_EQ(r1.at("data").get<std::string>(), "");
}

TEST(DesktopFileDump, NamesAreTextWithTheirBytesBesideWhenTheyDoNotConvert) {
  struct Case {
    std::string bytes;
    std::string text;  // UTF-8
    bool withHex;
  };
  const Case cases[] = {
      {"\x83\x81\x83\x82 \"q\" \\ \x01\x7F", "\xE3\x83\xA1\xE3\x83\xA2 \"q\" \\ \x01\x7F", false},
      {"Memo\x95", "Memo\xEF\xBF\xBD", true},  // a lead byte without its trail byte
      {"a\r\nb", "a\nb", true},                // the line end comes back as a lone "\n"
  };
  for (const Case& c : cases) {
    CTempFolder folder{"dump"};
    File f;
    Header h;
    h.name = c.bytes;
    f.header = h;
    Block app;
    app.name = c.bytes;
    f.appInfo = app;
    f = Consistent(f);
    WriteAll(folder.Path() / "record.dat", Build(f));
    DumpResult r = Dump(folder.Path() / "record.dat");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const Json* named : {&r.json.at("header"), &r.json.at("appInfo")}) {
      EXPECT_EQ((*named).at("name").get<std::string>(), c.text) << HexText(c.bytes);
      const std::vector<std::string> keys = Keys(*named);
      const bool hasHex = std::find(keys.begin(), keys.end(), "nameHex") != keys.end();
      ASSERT_EQ(hasHex, c.withHex) << HexText(c.bytes);
      if (hasHex) {
        EXPECT_EQ((*named).at("nameHex").get<std::string>(), HexText(c.bytes));
      }
    }
  }
}

TEST(DesktopFileDump, EmptyHeaderOnlyMissingAndDamagedFiles) {
  CTempFolder folder{"dump"};
  WriteAll(folder.Path() / "empty.dat", {});
  DumpResult empty = Dump(folder.Path() / "empty.dat");
  ASSERT_EQ(empty.status, 0);
  EXPECT_EQ(Keys(empty.json), (std::vector<std::string>{"header", "appInfo", "sortInfo", "records"}));
  EXPECT_TRUE(empty.json.at("header").is_null());
  EXPECT_TRUE(empty.json.at("appInfo").is_null());
  EXPECT_TRUE(empty.json.at("sortInfo").is_null());
  EXPECT_TRUE(empty.json.at("records").is_array());
  EXPECT_TRUE(empty.json.at("records").empty());

  WriteAll(folder.Path() / "header.dat", Build(Consistent(File{})));
  DumpResult headerOnly = Dump(folder.Path() / "header.dat");
  ASSERT_EQ(headerOnly.status, 0);
  EXPECT_EQ(headerOnly.json.at("header").at("recordCount").get<std::uint64_t>(), 0u);
  EXPECT_TRUE(headerOnly.json.at("appInfo").is_null());

  DumpResult missing = Dump(folder.Path() / "nothing.dat");
  EXPECT_EQ(missing.status, 3);
  EXPECT_TRUE(missing.out.empty());
  EXPECT_NE(missing.err.find("nothing.dat"), std::string::npos);

  File damaged;
  Record r;
  r.id = 1;
  damaged.records = {r, r};
  damaged = Consistent(damaged);
  damaged.header->recordCount = 3;
  WriteAll(folder.Path() / "damaged.ARC", Build(damaged));
  DumpResult bad = Dump(folder.Path() / "damaged.ARC");
  EXPECT_EQ(bad.status, 5);
  EXPECT_TRUE(bad.out.empty());
  EXPECT_NE(bad.err.find("DB_ERR_BAD_RECORD_HEADER"), std::string::npos) << bad.err;
  EXPECT_NE(bad.err.find("0x111F"), std::string::npos) << bad.err;
}

}  // namespace
