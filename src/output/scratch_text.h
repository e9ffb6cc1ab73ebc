// Room for text that a member builds only to hand to Response.Write at once
// (a page header, a filtered row, the filtered pieces of a link). The room is
// the thread's own and kept from page to page, so such text stops costing an
// allocation once a thread has served a few pages.
#ifndef ZORVADEL_OUTPUT_SCRATCH_TEXT_H_
#define ZORVADEL_OUTPUT_SCRATCH_TEXT_H_

#include <cstddef>
#include <string>

namespace zorvadel::output {

// Empty when made. Scopes nest (a filter called while a header is being
// built takes another buffer), so a ScratchText lives on the stack only and
// never outlives the function that made it; deeper than the pool, it falls
// back to a string of its own.
class ScratchText {
 public:
  ScratchText() {
    Pool& pool = ThePool();
    if (pool.used < kPooled) {
      text_ = &pool.buffers[pool.used++];
    } else {
      text_ = &own_;
    }
  }
  ~ScratchText() {
    if (text_ == &own_) return;
    --ThePool().used;
    // A page that wrote a huge text does not keep the thread's memory.
    if (text_->capacity() > kKeptRoom) {
      std::u16string().swap(*text_);
    } else {
      text_->clear();
    }
  }
  ScratchText(const ScratchText&) = delete;
  ScratchText& operator=(const ScratchText&) = delete;

  std::u16string& operator*() { return *text_; }
  std::u16string* operator->() { return text_; }

 private:
  static constexpr size_t kPooled = 4;
  static constexpr size_t kKeptRoom = 16 * 1024;
  struct Pool {
    std::u16string buffers[kPooled];
    size_t used = 0;
  };
  static Pool& ThePool() {
    thread_local Pool pool;
    return pool;
  }

  std::u16string* text_;
  std::u16string own_;
};

}  // namespace zorvadel::output

#endif  // ZORVADEL_OUTPUT_SCRATCH_TEXT_H_
