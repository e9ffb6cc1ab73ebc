// Writers of one SQLite file inside the process take their turn.
//
// SQLite lets one writer at a time into a file and has the others poll for
// the lock, sleeping longer and longer between tries: under a burst of
// pages that each write a row, a writer can miss every chance until its
// wait runs out, and its row is lost. Within the process they queue
// instead, one writer per file, for as long as one statement may wait;
// only writers in other processes still meet SQLite's polling.
#ifndef ZORVADEL_PLATFORM_ADO_SQLITE_TURNS_H_
#define ZORVADEL_PLATFORM_ADO_SQLITE_TURNS_H_

#include <sys/types.h>

#include <chrono>
#include <memory>

namespace zorvadel::ado {

struct WriterTurn;

// The turn to write one file (by device and inode), held from the first
// statement that writes until its transaction has ended.
class WriterQueue {
 public:
  WriterQueue() = default;
  ~WriterQueue() { Leave(); }
  WriterQueue(const WriterQueue&) = delete;
  WriterQueue& operator=(const WriterQueue&) = delete;

  // Queues on the file (by device and inode) from now on.
  void SetFile(dev_t device, ino_t inode);
  // Waits until no other writer of the process holds the file's turn,
  // until `deadline` at most; true once the turn is this handle's (also
  // when it was already). Without a file to queue on (it could not be
  // looked at), always true.
  bool Enter(std::chrono::steady_clock::time_point deadline);
  // Gives the turn back, if held.
  void Leave();
  bool holding() const { return holding_; }

 private:
  std::shared_ptr<WriterTurn> turn_;
  bool holding_ = false;
};

}  // namespace zorvadel::ado

#endif  // ZORVADEL_PLATFORM_ADO_SQLITE_TURNS_H_
