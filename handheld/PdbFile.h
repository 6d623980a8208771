#pragma once
// An in-memory image of one Palm database file (.pdb, or .prc for a resource
// database): the header fields, the app-info and sort-info blocks and the
// records in index order.  Parse reads the standard file layout leniently (files
// from other Palm tools and emulators open) but refuses anything that would need
// a read outside the file; Serialize writes the standard layout.
//
// Record operations keep an id index so that look-ups by id are constant time.
// Removed records leave holes that are closed in one pass the next time records
// are addressed by index, so a run of removals by id costs linear time in all.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "handheld/PdbRecord.h"
#include "handheld/RankIndex.h"

class CPdbFile {
 public:
  struct Info {
    std::string name;  // at most 31 bytes for databases made here
    std::uint16_t attributes = 0;
    std::uint16_t version = 0;
    std::uint32_t creationDate = 0;
    std::uint32_t modificationDate = 0;
    std::uint32_t backupDate = 0;
    std::uint32_t modificationNumber = 0;
    std::uint32_t type = 0;
    std::uint32_t creator = 0;
    std::uint32_t uniqueIdSeed = 0;
  };

  CPdbFile() = default;

  // Reads a whole file image.  HH_ERR_DAMAGED for a truncated header, a record
  // list beyond the file, or offsets out of range or decreasing.
  static int Parse(const std::uint8_t* bytes, std::size_t size, CPdbFile& out);
  // Writes the standard layout.  HH_ERR_TOO_LARGE when it cannot be expressed.
  int Serialize(std::vector<std::uint8_t>& out) const;

  const Info& GetInfo() const { return m_info; }
  Info& MutableInfo() {
    m_changed = true;
    return m_info;
  }
  bool IsResourceDb() const { return (m_info.attributes & PdbLayout::PDB_DB_ATTR_RESOURCE) != 0; }

  // App-info and sort-info blocks; none is distinct from an empty block.
  const std::optional<std::vector<std::uint8_t>>& AppInfo() const { return m_appInfo; }
  const std::optional<std::vector<std::uint8_t>>& SortInfo() const { return m_sortInfo; }
  void SetAppInfo(std::optional<std::vector<std::uint8_t>> block);
  void SetSortInfo(std::optional<std::vector<std::uint8_t>> block);
  // The app-info block for changes in place; marks the image changed.
  std::optional<std::vector<std::uint8_t>>& MutableAppInfo() {
    m_changed = true;
    return m_appInfo;
  }

  // ---- Records by index and by id ----
  std::size_t RecordCount() const { return m_records.size() - m_holes; }
  const CPdbRecord* RecordAt(std::size_t index) const;
  // Index of the record with this id, or -1.
  long IndexOfId(std::uint32_t id) const;
  const CPdbRecord* RecordById(std::uint32_t id) const;
  // Record ids in index order.
  std::vector<std::uint32_t> Ids() const;
  // Index of the first record at or after `from` that is dirty, or -1.
  long NextDirty(std::size_t from) const;
  // Index of the first record at or after `from` that is not deleted and belongs
  // to the category, or -1.
  long NextInCategory(std::size_t from, std::uint8_t category) const;

  // A fresh unique id from the seed: never 0, never one in use.  Advances the seed.
  int NewUniqueId(std::uint32_t& id);

  // Adds or replaces: a record whose id is 0 is appended under a new id; one
  // whose id is in use replaces that record in place; one with an unused id is
  // appended under that id.  Returns the id and index of the written record.
  int WriteRecord(CPdbRecord record, std::uint32_t* id = nullptr, std::size_t* index = nullptr);
  // Resource databases: appends or replaces by position.
  int AppendRecord(CPdbRecord record, std::size_t* index = nullptr);
  int ReplaceRecordAt(std::size_t index, CPdbRecord record);
  int SetAttributes(std::size_t index, std::uint8_t attributes);
  int SetData(std::size_t index, std::vector<std::uint8_t> data);
  // Removes the record entirely (not a deleted mark).
  int RemoveById(std::uint32_t id);
  int RemoveAt(std::size_t index);
  // Removes every record marked deleted; returns how many.
  std::size_t PurgeDeleted();
  // Removes every record (not deleted) of the category; returns how many.
  std::size_t PurgeCategory(std::uint8_t category);
  // Moves every record (not deleted) of one category to another; returns how many.
  std::size_t ChangeCategory(std::uint8_t from, std::uint8_t to);
  // Clears the dirty bit of every record.
  void ResetSyncFlags();
  // Gives records whose id is 0 or repeats an earlier record's id a new id, as a
  // handheld does when it takes in a database from elsewhere; returns how many.
  // Throws std::bad_alloc when memory runs out (the device's readers report it).
  std::size_t MakeIdsUnique();

  // Set by every change; the owner uses it to bump the modification number on save.
  bool Changed() const { return m_changed; }
  void SetChanged(bool changed) { m_changed = changed; }

 private:
  // Position in m_records of the record at `index`, holes skipped.
  std::size_t PositionOf(std::size_t index) const {
    return m_holes == 0 ? index : m_rank.Select(index);
  }
  std::size_t IndexOf(std::size_t position) const {
    return m_holes == 0 ? position : m_rank.Rank(position);
  }
  long NextMatching(std::size_t from, bool (*match)(const CPdbRecord&, std::uint8_t),
                    std::uint8_t arg) const;
  void RemovePosition(std::size_t position, bool mayCompact);
  void Compact();
  void RenumberIds(std::size_t& renumbered);
  void IndexIds();
  int Append(CPdbRecord&& record, std::size_t* index);

  Info m_info;
  std::optional<std::vector<std::uint8_t>> m_appInfo;
  std::optional<std::vector<std::uint8_t>> m_sortInfo;
  // Records in index order, with holes (removed records) until the next Compact.
  std::vector<CPdbRecord> m_records;
  std::vector<std::uint8_t> m_hole;  // 1 where m_records holds a removed record
  std::size_t m_holes = 0;
  CRankIndex m_rank;
  // Record id -> position in m_records (record databases only).
  std::unordered_map<std::uint32_t, std::size_t> m_ids;
  bool m_changed = false;
};
