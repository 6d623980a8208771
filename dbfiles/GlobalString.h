#pragma once
// CGlobalString: a NUL-terminated text in a zero-filled heap block of at least
// 256 bytes; growing reallocates to the requested size + 64.  The synchronizer
// holds a category name in it and compares it with other names.
//
// Result codes: GS_ERR_ALLOC (-501) when the block cannot be allocated.  The
// block is addressable as soon as it is allocated: there is no separate lock
// of movable memory here, so GS_ERR_LOCK (-502) is never returned.  An object
// whose first block could not be allocated reports GS_ERR_ALLOC from Status()
// and shows the empty text.

#include <cstddef>
#include <cstdint>
#include <vector>

class CGlobalString {
 public:
  static constexpr std::size_t MIN_SIZE = 256;
  static constexpr std::size_t GROW_EXTRA = 64;

  // A block of MIN_SIZE zero bytes (Status() tells whether it was allocated).
  CGlobalString();
  // A block holding `text` (nullptr: empty).
  explicit CGlobalString(const char* text);
  CGlobalString(const CGlobalString&) = delete;
  CGlobalString& operator=(const CGlobalString&) = delete;
  virtual ~CGlobalString();

  // 0, or GS_ERR_ALLOC when the object has no block.
  std::int32_t Status() const;
  // Replaces the text (nullptr: empty), growing the block to length + 1 + 64
  // when it does not fit.  0 or GS_ERR_ALLOC (the old text is then kept).
  std::int32_t Set(const char* text);
  // Makes room for `size` bytes (NUL included): 0 or GS_ERR_ALLOC.
  std::int32_t Reserve(std::size_t size);
  // The text ("" without a block).
  const char* Text() const;
  std::size_t Length() const;
  // The block's size in bytes.
  std::size_t Capacity() const;
  bool IsEmpty() const;
  // Byte-wise, multibyte-aware comparison with `other` (nullptr counts as ""):
  // <0, 0, >0.
  std::int32_t Compare(const char* other) const;
  std::int32_t CompareNoCase(const char* other) const;
  bool Equals(const char* other) const { return Compare(other) == 0; }

 private:
  std::vector<char> m_block;
  std::size_t m_length = 0;
};
