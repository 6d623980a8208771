#include "tools/common/MemoText.h"

#include <cstring>

#include "platform/text/LineEnds.h"
#include "tools/common/ToolText.h"

namespace MemoText {

bool FromInput(std::string_view utf8, std::string& memo, std::string& error) {
  memo.clear();
  if (utf8.empty()) {
    error = "the memo text is empty";
    return false;
  }
  if (utf8.find('\0') != std::string_view::npos) {
    error = "the memo text contains a NUL character";
    return false;
  }
  std::string ansi;
  if (!InputToAnsi(CrLfToLf(utf8), ansi)) {
    error = "the memo text is not UTF-8 or holds a character that has no Shift-JIS form";
    return false;
  }
  memo = LfToCrLf(ansi);
  if (memo.size() > MAX_BYTES) {
    error = "the memo text takes " + std::to_string(memo.size()) +
            " bytes; a memo holds at most " + std::to_string(MAX_BYTES);
    memo.clear();
    return false;
  }
  return true;
}

}  // namespace MemoText
