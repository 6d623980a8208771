// The decision tables checked cell by cell against a second, independent copy
// kept here in the form they are drawn in (hexadecimal action words, "-" for a
// key that is not in the table).  A value mistyped in either copy fails here.

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "sync/SyncTables.h"

namespace {

std::vector<std::vector<std::string>> Rows(const char* text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::vector<std::string> row;
    std::string word;
    while (words >> word) row.push_back(word);
    if (!row.empty()) rows.push_back(row);
  }
  return rows;
}

std::int32_t Hex(const std::string& word) { return static_cast<std::int32_t>(std::stoul(word, nullptr, 16)); }

std::int32_t Comparison(const std::string& word) {
  if (word == "same") return SYNC_COMPARE_SAME;
  if (word == "differ") return SYNC_COMPARE_DIFFER;
  return SYNC_COMPARE_NONE;
}

// Rows: handheld status, comparison (none/same/differ), then one cell per
// desktop column.  Returns the number of cells that hold an action.
std::size_t CheckPairTable(const SyncTable& table, const char* printed) {
  const std::int32_t columns[] = {32, 64, 1, 5, 2, 6, 4, 8};
  std::size_t cells = 0;
  for (const auto& row : Rows(printed)) {
    EXPECT_EQ(row.size(), 10u);
    const std::int32_t handheld = std::stoi(row[0]);
    const std::int32_t comparison = Comparison(row[1]);
    for (std::size_t c = 0; c < 8; ++c) {
      const std::int32_t key = SyncKey(handheld, columns[c], comparison);
      const std::string& cell = row[c + 2];
      if (cell == "-") {
        EXPECT_EQ(table.Lookup(key), 0) << table.name << " handheld " << handheld << " " << row[1]
                                         << " desktop " << columns[c];
      } else {
        ++cells;
        EXPECT_EQ(table.Lookup(key), Hex(cell)) << table.name << " handheld " << handheld << " "
                                                << row[1] << " desktop " << columns[c];
      }
    }
  }
  return cells;
}

TEST(SyncTablesPrintedForm, FastTableMatchesEveryCell) {
  const char* printed = R"(
    32 none 10000000 10000000 5       5       6       6       80      80
    64 none 10000000 10000000 1       1       2       2       10      10
    1  none 5        4        5       5       6       6       1000080 10000000
    5  none 5        4        5       5       6       6       1000080 10000000
    2  none 9        8        9       9       9       6       1000080 10000000
    6  none 9        8        9       9       9       800     200     10000000
    3  none 9        8        9       9       9       800     200     10000000
    7  none 9        8        9       9       9       800     200     10000000
    4  none 40       20       1000040 1000040 1000040 400     100     10000000
    8  none 40       20       1000040 1000040 1000040 1000040 100     10000000
  )";
  EXPECT_EQ(CheckPairTable(FastSyncTable(), printed), 80u);
  EXPECT_EQ(FastSyncTable().entries.size(), 80u);
}

TEST(SyncTablesPrintedForm, SlowTableMatchesEveryCell) {
  const char* printed = R"(
    32 none   -        20       -        -        -        -        -        -
    32 same   0        -        5        5        6        6        0        0
    32 differ 2000     -        5        5        6        6        80       2000
    64 none   10       10000000 1        1        2        2        10       10
    1  none   5        4        5        5        6        6        1000080  10000000
    5  none   5        4        5        5        6        6        1000080  10000000
    2  none   -        8        -        -        -        -        -        -
    2  same   9        -        9        9        9        9        9        10000000
    2  differ 9        -        9        9        A        A        80       10000000
    6  none   -        8        -        -        -        -        -        -
    6  same   9        -        9        9        9        9        9        10000000
    6  differ 9        -        9        9        A        A        1002000  10000000
    3  none   -        8        -        -        -        -        -        -
    3  same   9        -        9        9        9        9        9        10000000
    3  differ 9        -        9        9        A        A        80       10000000
    7  none   -        8        -        -        -        -        -        -
    7  same   9        -        9        9        9        9        9        10000000
    7  differ 9        -        9        9        A        A        1002000  10000000
    4  none   -        20       -        -        -        -        -        -
    4  same   0        -        5        5        6        6        0        10000000
    4  differ 40       -        40       40       1000040  2000     2000     10000000
    8  none   -        20       -        -        -        -        -        -
    8  same   10000000 -        10000000 10000000 10000000 10000000 10000000 10000000
    8  differ 10000000 -        10000000 10000000 10000000 10000000 10000000 10000000
  )";
  EXPECT_EQ(CheckPairTable(SlowSyncTable(), printed), 129u);
  EXPECT_EQ(SlowSyncTable().entries.size(), 129u);
}

// One row per table: the action for each desktop status of `columns`.
void CheckSideTable(const SyncTable& table, bool handheldKey, const std::vector<std::int32_t>& columns,
                    const char* printed, std::size_t expectedEntries) {
  const auto rows = Rows(printed);
  ASSERT_EQ(rows.size(), 1u);
  ASSERT_EQ(rows[0].size(), columns.size());
  std::size_t cells = 0;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const std::int32_t key = handheldKey ? SyncKey(columns[c], 0) : columns[c];
    if (rows[0][c] == "-") {
      EXPECT_EQ(table.Lookup(key), 0) << table.name << " status " << columns[c];
    } else {
      ++cells;
      EXPECT_EQ(table.Lookup(key), Hex(rows[0][c])) << table.name << " status " << columns[c];
    }
  }
  EXPECT_EQ(cells, expectedEntries);
  EXPECT_EQ(table.entries.size(), expectedEntries);
}

const std::vector<std::int32_t> kDesktopStatuses = {64, 32, 1, 2, 4, 6, 5, 8, 0xC, 0xA, 0xE, 0x9, 0xD, 0x3, 0x7};

TEST(SyncTablesPrintedForm, DesktopRecordTablesMatchEveryCell) {
  CheckSideTable(FastDesktopTable(), false, kDesktopStatuses,
                 "10000000 10000000 10001 10002 80 10002 10001 10 10 10002 10002 10001 10001 10002 10002", 15);
  // A pending desktop record that is modified goes to the handheld as a new
  // record (10); the handheld no longer has a record it could be written over.
  CheckSideTable(SlowDesktopTable(), false, kDesktopStatuses,
                 "10000000 1 1 2 10 2 1 10 10 2 2 1 1 2 2", 15);
  CheckSideTable(DesktopToHandheldTable(), false, kDesktopStatuses,
                 "- 10 1 2 10 2 1 10 10 2 2 1 1 2 2", 14);
  CheckSideTable(HandheldToDesktopTable(), true, {32, 1, 2, 4, 6, 5, 3, 7}, "20 0 8 20 8 0 8 8", 8);
}

TEST(SyncTablesPrintedForm, KeysOutsideEveryTableDoNothing) {
  EXPECT_EQ(FastSyncTable().Lookup(SyncKey(32, 3)), 0);
  EXPECT_EQ(FastSyncTable().Lookup(SyncKey(9, 32)), 0);
  EXPECT_EQ(SlowSyncTable().Lookup(SyncKey(32, 32)), 0);
  EXPECT_EQ(FastDesktopTable().Lookup(0xB), 0);
  EXPECT_EQ(HandheldToDesktopTable().Lookup(SyncKey(8, 0)), 0);
}

}  // namespace
