#pragma once
// CCategoryList: the table of 16 category slots read from and written to the
// category block at the start of a database's app-info data.  Slot i holds the
// category whose index is i; slot 0 is "Unfiled".  The table owns its
// categories; the pointers it hands out stay valid until that slot changes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "dbfiles/PCategory.h"

class CCategoryList {
 public:
  static constexpr std::int32_t SLOT_COUNT = 16;

  CCategoryList() = default;
  // Deep copy (throws std::bad_alloc only when memory runs out).
  CCategoryList(const CCategoryList& other);
  CCategoryList& operator=(const CCategoryList& other);

  virtual ~CCategoryList();

  // Loads the table from a category block of `length` bytes; the table is
  // cleared first.  Reads at most the block's 276 bytes.  Fewer than 276
  // bytes: CAT_ERR_BLOCK_TOO_SHORT; no data: DB_ERR_NULL_BUFFER.  Slots with an
  // empty name are skipped; a name without a NUL in its 16 bytes is cut to 15.
  // A slot whose renamed bit is set gets the renamed flag and marks the table
  // changed.  The first failing add (a duplicate id) ends the loading and is
  // the result; the categories read before it stay.
  virtual std::int32_t ReadCategoryBlock(const std::uint8_t* data, std::size_t length);
  // Writes the 276-byte category block into `buffer` of *size bytes: renamed
  // word and last id 0, each category's name and id in its slot.  *size is set
  // to 276.  *size below 276: DB_ERR_BUFFER_TOO_SMALL with 276 in *size; no
  // buffer: DB_ERR_NULL_BUFFER; no size: DB_ERR_NULL_ARGUMENT.
  virtual std::int32_t WriteCategoryBlock(std::uint8_t* buffer, std::int32_t* size) const;

  virtual std::int32_t GetCount() const;
  virtual CPCategory* FindById(std::int32_t id);
  // Case-insensitive and multibyte-aware; an empty or null name finds nothing.
  virtual CPCategory* FindByName(const char* name);
  // nullptr for an index outside 0-15 or an empty slot.
  virtual CPCategory* GetByIndex(std::int32_t index);
  // Walk over the occupied slots in slot order; nullptr at the end.
  virtual CPCategory* First();
  virtual CPCategory* Next();
  // The lowest empty slot from 1 to 15, -1 when all are taken.
  virtual std::int32_t FirstFreeIndex() const;
  virtual void MarkAllRenamed();
  // AddCategory, then marks the table changed when it succeeded.
  virtual std::int32_t Add(const CPCategory& category);
  // Replaces slot `index` by a copy of `category` (taking index `index`) and
  // marks the table changed.  Index outside 0-15: DB_ERR_BAD_CATEGORY_INDEX.
  virtual std::int32_t SetAt(std::int32_t index, const CPCategory& category);
  // Gives the category at `index` a new name (and its file-safe long name),
  // sets its renamed flag and marks the table changed.  Index outside 0-15:
  // DB_ERR_BAD_CATEGORY_INDEX; empty slot: CAT_ERR_EMPTY_SLOT; a cut name:
  // DB_ERR_TOO_LONG (the cut name is kept); an empty name: DB_ERR_EMPTY_NAME.
  virtual std::int32_t RenameAt(std::int32_t index, const char* name);
  // Index outside 0-15 or empty slot: DB_ERR_BAD_CATEGORY_INDEX.  Marks changed.
  virtual std::int32_t RemoveAt(std::int32_t index);
  // None: DB_ERR_CATEGORY_NOT_FOUND.  Marks changed.
  virtual std::int32_t DeleteById(std::int32_t id);
  // Case-sensitive; empty name DB_ERR_EMPTY_NAME; none
  // DB_ERR_CATEGORY_NOT_FOUND.  Marks changed.
  virtual std::int32_t DeleteByName(const char* name);
  virtual bool IsChanged() const;
  virtual void SetChanged(bool changed);
  // Every slot empty in both tables, or occupied in both by equal categories.
  virtual bool Equals(const CCategoryList& other) const;
  // Deletes every category.
  virtual void Clear();
  // Puts a copy of `category` into its slot:
  //  - a full table (16): CAT_ERR_TABLE_FULL;
  //  - a category without an index (-1) gets FirstFreeIndex (none:
  //    CAT_ERR_TABLE_FULL) and its renamed flag set; an index above 15 or
  //    below -1: CAT_ERR_BAD_INDEX;
  //  - a category without an id asks NewId, which has none: CAT_ERR_TABLE_FULL;
  //    an id above 255: CAT_ERR_BAD_INDEX; an id already in the table:
  //    CAT_ERR_DUPLICATE_ID;
  //  - the long name becomes the file-safe form of a non-empty name;
  //  - a category already in the target slot is replaced.
  // A failed add leaves the table unchanged.  DB_ERR_NO_MEMORY.
  virtual std::int32_t AddCategory(const CPCategory& category);
  // This table never invents ids: always -1.
  virtual std::int32_t NewId();
  virtual std::uint16_t SwapBytes(std::uint16_t value) const;
  // The file-safe form of `name` into `buffer` of `bufferSize` bytes: the name
  // cut to bufferSize - 1 bytes (never inside a double-byte character), each
  // byte that is one of " * + , . / : ; < = > ? [ \ ] ^ | replaced by '_'.
  // The test is per byte: bytes 0x80 and above are never replaced, but a
  // second byte of a double-byte character equal to a listed byte is.
  // Empty name: DB_ERR_EMPTY_NAME; no buffer: DB_ERR_NULL_BUFFER; bufferSize
  // 0: DB_ERR_BUFFER_TOO_SMALL.
  virtual std::int32_t MakeFileName(const char* name, char* buffer, std::size_t bufferSize) const;

  // Read-only lookups.
  const CPCategory* FindById(std::int32_t id) const {
    return const_cast<CCategoryList*>(this)->FindById(id);
  }
  const CPCategory* FindByName(const char* name) const {
    return const_cast<CCategoryList*>(this)->FindByName(name);
  }
  const CPCategory* GetByIndex(std::int32_t index) const {
    return const_cast<CCategoryList*>(this)->GetByIndex(index);
  }

 private:
  bool m_changed = false;
  std::int32_t m_count = 0;
  std::int32_t m_position = 0;
  std::array<std::unique_ptr<CPCategory>, SLOT_COUNT> m_slots;
};
