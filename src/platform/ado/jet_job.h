// What the server and its Jet readers say to each other, and the bounds of
// a reader. A reader is this very binary started again (/proc/self/exe)
// with a mark in its name and environment; it takes jobs one after another
// from one end of a socket pair on kChannelFd and answers on the same end.
//
// Both directions carry frames: a 4-byte length in the machine's own byte
// order (both ends run the same binary), whose top bit marks the last frame
// of a message and whose next bit, on an answer's last frame, a job that
// MDBTools failed, then that many bytes. A job is one frame: its kind, the
// file's UTF-8 path as a counted text, and the statement in UTF-8. An answer
// is one or more frames whose bytes, put together, start with a tag below.
#ifndef ZORVADEL_PLATFORM_ADO_JET_JOB_H_
#define ZORVADEL_PLATFORM_ADO_JET_JOB_H_

#include <time.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvadel::ado::jet {

// Both marks must be there, so that an inherited variable alone never turns
// a program into a reader.
inline constexpr char kJobVariable[] = "ZORVADEL_JET_READER";
// Defined beside the reader's entry, so that a binary that starts readers
// always links the code that takes them up.
extern const char kJobName[];
inline constexpr int kChannelFd = 3;

// A sane read of a Jet file that a site serves takes a millisecond and a
// few megabytes; the bounds are far above that and far below harm.
inline constexpr int kCpuSeconds = 5;
inline constexpr int kWallSeconds = 15;
// The readers' memory together stays well under 1.5 GB however many Jet
// pages run at once: a fresh reader of the largest binary maps about 125 MB
// of address space, which leaves each nearly 200 MB for MDBTools.
inline constexpr int kReaders = 4;
inline constexpr size_t kMemoryBytes = size_t{320} << 20;
inline constexpr size_t kMaxResultBytes = size_t{256} << 20;
inline constexpr size_t kMaxJobBytes = size_t{16} << 20;
// What a reader keeps of the answers it gave from the file it holds open.
inline constexpr size_t kKeptAnswerBytes = size_t{16} << 20;
// A reader that prints this much in one job is looping: it is stopped.
inline constexpr size_t kMaxMessageBytes = size_t{1} << 20;

inline constexpr uint32_t kLastFrame = 0x80000000u;
inline constexpr uint32_t kFailedFrame = 0x40000000u;
inline constexpr uint32_t kFrameSizeBits = 0x3fffffffu;
inline constexpr size_t kFrameBytes = 64 * 1024;

// The kinds of job.
inline constexpr char kOpen = 'o';
inline constexpr char kRead = 'r';

// What an answer starts with.
inline constexpr char kOpened = 'O';
inline constexpr char kAction = 'A';
inline constexpr char kRows = 'R';
inline constexpr char kRow = 'r';
inline constexpr char kEnd = 'e';
inline constexpr char kFailed = 'E';

// Whether a file last changed at that time (its modification time) has
// stayed unchanged long enough for its inode, size and modification time to
// tell it apart from any later content: a change within the same clock tick
// as the one before leaves all three as they were.
inline bool Settled(int64_t seconds, int64_t nanoseconds) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const int64_t age_ms = (static_cast<int64_t>(now.tv_sec) - seconds) * 1000 +
                         (static_cast<int64_t>(now.tv_nsec) - nanoseconds) / 1000000;
  return age_ms >= 1000;
}

// Appends `bytes` to `out` as one frame; `marks` are kLastFrame and
// kFailedFrame or none.
inline void AppendFrame(std::string_view bytes, uint32_t marks, std::string& out) {
  const uint32_t header = static_cast<uint32_t>(bytes.size()) | marks;
  out.append(reinterpret_cast<const char*>(&header), sizeof(header));
  out.append(bytes);
}

}  // namespace zorvadel::ado::jet

#endif  // ZORVADEL_PLATFORM_ADO_JET_JOB_H_
