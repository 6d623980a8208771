// The .pdb reader and writer against an independent implementation, damaged
// files, and the record operations the sync library relies on.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "handheld/HandheldResult.h"
#include "handheld/PdbFile.h"
#include "PdbBytes.h"

using namespace HandheldResult;
using namespace PdbBytes;

namespace {

int ParseBytes(const std::vector<std::uint8_t>& b, CPdbFile& out) { return CPdbFile::Parse(b.data(), b.size(), out); }

CPdbRecord Rec(std::uint8_t attributes, const std::string& data, std::uint32_t id = 0) {
  CPdbRecord r;
  r.attributes = attributes;
  r.uniqueId = id;
  r.data = Bytes(data);
  return r;
}

}  // namespace

TEST(PdbFile, ReadsAFileBuiltByteByByte) {
  const std::vector<std::uint8_t> app = Bytes("APPINFO!");
  const auto bytes = Database({Bytes("one"), Bytes(""), Bytes("three33")}, &app);
  CPdbFile pdb;
  ASSERT_EQ(HH_OK, ParseBytes(bytes, pdb));
  const CPdbFile::Info& info = pdb.GetInfo();
  EXPECT_EQ("TestDB", info.name);
  EXPECT_EQ(3, info.version);
  EXPECT_EQ(0xB0000001u, info.creationDate);
  EXPECT_EQ(0xB0000002u, info.modificationDate);
  EXPECT_EQ(0xB0000003u, info.backupDate);
  EXPECT_EQ(17u, info.modificationNumber);
  EXPECT_EQ(0x44415441u, info.type);  // 'DATA'
  EXPECT_EQ(0x74657374u, info.creator);
  EXPECT_EQ(0x1000u, info.uniqueIdSeed);
  ASSERT_TRUE(pdb.AppInfo().has_value());
  EXPECT_EQ(app, *pdb.AppInfo());
  EXPECT_FALSE(pdb.SortInfo().has_value());
  ASSERT_EQ(3u, pdb.RecordCount());
  EXPECT_EQ(Bytes("one"), pdb.RecordAt(0)->data);
  EXPECT_TRUE(pdb.RecordAt(1)->data.empty());
  EXPECT_EQ(Bytes("three33"), pdb.RecordAt(2)->data);
  EXPECT_EQ(0x010205u, pdb.RecordAt(2)->uniqueId);
  EXPECT_TRUE(pdb.RecordAt(0)->IsDirty());
  EXPECT_EQ(2, pdb.IndexOfId(0x010205));
}

TEST(PdbFile, IsLenientAboutTheGapAndEmptyBlocks) {
  // No two-byte gap, no app-info, no records at all.
  const auto noGap = Database({Bytes("abc")}, nullptr, false);
  CPdbFile pdb;
  ASSERT_EQ(HH_OK, ParseBytes(noGap, pdb));
  EXPECT_FALSE(pdb.AppInfo().has_value());
  EXPECT_EQ(Bytes("abc"), pdb.RecordAt(0)->data);
  const auto empty = Header("Empty", "DATA", "test", 0);
  ASSERT_EQ(HH_OK, ParseBytes(empty, pdb));
  EXPECT_EQ(0u, pdb.RecordCount());
  // A name filling all 32 bytes without its NUL still opens.
  auto full = Header(std::string(32, 'N'), "DATA", "test", 0);
  ASSERT_EQ(HH_OK, ParseBytes(full, pdb));
  EXPECT_EQ(std::string(32, 'N'), pdb.GetInfo().name);
}

TEST(PdbFile, WritesTheStandardLayout) {
  CPdbFile pdb;
  CPdbFile::Info& info = pdb.MutableInfo();
  info.name = "Written";
  info.type = 0x44415441;
  info.creator = 0x44655275;
  info.version = 2;
  info.modificationNumber = 9;
  info.uniqueIdSeed = 50;
  pdb.SetAppInfo(Bytes("app"));
  pdb.SetSortInfo(Bytes("sortinfo"));
  std::uint32_t id = 0;
  ASSERT_EQ(HH_OK, pdb.WriteRecord(Rec(0x43, "first"), &id));
  EXPECT_EQ(50u, id);
  ASSERT_EQ(HH_OK, pdb.WriteRecord(Rec(0x80, "")));
  std::vector<std::uint8_t> b;
  ASSERT_EQ(HH_OK, pdb.Serialize(b));

  EXPECT_EQ("Written", std::string(reinterpret_cast<const char*>(b.data())));
  EXPECT_EQ(2u, Get16(b, 34));
  EXPECT_EQ(9u, Get32(b, 48));
  EXPECT_EQ(0x44655275u, Get32(b, 64));
  EXPECT_EQ(52u, Get32(b, 68));  // seed advanced past both new ids
  EXPECT_EQ(0u, Get32(b, 72));
  const auto entries = Entries(b);
  ASSERT_EQ(2u, entries.size());
  // Header, two entries, the gap, then app-info and sort-info in that order.
  const std::size_t appAt = 78 + 16 + 2;
  EXPECT_EQ(appAt, Get32(b, 52));
  EXPECT_EQ(appAt + 3, Get32(b, 56));
  EXPECT_EQ(0, b[78 + 16]);
  EXPECT_EQ(0, b[78 + 17]);
  EXPECT_EQ(appAt + 3 + 8, entries[0].offset);
  EXPECT_EQ(0x43, entries[0].attributes);
  EXPECT_EQ(50u, entries[0].id);
  EXPECT_EQ(51u, entries[1].id);
  EXPECT_EQ(Bytes("first"), RecordData(b, 0));
  EXPECT_TRUE(RecordData(b, 1).empty());
  EXPECT_EQ(b.size(), entries[1].offset);

  CPdbFile back;
  ASSERT_EQ(HH_OK, ParseBytes(b, back));
  EXPECT_EQ(Bytes("sortinfo"), *back.SortInfo());
  EXPECT_EQ(Bytes("app"), *back.AppInfo());
}

TEST(PdbFile, RoundTripsAResourceDatabase) {
  std::vector<std::uint8_t> b = Header("Res", "appl", "test", 2, 0x0001);
  b.resize(78 + 20 + 2, 0);
  const char* types[] = {"code", "tAIN"};
  const std::string data[] = {"CODE0", "name"};
  for (std::size_t i = 0; i < 2; ++i) {
    const std::size_t e = 78 + 10 * i;
    for (std::size_t k = 0; k < 4; ++k) b[e + k] = static_cast<std::uint8_t>(types[i][k]);
    Put16(b, e + 4, static_cast<std::uint16_t>(1000 + i));
    Put32(b, e + 6, static_cast<std::uint32_t>(b.size()));
    b.insert(b.end(), data[i].begin(), data[i].end());
  }
  CPdbFile pdb;
  ASSERT_EQ(HH_OK, ParseBytes(b, pdb));
  ASSERT_TRUE(pdb.IsResourceDb());
  EXPECT_EQ(1001, pdb.RecordAt(1)->resourceId);
  EXPECT_EQ(Bytes("name"), pdb.RecordAt(1)->data);
  std::vector<std::uint8_t> again;
  ASSERT_EQ(HH_OK, pdb.Serialize(again));
  EXPECT_EQ(b, again);
}

TEST(PdbFile, RefusesDamagedFiles) {
  CPdbFile pdb;
  const auto good = Database({Bytes("abcd"), Bytes("efgh")}, nullptr);
  // Truncated header.
  EXPECT_EQ(HH_ERR_DAMAGED, CPdbFile::Parse(good.data(), 77, pdb));
  EXPECT_EQ(HH_ERR_DAMAGED, CPdbFile::Parse(nullptr, 0, pdb));
  // A record list running past the end of the file.
  auto tooMany = good;
  Put16(tooMany, 76, 2000);
  EXPECT_EQ(HH_ERR_DAMAGED, ParseBytes(tooMany, pdb));
  // A record offset beyond the file, inside the header, or going backwards.
  auto beyond = good;
  Put32(beyond, 78 + 8, static_cast<std::uint32_t>(good.size() + 1));
  EXPECT_EQ(HH_ERR_DAMAGED, ParseBytes(beyond, pdb));
  auto inHeader = good;
  Put32(inHeader, 78, 10);
  EXPECT_EQ(HH_ERR_DAMAGED, ParseBytes(inHeader, pdb));
  auto backwards = good;
  Put32(backwards, 78 + 8, Get32(good, 78) - 1);
  EXPECT_EQ(HH_ERR_DAMAGED, ParseBytes(backwards, pdb));
  // App-info located after the first record, or sort-info before app-info.
  auto lateApp = good;
  Put32(lateApp, 52, Get32(good, 78) + 2);
  EXPECT_EQ(HH_ERR_DAMAGED, ParseBytes(lateApp, pdb));
  const std::vector<std::uint8_t> app(10, 7);
  auto swapped = Database({Bytes("abcd")}, &app);
  Put32(swapped, 56, Get32(swapped, 52));
  Put32(swapped, 52, Get32(swapped, 52) + 4);
  EXPECT_EQ(HH_ERR_DAMAGED, ParseBytes(swapped, pdb));
  // A refused file leaves the target untouched.
  ASSERT_EQ(HH_OK, ParseBytes(good, pdb));
  EXPECT_EQ(HH_ERR_DAMAGED, ParseBytes(beyond, pdb));
  EXPECT_EQ(2u, pdb.RecordCount());
}

TEST(PdbFile, GivesFreshIdsThatAreNeverZeroOrInUse) {
  const auto bytes = Database({Bytes("a"), Bytes("b")}, nullptr);  // ids 0x010203, 0x010204
  CPdbFile pdb;
  ASSERT_EQ(HH_OK, ParseBytes(bytes, pdb));
  pdb.MutableInfo().uniqueIdSeed = 0x010203;
  std::uint32_t id = 0;
  ASSERT_EQ(HH_OK, pdb.NewUniqueId(id));
  EXPECT_EQ(0x010205u, id);
  pdb.MutableInfo().uniqueIdSeed = 0xFFFFFF;
  ASSERT_EQ(HH_OK, pdb.NewUniqueId(id));
  EXPECT_EQ(0xFFFFFFu, id);
  ASSERT_EQ(HH_OK, pdb.NewUniqueId(id));
  EXPECT_EQ(1u, id);  // wraps past 0
  // Writing with an unknown id appends under it; with a known id replaces in place.
  std::size_t index = 99;
  ASSERT_EQ(HH_OK, pdb.WriteRecord(Rec(0, "new", 777), &id, &index));
  EXPECT_EQ(777u, id);
  EXPECT_EQ(2u, index);
  ASSERT_EQ(HH_OK, pdb.WriteRecord(Rec(0x40, "B!", 0x010204), &id, &index));
  EXPECT_EQ(1u, index);
  EXPECT_EQ(Bytes("B!"), pdb.RecordAt(1)->data);
  EXPECT_EQ(HH_ERR_ARGUMENT, pdb.WriteRecord(Rec(0, "x", 0x1000000)));
}

TEST(PdbFile, RenumbersZeroAndRepeatedIds) {
  auto bytes = Database({Bytes("a"), Bytes("b"), Bytes("c")}, nullptr);
  for (std::size_t i = 0; i < 3; ++i) {
    bytes[78 + 8 * i + 5] = 0;
    bytes[78 + 8 * i + 6] = 0;
    bytes[78 + 8 * i + 7] = i == 0 ? 0 : 5;  // ids 0, 5, 5
  }
  CPdbFile pdb;
  ASSERT_EQ(HH_OK, ParseBytes(bytes, pdb));
  EXPECT_EQ(2u, pdb.MakeIdsUnique());
  std::vector<std::uint32_t> ids = pdb.Ids();
  EXPECT_EQ(5u, ids[1]);
  EXPECT_NE(0u, ids[0]);
  EXPECT_NE(ids[0], ids[2]);
  EXPECT_NE(5u, ids[2]);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(static_cast<long>(i), pdb.IndexOfId(ids[i]));
}

TEST(PdbFile, SyncOperationsWorkOnCategoriesAndFlags) {
  CPdbFile pdb;
  // index: 0 cat1 dirty, 1 cat2, 2 deleted, 3 cat1, 4 cat1 dirty
  const std::uint8_t attrs[] = {0x41, 0x02, 0xC0, 0x01, 0x41};
  for (std::uint8_t a : attrs) ASSERT_EQ(HH_OK, pdb.WriteRecord(Rec(a, "x")));
  EXPECT_EQ(0, pdb.NextDirty(0));
  EXPECT_EQ(2, pdb.NextDirty(1));
  EXPECT_EQ(4, pdb.NextDirty(3));
  EXPECT_EQ(-1, pdb.NextDirty(5));
  EXPECT_EQ(3, pdb.NextInCategory(1, 1));
  EXPECT_EQ(3u, pdb.ChangeCategory(1, 7));
  EXPECT_EQ(7, pdb.RecordAt(4)->Category());
  EXPECT_TRUE(pdb.RecordAt(4)->IsDirty());  // moving leaves the sync flags alone
  EXPECT_EQ(1u, pdb.PurgeDeleted());
  EXPECT_EQ(4u, pdb.RecordCount());
  EXPECT_EQ(3u, pdb.PurgeCategory(7));
  ASSERT_EQ(1u, pdb.RecordCount());
  EXPECT_EQ(2, pdb.RecordAt(0)->Category());
  pdb.ResetSyncFlags();
  EXPECT_EQ(-1, pdb.NextDirty(0));
}

// Removals by id interleaved with look-ups by index and id, appends and
// replacements, checked against a plain vector.
TEST(PdbFile, RemovalsKeepIndexesAndIdsConsistent) {
  CPdbFile pdb;
  std::vector<std::pair<std::uint32_t, std::string>> model;
  std::mt19937 random(12345);
  for (int i = 0; i < 3000; ++i) {
    std::uint32_t id = 0;
    ASSERT_EQ(HH_OK, pdb.WriteRecord(Rec(0, std::to_string(i)), &id));
    model.emplace_back(id, std::to_string(i));
  }
  for (int step = 0; step < 6000; ++step) {
    const int action = static_cast<int>(random() % 4);
    if (action <= 1 && !model.empty()) {
      const std::size_t at = random() % model.size();
      if (action == 0) {
        ASSERT_EQ(HH_OK, pdb.RemoveById(model[at].first));
      } else {
        ASSERT_EQ(HH_OK, pdb.RemoveAt(at));
      }
      model.erase(model.begin() + static_cast<long>(at));
    } else if (action == 2) {
      std::uint32_t id = 0;
      const std::string text = "n" + std::to_string(step);
      ASSERT_EQ(HH_OK, pdb.WriteRecord(Rec(0, text), &id));
      model.emplace_back(id, text);
    } else if (!model.empty()) {
      const std::size_t at = random() % model.size();
      std::size_t index = 0;
      ASSERT_EQ(HH_OK, pdb.WriteRecord(Rec(0, "r", model[at].first), nullptr, &index));
      EXPECT_EQ(at, index);
      model[at].second = "r";
    }
    if (step % 500 == 0 || step == 5999) {
      ASSERT_EQ(model.size(), pdb.RecordCount());
      for (std::size_t i = 0; i < model.size(); ++i) {
        ASSERT_EQ(model[i].first, pdb.RecordAt(i)->uniqueId);
        ASSERT_EQ(Bytes(model[i].second), pdb.RecordAt(i)->data);
        ASSERT_EQ(static_cast<long>(i), pdb.IndexOfId(model[i].first));
      }
    }
  }
  std::vector<std::uint8_t> bytes;
  ASSERT_EQ(HH_OK, pdb.Serialize(bytes));
  const auto entries = Entries(bytes);
  ASSERT_EQ(model.size(), entries.size());
  for (std::size_t i = 0; i < model.size(); ++i) EXPECT_EQ(model[i].first, entries[i].id);
}

TEST(PdbFile, RefusesMoreRecordsThanTheListHolds) {
  CPdbFile pdb;
  for (int i = 0; i < 0xFFFF; ++i) ASSERT_EQ(HH_OK, pdb.WriteRecord(Rec(0, "")));
  EXPECT_EQ(HH_ERR_FULL, pdb.WriteRecord(Rec(0, "")));
  std::vector<std::uint8_t> bytes;
  ASSERT_EQ(HH_OK, pdb.Serialize(bytes));
  EXPECT_EQ(0xFFFFu, Get16(bytes, 76));
}
