// CGlobalString: a text in a zero-filled heap block.

#include "dbfiles/GlobalString.h"

#include <cstring>
#include <new>
#include <stdexcept>
#include <string_view>

#include "dbfiles/ResultCodes.h"
#include "platform/text/Mbcs.h"

CGlobalString::CGlobalString() { Reserve(MIN_SIZE); }

CGlobalString::CGlobalString(const char* text) {
  if (Reserve(MIN_SIZE) == 0) Set(text);
}

CGlobalString::~CGlobalString() = default;

std::int32_t CGlobalString::Status() const { return block_.empty() ? GS_ERR_ALLOC : 0; }

std::int32_t CGlobalString::Reserve(std::size_t size) {
  if (size < MIN_SIZE) size = MIN_SIZE;
  if (size <= block_.size()) return 0;
  try {
    std::vector<char> grown(size, '\0');
    if (!block_.empty()) std::memcpy(grown.data(), block_.data(), length_);
    block_.swap(grown);
  } catch (const std::bad_alloc&) {
    return GS_ERR_ALLOC;
  } catch (const std::length_error&) {
    return GS_ERR_ALLOC;
  }
  return 0;
}

std::int32_t CGlobalString::Set(const char* text) {
  std::size_t length = text != nullptr ? std::strlen(text) : 0;
  if (length + 1 > block_.size()) {
    std::int32_t result = Reserve(length + 1 + GROW_EXTRA);
    if (result != 0) return result;
  }
  // Zero the old text's tail so the block stays zero-filled past the NUL.
  if (length_ > length) std::memset(block_.data() + length, 0, length_ - length);
  if (length > 0) std::memmove(block_.data(), text, length);
  block_[length] = '\0';
  length_ = length;
  return 0;
}

const char* CGlobalString::Text() const { return block_.empty() ? "" : block_.data(); }
std::size_t CGlobalString::Length() const { return length_; }
std::size_t CGlobalString::Capacity() const { return block_.size(); }
bool CGlobalString::IsEmpty() const { return length_ == 0; }

std::int32_t CGlobalString::Compare(const char* other) const {
  return MbsCompare(std::string_view(Text(), length_), other != nullptr ? other : "");
}

std::int32_t CGlobalString::CompareNoCase(const char* other) const {
  return MbsCompareNoCase(std::string_view(Text(), length_), other != nullptr ? other : "");
}
