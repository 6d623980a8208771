// Blowfish throughput: memo body encryption and decryption on a 1 MiB
// buffer, next to OpenSSL's BF_ecb_encrypt on the same data, plus the key
// schedule.
#include <benchmark/benchmark.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <openssl/blowfish.h>
#pragma GCC diagnostic pop

#include <cstdint>
#include <string>
#include <vector>

#include "platform/crypto/Blowfish.h"

namespace {

constexpr std::size_t BUFFER_SIZE = 1 << 20;
const std::string KEY = "\x88\xc3\x8d\x86 memo password";

std::vector<std::uint8_t> MakeBuffer() {
  std::vector<std::uint8_t> buffer(BUFFER_SIZE);
  for (std::size_t i = 0; i < buffer.size(); ++i)
    buffer[i] = static_cast<std::uint8_t>(i * 131 + 7);
  return buffer;
}

void BM_QuilletEncryptBody(benchmark::State& state) {
  CBlowfish bf;
  bf.SetKey(KEY);
  auto buffer = MakeBuffer();
  for (auto _ : state) {
    bf.EncryptBody(buffer.data(), buffer.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(BUFFER_SIZE));
}
BENCHMARK(BM_QuilletEncryptBody);

void BM_QuilletDecryptBody(benchmark::State& state) {
  CBlowfish bf;
  bf.SetKey(KEY);
  auto buffer = MakeBuffer();
  for (auto _ : state) {
    bf.DecryptBody(buffer.data(), buffer.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(BUFFER_SIZE));
}
BENCHMARK(BM_QuilletDecryptBody);

void BM_QuilletEncryptNative(benchmark::State& state) {
  CBlowfish bf;
  bf.SetKey(KEY);
  auto buffer = MakeBuffer();
  for (auto _ : state) {
    bf.Encrypt(buffer.data(), buffer.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(BUFFER_SIZE));
}
BENCHMARK(BM_QuilletEncryptNative);

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

void OpenSslEcb(benchmark::State& state, int mode) {
  BF_KEY key;
  BF_set_key(&key, static_cast<int>(KEY.size()),
             reinterpret_cast<const unsigned char*>(KEY.data()));
  auto buffer = MakeBuffer();
  for (auto _ : state) {
    for (std::size_t i = 0; i < buffer.size(); i += 8)
      BF_ecb_encrypt(buffer.data() + i, buffer.data() + i, &key, mode);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(BUFFER_SIZE));
}

void BM_OpenSslEcbEncrypt(benchmark::State& state) {
  OpenSslEcb(state, BF_ENCRYPT);
}
BENCHMARK(BM_OpenSslEcbEncrypt);

void BM_OpenSslEcbDecrypt(benchmark::State& state) {
  OpenSslEcb(state, BF_DECRYPT);
}
BENCHMARK(BM_OpenSslEcbDecrypt);

void BM_OpenSslSetKey(benchmark::State& state) {
  BF_KEY key;
  for (auto _ : state) {
    BF_set_key(&key, static_cast<int>(KEY.size()),
               reinterpret_cast<const unsigned char*>(KEY.data()));
    benchmark::DoNotOptimize(key);
  }
}
BENCHMARK(BM_OpenSslSetKey);

#pragma GCC diagnostic pop

void BM_QuilletSetKey(benchmark::State& state) {
  CBlowfish bf;
  for (auto _ : state) {
    bf.SetKey(KEY);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_QuilletSetKey);

}  // namespace

BENCHMARK_MAIN();
