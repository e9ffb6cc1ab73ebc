#include "platform/ado/sqlite_open_reads.h"

#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

namespace zorvadel::ado {

// Every thread's open queries, under one lock rather than per thread: a
// query is dropped from the list by whichever thread destroys it.
struct OpenReads {
  std::mutex mutex;
  std::condition_variable unpinned;
  std::vector<OpenReadEntry*> open;

  static OpenReads& All() {
    static OpenReads* reads = new OpenReads;  // queries may still end while the process exits
    return *reads;
  }
};

OpenReadEntry::OpenReadEntry(OpenRead* read, const SqliteHandle* handle, const FileId* file)
    : read_(read),
      handle_(handle),
      has_file_(file != nullptr),
      file_(file ? *file : FileId{}),
      thread_(std::this_thread::get_id()) {
  OpenReads& reads = OpenReads::All();
  const std::lock_guard lock(reads.mutex);
  reads.open.push_back(this);
}

OpenReadEntry::~OpenReadEntry() {
  OpenReads& reads = OpenReads::All();
  std::unique_lock lock(reads.mutex);
  reads.unpinned.wait(lock, [&] { return pinned_ == 0; });
  for (OpenReadEntry*& entry : reads.open) {
    if (entry != this) continue;
    entry = reads.open.back();
    reads.open.pop_back();
    return;
  }
}

void OpenReadEntry::Move() {
  OpenReads& reads = OpenReads::All();
  const std::lock_guard lock(reads.mutex);
  thread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
}

void LetGoOfReads(const FileId* file, const SqliteHandle* keep) {
  OpenReads& reads = OpenReads::All();
  const std::thread::id me = std::this_thread::get_id();
  std::vector<std::pair<OpenReadEntry*, bool>> mine;  // and whether on `keep`
  {
    const std::lock_guard lock(reads.mutex);
    for (OpenReadEntry* entry : reads.open) {
      if (entry->thread_.load(std::memory_order_relaxed) != me) continue;
      const bool own = keep != nullptr && entry->handle_ == keep;
      if (own ? file == nullptr
              : file != nullptr && (!entry->has_file_ || entry->file_ != *file)) {
        continue;
      }
      ++entry->pinned_;
      mine.emplace_back(entry, own);
    }
  }
  if (mine.empty()) return;
  for (const auto& [entry, own] : mine) {
    if (own) {
      entry->read_->BeforeOwnWrite();
    } else {
      entry->read_->LetGo();
    }
  }
  {
    const std::lock_guard lock(reads.mutex);
    for (const auto& [entry, own] : mine) --entry->pinned_;
  }
  reads.unpinned.notify_all();
}

bool HasOpenReads(const SqliteHandle* keep) {
  OpenReads& reads = OpenReads::All();
  const std::thread::id me = std::this_thread::get_id();
  const std::lock_guard lock(reads.mutex);
  for (const OpenReadEntry* entry : reads.open) {
    if (entry->thread_.load(std::memory_order_relaxed) == me && entry->handle_ != keep) {
      return true;
    }
  }
  return false;
}

}  // namespace zorvadel::ado
