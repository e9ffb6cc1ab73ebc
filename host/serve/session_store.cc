// Session lookup, expiry and ids.
#include "serve/session_store.h"

#include <sys/random.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <condition_variable>
#include <iterator>
#include <random>
#include <utility>

#include "runtime/hex_digits.h"

namespace zorvadel::serve {

namespace {

// The estimated memory of one value: none for Empty (what a missing key
// reads as), else the node, the key and the room a string takes, which
// for a text built by appending is up to twice its length.
size_t ValueBytes(std::u16string_view key, const Variant& value) {
  if (value.IsEmpty()) return 0;
  size_t bytes = ServedSession::kValueBytes + key.size() * sizeof(char16_t);
  if (value.IsString()) bytes += value.string().capacity() * sizeof(char16_t);
  return bytes;
}

}  // namespace

void ServedSession::SetValue(std::u16string_view key, Variant value) {
  const size_t after = ValueBytes(key, value);
  const size_t before = ValueBytes(key, ExchangeValue(key, std::move(value)));
  value_bytes_.fetch_add(static_cast<int64_t>(after) - static_cast<int64_t>(before),
                         std::memory_order_relaxed);
  written_.store(true, std::memory_order_relaxed);
}

void ServedSession::UpdateValue(std::u16string_view key,
                                const std::function<void(Variant&)>& update) {
  struct Counted {
    std::u16string_view key;
    const std::function<void(Variant&)>& update;
    int64_t change = 0;
  } counted{key, update};
  // The wrapper captures one pointer, which std::function keeps in place:
  // capturing the three by reference would allocate on every page.
  MemorySession::UpdateValue(key, [c = &counted](Variant& value) {
    const size_t before = ValueBytes(c->key, value);
    c->update(value);
    c->change = static_cast<int64_t>(ValueBytes(c->key, value)) - static_cast<int64_t>(before);
  });
  value_bytes_.fetch_add(counted.change, std::memory_order_relaxed);
  written_.store(true, std::memory_order_relaxed);
}

void ServedSession::SetCodePage(uint32_t code_page) {
  MemorySession::SetCodePage(code_page);
  written_.store(true, std::memory_order_relaxed);
}

void ServedSession::SetTimeout(int32_t minutes) {
  MemorySession::SetTimeout(minutes);
  timeout_.store(MemorySession::Timeout(), std::memory_order_relaxed);
  written_.store(true, std::memory_order_relaxed);
}

bool ServedSession::TryTurn() {
  int free = kFree;
  return turn_.compare_exchange_strong(free, kTaken, std::memory_order_acquire);
}

bool ServedSession::QueueForTurn(std::shared_ptr<TurnWaiter> waiter) {
  std::lock_guard lock(turn_mutex_);
  for (int state = kFree;;) {
    // Free: the turn is ours. Taken: mark it queued first, so that the
    // page holding it ends its turn through the lock and finds us.
    const int wanted = state == kFree ? kTaken : kQueued;
    if (turn_.compare_exchange_weak(state, wanted, std::memory_order_acquire)) {
      if (wanted == kTaken) return true;
      break;
    }
  }
  waiting_.push_back(std::move(waiter));
  return false;
}

bool ServedSession::Withdraw(const TurnWaiter& waiter) {
  std::lock_guard lock(turn_mutex_);
  auto it = std::find_if(waiting_.begin(), waiting_.end(),
                         [&](const std::shared_ptr<TurnWaiter>& w) { return w.get() == &waiter; });
  if (it == waiting_.end()) return false;
  waiting_.erase(it);
  // The turn stays with the page holding it; its end need not look here.
  if (waiting_.empty()) turn_.store(kTaken, std::memory_order_relaxed);
  return true;
}

void ServedSession::EndTurn() {
  int taken = kTaken;
  if (turn_.compare_exchange_strong(taken, kFree, std::memory_order_release)) return;
  std::shared_ptr<TurnWaiter> next;
  {
    std::lock_guard lock(turn_mutex_);
    if (waiting_.empty()) {  // every waiter withdrew meanwhile
      turn_.store(kFree, std::memory_order_release);
      return;
    }
    next = std::move(waiting_.front());
    waiting_.pop_front();
    // The turn passes straight on, still taken.
    if (waiting_.empty()) turn_.store(kTaken, std::memory_order_relaxed);
  }
  // The waiter is woken outside the lock, as waking may take locks of its
  // own.
  next->wake_();
}

bool ServedSession::AwaitTurn(Clock::time_point deadline) {
  if (TryTurn()) return true;
  struct Bell {
    std::mutex mutex;
    std::condition_variable rung;
    bool woken = false;
  };
  auto bell = std::make_shared<Bell>();
  auto waiter = std::make_shared<TurnWaiter>([bell] {
    std::lock_guard lock(bell->mutex);
    bell->woken = true;
    bell->rung.notify_one();
  });
  if (QueueForTurn(waiter)) return true;
  std::unique_lock lock(bell->mutex);
  if (bell->rung.wait_until(lock, deadline, [&] { return bell->woken; })) return true;
  lock.unlock();
  // The turn may have come between the deadline and the withdrawal.
  return !Withdraw(*waiter);
}

bool ServedSession::ExpiredAt(Clock::time_point now) const {
  Clock::time_point last{Clock::duration(last_used_.load(std::memory_order_relaxed))};
  return now - last > std::chrono::minutes(Timeout());
}

SessionStore::SessionStore(size_t memory_bytes, size_t shards, std::string_view node)
    : suffix_(node.empty() ? std::string() : std::string(".").append(node)),
      shard_count_(shards == 0 ? 1 : shards),
      budget_(memory_bytes),
      shards_(new Shard[shard_count_]),
      probation_stamps_(new std::atomic<Clock::rep>[shard_count_]),
      returning_stamps_(new std::atomic<Clock::rep>[shard_count_]) {
  for (size_t i = 0; i < shard_count_; ++i) {
    probation_stamps_[i].store(kNoStamp, std::memory_order_relaxed);
    returning_stamps_[i].store(kNoStamp, std::memory_order_relaxed);
  }
}

size_t SessionStore::ShardNumber(std::string_view id) const {
  // Ids are random hex: their first two digits spread them evenly. (Only
  // the digits' values do: the low bits of "a" to "f" repeat those of "1"
  // to "6" and would leave a third of the shards unused.)
  size_t h = 0;
  for (size_t i = 0; i < 2 && i < id.size(); ++i) {
    h = h * 16 + static_cast<size_t>(std::max(0, HexDigitValue(id[i])));
  }
  return h % shard_count_;
}

SessionStore::Id::Id(std::string_view id) : size(static_cast<uint8_t>(id.size())) {
  std::copy_n(id.begin(), std::min(id.size(), kMaxSize), bytes.begin());
}

uint64_t SessionStore::Index::Hash(std::string_view id) {
  // The digits after the two that chose the shard (every id here has 32).
  uint64_t a = 0;
  uint64_t b = 0;
  std::memcpy(&a, id.data() + 2, sizeof a);
  std::memcpy(&b, id.data() + 10, sizeof b);
  const uint64_t h = (a ^ (b * 0x9E3779B97F4A7C15ull)) * 0xC2B2AE3D27D4EB4Full;
  return h ^ (h >> 29);
}

SessionStore::Index::~Index() {
  for (const Slot& slot : slots_) delete slot.entry;
}

SessionStore::Entry* SessionStore::Index::Find(std::string_view id) const {
  if (used_ == 0) return nullptr;
  const uint64_t hash = Hash(id);
  for (size_t i = Home(hash);; i = (i + 1) & (slots_.size() - 1)) {
    const Slot& slot = slots_[i];
    if (slot.entry == nullptr) return nullptr;
    if (slot.hash == hash && slot.entry->id.view() == id) return slot.entry;
  }
}

bool SessionStore::Index::Insert(Entry* entry) {
  if (Find(entry->id.view()) != nullptr) {
    delete entry;
    return false;
  }
  if ((used_ + 1) * 2 > slots_.size()) {
    std::vector<Slot> old(std::max<size_t>(16, slots_.size() * 2));
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.entry == nullptr) continue;
      size_t i = Home(slot.hash);
      while (slots_[i].entry != nullptr) i = (i + 1) & (slots_.size() - 1);
      slots_[i] = slot;
    }
  }
  const uint64_t hash = Hash(entry->id.view());
  size_t i = Home(hash);
  while (slots_[i].entry != nullptr) i = (i + 1) & (slots_.size() - 1);
  slots_[i] = {hash, entry};
  ++used_;
  return true;
}

void SessionStore::Index::Erase(const Entry* entry) {
  const size_t mask = slots_.size() - 1;
  size_t hole = Home(Hash(entry->id.view()));
  while (slots_[hole].entry != entry) hole = (hole + 1) & mask;
  delete slots_[hole].entry;
  slots_[hole] = {};
  --used_;
  // Entries after the hole move back into it unless that would put them
  // before their home slot, so that no probe meets a gap short of its entry.
  for (size_t next = (hole + 1) & mask; slots_[next].entry != nullptr; next = (next + 1) & mask) {
    const size_t home = Home(slots_[next].hash);
    const bool stays = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
    if (stays) continue;
    slots_[hole] = slots_[next];
    slots_[next] = {};
    hole = next;
  }
}

void SessionStore::List::PushFront(Entry* entry) {
  entry->older = newest;
  entry->newer = nullptr;
  if (newest != nullptr) newest->newer = entry;
  newest = entry;
  if (oldest == nullptr) oldest = entry;
}

void SessionStore::List::Unlink(Entry* entry) {
  (entry->newer != nullptr ? entry->newer->older : newest) = entry->older;
  (entry->older != nullptr ? entry->older->newer : oldest) = entry->newer;
  entry->newer = entry->older = nullptr;
}

void SessionStore::Restamp(const Shard& shard) {
  const size_t number = static_cast<size_t>(&shard - shards_.get());
  auto publish = [](const List& list, std::atomic<Clock::rep>& stamp) {
    const Clock::rep oldest = list.oldest != nullptr ? list.oldest->used : kNoStamp;
    // Stored only when it changed: every shard making room reads these.
    if (stamp.load(std::memory_order_relaxed) != oldest) {
      stamp.store(oldest, std::memory_order_relaxed);
    }
  };
  publish(shard.probation, probation_stamps_[number]);
  publish(shard.returning, returning_stamps_[number]);
}

void SessionStore::Drop(Shard& shard, Entry* entry) {
  bytes_.fetch_sub(entry->bytes, std::memory_order_relaxed);
  (entry->probation ? shard.probation : shard.returning).Unlink(entry);
  shard.index.Erase(entry);
  Restamp(shard);
}

void SessionStore::DropExpired(Shard& shard, const ServedSession* keep, Clock::time_point now) {
  // The least recently used end of each list holds the ones most likely
  // to be expired.
  for (List* list : {&shard.probation, &shard.returning}) {
    while (list->oldest != nullptr && list->oldest->session.get() != keep &&
           list->oldest->session->ExpiredAt(now)) {
      Drop(shard, list->oldest);
    }
  }
}

bool SessionStore::DropOldest(Shard& shard, List& list, const ServedSession* keep) {
  Entry* last = list.oldest;
  if (last != nullptr && last->session.get() == keep) last = last->newer;
  if (last == nullptr) return false;
  Drop(shard, last);
  return true;
}

SessionStore::Shard* SessionStore::Oldest(const std::atomic<Clock::rep>* stamps, size_t first,
                                          const Shard* skip) const {
  Shard* oldest = nullptr;
  Clock::rep best = kNoStamp;
  for (size_t n = 0, i = first; n < shard_count_; ++n, i = i + 1 == shard_count_ ? 0 : i + 1) {
    const Clock::rep stamp = stamps[i].load(std::memory_order_relaxed);
    if (stamp < best && &shards_[i] != skip) {
      best = stamp;
      oldest = &shards_[i];
    }
  }
  return oldest;
}

SessionStore::Shard* SessionStore::OldestOfFew(const std::atomic<Clock::rep>* stamps, size_t home,
                                               const Shard* skip) const {
  // xorshift, one state a thread: the draw need not be good, only cheap
  // and different for pages running at once.
  thread_local uint64_t state = 0x9E3779B97F4A7C15ull ^ reinterpret_cast<uintptr_t>(&state);
  Shard* oldest = nullptr;
  Clock::rep best = kNoStamp;
  for (size_t n = 0, i = home; n <= kDrawn && n < shard_count_; ++n) {
    const Clock::rep stamp = stamps[i].load(std::memory_order_relaxed);
    if (stamp < best && &shards_[i] != skip) {
      best = stamp;
      oldest = &shards_[i];
    }
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    i = static_cast<size_t>(state % shard_count_);
  }
  return oldest;
}

bool SessionStore::MakeRoom(size_t home, const ServedSession* keep, Clock::time_point now) {
  // The home shard, which holds `keep`, is passed over once a list of it
  // holds nothing else; any other shard found empty under its lock has
  // published so, and is not picked again.
  const Shard* skip_probation = nullptr;
  const Shard* skip_returning = nullptr;
  bool swept = false;
  while (!Fits()) {
    // The oldest session on probation of a few shards, or of all when
    // those few have none. The store's oldest exactly would send every page
    // making room to the same shard's lock at once; the oldest of a few
    // still keeps each shard's sessions on probation about as old as
    // another's, which is what gives a new visitor the same time to come
    // back wherever its session lies.
    Shard* shard = OldestOfFew(probation_stamps_.get(), home, skip_probation);
    if (shard == nullptr) shard = Oldest(probation_stamps_.get(), home, skip_probation);
    if (shard != nullptr) {
      std::lock_guard lock(shard->mutex);
      DropExpired(*shard, keep, now);
      if (!Fits() && !DropOldest(*shard, shard->probation, keep) && shard == &shards_[home]) {
        skip_probation = shard;
      }
      continue;
    }
    // Nothing on probation is left: expired sessions go before any that
    // came back, wherever they are.
    if (!swept) {
      swept = true;
      for (size_t i = 0; i < shard_count_ && !Fits(); ++i) {
        std::lock_guard lock(shards_[i].mutex);
        DropExpired(shards_[i], keep, now);
      }
      continue;  // a new session may have come meanwhile
    }
    shard = Oldest(returning_stamps_.get(), home, skip_returning);
    if (shard == nullptr) return false;
    std::lock_guard lock(shard->mutex);
    if (!DropOldest(*shard, shard->returning, keep) && shard == &shards_[home]) {
      skip_returning = shard;
    }
  }
  return true;
}

std::shared_ptr<ServedSession> SessionStore::Find(std::string_view id, Clock::time_point now) {
  if (!WellFormedId(id)) return nullptr;
  Shard& shard = shards_[ShardNumber(id)];
  std::lock_guard lock(shard.mutex);
  Entry* entry = shard.index.Find(id);
  if (entry == nullptr) return nullptr;
  if (entry->session->ExpiredAt(now)) {
    Drop(shard, entry);
    return nullptr;
  }
  entry->session->Touch(now);
  (entry->probation ? shard.probation : shard.returning).Unlink(entry);
  entry->probation = false;
  entry->used = now.time_since_epoch().count();
  shard.returning.PushFront(entry);
  Restamp(shard);
  return entry->session;
}

std::string SessionStore::Add(std::shared_ptr<ServedSession> session, Clock::time_point now) {
  session->Touch(now);
  const size_t bytes = session->bytes();
  if (bytes > budget_) return "";
  const ServedSession* const added = session.get();
  for (;;) {
    std::string id = NewId();
    const size_t home = ShardNumber(id);
    {
      Shard& shard = shards_[home];
      std::lock_guard lock(shard.mutex);
      Entry* entry = new Entry(id);
      if (!shard.index.Insert(entry)) continue;  // a 128-bit coincidence: another draw
      session->id_size_ = entry->id.size;
      std::copy_n(entry->id.bytes.begin(), entry->id.size, session->id_.begin());
      entry->session = std::move(session);
      entry->bytes = bytes;
      entry->session->counted_bytes_.store(bytes, std::memory_order_relaxed);
      entry->used = now.time_since_epoch().count();
      shard.probation.PushFront(entry);
      bytes_.fetch_add(bytes, std::memory_order_relaxed);
      Restamp(shard);
      // The shard at hand goes first, while its lock is held anyway.
      if (!Fits()) DropExpired(shard, added, now);
    }
    if (MakeRoom(home, added, now)) return id;
    // Only pages making room for sessions of their own at the same time
    // can have left this one alone over the budget.
    Shard& shard = shards_[home];
    std::lock_guard lock(shard.mutex);
    Entry* entry = shard.index.Find(id);
    if (entry != nullptr && entry->session.get() == added) Drop(shard, entry);
    return "";
  }
}

void SessionStore::Recount(std::string_view id, Clock::time_point now) {
  if (!WellFormedId(id)) return;
  const size_t home = ShardNumber(id);
  const ServedSession* counted = nullptr;
  {
    Shard& shard = shards_[home];
    std::lock_guard lock(shard.mutex);
    Entry* entry = shard.index.Find(id);
    if (entry == nullptr) return;
    const size_t bytes = entry->session->bytes();
    // Unsigned arithmetic wraps: a shrunk session subtracts.
    bytes_.fetch_add(bytes - entry->bytes, std::memory_order_relaxed);
    entry->bytes = bytes;
    entry->session->counted_bytes_.store(bytes, std::memory_order_relaxed);
    counted = entry->session.get();
    if (!Fits()) DropExpired(shard, counted, now);
  }
  MakeRoom(home, counted, now);
}

size_t SessionStore::Sweep(Clock::time_point now) {
  size_t dropped = 0;
  for (size_t i = 0; i < shard_count_; ++i) {
    Shard& shard = shards_[i];
    std::lock_guard lock(shard.mutex);
    for (List* list : {&shard.probation, &shard.returning}) {
      for (Entry* entry = list->newest; entry != nullptr;) {
        Entry* older = entry->older;
        if (entry->session->ExpiredAt(now)) {
          Drop(shard, entry);
          ++dropped;
        }
        entry = older;
      }
    }
  }
  return dropped;
}

size_t SessionStore::size() const {
  size_t total = 0;
  for (size_t i = 0; i < shard_count_; ++i) {
    std::lock_guard lock(shards_[i].mutex);
    total += shards_[i].index.size();
  }
  return total;
}

size_t SessionStore::bytes() const { return bytes_.load(std::memory_order_relaxed); }

std::string SessionStore::NewId() const {
  // Random bytes come from the kernel a few kilobytes at a time, for this
  // thread alone, rather than one system call per new visitor.
  struct Pool {
    std::array<unsigned char, 4096> bytes{};
    size_t used = 4096;
  };
  thread_local Pool pool;
  std::array<unsigned char, 16> bytes{};
  if (pool.used + bytes.size() > pool.bytes.size()) {
    size_t got = 0;
    while (got < pool.bytes.size()) {
      ssize_t n = getrandom(pool.bytes.data() + got, pool.bytes.size() - got, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    if (got < pool.bytes.size()) {
      // getrandom only fails on kernels too old to have it; random_device
      // reads the same pool through /dev/urandom there.
      std::random_device device;
      for (size_t i = got; i < pool.bytes.size(); ++i) {
        pool.bytes[i] = static_cast<unsigned char>(device());
      }
    }
    pool.used = 0;
  }
  std::copy_n(pool.bytes.begin() + static_cast<std::ptrdiff_t>(pool.used), bytes.size(), bytes.begin());
  // Used bytes are not kept around.
  std::fill_n(pool.bytes.begin() + static_cast<std::ptrdiff_t>(pool.used), bytes.size(), 0);
  pool.used += bytes.size();
  std::string id;
  id.reserve(bytes.size() * 2 + suffix_.size());
  for (unsigned char b : bytes) {
    id += LowerHexDigit<char>(b >> 4);
    id += LowerHexDigit<char>(b & 15);
  }
  return id + suffix_;
}

bool SessionStore::WellFormedId(std::string_view id) const {
  if (id.size() != 32 + suffix_.size() || id.substr(32) != suffix_) return false;
  for (char c : id.substr(0, 32)) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

bool SessionStore::ValidNodeName(std::string_view node) {
  if (node.empty() || node.size() > 32) return false;
  for (char c : node) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '_';
    if (!plain) return false;
  }
  return true;
}

}  // namespace zorvadel::serve
