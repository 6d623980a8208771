// Loads arbitrary bytes as a desktop record file through the memo database,
// without a password and with the password "x", and saves a copy of every
// file that loads.  What is saved must load again with the same memos.

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "store/MemoDatabase.h"
#include "store/RecordView.h"
#include "ScratchFolder.h"

namespace {

void WriteFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) std::abort();
}

void Exercise(CMemoDatabase& db) {
  (void)db.PasswordHint();
  if (CCategoryTable* table = db.GetCategories()) {
    CCategory category;
    for (int rc = table->First(category); rc == 0; rc = table->Next(category)) {
    }
    CCategory added;
    table->Add(added);
  }
  CRecordView view(db);
  view.BuildByText();
  CRecord* record = nullptr;
  for (int rc = view.First(record, true); rc == 0; rc = view.Next(record, true)) {
  }
}

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "MemoDatabaseLoad: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path input = CScratchFolder::Path() / "input.dat";
  const std::filesystem::path copy = CScratchFolder::Path() / "copy.dat";
  WriteFile(input, data, size);
  for (const char* password : {static_cast<const char*>(nullptr), "x"}) {
    CMemoDatabase db;
    if (db.Load(input, RDB_OPEN_READ_WRITE, password) != RDB_OK) {
      Exercise(db);
      continue;
    }
    Exercise(db);
    WriteFile(copy, data, size);
    CMemoDatabase writer;
    Check(writer.Load(copy, RDB_OPEN_READ_WRITE, password) == RDB_OK, "copy does not load");
    if (writer.Save() != RDB_OK) continue;  // a text too long for one record
    CMemoDatabase reader;
    Check(reader.Load(copy, RDB_OPEN_READ_WRITE, password) == RDB_OK, "saved file does not load");
    Check(reader.RecordCount() == writer.RecordCount(), "record count changed");
    for (int i = 0; i < reader.RecordCount(); ++i) {
      Check(reader.MemoAt(i)->text == writer.MemoAt(i)->text, "memo text changed");
      Check(reader.RecordAt(i)->attributes == writer.RecordAt(i)->attributes, "attributes changed");
    }
  }
  return 0;
}
