// MD5 of 64 KiB and 16 MiB buffers: the library's own RFC 1321 code beside
// OpenSSL's EVP MD5 in the same run.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "text/md5.h"

namespace {

const std::vector<uint8_t>& Buffer(size_t size) {
  static std::vector<uint8_t> buffer;
  if (buffer.size() < size) {
    buffer.resize(size);
    for (size_t i = 0; i < size; ++i) buffer[i] = static_cast<uint8_t>(i * 131 + 7);
  }
  return buffer;
}

void BM_ZorvadelMd5(benchmark::State& state) {
  const size_t size = static_cast<size_t>(state.range(0));
  const std::vector<uint8_t>& buffer = Buffer(size);
  for (auto _ : state) {
    zorvadel::text::Md5State md5;
    zorvadel::text::Md5Init(md5);
    zorvadel::text::Md5Update(md5, buffer.data(), size);
    zorvadel::text::Md5Final(md5);
    benchmark::DoNotOptimize(md5.words);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

void BM_OpensslEvpMd5(benchmark::State& state) {
  const size_t size = static_cast<size_t>(state.range(0));
  const std::vector<uint8_t>& buffer = Buffer(size);
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  const EVP_MD* md5 = EVP_md5();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digest_size = 0;
  for (auto _ : state) {
    if (EVP_DigestInit_ex(context, md5, nullptr) != 1 ||
        EVP_DigestUpdate(context, buffer.data(), size) != 1 ||
        EVP_DigestFinal_ex(context, digest, &digest_size) != 1) {
      std::abort();
    }
    benchmark::DoNotOptimize(digest);
  }
  EVP_MD_CTX_free(context);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

BENCHMARK(BM_ZorvadelMd5)->Arg(64 << 10)->Arg(16 << 20);
BENCHMARK(BM_OpensslEvpMd5)->Arg(64 << 10)->Arg(16 << 20);

}  // namespace
