#include "tools/common/MemoImport.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>

#include "handheld/JsonValue.h"
#include "platform/files/FileSystem.h"
#include "handheld/HandheldResult.h"
#include "store/CategoryRules.h"
#include "store/CategoryTable.h"
#include "store/MemoDatabase.h"
#include "tools/common/Csv.h"
#include "tools/common/MemoText.h"
#include "tools/common/ToolText.h"

using MemoExchange::Format;
using MemoExchange::Memo;

namespace {

// The name slot 0 has in the organizer's Japanese view: taken for Unfiled too.
constexpr const char* kUnfiledShown = "未分類";

std::string Ordinal(std::size_t index) { return "memo " + std::to_string(index + 1); }

bool ParseText(std::string_view input, std::vector<Memo>& memos) {
  if (input.size() >= 2 && input.substr(input.size() - 2) == "\r\n") {
    input.remove_suffix(2);
  } else if (!input.empty() && input.back() == '\n') {
    input.remove_suffix(1);
  }
  if (input.empty()) return true;
  std::size_t from = 0;
  for (;;) {
    const std::size_t end = input.find('\f', from);
    memos.push_back(Memo{"", std::string(input.substr(from, end - from)), false});
    if (end == std::string_view::npos) return true;
    from = end + 1;
  }
}

bool ParseJson(std::string_view input, std::vector<Memo>& memos, std::string& error) {
  CJsonValue document;
  if (CJsonValue::Parse(input, document) != HandheldResult::HH_OK) {
    error = "the input is not JSON";
    return false;
  }
  const CJsonValue* list = document.GetKind() == CJsonValue::Kind::Object ? document.Find("memos") : nullptr;
  if (list == nullptr || list->GetKind() != CJsonValue::Kind::Array) {
    error = "the JSON input has no \"memos\" array";
    return false;
  }
  for (std::size_t i = 0; i < list->Items().size(); ++i) {
    const CJsonValue& item = list->Items()[i];
    const CJsonValue* text = item.GetKind() == CJsonValue::Kind::Object ? item.Find("text") : nullptr;
    if (text == nullptr || text->GetKind() != CJsonValue::Kind::String) {
      error = Ordinal(i) + " of the JSON input has no \"text\" string";
      return false;
    }
    Memo memo{"", text->AsString(), false};
    if (const CJsonValue* category = item.Find("category");
        category != nullptr && category->GetKind() != CJsonValue::Kind::Null) {
      if (category->GetKind() != CJsonValue::Kind::String) {
        error = Ordinal(i) + " of the JSON input has a \"category\" that is not a string";
        return false;
      }
      memo.category = category->AsString();
      memo.hasCategory = true;
    }
    memos.push_back(std::move(memo));
  }
  return true;
}

bool ParseCsv(std::string_view input, std::vector<Memo>& memos, std::string& error) {
  std::vector<std::vector<std::string>> records;
  if (!Csv::Parse(input, records, error)) {
    error = "the CSV input is damaged: " + error;
    return false;
  }
  if (records.empty()) return true;
  std::size_t textColumn = SIZE_MAX;
  std::size_t categoryColumn = SIZE_MAX;
  for (std::size_t k = 0; k < records[0].size(); ++k) {
    if (records[0][k] == "text") textColumn = k;
    if (records[0][k] == "category") categoryColumn = k;
  }
  if (textColumn == SIZE_MAX) {
    error = "the CSV input has no \"text\" column in its first line";
    return false;
  }
  for (std::size_t r = 1; r < records.size(); ++r) {
    const std::vector<std::string>& record = records[r];
    if (record.size() != records[0].size()) {
      error = "row " + std::to_string(r + 1) + " of the CSV input has " +
              std::to_string(record.size()) + " fields; the header has " +
              std::to_string(records[0].size());
      return false;
    }
    Memo memo{"", record[textColumn], false};
    if (categoryColumn != SIZE_MAX) {
      memo.category = record[categoryColumn];
      memo.hasCategory = true;
    }
    memos.push_back(std::move(memo));
  }
  return true;
}

// Why a category could not be added, for a message.
std::string AddRefusal(int result) {
  switch (result) {
    case CCategoryRules::CR_ERR_TABLE_FULL:
      return "the file has " + std::to_string(CCategoryRules::MAX_CATEGORIES) +
             " categories besides Unfiled already";
    case CCategoryRules::CR_ERR_NAME_TOO_LONG:
      return "a category name holds at most " + std::to_string(CCategoryRules::MAX_NAME_BYTES) +
             " bytes of Shift-JIS";
    default:
      return "the file has no category table";
  }
}

// The index of the category named (ANSI), added when missing; -1 with the
// reason when it can be neither found nor added.
int FindOrAdd(CCategoryTable* table, const std::string& name, bool& added, std::string& reason) {
  added = false;
  if (name.empty()) return CCategoryRules::UNFILED;
  if (table == nullptr) {
    reason = AddRefusal(-1);
    return -1;
  }
  CCategory found;
  if (table->FindByName(name, found) == CCategoryTable::CAT_OK) return found.index;
  std::string unfiled;
  if (InputToAnsi(kUnfiledShown, unfiled) && name == unfiled) return CCategoryRules::UNFILED;
  int index = -1;
  const int result = CCategoryRules::Add(*table, name, index);
  if (result != CCategoryRules::CR_OK) {
    reason = AddRefusal(result);
    return -1;
  }
  added = true;
  return index;
}

}  // namespace

bool CMemoImport::ReadInputFile(const std::string& path, std::string& bytes, std::string& error) {
  std::vector<std::uint8_t> data;
  switch (Files::ReadWholeFile(path, data, MAX_INPUT_BYTES)) {
    case Files::FILE_OK:
      bytes.assign(data.begin(), data.end());
      return true;
    case Files::FILE_ERR_TOO_LARGE:
      error = path + " is too large to import";
      return false;
    default:
      error = "cannot read " + path + ": " + std::strerror(errno);
      return false;
  }
}

bool CMemoImport::Parse(Format format, std::string_view input, std::vector<Memo>& memos,
                        std::string& error) {
  memos.clear();
  if (input.substr(0, 3) == "\xEF\xBB\xBF") input.remove_prefix(3);
  switch (format) {
    case Format::TEXT: return ParseText(input, memos);
    case Format::JSON: return ParseJson(input, memos, error);
    case Format::CSV: return ParseCsv(input, memos, error);
    case Format::KEEPASS_XML: break;
  }
  error = "KeePass XML cannot be imported";
  return false;
}

bool CMemoImport::Apply(CMemoDatabase& db, const std::vector<Memo>& memos,
                        const std::string* category, Outcome& outcome, std::string& error) {
  outcome = Outcome();
  // Every text and name is checked before anything changes.
  struct Accepted {
    std::string text;      // ANSI, "\r\n" line ends
    std::string category;  // ANSI
  };
  std::vector<Accepted> accepted;
  for (std::size_t i = 0; i < memos.size(); ++i) {
    const Memo& memo = memos[i];
    if (memo.text.empty()) {
      outcome.warnings.push_back(Ordinal(i) + " is empty and was passed over");
      continue;
    }
    Accepted one;
    std::string reason;
    if (!MemoText::FromInput(memo.text, one.text, reason)) {
      error = Ordinal(i) + " (\"" + MemoExchange::Label(memo.text) + "\"): " + reason +
              "; nothing was imported";
      return false;
    }
    if (category == nullptr && !InputToAnsi(memo.category, one.category)) {
      error = Ordinal(i) + " (\"" + MemoExchange::Label(memo.text) + "\"): its category \"" +
              MemoExchange::Label(memo.category) +
              "\" is not UTF-8 or holds a character that has no Shift-JIS form; nothing was imported";
      return false;
    }
    accepted.push_back(std::move(one));
  }
  CCategoryTable* table = db.GetCategories();
  int everyMemo = -1;
  if (category != nullptr) {
    std::string name;
    if (!InputToAnsi(*category, name)) {
      error = "the category \"" + *category + "\" is not UTF-8 or holds a character that has no Shift-JIS form";
      return false;
    }
    bool added = false;
    std::string reason;
    everyMemo = FindOrAdd(table, name, added, reason);
    if (everyMemo < 0) {
      error = "cannot add the category \"" + *category + "\": " + reason + "; nothing was imported";
      return false;
    }
    if (added) outcome.createdCategories.push_back(*category);
  }
  std::map<std::string, int> indexOf;  // by ANSI name
  for (Accepted& one : accepted) {
    int index = everyMemo;
    if (index < 0) {
      const auto known = indexOf.find(one.category);
      if (known != indexOf.end()) {
        index = known->second;
      } else {
        bool added = false;
        std::string reason;
        index = FindOrAdd(table, one.category, added, reason);
        const std::string shown = AnsiToOutput(one.category);
        if (index < 0) {
          outcome.warnings.push_back("cannot add the category \"" + shown + "\" (" + reason +
                                     "): its memos go to Unfiled");
          index = CCategoryRules::UNFILED;
        }
        if (added) outcome.createdCategories.push_back(shown);
        indexOf.emplace(one.category, index);
      }
    }
    auto memo = std::make_unique<CMemoRecord>();
    memo->uniqueId = 0;
    memo->category = index;
    memo->attributes = CRecord::ATTR_NEW | CRecord::ATTR_MODIFIED;
    memo->text = std::move(one.text);
    db.AddRecord(std::move(memo));
    ++outcome.added;
  }
  return true;
}
