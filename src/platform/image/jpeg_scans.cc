#include "platform/image/jpeg_scans.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace zorvadel::image {
namespace {

constexpr int kTem = 0x01;
constexpr int kRst0 = 0xD0;
constexpr int kRst7 = 0xD7;
constexpr int kSoi = 0xD8;
constexpr int kEoi = 0xD9;
constexpr int kSos = 0xDA;

// The file's bytes in order, read a chunk at a time. Once the end is met
// (or a read fails) every later read meets it again.
class Bytes {
 public:
  Bytes(int descriptor, uint64_t size) : descriptor_(descriptor), size_(size) {}

  // The next byte, or -1 at the end.
  int Next() {
    if (at_ == end_ && !Fill()) return -1;
    return buffer_[at_++];
  }

  // Passes over the bytes before the next 0xFF, which is left to be read.
  // False at the end.
  bool SkipToFF() {
    for (;;) {
      const void* ff = std::memchr(buffer_.get() + at_, 0xFF, end_ - at_);
      if (ff != nullptr) {
        at_ = static_cast<size_t>(static_cast<const unsigned char*>(ff) - buffer_.get());
        return true;
      }
      at_ = end_;
      if (!Fill()) return false;
    }
  }

  // Passes over `count` bytes without reading those past the chunk.
  void Skip(uint64_t count) {
    const size_t buffered = end_ - at_;
    if (count <= buffered) {
      at_ += count;
      return;
    }
    next_read_ += count - buffered;
    at_ = end_;
  }

 private:
  static constexpr size_t kChunk = 64 * 1024;

  bool Fill() {
    at_ = end_ = 0;
    if (ended_ || next_read_ >= size_) {
      ended_ = true;
      return false;
    }
    const size_t want = static_cast<size_t>(std::min<uint64_t>(kChunk, size_ - next_read_));
    ssize_t got;
    do {
      got = pread(descriptor_, buffer_.get(), want, static_cast<off_t>(next_read_));
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
      ended_ = true;
      return false;
    }
    next_read_ += static_cast<uint64_t>(got);
    end_ = static_cast<size_t>(got);
    return true;
  }

  const int descriptor_;
  const uint64_t size_;
  const std::unique_ptr<unsigned char[]> buffer_{new unsigned char[kChunk]};
  size_t at_ = 0;
  size_t end_ = 0;
  uint64_t next_read_ = 0;  // the file offset just past the chunk
  bool ended_ = false;
};

}  // namespace

int64_t CountJpegScans(int descriptor, uint64_t size, int64_t limit) {
  Bytes bytes(descriptor, size);
  if (bytes.Next() != 0xFF || bytes.Next() != kSoi) return 0;
  int64_t scans = 0;
  for (;;) {
    // The next marker: whatever lies before an 0xFF is entropy-coded data
    // or bytes a decoder skips as well, a run of 0xFF is fill, and 0xFF
    // 0x00 stands for a data byte of 0xFF.
    int marker;
    do {
      if (!bytes.SkipToFF()) return scans;
      do {
        marker = bytes.Next();
      } while (marker == 0xFF);
    } while (marker == 0);
    // A second SOI is an error a decoder stops at.
    if (marker < 0 || marker == kEoi || marker == kSoi) return scans;
    if ((marker >= kRst0 && marker <= kRst7) || marker == kTem) continue;
    const int high = bytes.Next();
    const int low = bytes.Next();
    if (low < 0) return scans;
    // A length below 2 is taken as 2, never as a step back: counting on
    // past a segment a decoder might refuse can only count more scans.
    const int length = high << 8 | low;
    if (length > 2) bytes.Skip(static_cast<uint64_t>(length - 2));
    if (marker == kSos && ++scans > limit) return scans;
  }
}

}  // namespace zorvadel::image
