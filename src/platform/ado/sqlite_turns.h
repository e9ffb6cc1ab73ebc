// Writers of one SQLite file inside the process take their turn.
//
// SQLite lets one writer at a time into a file and has the others poll for
// the lock, sleeping longer and longer between tries: under a burst of
// pages that each write a row, a writer can miss every chance until its
// wait runs out, and its row is lost. Within the process they queue
// instead, one writer per file, for as long as one statement may wait;
// only writers in other processes still meet SQLite's polling.
//
// A page runs on one thread, so the thread stands for the page: a turn
// knows the thread that holds it, and a thread that waits, the turn it
// waits for. A wait that could never end is refused rather than begun:
// one for a turn that the same page holds through another connection (its
// transaction ends only after the wait would), and one whose holder waits,
// directly or through other pages, for a turn that the waiting page holds.
//
// A wait for SQLite's own lock is another matter: the turn's holder is the
// one keeping it out only once its transaction has written (it then holds
// the file's one write lock); before, the lock is held by someone else,
// another program or another engine, and the wait may end.
#ifndef ZORVADEL_PLATFORM_ADO_SQLITE_TURNS_H_
#define ZORVADEL_PLATFORM_ADO_SQLITE_TURNS_H_

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvadel::ado {

struct WriterTurn;
using FileId = std::pair<dev_t, ino_t>;

// The refusal of a write that the page's own transaction on another
// connection keeps out.
inline constexpr std::u16string_view kLockedByOwnTransaction =
    u"[SQLite] database is locked by a transaction of this page on another connection";

// Whether a wait for the holder of a file's turn can end.
enum class WaitVerdict {
  kMayEnd,
  // The turn is the calling page's own, through another connection.
  kOwnTurn,
  // The holder waits, directly or through other pages, for the caller.
  kDeadlock,
};

// The turn to write one file (by device and inode), held from the first
// statement that writes until its transaction has ended.
class WriterQueue {
 public:
  // `owner` is what the queue belongs to, as TurnsHeldHere gives it back.
  explicit WriterQueue(void* owner) : owner_(owner) {}
  ~WriterQueue() { Leave(); }
  WriterQueue(const WriterQueue&) = delete;
  WriterQueue& operator=(const WriterQueue&) = delete;

  // Queues on the file (by device and inode) from now on.
  void SetFile(dev_t device, ino_t inode);
  // The file queued on; null when it could not be looked at.
  const FileId* file() const { return turn_ ? &file_ : nullptr; }
  // Takes the turn when nobody holds it or waits for it; true once the
  // turn is this queue's (also when it was already).
  bool TryEnter();
  // Waits until no other writer of the process holds the file's turn,
  // until `deadline` at most; true once the turn is this queue's (also
  // when it was already). A wait that could never end is not begun:
  // false, with `refused` telling why (kMayEnd when the time ran out).
  // Without a file to queue on (it could not be looked at), always true.
  bool Enter(std::chrono::steady_clock::time_point deadline, WaitVerdict* refused);
  // Whether the calling thread could wait for SQLite's lock on the file,
  // as far as the process's writers tell: refused only when the holder of
  // the file's turn has written (its write lock is then what keeps the
  // caller out) and is the caller, or waits for it.
  WaitVerdict CanWaitForHolder() const;
  // Tells, while the turn is held, whether the holder's transaction has
  // written, and so holds SQLite's write lock on the file.
  void SetWritten(bool written);
  // Gives the turn back, if held.
  void Leave();
  bool holding() const { return holding_; }
  void* owner() const { return owner_; }

 private:
  void* owner_;
  std::shared_ptr<WriterTurn> turn_;
  FileId file_{};
  bool holding_ = false;
};

// The owners of the queues whose turn the calling thread holds.
std::vector<void*> TurnsHeldHere();

// Whether the calling thread holds the turn of `file` with a transaction
// that has written: a writer of that file through another path (the ODBC
// driver) could then never have its lock.
bool WrittenHere(const FileId& file);

}  // namespace zorvadel::ado

#endif  // ZORVADEL_PLATFORM_ADO_SQLITE_TURNS_H_
