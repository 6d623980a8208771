// The record table shared by every manager: slots, growth, the id index,
// walks and reorderings.  A desktop manager without a file serves as the
// concrete manager.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "dbfiles/DesktopDb.h"
#include "dbfiles/ResultCodes.h"

namespace {

class CTableDb : public CDesktopDb {
 public:
  using CDesktopDb::SetWalk;
};

CSyncRecord MakeRecord(std::int32_t id, std::int32_t category = 0, bool changed = false) {
  CSyncRecord r;
  r.SetId(id);
  r.SetCategory(category);
  if (changed) r.SetModified(true);
  return r;
}

// Ids of the table in slot order, -2 for an empty slot below the high-water mark.
std::vector<std::int32_t> Layout(const CDbManager& db) {
  std::vector<std::int32_t> ids;
  for (std::int32_t s = 0; s < db.HighWater(); ++s) {
    const CSyncRecord* r = db.RecordAt(s);
    ids.push_back(r ? r->GetId() : -2);
  }
  return ids;
}

// Every stored record's index is its slot, and IndexOfId answers what a scan
// of the table answers.
void ExpectConsistent(const CDbManager& db) {
  std::int32_t count = 0;
  for (std::int32_t s = 0; s < db.Capacity(); ++s) {
    const CSyncRecord* r = db.RecordAt(s);
    if (!r) continue;
    ++count;
    ASSERT_LT(s, db.HighWater());
    ASSERT_EQ(r->GetIndex(), s);
    std::int32_t first = -1;
    for (std::int32_t t = 0; t < db.Capacity() && first < 0; ++t) {
      if (db.RecordAt(t) && db.RecordAt(t)->GetId() == r->GetId()) first = t;
    }
    ASSERT_EQ(db.IndexOfId(r->GetId()), first) << "id " << r->GetId();
  }
  ASSERT_EQ(count, db.RecordCount());
}

TEST(DbManagerTable, GrowsBy2000AndBothCopiesCarryTheSlot) {
  CTableDb db;
  for (std::int32_t i = 0; i < 2000; ++i) {
    CSyncRecord r = MakeRecord(100 + i);
    ASSERT_EQ(db.InsertRecord(r), DB_OK);
  }
  EXPECT_EQ(db.Capacity(), 2000);
  CSyncRecord extra = MakeRecord(9999);
  ASSERT_EQ(db.InsertRecord(extra), DB_OK);
  EXPECT_EQ(db.Capacity(), 4000);
  EXPECT_EQ(extra.GetIndex(), 2000);
  ASSERT_NE(db.RecordAt(2000), nullptr);
  EXPECT_EQ(db.RecordAt(2000)->GetIndex(), 2000);
  EXPECT_EQ(db.IndexOfId(9999), 2000);
  EXPECT_EQ(db.HighWater(), 2001);
  EXPECT_EQ(db.RecordCount(), 2001);
  EXPECT_TRUE(db.IsDirty());
}

TEST(DbManagerTable, DeletedSlotIsReusedLowestFirstAndLookupsFollow) {
  CTableDb db;
  for (std::int32_t id : {1, 2, 3, 4}) {
    CSyncRecord r = MakeRecord(id);
    ASSERT_EQ(db.InsertRecord(r), DB_OK);
  }
  CSyncRecord gone3 = MakeRecord(3), gone2 = MakeRecord(2);
  ASSERT_EQ(db.DeleteRecord(gone3), DB_OK);
  ASSERT_EQ(db.DeleteRecord(gone2), DB_OK);
  EXPECT_EQ(db.IndexOfId(2), -1);
  EXPECT_EQ(db.RecordCount(), 2);
  EXPECT_EQ(db.HighWater(), 4);  // the mark never goes down on delete
  CSyncRecord n = MakeRecord(7);
  ASSERT_EQ(db.InsertRecord(n), DB_OK);
  EXPECT_EQ(n.GetIndex(), 1);
  CSyncRecord m = MakeRecord(8);
  ASSERT_EQ(db.InsertRecord(m), DB_OK);
  EXPECT_EQ(m.GetIndex(), 2);
  EXPECT_EQ(Layout(db), (std::vector<std::int32_t>{1, 7, 8, 4}));
  ExpectConsistent(db);
}

TEST(DbManagerTable, DuplicateIdsResolveToTheFirstOccupiedSlot) {
  CTableDb db;
  for (std::int32_t id : {5, 6, 5, 5}) {
    CSyncRecord r = MakeRecord(id);
    ASSERT_EQ(db.InsertRecord(r), DB_OK);
  }
  EXPECT_EQ(db.IndexOfId(5), 0);
  CSyncRecord victim = MakeRecord(5);
  ASSERT_EQ(db.DeleteRecord(victim), DB_OK);  // removes slot 0
  EXPECT_EQ(db.IndexOfId(5), 2);
  // A record with id 0 is deleted by its index.
  CSyncRecord zero = MakeRecord(0);
  ASSERT_EQ(db.InsertRecord(zero), DB_OK);
  EXPECT_EQ(zero.GetIndex(), 0);
  CSyncRecord byIndex = MakeRecord(0);
  byIndex.SetIndex(3);
  ASSERT_EQ(db.DeleteRecord(byIndex), DB_OK);
  EXPECT_EQ(Layout(db), (std::vector<std::int32_t>{0, 6, 5, -2}));
  byIndex.SetIndex(3);
  EXPECT_EQ(db.DeleteRecord(byIndex), DB_ERR_RECORD_NOT_FOUND);
  byIndex.SetIndex(-1);
  EXPECT_EQ(db.DeleteRecord(byIndex), DB_ERR_RECORD_NOT_FOUND);
  CSyncRecord unknown = MakeRecord(77);
  EXPECT_EQ(db.DeleteRecord(unknown), DB_ERR_RECORD_NOT_FOUND);
  ExpectConsistent(db);
}

TEST(DbManagerTable, WalksCopyRecordsOutAndRefuseUnknownModes) {
  CTableDb db;
  CSyncRecord a = MakeRecord(1), b = MakeRecord(2, 0, true), c = MakeRecord(3);
  for (CSyncRecord* r : {&a, &b, &c}) ASSERT_EQ(db.InsertRecord(*r), DB_OK);
  CSyncRecord out;
  ASSERT_EQ(db.FirstRecord(out), DB_OK);
  EXPECT_EQ(out.GetId(), 1);
  out.SetCategory(9);  // a copy: the stored record does not change
  EXPECT_EQ(db.RecordAt(0)->GetCategory(), 0);
  ASSERT_EQ(db.NextRecord(out), DB_OK);
  EXPECT_EQ(out.GetId(), 2);
  ASSERT_EQ(db.NextRecord(out), DB_OK);
  EXPECT_EQ(out.GetId(), 3);
  EXPECT_EQ(db.NextRecord(out), DB_ERR_NOT_FOUND);
  EXPECT_EQ(db.NextRecord(out), DB_ERR_NOT_FOUND);

  db.SetWalk(10, 0);
  EXPECT_EQ(db.NextRecord(out), DB_ERR_BAD_ITERATION);
  db.SetWalk(-1, 0);
  EXPECT_EQ(db.NextRecord(out), DB_ERR_BAD_ITERATION);
  db.SetWalk(9, 0);  // a valid mode that nothing matches
  EXPECT_EQ(db.NextRecord(out), DB_ERR_NOT_FOUND);
}

TEST(DbManagerTable, FirstModifiedMovesChangedRecordsToTheFront) {
  CTableDb db;
  // [A, B*, C, D*] -> [B, D, C, A]
  CSyncRecord a = MakeRecord(1), b = MakeRecord(2, 0, true), c = MakeRecord(3), d = MakeRecord(4, 0, true);
  for (CSyncRecord* r : {&a, &b, &c, &d}) ASSERT_EQ(db.InsertRecord(*r), DB_OK);
  CSyncRecord out;
  ASSERT_EQ(db.FirstModified(out), DB_OK);
  EXPECT_EQ(out.GetId(), 2);
  ASSERT_EQ(db.NextRecord(out), DB_OK);
  EXPECT_EQ(out.GetId(), 4);
  EXPECT_EQ(db.NextRecord(out), DB_ERR_NOT_FOUND);
  EXPECT_EQ(Layout(db), (std::vector<std::int32_t>{2, 4, 3, 1}));
  ExpectConsistent(db);
}

TEST(DbManagerTable, PendingFirstLeavesEmptySlotsInPlace) {
  CTableDb db;
  for (std::int32_t id : {1, 2, 3, 4, 5}) {
    CSyncRecord r = MakeRecord(id);
    if (id == 3 || id == 5) r.SetPending(true);
    ASSERT_EQ(db.InsertRecord(r), DB_OK);
  }
  CSyncRecord gone = MakeRecord(2);
  ASSERT_EQ(db.DeleteRecord(gone), DB_OK);
  ASSERT_EQ(db.Reorder(CDbManager::REORDER_PENDING_FIRST), DB_OK);
  EXPECT_EQ(Layout(db), (std::vector<std::int32_t>{3, -2, 5, 4, 1}));
  CSyncRecord out;
  ASSERT_EQ(db.FirstPending(out), DB_OK);
  EXPECT_EQ(out.GetId(), 3);
  ASSERT_EQ(db.NextRecord(out), DB_OK);
  EXPECT_EQ(out.GetId(), 5);
  EXPECT_EQ(db.NextRecord(out), DB_ERR_NOT_FOUND);
  ExpectConsistent(db);
  EXPECT_EQ(db.Reorder(0), DB_ERR_NOT_SUPPORTED);
  EXPECT_EQ(db.Reorder(6), DB_ERR_NOT_SUPPORTED);
}

// The exchange sort the key orders reproduce, slot by slot.
std::vector<std::int32_t> ReferenceSort(std::vector<std::int32_t> keys) {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    for (std::size_t j = keys.size() - 1; j > i; --j) {
      if (keys[j] < keys[i]) std::swap(keys[i], keys[j]);
    }
  }
  return keys;
}

TEST(DbManagerTable, CategoryOrderKeepsTheExchangeSortOrderOfEqualKeys) {
  CTableDb db;
  // ids 1..3 in categories 2, 1, 1: the exchange sort gives [3, 2, 1].
  for (auto [id, cat] : {std::pair{1, 2}, {2, 1}, {3, 1}}) {
    CSyncRecord r = MakeRecord(id, cat);
    ASSERT_EQ(db.InsertRecord(r), DB_OK);
  }
  ASSERT_EQ(db.Reorder(CDbManager::REORDER_BY_CATEGORY), DB_OK);
  EXPECT_EQ(Layout(db), (std::vector<std::int32_t>{3, 2, 1}));

  // Random tables, with few distinct keys, many distinct keys and duplicates,
  // and all keys distinct: the same permutation as the slot-by-slot exchange
  // sort.  The category is the key; the unique id tells the records apart.
  std::mt19937 rng(7);
  for (std::uint32_t keyRange : {5u, 1000u, 1000000u}) {
    for (int round = 0; round < 30; ++round) {
      CTableDb big;
      std::vector<std::pair<std::int32_t, std::int32_t>> tagged;  // (key, id)
      int n = 1 + static_cast<int>(rng() % 300);
      for (int i = 0; i < n; ++i) {
        std::int32_t key = static_cast<std::int32_t>(rng() % keyRange);
        CSyncRecord r = MakeRecord(i, key);
        ASSERT_EQ(big.InsertRecord(r), DB_OK);
        tagged.emplace_back(key, i);
      }
      // A hole stays where it is.
      CSyncRecord hole = MakeRecord(0);
      hole.SetIndex(0);  // id 0 is deleted by its index
      ASSERT_EQ(big.DeleteRecord(hole), DB_OK);
      tagged.erase(tagged.begin());
      for (std::size_t i = 0; i < tagged.size(); ++i) {
        for (std::size_t j = tagged.size() - 1; j > i; --j) {
          if (tagged[j].first < tagged[i].first) std::swap(tagged[i], tagged[j]);
        }
      }
      std::vector<std::int32_t> expected = {-2};
      for (const auto& t : tagged) expected.push_back(t.second);
      ASSERT_EQ(big.Reorder(CDbManager::REORDER_BY_CATEGORY_TOO), DB_OK);
      ASSERT_EQ(Layout(big), expected) << "range " << keyRange << " round " << round;
      ExpectConsistent(big);
    }
  }
}

TEST(DbManagerTable, IdOrderIsAscendingAndLookupsFollowTheMoves) {
  CTableDb db;
  std::vector<std::int32_t> ids = {40, -3, 17, 17, 99, 0, 5};
  for (std::int32_t id : ids) {
    CSyncRecord r = MakeRecord(id);
    ASSERT_EQ(db.InsertRecord(r), DB_OK);
  }
  ASSERT_EQ(db.Reorder(CDbManager::REORDER_BY_ID), DB_OK);
  EXPECT_EQ(Layout(db), ReferenceSort(ids));
  EXPECT_EQ(db.IndexOfId(99), 6);
  EXPECT_EQ(db.IndexOfId(-3), 0);
  ExpectConsistent(db);
}

TEST(DbManagerTable, GetAllIdsReportsTheNeededSize) {
  CTableDb db;
  for (std::int32_t id : {8, 9, 10}) {
    CSyncRecord r = MakeRecord(id);
    ASSERT_EQ(db.InsertRecord(r), DB_OK);
  }
  CSyncRecord nine = MakeRecord(9);
  ASSERT_EQ(db.DeleteRecord(nine), DB_OK);
  std::int32_t ids[4] = {};
  std::int32_t count = 1;
  EXPECT_EQ(db.GetAllIds(ids, &count), DB_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(count, 2);
  count = 4;
  EXPECT_EQ(db.GetAllIds(nullptr, &count), DB_ERR_NULL_BUFFER);
  ASSERT_EQ(db.GetAllIds(ids, &count), DB_OK);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(ids[0], 8);
  EXPECT_EQ(ids[1], 10);
}

TEST(DbManagerTable, ReorderByIdsChangesNothingOnFailure) {
  CTableDb db;
  for (std::int32_t id : {1, 2, 3}) {
    CSyncRecord r = MakeRecord(id);
    ASSERT_EQ(db.InsertRecord(r), DB_OK);
  }
  const std::vector<std::int32_t> before = Layout(db);
  std::int32_t wrongCount[] = {3, 2};
  EXPECT_EQ(db.ReorderByIds(wrongCount, 2), DB_ERR_COUNT_MISMATCH);
  std::int32_t unknown[] = {3, 42, 1};
  EXPECT_EQ(db.ReorderByIds(unknown, 3), DB_ERR_UNKNOWN_ID);
  std::int32_t hole[] = {3, -1, 1};
  EXPECT_EQ(db.ReorderByIds(hole, 3), DB_ERR_COUNT_MISMATCH);
  std::int32_t twice[] = {3, 3, 1};
  EXPECT_EQ(db.ReorderByIds(twice, 3), DB_ERR_COUNT_MISMATCH);
  EXPECT_EQ(db.ReorderByIds(nullptr, 3), DB_ERR_NULL_BUFFER);
  EXPECT_EQ(Layout(db), before);
  ExpectConsistent(db);

  std::int32_t good[] = {3, 1, 2};
  ASSERT_EQ(db.ReorderByIds(good, 3), DB_OK);
  EXPECT_EQ(Layout(db), (std::vector<std::int32_t>{3, 1, 2}));
  ExpectConsistent(db);

  // -1 leaves a position empty, so with two records one is not placed.
  CSyncRecord two = MakeRecord(2);
  ASSERT_EQ(db.DeleteRecord(two), DB_OK);
  std::int32_t spaced[] = {-1, 1};
  ASSERT_EQ(db.ReorderByIds(spaced, 2), DB_ERR_COUNT_MISMATCH);
  std::int32_t pair[] = {1, 3};
  ASSERT_EQ(db.ReorderByIds(pair, 2), DB_OK);
  EXPECT_EQ(Layout(db), (std::vector<std::int32_t>{1, 3}));
  ExpectConsistent(db);

  // Records sharing an id are placed in slot order.
  CTableDb dup;
  for (std::int32_t cat : {4, 6}) {
    CSyncRecord r = MakeRecord(0, cat);
    ASSERT_EQ(dup.InsertRecord(r), DB_OK);
  }
  std::int32_t zeros[] = {0, 0};
  ASSERT_EQ(dup.ReorderByIds(zeros, 2), DB_OK);
  EXPECT_EQ(dup.RecordAt(0)->GetCategory(), 4);
  EXPECT_EQ(dup.RecordAt(1)->GetCategory(), 6);
}

TEST(DbManagerTable, PositionAndAlternateIndexLookups) {
  CTableDb db;
  for (std::int32_t id : {1, 2, 3}) {
    CSyncRecord r = MakeRecord(id);
    r.SetAlternateIndex(id * 10);
    ASSERT_EQ(db.InsertRecord(r), DB_OK);
  }
  CSyncRecord one = MakeRecord(1);
  ASSERT_EQ(db.DeleteRecord(one), DB_OK);
  CSyncRecord out;
  ASSERT_EQ(db.GetByPosition(1, out), DB_OK);
  EXPECT_EQ(out.GetId(), 3);
  EXPECT_EQ(db.GetByPosition(2, out), DB_ERR_NOT_FOUND);
  EXPECT_EQ(db.GetByPosition(-1, out), DB_ERR_NOT_FOUND);
  ASSERT_EQ(db.FindByAlternateIndex(20, out), DB_OK);
  EXPECT_EQ(out.GetId(), 2);
  EXPECT_EQ(db.FindByAlternateIndex(10, out), DB_ERR_NOT_FOUND);
  ASSERT_EQ(db.FindByIdAndAlternateIndex(3, 30, out), DB_OK);
  EXPECT_EQ(db.FindByIdAndAlternateIndex(3, 20, out), DB_ERR_NOT_FOUND);
}

TEST(DbManagerTable, IdIndexStaysInStepThroughRandomChanges) {
  std::mt19937 rng(12345);
  CTableDb db;
  for (int step = 0; step < 3000; ++step) {
    std::int32_t id = static_cast<std::int32_t>(rng() % 50);
    switch (rng() % 9) {
      case 0:
      case 1:
      case 2: {
        CSyncRecord r = MakeRecord(id, static_cast<std::int32_t>(rng() % 16), rng() % 2 == 0);
        ASSERT_EQ(db.InsertRecord(r), DB_OK);
        break;
      }
      case 3: {
        CSyncRecord r = MakeRecord(id);
        db.DeleteRecord(r);
        break;
      }
      case 4: {
        std::int32_t slot = static_cast<std::int32_t>(rng() % static_cast<unsigned>(db.HighWater() + 1));
        CSyncRecord r = MakeRecord(id);
        db.ModifyRecordAt(slot, r);
        break;
      }
      case 5: {
        CSyncRecord r = MakeRecord(id, 3);
        db.ModifyRecord(r);
        break;
      }
      case 6:
        ASSERT_EQ(db.Reorder(1 + static_cast<std::int32_t>(rng() % 5)), DB_OK);
        break;
      case 7:
        db.PurgeCategory(static_cast<std::int32_t>(rng() % 16), rng() % 2 == 0);
        break;
      default: {
        std::vector<std::int32_t> ids(static_cast<std::size_t>(db.RecordCount()));
        std::int32_t n = db.RecordCount();
        ASSERT_EQ(db.GetAllIds(ids.data(), &n), DB_OK);
        std::shuffle(ids.begin(), ids.end(), rng);
        ASSERT_EQ(db.ReorderByIds(ids.data(), n), DB_OK);
        break;
      }
    }
    ExpectConsistent(db);
    if (HasFatalFailure()) return;
  }
  db.FreeAll();
  EXPECT_EQ(db.RecordCount(), 0);
  EXPECT_EQ(db.IndexOfId(1), -1);
  CSyncRecord r = MakeRecord(1);
  ASSERT_EQ(db.InsertRecord(r), DB_OK);
  EXPECT_EQ(r.GetIndex(), 0);
}

}  // namespace
