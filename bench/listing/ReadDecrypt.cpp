// The baseline for timing `quillet list`: the least a program must do to list a
// protected desktop record file.  It reads the password from a file (UTF-8,
// turned into the file's code page as quillet does), checks it
// against the file's digest, reads the whole file with one read and decrypts
// every record body, then prints the number of records and a checksum of the
// plain bodies' first words (so that the work cannot be left out).
//
//   bench_read_decrypt FILE PASSWORD_FILE
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypto/Blowfish.h"
#include "platform/crypto/Md5.h"
#include "platform/crypto/SecureWipe.h"
#include "platform/recordfile/FileLayout.h"
#include "platform/text/CodePage.h"

namespace {

using namespace FileLayout;

bool ReadWhole(const char* path, std::vector<std::uint8_t>& bytes) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    ::close(fd);
    return false;
  }
  bytes.resize(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  ::close(fd);
  return done == bytes.size();
}

int Fail(const char* message) {
  std::fprintf(stderr, "bench_read_decrypt: %s\n", message);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: bench_read_decrypt FILE PASSWORD_FILE");
  std::vector<std::uint8_t> password;
  if (!ReadWhole(argv[2], password)) return Fail("cannot read the password file");
  std::vector<std::uint8_t> file;
  if (!ReadWhole(argv[1], file) || file.size() < HDR_SIZE) return Fail("cannot read the file");

  const std::uint8_t* const begin = file.data();
  const std::uint8_t* const end = begin + file.size();
  const std::uint32_t appInfoSize = ReadU32(begin + HDR_APPINFO_SIZE);
  const std::uint32_t sortInfoSize = ReadU32(begin + HDR_SORTINFO_SIZE);
  if (HDR_SIZE + std::uint64_t{appInfoSize} + sortInfoSize > file.size() ||
      appInfoSize < BLK_HEADER_SIZE + APP_DIGEST + APP_DIGEST_SIZE) {
    return Fail("the file has no password digest");
  }
  std::string key;
  const bool converted = Utf8ToAnsi(
      std::string_view(reinterpret_cast<const char*>(password.data()), password.size()), key);
  SecureWipe(password.data(), password.size());
  if (!converted) return Fail("the password has no Shift-JIS form");
  auto digest = CMd5::Of(key);
  const std::uint8_t* stored = begin + HDR_SIZE + ReadU32(begin + HDR_SIZE + BLK_DATA_OFFSET) + APP_DIGEST;
  if (!std::equal(digest.begin(), digest.end(), stored)) return Fail("wrong password");
  CBlowfish cipher;
  cipher.SetKey(key);
  SecureWipe(key.data(), key.size());
  SecureWipe(digest.data(), digest.size());

  const std::uint32_t count = ReadU32(begin + HDR_RECORD_COUNT);
  const std::uint8_t* at = begin + HDR_SIZE + appInfoSize + sortInfoSize;
  std::vector<std::uint8_t> body(REC_MAX_DATA);
  std::uint64_t checksum = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (end - at < static_cast<std::ptrdiff_t>(REC_HEADER_SIZE)) return Fail("the file is cut short");
    const std::uint32_t total = ReadU32(at + REC_TOTAL_SIZE);
    if (total < REC_HEADER_SIZE || total > REC_MAX_SIZE || end - at < static_cast<std::ptrdiff_t>(total)) {
      return Fail("a record is damaged");
    }
    const std::size_t length = total - REC_HEADER_SIZE;
    std::copy(at + REC_HEADER_SIZE, at + total, body.begin());
    cipher.DecryptBody(body.data(), length);
    // One word of each plain body: enough to keep the decryption, too little to time.
    std::uint64_t word = 0;
    std::memcpy(&word, body.data(), std::min<std::size_t>(length, sizeof word));
    checksum = checksum * 31 + word;
    at += total;
  }
  SecureWipe(body.data(), body.size());
  std::printf("%u records, checksum %016llx\n", count, static_cast<unsigned long long>(checksum));
  return 0;
}
