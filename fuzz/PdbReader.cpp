// Fuzz target for the Palm database reader: any input must be refused cleanly or
// read into an image that writes back and reads again to the same records.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "handheld/HandheldResult.h"
#include "handheld/PdbFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CPdbFile pdb;
  if (CPdbFile::Parse(data, size, pdb) != HandheldResult::HH_OK) return 0;
  pdb.MakeIdsUnique();
  std::size_t total = 0;
  for (std::size_t i = 0; i < pdb.RecordCount(); ++i) {
    const CPdbRecord* record = pdb.RecordAt(i);
    total += record->data.size();
    if (!pdb.IsResourceDb() && pdb.IndexOfId(record->uniqueId) != static_cast<long>(i)) std::abort();
  }
  if (total > size) std::abort();
  std::vector<std::uint8_t> bytes;
  if (pdb.Serialize(bytes) != HandheldResult::HH_OK) return 0;
  CPdbFile again;
  if (CPdbFile::Parse(bytes.data(), bytes.size(), again) != HandheldResult::HH_OK) std::abort();
  if (again.RecordCount() != pdb.RecordCount()) std::abort();
  for (std::size_t i = 0; i < pdb.RecordCount(); ++i) {
    if (again.RecordAt(i)->data != pdb.RecordAt(i)->data) std::abort();
    if (again.RecordAt(i)->attributes != pdb.RecordAt(i)->attributes) std::abort();
  }
  if (again.AppInfo() != pdb.AppInfo() || again.SortInfo() != pdb.SortInfo()) std::abort();
  pdb.PurgeDeleted();
  pdb.ResetSyncFlags();
  return 0;
}
