#pragma once
// The order in which the programs list and export memos: the memo viewer's
// text order.

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "store/MemoDatabase.h"

// Walks the memos in text order: ascending by text, compared byte by byte as
// unsigned values, a shorter text before a longer one that starts with it (the
// memo list's multibyte-aware order comes to the same, since both texts hold the
// same characters up to their first differing byte).  The sort compares the
// first sixteen bytes of each text as two numbers and looks at the texts only
// when those are equal.  Every comparison answers as the memo list's view answers,
// and the sort is deterministic, so memos with equal texts come out in the same
// order as there.
template <typename Visit>
void ForEachByText(CMemoDatabase& db, bool withDeleted, Visit visit) {
  struct Keyed {
    std::uint64_t high, low;  // the first sixteen bytes, big-endian, zero-padded
    std::string_view text;
    const CMemoRecord* memo;
  };
  const auto word = [](std::string_view text, std::size_t from) {
    std::uint64_t value = 0;
    for (std::size_t k = from; k < from + 8; ++k) {
      value = (value << 8) | (k < text.size() ? static_cast<unsigned char>(text[k]) : 0u);
    }
    return value;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(static_cast<std::size_t>(db.RecordCount()));
  for (int i = 0; i < db.RecordCount(); ++i) {
    const CMemoRecord* memo = db.MemoAt(i);
    const std::string_view text = memo ? std::string_view(memo->text) : std::string_view();
    keyed.push_back({word(text, 0), word(text, 8), text, memo});
  }
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    if (a.high != b.high) return a.high < b.high;
    return a.low != b.low ? a.low < b.low : a.text < b.text;
  });
  for (const Keyed& key : keyed) {
    if (key.memo == nullptr || (!withDeleted && key.memo->IsDeleted())) continue;
    visit(*key.memo);
  }
}
