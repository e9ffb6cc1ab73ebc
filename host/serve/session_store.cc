// Session lookup, expiry and ids.
#include "serve/session_store.h"

#include <sys/random.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <random>
#include <utility>

#include "runtime/hex_digits.h"

namespace zorvadel::serve {

void ServedSession::SetValue(std::u16string_view key, Variant value) {
  MemorySession::SetValue(key, std::move(value));
  written_.store(true, std::memory_order_relaxed);
}

void ServedSession::SetCodePage(uint32_t code_page) {
  MemorySession::SetCodePage(code_page);
  written_.store(true, std::memory_order_relaxed);
}

void ServedSession::SetTimeout(int32_t minutes) {
  MemorySession::SetTimeout(minutes);
  written_.store(true, std::memory_order_relaxed);
}

bool ServedSession::ExpiredAt(Clock::time_point now) const {
  Clock::time_point last{Clock::duration(last_used_.load(std::memory_order_relaxed))};
  return now - last > std::chrono::minutes(Timeout());
}

SessionStore::SessionStore(size_t capacity)
    : shard_capacity_((capacity + kShards - 1) / kShards), shards_(new Shard[kShards]) {}

SessionStore::Shard& SessionStore::ShardOf(std::string_view id) const {
  // Ids are random hex: their first two digits spread them evenly.
  size_t h = 0;
  for (size_t i = 0; i < 2 && i < id.size(); ++i) h = h * 16 + static_cast<size_t>(id[i] & 15);
  return shards_[h % kShards];
}

std::shared_ptr<ServedSession> SessionStore::Find(std::string_view id, Clock::time_point now) {
  if (!WellFormedId(id)) return nullptr;
  Shard& shard = ShardOf(id);
  std::lock_guard lock(shard.mutex);
  auto it = shard.sessions.find(std::string(id));
  if (it == shard.sessions.end()) return nullptr;
  if (it->second->ExpiredAt(now)) {
    shard.sessions.erase(it);
    return nullptr;
  }
  it->second->Touch(now);
  return it->second;
}

std::string SessionStore::Add(std::shared_ptr<ServedSession> session, Clock::time_point now) {
  session->Touch(now);
  for (;;) {
    std::string id = NewId();
    Shard& shard = ShardOf(id);
    std::lock_guard lock(shard.mutex);
    if (shard.sessions.size() >= shard_capacity_) {
      // A full shard is swept at most once a second: sweeping it for every
      // refused session would make a flood of new visitors costly for all.
      if (now - shard.last_full_sweep < std::chrono::seconds(1)) return "";
      shard.last_full_sweep = now;
      if (SweepLocked(shard, now) == 0) return "";
    }
    if (shard.sessions.emplace(id, session).second) return id;
  }
}

size_t SessionStore::Sweep(Clock::time_point now) {
  size_t dropped = 0;
  for (size_t i = 0; i < kShards; ++i) {
    std::lock_guard lock(shards_[i].mutex);
    dropped += SweepLocked(shards_[i], now);
  }
  return dropped;
}

size_t SessionStore::SweepLocked(Shard& shard, Clock::time_point now) {
  return std::erase_if(shard.sessions,
                       [now](const auto& entry) { return entry.second->ExpiredAt(now); });
}

size_t SessionStore::size() const {
  size_t total = 0;
  for (size_t i = 0; i < kShards; ++i) {
    std::lock_guard lock(shards_[i].mutex);
    total += shards_[i].sessions.size();
  }
  return total;
}

std::string SessionStore::NewId() {
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
  id.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) {
    id += LowerHexDigit<char>(b >> 4);
    id += LowerHexDigit<char>(b & 15);
  }
  return id;
}

bool SessionStore::WellFormedId(std::string_view id) {
  if (id.size() != 32) return false;
  for (char c : id) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

}  // namespace zorvadel::serve
