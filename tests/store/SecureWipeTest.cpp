#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "platform/crypto/SecureWipe.h"
#include "store/SecretString.h"

// Array allocations in this test program go through malloc/free so that a
// freed buffer can be inspected just before it is released: a password
// string must never hand back memory that still holds the password.
namespace {

bool g_watchFrees = false;
int g_leakedFrees = 0;
const char MARKER[] = "Kq7#pw";

void InspectFreed(void* p) {
  if (!g_watchFrees || p == nullptr) return;
  const std::size_t size = malloc_usable_size(p);
  const auto* bytes = static_cast<const char*>(p);
  const std::size_t markerSize = sizeof MARKER - 1;
  for (std::size_t i = 0; i + markerSize <= size; ++i) {
    if (std::memcmp(bytes + i, MARKER, markerSize) == 0) {
      ++g_leakedFrees;
      return;
    }
  }
}

}  // namespace

void* operator new[](std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}

void operator delete[](void* p) noexcept {
  InspectFreed(p);
  std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept {
  InspectFreed(p);
  std::free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept {
  InspectFreed(p);
  std::free(p);
}

namespace {

class WatchFrees {
 public:
  WatchFrees() {
    g_leakedFrees = 0;
    g_watchFrees = true;
  }
  ~WatchFrees() { g_watchFrees = false; }
};

TEST(SecureWipeTest, ZeroesExactlyTheRange) {
  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  SecureWipe(buffer + 4, 8);
  EXPECT_EQ(std::string(buffer, 4), "xxxx");
  EXPECT_EQ(std::string(buffer + 4, 8), std::string(8, '\0'));
  EXPECT_EQ(std::string(buffer + 12, 4), "xxxx");
  SecureWipe(nullptr, 10);
  SecureWipe(buffer, 0);
  EXPECT_EQ(buffer[0], 'x');
}

TEST(SecretStringTest, HoldsBytesAndCopies) {
  CSecretString empty;
  EXPECT_TRUE(empty.empty());
  EXPECT_STREQ(empty.c_str(), "");

  CSecretString s(std::string_view("\x88\xc3\0x", 4));
  EXPECT_EQ(s.size(), 4u);
  EXPECT_EQ(s.view(), std::string_view("\x88\xc3\0x", 4));
  EXPECT_EQ(s.c_str()[4], '\0');

  CSecretString copy(s);
  copy.Assign("other");
  EXPECT_EQ(s.view(), std::string_view("\x88\xc3\0x", 4));
  EXPECT_STREQ(copy.c_str(), "other");

  CSecretString moved(std::move(copy));
  EXPECT_STREQ(moved.c_str(), "other");
  EXPECT_TRUE(copy.empty());  // NOLINT(bugprone-use-after-move)

  moved = s;
  EXPECT_EQ(moved.view(), s.view());
  moved = moved;  // self-assignment keeps the text
  EXPECT_EQ(moved.view(), s.view());

  // Assigning a part of itself (overlapping) works.
  CSecretString self("abcdef");
  self.Assign(self.view().substr(2));
  EXPECT_STREQ(self.c_str(), "cdef");
  self.Assign(std::string(40, 'z'));
  EXPECT_EQ(self.view(), std::string(40, 'z'));

  self.Clear();
  EXPECT_TRUE(self.empty());
  EXPECT_STREQ(self.c_str(), "");
}

TEST(SecretStringTest, FreedBuffersHoldNoPassword) {
  const std::string password = std::string(MARKER) + " and more";
  {
    WatchFrees watch;
    {
      CSecretString s(password);
      s.Assign(password + std::string(200, '.'));  // growth frees the old buffer
      s.Assign("short");
      CSecretString copy(s);
      s.Assign(password);
      CSecretString other(password);
      other = CSecretString("x");  // move-assign releases the old buffer
      s.Clear();
      copy = other;
    }
    EXPECT_EQ(g_leakedFrees, 0);
  }
}

}  // namespace
