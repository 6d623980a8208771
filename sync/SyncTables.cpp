#include "sync/SyncTables.h"

#include <array>
#include <cstdint>

namespace {

// A cell with no entry.
constexpr std::int32_t NA = -1;

constexpr std::int32_t NONE = SYNC_COMPARE_NONE;
constexpr std::int32_t SAME = SYNC_COMPARE_SAME;
constexpr std::int32_t DIFF = SYNC_COMPARE_DIFFER;

struct Row {
  std::int32_t handheldStatus;
  std::int32_t comparison;
};

// Builds the entries of a two-sided table, row by row, leaving out empty cells.
template <std::size_t R, std::size_t C>
SyncTable MakePairTable(const char* name, const std::array<Row, R>& rows,
                        const std::array<std::int32_t, C>& columns,
                        const std::array<std::array<std::int32_t, C>, R>& cells) {
  SyncTable table;
  table.name = name;
  for (std::size_t r = 0; r < R; ++r) {
    for (std::size_t c = 0; c < C; ++c) {
      if (cells[r][c] == NA) continue;
      SyncTableEntry entry;
      entry.handheldStatus = rows[r].handheldStatus;
      entry.desktopStatus = columns[c];
      entry.comparison = rows[r].comparison;
      entry.key = SyncKey(entry.handheldStatus, entry.desktopStatus, entry.comparison);
      entry.action = cells[r][c];
      entry.row = static_cast<std::int16_t>(r);
      entry.column = static_cast<std::int16_t>(c);
      table.entries.push_back(entry);
    }
  }
  return table;
}

// Builds a table keyed by the status of one side.
template <std::size_t C>
SyncTable MakeSideTable(const char* name, bool handheldSide, const std::array<std::int32_t, C>& columns,
                        const std::array<std::int32_t, C>& cells) {
  SyncTable table;
  table.name = name;
  for (std::size_t c = 0; c < C; ++c) {
    if (cells[c] == NA) continue;
    SyncTableEntry entry;
    if (handheldSide) {
      entry.handheldStatus = columns[c];
      entry.key = SyncKey(columns[c], 0);
    } else {
      entry.desktopStatus = columns[c];
      entry.key = columns[c];
    }
    entry.action = cells[c];
    entry.column = static_cast<std::int16_t>(c);
    table.entries.push_back(entry);
  }
  return table;
}

// Desktop columns of the two handheld-pass tables.
constexpr std::array<std::int32_t, 8> kPairColumns = {32, 64, 1, 5, 2, 6, 4, 8};

SyncTable BuildFast() {
  constexpr std::array<Row, 10> rows = {{
      {32, NONE}, {64, NONE}, {1, NONE}, {5, NONE}, {2, NONE},
      {6, NONE}, {3, NONE}, {7, NONE}, {4, NONE}, {8, NONE},
  }};
  // clang-format off
  constexpr std::array<std::array<std::int32_t, 8>, 10> cells = {{
      //   32          64          1          5          2          6          4          8
      {0x10000000, 0x10000000, 0x5,       0x5,       0x6,       0x6,       0x80,      0x80      },  // 32
      {0x10000000, 0x10000000, 0x1,       0x1,       0x2,       0x2,       0x10,      0x10      },  // 64
      {0x5,        0x4,        0x5,       0x5,       0x6,       0x6,       0x1000080, 0x10000000},  // 1
      {0x5,        0x4,        0x5,       0x5,       0x6,       0x6,       0x1000080, 0x10000000},  // 5
      {0x9,        0x8,        0x9,       0x9,       0x9,       0x6,       0x1000080, 0x10000000},  // 2
      {0x9,        0x8,        0x9,       0x9,       0x9,       0x800,     0x200,     0x10000000},  // 6
      {0x9,        0x8,        0x9,       0x9,       0x9,       0x800,     0x200,     0x10000000},  // 3
      {0x9,        0x8,        0x9,       0x9,       0x9,       0x800,     0x200,     0x10000000},  // 7
      {0x40,       0x20,       0x1000040, 0x1000040, 0x1000040, 0x400,     0x100,     0x10000000},  // 4
      {0x40,       0x20,       0x1000040, 0x1000040, 0x1000040, 0x1000040, 0x100,     0x10000000},  // 8
  }};
  // clang-format on
  return MakePairTable("FastSyncAction", rows, kPairColumns, cells);
}

SyncTable BuildSlow() {
  constexpr std::array<Row, 24> rows = {{
      {32, NONE}, {32, SAME}, {32, DIFF}, {64, NONE}, {1, NONE},  {5, NONE},
      {2, NONE},  {2, SAME},  {2, DIFF},  {6, NONE},  {6, SAME},  {6, DIFF},
      {3, NONE},  {3, SAME},  {3, DIFF},  {7, NONE},  {7, SAME},  {7, DIFF},
      {4, NONE},  {4, SAME},  {4, DIFF},  {8, NONE},  {8, SAME},  {8, DIFF},
  }};
  // clang-format off
  constexpr std::array<std::array<std::int32_t, 8>, 24> cells = {{
      //   32          64          1           5           2           6           4           8
      {NA,         0x20,       NA,         NA,         NA,         NA,         NA,         NA        },  // 32 none
      {0x0,        NA,         0x5,        0x5,        0x6,        0x6,        0x0,        0x0       },  // 32 same
      {0x2000,     NA,         0x5,        0x5,        0x6,        0x6,        0x80,       0x2000    },  // 32 differ
      {0x10,       0x10000000, 0x1,        0x1,        0x2,        0x2,        0x10,       0x10      },  // 64 none
      {0x5,        0x4,        0x5,        0x5,        0x6,        0x6,        0x1000080,  0x10000000},  // 1 none
      {0x5,        0x4,        0x5,        0x5,        0x6,        0x6,        0x1000080,  0x10000000},  // 5 none
      {NA,         0x8,        NA,         NA,         NA,         NA,         NA,         NA        },  // 2 none
      {0x9,        NA,         0x9,        0x9,        0x9,        0x9,        0x9,        0x10000000},  // 2 same
      {0x9,        NA,         0x9,        0x9,        0xA,        0xA,        0x80,       0x10000000},  // 2 differ
      {NA,         0x8,        NA,         NA,         NA,         NA,         NA,         NA        },  // 6 none
      {0x9,        NA,         0x9,        0x9,        0x9,        0x9,        0x9,        0x10000000},  // 6 same
      {0x9,        NA,         0x9,        0x9,        0xA,        0xA,        0x1002000,  0x10000000},  // 6 differ
      {NA,         0x8,        NA,         NA,         NA,         NA,         NA,         NA        },  // 3 none
      {0x9,        NA,         0x9,        0x9,        0x9,        0x9,        0x9,        0x10000000},  // 3 same
      {0x9,        NA,         0x9,        0x9,        0xA,        0xA,        0x80,       0x10000000},  // 3 differ
      {NA,         0x8,        NA,         NA,         NA,         NA,         NA,         NA        },  // 7 none
      {0x9,        NA,         0x9,        0x9,        0x9,        0x9,        0x9,        0x10000000},  // 7 same
      {0x9,        NA,         0x9,        0x9,        0xA,        0xA,        0x1002000,  0x10000000},  // 7 differ
      {NA,         0x20,       NA,         NA,         NA,         NA,         NA,         NA        },  // 4 none
      {0x0,        NA,         0x5,        0x5,        0x6,        0x6,        0x0,        0x10000000},  // 4 same
      {0x40,       NA,         0x40,       0x40,       0x1000040,  0x2000,     0x2000,     0x10000000},  // 4 differ
      {NA,         0x20,       NA,         NA,         NA,         NA,         NA,         NA        },  // 8 none
      {0x10000000, NA,         0x10000000, 0x10000000, 0x10000000, 0x10000000, 0x10000000, 0x10000000},  // 8 same
      {0x10000000, NA,         0x10000000, 0x10000000, 0x10000000, 0x10000000, 0x10000000, 0x10000000},  // 8 differ
  }};
  // clang-format on
  return MakePairTable("SlowSyncAction", rows, kPairColumns, cells);
}

// Desktop statuses of the three desktop-record tables.
constexpr std::array<std::int32_t, 15> kDesktopColumns = {64,  32,  1,   2,   4,   6,   5,  8,
                                                          0xC, 0xA, 0xE, 0x9, 0xD, 0x3, 0x7};

SyncTable BuildFastDesktop() {
  constexpr std::array<std::int32_t, 15> cells = {
      0x10000000, 0x10000000, 0x10001, 0x10002, 0x80,    0x10002, 0x10001, 0x10,
      0x10,       0x10002,    0x10002, 0x10001, 0x10001, 0x10002, 0x10002};
  return MakeSideTable("FastDesktopAction", false, kDesktopColumns, cells);
}

SyncTable BuildSlowDesktop() {
  // A pending desktop record is one the handheld no longer has.  For one that
  // is modified (column 4) the desktop version goes to the handheld as a new
  // record (0x10).  Writing it over "the" handheld record (0x80) cannot work:
  // there is none, and the write at handheld index -1 failed with 4374 on
  // every later HotSync of the database.
  constexpr std::array<std::int32_t, 15> cells = {0x10000000, 0x1, 0x1, 0x2, 0x10, 0x2, 0x1, 0x10,
                                                  0x10,       0x2, 0x2, 0x1, 0x1,  0x2, 0x2};
  return MakeSideTable("SlowDesktopAction", false, kDesktopColumns, cells);
}

SyncTable BuildDesktopToHandheld() {
  constexpr std::array<std::int32_t, 15> cells = {NA,  0x10, 0x1, 0x2, 0x10, 0x2, 0x1, 0x10,
                                                  0x10, 0x2, 0x2, 0x1, 0x1,  0x2, 0x2};
  return MakeSideTable("DesktopToHandheldAction", false, kDesktopColumns, cells);
}

SyncTable BuildHandheldToDesktop() {
  constexpr std::array<std::int32_t, 8> columns = {32, 1, 2, 4, 6, 5, 3, 7};
  constexpr std::array<std::int32_t, 8> cells = {0x20, 0x0, 0x8, 0x20, 0x8, 0x0, 0x8, 0x8};
  return MakeSideTable("HandheldToDesktopAction", true, columns, cells);
}

}  // namespace

std::int32_t SyncTable::Lookup(std::int32_t key) const {
  for (const SyncTableEntry& entry : entries) {
    if (entry.key == key) return entry.action;
  }
  return 0;
}

const SyncTable& FastSyncTable() {
  static const SyncTable table = BuildFast();
  return table;
}

const SyncTable& SlowSyncTable() {
  static const SyncTable table = BuildSlow();
  return table;
}

const SyncTable& FastDesktopTable() {
  static const SyncTable table = BuildFastDesktop();
  return table;
}

const SyncTable& SlowDesktopTable() {
  static const SyncTable table = BuildSlowDesktop();
  return table;
}

const SyncTable& DesktopToHandheldTable() {
  static const SyncTable table = BuildDesktopToHandheld();
  return table;
}

const SyncTable& HandheldToDesktopTable() {
  static const SyncTable table = BuildHandheldToDesktop();
  return table;
}
