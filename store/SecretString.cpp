#include "store/SecretString.h"

#include <cstring>
#include <new>

#include "platform/crypto/SecureWipe.h"

namespace {

// Shared by every empty string, so c_str() never returns null.
const char EMPTY[1] = {'\0'};

}  // namespace

CSecretString::CSecretString() = default;

CSecretString::CSecretString(std::string_view text) { Assign(text); }

CSecretString::CSecretString(const CSecretString& other) {
  Assign(other.view());
}

CSecretString& CSecretString::operator=(const CSecretString& other) {
  if (this != &other) Assign(other.view());
  return *this;
}

CSecretString::CSecretString(CSecretString&& other) noexcept
    : data_(other.data_), size_(other.size_), capacity_(other.capacity_) {
  other.data_ = nullptr;
  other.size_ = 0;
  other.capacity_ = 0;
}

CSecretString& CSecretString::operator=(CSecretString&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = other.data_;
    size_ = other.size_;
    capacity_ = other.capacity_;
    other.data_ = nullptr;
    other.size_ = 0;
    other.capacity_ = 0;
  }
  return *this;
}

CSecretString::~CSecretString() { Release(); }

void CSecretString::Release() {
  if (data_ != nullptr) {
    SecureWipe(data_, capacity_);
    delete[] data_;
  }
  data_ = nullptr;
  size_ = 0;
  capacity_ = 0;
}

void CSecretString::Assign(std::string_view text) {
  if (text.size() < capacity_) {
    // Reuse the buffer.  The text may overlap our own bytes, so move it
    // before wiping what lies beyond the new end.
    std::memmove(data_, text.data(), text.size());
    SecureWipe(data_ + text.size(), capacity_ - text.size());
    size_ = text.size();
    return;
  }
  if (text.empty()) {
    Release();
    return;
  }
  // Grow: the new buffer is filled before the old one is wiped, since the
  // text may point into it.
  char* grown = new (std::nothrow) char[text.size() + 1];
  if (grown == nullptr) {
    // Out of memory: hold nothing rather than a truncated password.
    Release();
    return;
  }
  std::memcpy(grown, text.data(), text.size());
  grown[text.size()] = '\0';
  Release();
  data_ = grown;
  size_ = text.size();
  capacity_ = text.size() + 1;
}

void CSecretString::Clear() { Release(); }

const char* CSecretString::c_str() const {
  return data_ != nullptr ? data_ : EMPTY;
}

std::size_t CSecretString::size() const { return size_; }

bool CSecretString::empty() const { return size_ == 0; }

std::string_view CSecretString::view() const {
  return std::string_view(c_str(), size_);
}
