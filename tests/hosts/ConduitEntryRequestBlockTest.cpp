// GetConduitInfo reads no further into the caller's request block than the
// block declares: a block that is not a valid 80-byte request is refused from
// its version and size alone.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "conduit/ConduitBlocks.h"
#include "conduit/ConduitEntry.h"

namespace {

// Two pages, the second inaccessible: bytes placed at the end of the first page
// are followed by memory that faults when read.
class GuardedBytes {
 public:
  GuardedBytes() {
    m_page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    void* p = ::mmap(nullptr, 2 * m_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return;
    m_base = static_cast<std::uint8_t*>(p);
    if (::mprotect(m_base + m_page, m_page, PROT_NONE) != 0) {
      ::munmap(m_base, 2 * m_page);
      m_base = nullptr;
    }
  }
  ~GuardedBytes() {
    if (m_base != nullptr) ::munmap(m_base, 2 * m_page);
  }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;

  // `size` writable bytes directly before the guard page.
  std::uint8_t* Last(std::size_t size) { return m_base == nullptr ? nullptr : m_base + m_page - size; }

 private:
  std::size_t m_page = 0;
  std::uint8_t* m_base = nullptr;
};

TEST(ConduitEntryRequestBlock, AShortBlockIsRefusedFromItsVersionAndSize) {
  void* library = dlopen(QUILLET_CONDUIT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto getConduitInfo = reinterpret_cast<GetConduitInfoFn>(dlsym(library, "GetConduitInfo"));
  ASSERT_NE(getConduitInfo, nullptr);

  GuardedBytes memory;
  char out[256] = {};
  std::uint32_t size = sizeof out;

  // An 8-byte block: version 1, size 8.
  std::uint8_t* block = memory.Last(8);
  ASSERT_NE(block, nullptr);
  const std::int32_t header[2] = {1, 8};
  std::memcpy(block, header, sizeof header);
  EXPECT_EQ(getConduitInfo(CONDUIT_INFO_NAME, block, out, &size), CONDUIT_ERR_BAD_REQUEST);
  EXPECT_STREQ(out, "");

  // A full request at the very end of the accessible memory is accepted.
  auto* request = reinterpret_cast<ConduitRequestBlock*>(memory.Last(sizeof(ConduitRequestBlock)));
  std::memset(request, 0, sizeof *request);
  request->version = CONDUIT_REQUEST_VERSION;
  request->size = CONDUIT_REQUEST_SIZE;
  EXPECT_EQ(getConduitInfo(CONDUIT_INFO_NAME, request, out, &size), 0);
  EXPECT_STREQ(out, "Quillet Conduit");

  dlclose(library);
}

}  // namespace
