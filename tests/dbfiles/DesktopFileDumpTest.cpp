// `quillet dump`'s JSON, checked against files built independently.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/RecordFileBytes.h"
#include "support/TempFolder.h"
#include "dbfiles/DesktopFileDump.h"

namespace {

using namespace recordfile;

// A small JSON reader: objects keep their key order.
struct Json {
  enum Kind { NUL, NUMBER, STRING, OBJECT, ARRAY } kind = NUL;
  std::uint64_t number = 0;
  std::string text;
  std::vector<std::pair<std::string, Json>> members;
  std::vector<Json> items;

  const Json& operator[](const std::string& key) const {
    for (const auto& m : members) {
      if (m.first == key) return m.second;
    }
    static const Json missing;
    ADD_FAILURE() << "no key " << key;
    return missing;
  }
  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (const auto& m : members) keys.push_back(m.first);
    return keys;
  }
};

class JsonParser {
 public:
  explicit JsonParser(const std::string& s) : m_s(s) {}
  bool Parse(Json& out) {
    if (!Value(out)) return false;
    Space();
    return m_pos == m_s.size();
  }

 private:
  void Space() {
    while (m_pos < m_s.size() && std::isspace(static_cast<unsigned char>(m_s[m_pos]))) ++m_pos;
  }
  bool Eat(char c) {
    Space();
    if (m_pos < m_s.size() && m_s[m_pos] == c) {
      ++m_pos;
      return true;
    }
    return false;
  }
  bool String(std::string& out) {
    if (!Eat('"')) return false;
    while (m_pos < m_s.size() && m_s[m_pos] != '"') {
      if (m_s[m_pos] != '\\') {
        out.push_back(m_s[m_pos++]);
        continue;
      }
      // The escapes the names of these tests need.
      if (++m_pos >= m_s.size()) return false;
      const char e = m_s[m_pos++];
      if (e == '"' || e == '\\') {
        out.push_back(e);
      } else if (e == 'n') {
        out.push_back('\n');
      } else if (e == 'u' && m_s.compare(m_pos, 2, "00") == 0 && m_pos + 4 <= m_s.size()) {
        out.push_back(static_cast<char>(std::stoi(m_s.substr(m_pos + 2, 2), nullptr, 16)));
        m_pos += 4;
      } else {
        return false;
      }
    }
    return Eat('"');
  }
  bool Value(Json& v) {
    Space();
    if (m_pos >= m_s.size()) return false;
    char c = m_s[m_pos];
    if (c == 'n') {
      if (m_s.compare(m_pos, 4, "null") != 0) return false;
      m_pos += 4;
      v.kind = Json::NUL;
      return true;
    }
    if (std::isdigit(static_cast<unsigned char>(c))) {
      v.kind = Json::NUMBER;
      while (m_pos < m_s.size() && std::isdigit(static_cast<unsigned char>(m_s[m_pos]))) {
        v.number = v.number * 10 + static_cast<std::uint64_t>(m_s[m_pos++] - '0');
      }
      return true;
    }
    if (c == '"') {
      v.kind = Json::STRING;
      return String(v.text);
    }
    if (c == '{') {
      ++m_pos;
      v.kind = Json::OBJECT;
      if (Eat('}')) return true;
      do {
        std::pair<std::string, Json> m;
        if (!String(m.first) || !Eat(':') || !Value(m.second)) return false;
        v.members.push_back(std::move(m));
      } while (Eat(','));
      return Eat('}');
    }
    if (c == '[') {
      ++m_pos;
      v.kind = Json::ARRAY;
      if (Eat(']')) return true;
      do {
        Json item;
        if (!Value(item)) return false;
        v.items.push_back(std::move(item));
      } while (Eat(','));
      return Eat(']');
    }
    return false;
  }
  const std::string& m_s;
  std::size_t m_pos = 0;
};

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
    JsonParser parser(r.out);
    EXPECT_TRUE(parser.Parse(r.json)) << r.out;
  }
  return r;
}

void ExpectBlock(const Json& j, const Block& b) {
  ASSERT_EQ(j.kind, Json::OBJECT);
  EXPECT_EQ(j.Keys(), (std::vector<std::string>{"size", "kind", "dataOffset", "name", "capacity", "length",
                                                "reserved", "data"}));
  EXPECT_EQ(j["size"].number, 56 + b.data.size());
  EXPECT_EQ(j["kind"].number, b.kind);
  EXPECT_EQ(j["dataOffset"].number, b.dataOffset);
  EXPECT_EQ(j["name"].text, b.name);  // ASCII: the same as text
  EXPECT_EQ(j["capacity"].number, b.capacity);
  EXPECT_EQ(j["length"].number, b.length);
  EXPECT_EQ(j["reserved"].number, b.reserved);
  EXPECT_EQ(j["data"].text, Hex(Bytes(b.data.begin(), b.data.begin() + b.capacity)));
}

TEST(DesktopFileDump, ShowsTheContainerAsLoaded) {
  CTempFolder folder{"dbfiles"};
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
  EXPECT_EQ(j.Keys(), (std::vector<std::string>{"header", "appInfo", "sortInfo", "records"}));
  const Json& hj = j["header"];
  EXPECT_EQ(hj.Keys(), (std::vector<std::string>{"size", "kind", "name", "version", "creator", "type", "flags",
                                                 "modificationDate", "modificationNumber", "creationDate",
                                                 "backupDate", "recordCount", "appInfoSize", "sortInfoSize"}));
  EXPECT_EQ(hj["size"].number, 84u);
  EXPECT_EQ(hj["kind"].number, 1u);
  EXPECT_EQ(hj["name"].text, "Memo\xE8\xA1\xA8");
  EXPECT_EQ(hj["version"].number, 3u);
  EXPECT_EQ(hj["creator"].number, 0x6D656D6Fu);
  EXPECT_EQ(hj["type"].number, 0x44415441u);
  EXPECT_EQ(hj["flags"].number, 0x8008u);
  EXPECT_EQ(hj["modificationDate"].number, 0xFFFFFFF0u);
  EXPECT_EQ(hj["modificationNumber"].number, 42u);
  EXPECT_EQ(hj["creationDate"].number, 7u);
  EXPECT_EQ(hj["backupDate"].number, 8u);
  EXPECT_EQ(hj["recordCount"].number, 2u);
  EXPECT_EQ(hj["appInfoSize"].number, 356u);
  EXPECT_EQ(hj["sortInfoSize"].number, 59u);
  ExpectBlock(j["appInfo"], app);
  ExpectBlock(j["sortInfo"], sort);
  const Json& records = j["records"];
  ASSERT_EQ(records.kind, Json::ARRAY);
  ASSERT_EQ(records.items.size(), 2u);
  const Json& r0 = records.items[0];
  EXPECT_EQ(r0.Keys(), (std::vector<std::string>{"size", "kind", "id", "attributes", "category", "length", "data"}));
  EXPECT_EQ(r0["size"].number, 49u);
  EXPECT_EQ(r0["kind"].number, 0x1002u);
  EXPECT_EQ(r0["id"].number, 0xFFFFFFFEu);
  EXPECT_EQ(r0["attributes"].number, 0x1Fu);
  EXPECT_EQ(r0["category"].number, 15u);
  EXPECT_EQ(r0["length"].number, 9u);
  EXPECT_EQ(r0["data"].text, HexText("memo body"));
  const Json& r1 = records.items[1];
  EXPECT_EQ(r1["size"].number, 40u);
  EXPECT_EQ(r1["length"].number, 0u);
  EXPECT_EQ(r1["data"].text, "");
}

TEST(DesktopFileDump, NamesAreTextWithTheirBytesBesideWhenTheyDoNotConvert) {
  struct Case {
    std::string bytes;
    std::string text;  // UTF-8
    bool withHex;
  };
  const Case cases[] = {
      {"\x83\x81\x83\x82 \"q\" \\ \x01", "\xE3\x83\xA1\xE3\x83\xA2 \"q\" \\ \x01", false},
      {"Memo\x95", "Memo\xEF\xBF\xBD", true},  // a lead byte without its trail byte
      {"a\r\nb", "a\nb", true},                // the line end comes back as a lone "\n"
  };
  for (const Case& c : cases) {
    CTempFolder folder{"dbfiles"};
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
    for (const Json* named : {&r.json["header"], &r.json["appInfo"]}) {
      EXPECT_EQ((*named)["name"].text, c.text) << HexText(c.bytes);
      const std::vector<std::string> keys = named->Keys();
      const bool hasHex = std::find(keys.begin(), keys.end(), "nameHex") != keys.end();
      ASSERT_EQ(hasHex, c.withHex) << HexText(c.bytes);
      if (hasHex) {
        EXPECT_EQ((*named)["nameHex"].text, HexText(c.bytes));
      }
    }
  }
}

TEST(DesktopFileDump, EmptyHeaderOnlyMissingAndDamagedFiles) {
  CTempFolder folder{"dbfiles"};
  WriteAll(folder.Path() / "empty.dat", {});
  DumpResult empty = Dump(folder.Path() / "empty.dat");
  ASSERT_EQ(empty.status, 0);
  EXPECT_EQ(empty.json.Keys(), (std::vector<std::string>{"header", "appInfo", "sortInfo", "records"}));
  EXPECT_EQ(empty.json["header"].kind, Json::NUL);
  EXPECT_EQ(empty.json["appInfo"].kind, Json::NUL);
  EXPECT_EQ(empty.json["sortInfo"].kind, Json::NUL);
  EXPECT_EQ(empty.json["records"].kind, Json::ARRAY);
  EXPECT_TRUE(empty.json["records"].items.empty());

  WriteAll(folder.Path() / "header.dat", Build(Consistent(File{})));
  DumpResult headerOnly = Dump(folder.Path() / "header.dat");
  ASSERT_EQ(headerOnly.status, 0);
  EXPECT_EQ(headerOnly.json["header"]["recordCount"].number, 0u);
  EXPECT_EQ(headerOnly.json["appInfo"].kind, Json::NUL);

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
