#include "tools/quillet/MemoFormat.h"

#include "platform/recordfile/FileLayout.h"
#include "store/CategoryTable.h"
#include "store/MemoDatabase.h"
#include "tools/common/ArgParser.h"
#include "tools/common/JsonOutput.h"
#include "tools/common/ToolText.h"

namespace MemoFormat {

std::string Flags(const CRecord& record) {
  std::string f = "-----";
  if (record.attributes & CRecord::ATTR_DELETED) f[0] = 'D';
  if (record.attributes & CRecord::ATTR_MODIFIED) f[1] = 'M';
  if (record.attributes & CRecord::ATTR_ARCHIVED) f[2] = 'A';
  if (record.attributes & CRecord::ATTR_NEW) f[3] = 'N';
  if (record.privateFlag != 0) f[4] = 'P';
  return f;
}

std::string CategoryName(CCategoryTable* table, int index) {
  CCategory c;
  if (table == nullptr || table->FindByIndex(index, c) != CCategoryTable::CAT_OK) return {};
  return c.name;
}

JsonOutput::Json Categories(CCategoryTable* table) {
  JsonOutput::Json categories = JsonOutput::Json::array();
  CCategory c;
  if (table != nullptr && table->First(c) == CCategoryTable::CAT_OK) {
    do {
      categories.push_back({{"index", c.index},
                            {"id", static_cast<std::uint8_t>(c.uniqueId)},
                            {"name", AnsiToOutput(c.name)},
                            {"renamed", c.renamed != 0}});
    } while (table->Next(c) == CCategoryTable::CAT_OK);
  }
  return categories;
}

bool ParsePosition(const CArgParser& parser, std::string_view text, const CMemoDatabase& db,
                   int& position, std::ostream& err) {
  std::uint64_t value = 0;
  if (!CArgParser::ParseNumber(text, 0x7FFFFFFF, value)) {
    parser.UsageError(err, "'" + std::string(text) + "' is not a memo position");
    return false;
  }
  if (value >= static_cast<std::uint64_t>(db.RecordCount())) {
    parser.UsageError(err, "no memo at position " + std::to_string(value) + " (the file holds " +
                               std::to_string(db.RecordCount()) + " records)");
    return false;
  }
  position = static_cast<int>(value);
  return true;
}

bool ParseCategory(const CArgParser& parser, std::string_view text, CMemoDatabase& db,
                   int& category, std::ostream& err) {
  std::uint64_t value = 0;
  if (!CArgParser::ParseNumber(text, FileLayout::CAT_COUNT - 1, value)) {
    parser.UsageError(err, "'" + std::string(text) + "' is not a category index (0 to 15)");
    return false;
  }
  CCategoryTable* table = db.GetCategories();
  CCategory c;
  if (value != 0 &&
      (table == nullptr || table->FindByIndex(static_cast<int>(value), c) != CCategoryTable::CAT_OK)) {
    parser.UsageError(err, "the file has no category at index " + std::to_string(value));
    return false;
  }
  category = static_cast<int>(value);
  return true;
}

std::string Pad(std::string_view utf8, std::size_t columns, std::size_t used) {
  std::string s(utf8);
  if (used < columns) s.append(columns - used, ' ');
  return s;
}

}  // namespace MemoFormat
