#include "store/CategoryRules.h"

#include "platform/text/Mbcs.h"
#include "store/Category.h"
#include "store/CategoryTable.h"
#include "store/RecordDatabase.h"

namespace {
constexpr int CATEGORY_SLOTS = CCategoryRules::MAX_CATEGORIES + 1;
}  // namespace

int CCategoryRules::ValidateName(std::string_view name) {
  if (name.empty()) return CR_ERR_EMPTY_NAME;
  if (name.size() > MAX_NAME_BYTES) return CR_ERR_NAME_TOO_LONG;
  return CR_OK;
}

std::size_t CCategoryRules::FitName(std::string_view name) { return MbsTruncate(name, MAX_NAME_BYTES); }

bool CCategoryRules::IsRealCategory(const CCategoryTable& table, int index) {
  CCategory found;
  return index > UNFILED && index < CATEGORY_SLOTS && table.FindByIndex(index, found) == CCategoryTable::CAT_OK;
}

int CCategoryRules::BeginAdd(CCategoryTable& table, int& newIndex) {
  int used = 0;
  for (int index = UNFILED + 1; index < CATEGORY_SLOTS; ++index) used += IsRealCategory(table, index) ? 1 : 0;
  if (used >= MAX_CATEGORIES) return CR_ERR_TABLE_FULL;
  CCategory unfiled;
  // The table hands out its lowest free index.  A file whose Unfiled slot has
  // no name leaves index 0 free; a new category must never land there (it
  // would be taken for Unfiled), so the slot is held while the category is
  // added.
  const bool holdUnfiled = table.FindByIndex(UNFILED, unfiled) != CCategoryTable::CAT_OK;
  if (holdUnfiled) {
    CCategory placeholder;
    if (table.Add(placeholder) != CCategoryTable::CAT_OK) return CR_ERR_TABLE_FULL;
  }
  CCategory fresh;
  const int added = table.Add(fresh);
  if (holdUnfiled) table.Remove(UNFILED);
  if (added != CCategoryTable::CAT_OK) return CR_ERR_TABLE_FULL;
  newIndex = fresh.index;
  return CR_OK;
}

int CCategoryRules::FinishAdd(CCategoryTable& table, int newIndex, std::string_view name) {
  int result = ValidateName(name);
  CCategory holder;
  if (result == CR_OK && table.FindByName(name, holder) == CCategoryTable::CAT_OK && holder.index != newIndex) {
    result = CR_ERR_NAME_TAKEN;
  }
  if (result != CR_OK) {
    CancelAdd(table, newIndex);
    return result;
  }
  return table.Rename(newIndex, name) == CCategoryTable::CAT_OK ? CR_OK : CR_ERR_NOT_FOUND;
}

void CCategoryRules::CancelAdd(CCategoryTable& table, int newIndex) {
  if (newIndex != UNFILED) table.Remove(newIndex);
}

int CCategoryRules::Add(CCategoryTable& table, std::string_view name, int& newIndex) {
  if (const int result = ValidateName(name); result != CR_OK) return result;
  int index = 0;
  if (const int result = BeginAdd(table, index); result != CR_OK) return result;
  if (const int result = FinishAdd(table, index, name); result != CR_OK) return result;
  newIndex = index;
  return CR_OK;
}

void CCategoryRules::MoveRecords(CRecordDatabase& records, int from, int to) {
  for (int position = 0; position < records.RecordCount(); ++position) {
    CRecord* record = records.RecordAt(position);
    if (!record || record->IsDeleted() || record->category != from) continue;
    record->category = to;
    record->attributes |= CRecord::ATTR_MODIFIED;
  }
}

int CCategoryRules::Rename(CRecordDatabase& records, CCategoryTable& table, int index,
                           std::string_view newName, bool allowMerge, int& selected) {
  if (index == UNFILED) return CR_ERR_UNFILED;
  if (!IsRealCategory(table, index)) return CR_ERR_NOT_FOUND;
  if (const int result = ValidateName(newName); result != CR_OK) return result;
  CCategory holder;
  if (table.FindByName(newName, holder) != CCategoryTable::CAT_OK || holder.index == index) {
    table.Rename(index, newName);
    selected = index;
    return CR_OK;
  }
  // Another category has the name (Unfiled included, when the file names it
  // so): the renamed category's memos join it.
  selected = holder.index;
  if (!allowMerge) return CR_ERR_MERGE_NEEDED;
  MoveRecords(records, index, holder.index);
  table.Remove(index);
  return CR_OK;
}

int CCategoryRules::Delete(CRecordDatabase& records, CCategoryTable& table, int index, bool deleteRecords) {
  if (index == UNFILED) return CR_ERR_UNFILED;
  if (!IsRealCategory(table, index)) return CR_ERR_NOT_FOUND;
  if (deleteRecords) {
    for (int position = 0; position < records.RecordCount(); ++position) {
      CRecord* record = records.RecordAt(position);
      if (record && !record->IsDeleted() && record->category == index) record->attributes |= CRecord::ATTR_DELETED;
    }
  } else {
    MoveRecords(records, index, UNFILED);
  }
  table.Remove(index);
  return CR_OK;
}
