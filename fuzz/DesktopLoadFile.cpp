// Fuzz target: a desktop record file (or archive, or backup) as the conduit
// loads it at the start of a HotSync, and stores it again at the end.  Whatever
// the bytes, loading must stay inside its buffers; a file that loads must store
// and load again to the same records.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "dbfiles/DesktopDb.h"
#include "dbfiles/SyncType.h"
#include "ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

class CFuzzDesktopDb : public CDesktopDb {
 public:
  CFuzzDesktopDb(const std::string& folder, const char* fileName)
      : CDesktopDb(nullptr, DB_FLAGS_CONDUIT, "FuzzDB", fileName, folder.c_str(), SyncType::FAST) {}
  void MoveTo(const std::string& path) { SetPath(path); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path input = CScratchFolder::Path() / "input.dat";
  const fs::path output = CScratchFolder::Path() / "output.dat";
  {
    std::ofstream out(input, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  std::error_code ec;
  fs::remove(output, ec);

  CFuzzDesktopDb db(CScratchFolder::Path().string(), "input.dat");
  if (db.Open() != 0 || db.Load() != 0) return 0;
  db.LoadCategories();
  const std::int32_t loaded = db.RecordCount();
  db.MoveTo(output.string());
  db.SetDirty(true);
  if (db.Store() != 0) return 0;  // e.g. a header-only database too large to store

  CFuzzDesktopDb again(CScratchFolder::Path().string(), "output.dat");
  if (again.Open() != 0 || again.Load() != 0 || again.RecordCount() != loaded) {
    std::fprintf(stderr, "stored file does not load back (%d records before)\n", loaded);
    std::abort();
  }
  return 0;
}
