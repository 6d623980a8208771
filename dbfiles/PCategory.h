#pragma once
// CPCategory: one category of a category table: its slot index in the category
// block, its unique id, its name (at most 15 bytes, CP932), its long name (the
// name made safe for a file name, used for archive file names) and its flags.

#include <cstddef>
#include <cstdint>
#include <string>

class CPCategory {
 public:
  static constexpr std::int32_t FLAG_RENAMED = 0x10;
  static constexpr std::size_t MAX_NAME_LENGTH = 15;       // bytes before the NUL
  static constexpr std::size_t MAX_LONG_NAME_LENGTH = 255;  // bytes before the NUL

  CPCategory() = default;
  // A category with a slot index, an id and a name (cut as SetName does).
  CPCategory(std::int32_t index, std::int32_t id, const char* name);
  CPCategory(const CPCategory&) = default;
  CPCategory& operator=(const CPCategory&) = default;

  virtual ~CPCategory();
  virtual std::int32_t GetIndex() const;
  virtual std::int32_t GetId() const;
  // The name, or nullptr when it is empty.
  virtual const char* GetName() const;
  // Clears *size bytes of `buffer`, then copies the name without a NUL and
  // sets *size to its length.  No buffer or size: DB_ERR_NULL_ARGUMENT; *size
  // below the length: DB_ERR_BUFFER_TOO_SMALL with the length in *size.
  virtual std::int32_t CopyName(char* buffer, std::int32_t* size) const;
  // Copies the long name with its NUL; *size must be at least length + 1,
  // else DB_ERR_BUFFER_TOO_SMALL with that size in *size.  On success *size is
  // the length (0 and an empty string for an empty long name).  No buffer or
  // size: DB_ERR_NULL_ARGUMENT.
  virtual std::int32_t CopyLongName(char* buffer, std::int32_t* size) const;
  virtual std::int32_t GetFlags() const;
  virtual void SetId(std::int32_t id);
  // Cuts the name to 15 bytes (never inside a double-byte character):
  // DB_ERR_TOO_LONG when it was cut, else 0.  nullptr clears the name.
  virtual std::int32_t SetName(const char* name);
  // Cuts the long name to 255 bytes: DB_ERR_TOO_LONG when it was cut, else 0.
  // nullptr clears it.
  virtual std::int32_t SetLongName(const char* longName);
  virtual void SetFlags(std::int32_t flags);
  virtual void SetRenamed(bool on);
  virtual bool IsRenamed() const;
  virtual void SetIndex(std::int32_t index);
  // Same index, same id and names equal byte for byte.
  virtual bool Equals(const CPCategory& other) const;

  // The long name, or nullptr when it is empty.
  const char* GetLongName() const { return m_longName.empty() ? nullptr : m_longName.c_str(); }
  // The name as stored ("" when empty).
  const std::string& Name() const { return m_name; }

 private:
  std::int32_t m_index = -1;
  std::int32_t m_id = -1;
  std::string m_name;
  std::string m_longName;
  std::int32_t m_flags = 0;
};
