#pragma once

#include <cstddef>
#include <string_view>

// A byte string holding a password.  Its bytes are wiped when it is cleared,
// assigned over or destroyed, and it never leaves a copy behind when it grows:
// a larger buffer is allocated, the bytes are copied, and the old buffer is
// wiped before it is freed.  Always NUL-terminated, so c_str() is safe.
class CSecretString {
 public:
  CSecretString();
  explicit CSecretString(std::string_view text);
  CSecretString(const CSecretString& other);
  CSecretString& operator=(const CSecretString& other);
  CSecretString(CSecretString&& other) noexcept;
  CSecretString& operator=(CSecretString&& other) noexcept;
  ~CSecretString();

  // Replaces the contents; the previous bytes are wiped.  Should memory
  // run out, the string is left empty rather than holding part of the text.
  void Assign(std::string_view text);
  // Wipes the contents and releases the buffer.
  void Clear();

  const char* c_str() const;
  std::size_t size() const;
  bool empty() const;
  std::string_view view() const;

 private:
  void Release();

  char* m_data = nullptr;
  std::size_t m_size = 0;
  std::size_t m_capacity = 0;
};
