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
    : m_data(other.m_data), m_size(other.m_size), m_capacity(other.m_capacity) {
  other.m_data = nullptr;
  other.m_size = 0;
  other.m_capacity = 0;
}

CSecretString& CSecretString::operator=(CSecretString&& other) noexcept {
  if (this != &other) {
    Release();
    m_data = other.m_data;
    m_size = other.m_size;
    m_capacity = other.m_capacity;
    other.m_data = nullptr;
    other.m_size = 0;
    other.m_capacity = 0;
  }
  return *this;
}

CSecretString::~CSecretString() { Release(); }

void CSecretString::Release() {
  if (m_data != nullptr) {
    SecureWipe(m_data, m_capacity);
    delete[] m_data;
  }
  m_data = nullptr;
  m_size = 0;
  m_capacity = 0;
}

void CSecretString::Assign(std::string_view text) {
  if (text.size() < m_capacity) {
    // Reuse the buffer.  The text may overlap our own bytes, so move it
    // before wiping what lies beyond the new end.
    std::memmove(m_data, text.data(), text.size());
    SecureWipe(m_data + text.size(), m_capacity - text.size());
    m_size = text.size();
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
  m_data = grown;
  m_size = text.size();
  m_capacity = text.size() + 1;
}

void CSecretString::Clear() { Release(); }

const char* CSecretString::c_str() const {
  return m_data != nullptr ? m_data : EMPTY;
}

std::size_t CSecretString::size() const { return m_size; }

bool CSecretString::empty() const { return m_size == 0; }

std::string_view CSecretString::view() const {
  return std::string_view(c_str(), m_size);
}
