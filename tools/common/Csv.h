#pragma once
// Comma-separated values as RFC 4180 has them: fields separated by commas,
// records by CR LF; a field that holds a comma, a quote or a line end is
// quoted, its quotes doubled.  The reader also takes bare LF line ends.

#include <string>
#include <string_view>
#include <vector>

namespace Csv {

// Appends one field, quoted when it needs it.
void AppendField(std::string& out, std::string_view field);
// Appends a whole record, with its CR LF.
void AppendRecord(std::string& out, const std::vector<std::string_view>& fields);

// Reads every record.  Blank lines are passed over; a line end after the last
// record is optional.  False with a reason naming the line when a quoted field
// is not closed, or a quote stands where a field cannot hold one.
bool Parse(std::string_view text, std::vector<std::vector<std::string>>& records, std::string& error);

}  // namespace Csv
