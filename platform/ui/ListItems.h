#pragma once
// What the combo box and list box wrappers have in common: where a sorted
// control puts a new text, the item roles that keep each entry's ANSI bytes
// and item value, and the wrapping search by item value.

#include <Qt>
#include <cstdint>
#include <string>

#include "platform/text/Mbcs.h"

namespace listitems {

// The entry's text as ANSI bytes, kept beside the shown text so that sorting
// and reading back never go through a lossy conversion; and its item value.
inline constexpr int ANSI_ROLE = Qt::UserRole + 1;
inline constexpr int VALUE_ROLE = Qt::UserRole + 2;

// The index before the first of `count` entries whose text is greater than
// `ansi` (multibyte-aware, without regard to ASCII case); `count` when none is.
template <typename TextAt>
int SortedIndex(int count, TextAt textAt, const std::string& ansi) {
  for (int i = 0; i < count; ++i) {
    if (MbsCompareNoCase(textAt(i), ansi) > 0) return i;
  }
  return count;
}

// The first of `count` entries from `start` + 1 on (wrapping; -1 starts at
// the top) whose item value equals `value`, or -1.
template <typename ValueAt>
int FindValue(int count, ValueAt valueAt, std::intptr_t value, int start) {
  const int from = (start < -1 || start >= count) ? 0 : start + 1;
  for (int n = 0; n < count; ++n) {
    const int i = (from + n) % count;
    if (valueAt(i) == value) return i;
  }
  return -1;
}

}  // namespace listitems
