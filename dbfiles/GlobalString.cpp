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

std::int32_t CGlobalString::Status() const { return m_block.empty() ? GS_ERR_ALLOC : 0; }

std::int32_t CGlobalString::Reserve(std::size_t size) {
  if (size < MIN_SIZE) size = MIN_SIZE;
  if (size <= m_block.size()) return 0;
  try {
    std::vector<char> grown(size, '\0');
    if (!m_block.empty()) std::memcpy(grown.data(), m_block.data(), m_length);
    m_block.swap(grown);
  } catch (const std::bad_alloc&) {
    return GS_ERR_ALLOC;
  } catch (const std::length_error&) {
    return GS_ERR_ALLOC;
  }
  return 0;
}

std::int32_t CGlobalString::Set(const char* text) {
  std::size_t length = text != nullptr ? std::strlen(text) : 0;
  if (length + 1 > m_block.size()) {
    std::int32_t result = Reserve(length + 1 + GROW_EXTRA);
    if (result != 0) return result;
  }
  // Zero the old text's tail so the block stays zero-filled past the NUL.
  if (m_length > length) std::memset(m_block.data() + length, 0, m_length - length);
  if (length > 0) std::memmove(m_block.data(), text, length);
  m_block[length] = '\0';
  m_length = length;
  return 0;
}

const char* CGlobalString::Text() const { return m_block.empty() ? "" : m_block.data(); }
std::size_t CGlobalString::Length() const { return m_length; }
std::size_t CGlobalString::Capacity() const { return m_block.size(); }
bool CGlobalString::IsEmpty() const { return m_length == 0; }

std::int32_t CGlobalString::Compare(const char* other) const {
  return MbsCompare(std::string_view(Text(), m_length), other != nullptr ? other : "");
}

std::int32_t CGlobalString::CompareNoCase(const char* other) const {
  return MbsCompareNoCase(std::string_view(Text(), m_length), other != nullptr ? other : "");
}
