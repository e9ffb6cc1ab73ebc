#include "platform/ado/sqlite_open_reads.h"

#include <mutex>
#include <thread>
#include <vector>

namespace zorvadel::ado {
namespace {

struct Entry {
  OpenRead* read;
  const SqliteHandle* handle;
  std::thread::id thread;
  bool has_file;
  FileId file;
};

// Every thread's open queries, under one lock rather than per thread: a
// query is dropped from the list by whichever thread destroys it.
struct Reads {
  std::mutex mutex;
  std::vector<Entry> open;
};

Reads& AllReads() {
  static Reads* reads = new Reads;  // queries may still end while the process exits
  return *reads;
}

}  // namespace

OpenReadEntry::OpenReadEntry(OpenRead* read, const SqliteHandle* handle, const FileId* file)
    : read_(read) {
  Reads& reads = AllReads();
  const std::lock_guard lock(reads.mutex);
  reads.open.push_back(
      {read, handle, std::this_thread::get_id(), file != nullptr, file ? *file : FileId{}});
}

OpenReadEntry::~OpenReadEntry() {
  Reads& reads = AllReads();
  const std::lock_guard lock(reads.mutex);
  for (size_t i = 0; i < reads.open.size(); ++i) {
    if (reads.open[i].read != read_) continue;
    reads.open[i] = reads.open.back();
    reads.open.pop_back();
    return;
  }
}

void LetGoOfReads(const FileId* file, const SqliteHandle* keep) {
  Reads& reads = AllReads();
  const std::thread::id me = std::this_thread::get_id();
  // Held throughout, so that no query is destroyed while it lets go.
  const std::lock_guard lock(reads.mutex);
  for (const Entry& entry : reads.open) {
    if (entry.thread != me || entry.handle == keep) continue;
    if (file != nullptr && (!entry.has_file || entry.file != *file)) continue;
    entry.read->LetGo();
  }
}

}  // namespace zorvadel::ado
