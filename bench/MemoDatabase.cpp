// Loading and saving a protected desktop record file of 65,535 memos of
// about 200 bytes each through the memo database, next to baselines that do
// only the unavoidable work on the same bytes: read the file and decrypt every
// body (load), encrypt every body and write the file (save).  Both saves are
// crash-safe the same way (temporary file, fsync, rename), so the comparison
// is of the work around the I/O.  The counter peak_rss_MiB is the process's
// peak resident size so far; limit_MiB is twice the file size plus 16 MiB.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchMemoFile.h"
#include "platform/crypto/Blowfish.h"
#include "platform/crypto/Md5.h"
#include "platform/files/AtomicFileWriter.h"
#include "platform/recordfile/FileLayout.h"
#include "store/MemoDatabase.h"

namespace {

using namespace FileLayout;
using namespace BenchMemo;

const CBenchFile& BenchFile() {
  static const CBenchFile file;
  return file;
}

void SetCounters(benchmark::State& state) {
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  const double fileMiB = static_cast<double>(BenchFile().fileSize) / (1024.0 * 1024.0);
  state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  state.counters["file_MiB"] = fileMiB;
  state.counters["limit_MiB"] = 2 * fileMiB + 16;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(BenchFile().fileSize));
}

// Reads the whole file with one read.
std::vector<std::uint8_t> ReadWhole(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  struct stat info {};
  ::fstat(fd, &info);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (got <= 0) std::abort();
    done += static_cast<std::size_t>(got);
  }
  ::close(fd);
  return bytes;
}

// Calls fn(record offset, body offset, body length) for every record.
template <typename Fn>
void ForEachRecord(const std::vector<std::uint8_t>& file, Fn fn) {
  std::size_t at = HDR_SIZE + ReadU32(file.data() + HDR_APPINFO_SIZE) + ReadU32(file.data() + HDR_SORTINFO_SIZE);
  const std::uint32_t count = ReadU32(file.data() + HDR_RECORD_COUNT);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t total = ReadU32(file.data() + at + REC_TOTAL_SIZE);
    fn(at, at + REC_HEADER_SIZE, total - REC_HEADER_SIZE);
    at += total;
  }
}


// Replaces the target with the bytes through the same crash-safe writer as
// the memo database's save.
void WriteReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  CAtomicFileWriter out;
  if (out.Begin(path, CAtomicFileWriter::Options{}) != Files::FILE_OK ||
      out.Write(bytes.data(), bytes.size()) != Files::FILE_OK || out.Commit() != Files::FILE_OK) {
    std::abort();
  }
}


// Ours run first: the peak resident size only grows, and the baselines
// hold whole file images.
void BM_LoadMemoDatabase(benchmark::State& state) {
  const CBenchFile& file = BenchFile();
  CMemoDatabase db;
  for (auto _ : state) {
    if (db.Load(file.path, RDB_OPEN_READ_WRITE, PASSWORD) != RDB_OK || db.RecordCount() != static_cast<int>(MEMO_COUNT)) {
      state.SkipWithError("load failed");
      break;
    }
  }
  SetCounters(state);
}
BENCHMARK(BM_LoadMemoDatabase)->Unit(benchmark::kMillisecond)->Iterations(8);

void BM_SaveMemoDatabase(benchmark::State& state) {
  const CBenchFile& file = BenchFile();
  const std::string target = (file.dir / "saved.dat").string();
  std::filesystem::copy_file(file.path, target, std::filesystem::copy_options::overwrite_existing);
  CMemoDatabase db;
  if (db.Load(target, RDB_OPEN_READ_WRITE, PASSWORD) != RDB_OK) {
    state.SkipWithError("load failed");
    return;
  }
  for (auto _ : state) {
    if (db.Save() != RDB_OK) {
      state.SkipWithError("save failed");
      break;
    }
  }
  SetCounters(state);
  if (std::filesystem::file_size(target) != file.fileSize) state.SkipWithError("saved file differs in size");
}
BENCHMARK(BM_SaveMemoDatabase)->Unit(benchmark::kMillisecond)->Iterations(8);

void BM_LoadBaseline(benchmark::State& state) {
  const CBenchFile& file = BenchFile();
  std::vector<std::uint8_t> body(REC_MAX_DATA);
  for (auto _ : state) {
    CBlowfish cipher;
    cipher.SetKey(PASSWORD);
    const std::vector<std::uint8_t> bytes = ReadWhole(file.path);
    ForEachRecord(bytes, [&](std::size_t, std::size_t data, std::size_t length) {
      std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(data), length, body.begin());
      cipher.DecryptBody(body.data(), length);
    });
    benchmark::DoNotOptimize(body.data());
  }
  SetCounters(state);
}
BENCHMARK(BM_LoadBaseline)->Unit(benchmark::kMillisecond)->Iterations(8);

void BM_SaveBaseline(benchmark::State& state) {
  const CBenchFile& file = BenchFile();
  const std::string target = (file.dir / "baseline.dat").string();
  // The plain file image: the bytes the save has to produce, before encryption.
  std::vector<std::uint8_t> plain = ReadWhole(file.path);
  {
    CBlowfish cipher;
    cipher.SetKey(PASSWORD);
    ForEachRecord(plain, [&](std::size_t, std::size_t data, std::size_t length) {
      cipher.DecryptBody(plain.data() + data, length);
    });
  }
  std::vector<std::uint8_t> out(plain.size());
  for (auto _ : state) {
    CBlowfish cipher;
    cipher.SetKey(PASSWORD);
    std::copy(plain.begin(), plain.end(), out.begin());
    ForEachRecord(out, [&](std::size_t, std::size_t data, std::size_t length) {
      cipher.EncryptBody(out.data() + data, length);
    });
    WriteReplacing(target, out);
  }
  SetCounters(state);
}
BENCHMARK(BM_SaveBaseline)->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace

BENCHMARK_MAIN();
