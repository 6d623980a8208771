#include "tools/common/MemoExport.h"

#include <errno.h>
#include <sys/stat.h>

#include <cstring>
#include <sstream>

#include "platform/files/AtomicFileWriter.h"
#include "store/CategoryTable.h"
#include "store/MemoDatabase.h"
#include "tools/common/Csv.h"
#include "tools/common/JsonOutput.h"
#include "tools/common/KeePassXml.h"
#include "tools/common/MemoTextOrder.h"
#include "tools/common/ToolText.h"

using MemoExchange::Collection;
using MemoExchange::Format;
using MemoExchange::Memo;

namespace {

constexpr int kExportFileMode = 0600;

std::string CategoryName(CCategoryTable* table, int index) {
  CCategory category;
  if (table == nullptr || table->FindByIndex(index, category) != CCategoryTable::CAT_OK) return {};
  return AnsiToOutput(category.name);
}

std::string RenderText(const Collection& memos, std::string_view category, bool all) {
  std::string out;
  bool first = true;
  for (const Memo& memo : memos.memos) {
    if (!all && memo.category != category) continue;
    if (!first) out += '\f';
    first = false;
    out += memo.text;
  }
  return out + "\n";
}

std::string RenderJson(const Collection& memos) {
  JsonOutput::Json list = JsonOutput::Json::array();
  for (const Memo& memo : memos.memos) list.push_back({{"category", memo.category}, {"text", memo.text}});
  return JsonOutput::Dump(JsonOutput::Json{{"memos", std::move(list)}}) + "\n";
}

std::string RenderCsv(const Collection& memos) {
  std::string out;
  Csv::AppendRecord(out, {"category", "text"});
  for (const Memo& memo : memos.memos) Csv::AppendRecord(out, {memo.category, memo.text});
  return out;
}

bool MakeFolder(const std::string& path, std::string& error) {
  if (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    error = "cannot create the folder " + path + ": a file has that name";
    return false;
  }
  error = "cannot create the folder " + path + ": " + std::strerror(errno);
  return false;
}

}  // namespace

Collection CMemoExport::Collect(CMemoDatabase& db) {
  Collection memos;
  memos.encrypted = db.IsEncrypted();
  CCategoryTable* table = db.GetCategories();
  CCategory category;
  if (table != nullptr && table->First(category) == CCategoryTable::CAT_OK) {
    do {
      memos.categories.push_back(AnsiToOutput(category.name));
    } while (table->Next(category) == CCategoryTable::CAT_OK);
  }
  ForEachByText(db, false, [&](const CMemoRecord& memo) {
    memos.memos.push_back(Memo{CategoryName(table, memo.category), AnsiToOutput(memo.text), true});
  });
  return memos;
}

std::string CMemoExport::Render(Format format, const Collection& memos,
                                std::vector<std::string>& warnings) {
  switch (format) {
    case Format::JSON: return RenderJson(memos);
    case Format::CSV: return RenderCsv(memos);
    case Format::KEEPASS_XML: return CKeePassXml::Write(memos, warnings);
    case Format::TEXT: break;
  }
  return RenderText(memos, {}, true);
}

CMemoExport::Result CMemoExport::WriteFile(const std::string& path, std::string_view bytes,
                                           bool replace, std::string& error) {
  CAtomicFileWriter out;
  CAtomicFileWriter::Options options;
  options.keepExistingMode = false;
  options.newFileMode = kExportFileMode;
  options.existence = replace ? CAtomicFileWriter::Existence::ANY
                              : CAtomicFileWriter::Existence::MUST_NOT_EXIST;
  Files::FileResult result = out.Begin(path, options);
  if (result == Files::FILE_OK) result = out.Write(bytes.data(), bytes.size());
  if (result == Files::FILE_OK) result = out.Commit();
  switch (result) {
    case Files::FILE_OK:
    case Files::FILE_ERR_FOLDER_SYNC:  // the file is in place, whole
      return EXPORT_OK;
    case Files::FILE_ERR_EXISTS:
      error = path + " exists already; it was left as it was (--force replaces it)";
      return EXPORT_EXISTS;
    default:
      break;
  }
  const int system = out.SystemError();
  error = "cannot write " + path + (system != 0 ? std::string(": ") + std::strerror(system) : "") +
          "; nothing was written";
  return EXPORT_FAILED;
}

std::string CMemoExport::SafeFileName(std::string_view category) {
  std::string name;
  for (const char c : category) {
    const unsigned char u = static_cast<unsigned char>(c);
    const bool refused = u < 0x20 || u == 0x7F || std::strchr("/\\:*?\"<>|", c) != nullptr;
    name += refused ? '_' : c;
  }
  if (name.empty()) return "_";
  if (name[0] == '.') name[0] = '_';
  return name;
}

CMemoExport::Result CMemoExport::WritePerCategory(const std::string& dir, const Collection& memos,
                                                  bool replace, std::vector<Written>& written,
                                                  std::string& error) {
  written.clear();
  // The categories that have memos, the file's own first.
  std::vector<std::string> names;
  const auto add = [&names](const std::string& name) {
    for (const std::string& known : names) {
      if (known == name) return;
    }
    names.push_back(name);
  };
  for (const std::string& name : memos.categories) {
    for (const Memo& memo : memos.memos) {
      if (memo.category == name) {
        add(name);
        break;
      }
    }
  }
  for (const Memo& memo : memos.memos) add(memo.category);

  std::vector<Written> plan;
  for (const std::string& name : names) {
    const std::string stem = SafeFileName(name);
    std::string file = stem + ".txt";
    for (int n = 2;; ++n) {
      bool taken = false;
      for (const Written& other : plan) taken = taken || other.path == dir + "/" + file;
      if (!taken) break;
      file = stem + " (" + std::to_string(n) + ").txt";
    }
    Written entry;
    entry.path = dir + "/" + file;
    entry.category = name;
    for (const Memo& memo : memos.memos) {
      if (memo.category == name) ++entry.memos;
    }
    plan.push_back(entry);
  }
  if (!MakeFolder(dir, error)) return EXPORT_FAILED;
  if (!replace) {
    for (const Written& entry : plan) {
      struct stat st;
      if (lstat(entry.path.c_str(), &st) == 0) {
        error = entry.path + " exists already; nothing was written (--force replaces it)";
        return EXPORT_EXISTS;
      }
    }
  }
  for (const Written& entry : plan) {
    const Result result = WriteFile(entry.path, RenderText(memos, entry.category, false), replace, error);
    if (result != EXPORT_OK) return result;
    written.push_back(entry);
  }
  return EXPORT_OK;
}
