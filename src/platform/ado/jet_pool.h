// The server's side of the Jet readers: a few standing reader processes,
// each doing one job at a time, started as the first Jet pages come and
// replaced when one breaks a bound or its MDBTools fails.
#ifndef ZORVADEL_PLATFORM_ADO_JET_POOL_H_
#define ZORVADEL_PLATFORM_ADO_JET_POOL_H_

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvadel::ado::jet {

// Raises the provider error that every failure of a reader gives a page.
[[noreturn]] void ReaderFailed(std::u16string_view why);

// What a job gave back: the bytes of its answer, whose tag may still be
// kFailed, and the first line MDBTools printed during the job ("" when it
// printed nothing), which often holds the cause that the driver's own
// failure ("[] Couldn't parse SQL") leaves out.
struct JobAnswer {
  std::string bytes;
  std::u16string said;
};

// Runs a job of `kind` on the file `path` (UTF-8). Raises when no reader
// was free in time or the reader broke a bound or died, with what MDBTools
// printed.
JobAnswer RunJob(char kind, const std::string& path, std::u16string_view sql);

// `why` with what MDBTools printed after it, as a failure carries it:
// "WHY (MDBTools: SAID)"; `why` alone when it printed nothing.
std::u16string WithWhatItSaid(std::u16string_view why, std::u16string_view said);

// A file as it is now. A file that opened in a reader before and is still
// the same (its inode, size and modification time) can only open again.
struct FileIdentity {
  std::string path;
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t seconds = 0;
  int64_t nanoseconds = 0;
  auto operator<=>(const FileIdentity&) const = default;
};
// False when the file cannot be looked at.
bool IdentityOf(const std::string& path, FileIdentity& identity);
bool OpenedBefore(const FileIdentity& identity);
void NoteOpened(const FileIdentity& identity);

}  // namespace zorvadel::ado::jet

#endif  // ZORVADEL_PLATFORM_ADO_JET_POOL_H_
