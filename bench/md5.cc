// MD5 throughput: Common.DigestFileToHexStr on a 256 MiB file beside
// OpenSSL's EVP MD5 reading the same file in the same 1 MiB blocks, then the
// bare transform on in-memory buffers beside EVP on the same buffers. The
// file is written once into a fresh temporary folder (so after the first
// pass both readers see it from the page cache) and removed at exit.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "platform/codepage/codepage.h"
#include "text/md5.h"
#include "zorvadel/classes.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kFileSize = size_t{256} << 20;
// The block size DigestFileToHexStr reads in.
constexpr size_t kFileBlockSize = size_t{1} << 20;

// Deterministic, not periodic within a block: the digest cannot be cached
// and every run of the benchmark sees the same bytes.
void FillPattern(std::vector<uint8_t>& block, size_t offset) {
  for (size_t i = 0; i < block.size(); ++i) {
    const uint64_t n = offset + i;
    block[i] = static_cast<uint8_t>((n * 2654435761u) >> 13 ^ n);
  }
}

// The 256 MiB file in its own temporary folder; the folder goes when the
// program ends.
class BenchFile {
 public:
  BenchFile() {
    folder_ = fs::temp_directory_path() /
              ("zorvadel-bench-md5-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
    path_ = folder_ / "data.bin";
    std::ofstream out(path_, std::ios::binary);
    std::vector<uint8_t> block(kFileBlockSize);
    for (size_t offset = 0; offset < kFileSize; offset += block.size()) {
      FillPattern(block, offset);
      out.write(reinterpret_cast<const char*>(block.data()),
                static_cast<std::streamsize>(block.size()));
    }
    if (!out) std::abort();
  }
  ~BenchFile() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  BenchFile(const BenchFile&) = delete;
  BenchFile& operator=(const BenchFile&) = delete;

  const fs::path& path() const { return path_; }

 private:
  fs::path folder_;
  fs::path path_;
};

const BenchFile& File() {
  static const BenchFile file;
  return file;
}

std::u16string FileNameUtf16() {
  return zorvadel::codepage::FromUtf8(File().path().string());
}

void BM_DigestFileToHexStr(benchmark::State& state) {
  const std::u16string name = FileNameUtf16();
  zorvadel::Common common;
  for (auto _ : state) {
    benchmark::DoNotOptimize(common.DigestFileToHexStr(name));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}

// OpenSSL's digest of the same file, read with the standard library in the
// same block size, to lower-case hex text as a digest member would return.
void BM_OpensslEvpMd5File(benchmark::State& state) {
  const fs::path path = File().path();
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  const EVP_MD* md5 = EVP_md5();
  std::vector<uint8_t> block(kFileBlockSize);
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    if (!in || EVP_DigestInit_ex(context, md5, nullptr) != 1) std::abort();
    while (in) {
      in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(block.size()));
      const std::streamsize got = in.gcount();
      if (got <= 0) break;
      if (EVP_DigestUpdate(context, block.data(), static_cast<size_t>(got)) != 1) std::abort();
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digest_size = 0;
    if (EVP_DigestFinal_ex(context, digest, &digest_size) != 1) std::abort();
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < digest_size; ++i) {
      hex += kDigits[digest[i] >> 4];
      hex += kDigits[digest[i] & 0xF];
    }
    benchmark::DoNotOptimize(hex);
  }
  EVP_MD_CTX_free(context);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}

const std::vector<uint8_t>& Buffer(size_t size) {
  static std::vector<uint8_t> buffer;
  if (buffer.size() < size) {
    buffer.resize(size);
    FillPattern(buffer, 0);
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

BENCHMARK(BM_DigestFileToHexStr)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpensslEvpMd5File)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZorvadelMd5)->Arg(64 << 10)->Arg(16 << 20);
BENCHMARK(BM_OpensslEvpMd5)->Arg(64 << 10)->Arg(16 << 20);

}  // namespace
