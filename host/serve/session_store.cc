// Session lookup, expiry and ids.
#include "serve/session_store.h"

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <random>
#include <utility>

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

std::shared_ptr<ServedSession> SessionStore::Find(std::string_view id, Clock::time_point now) {
  if (!WellFormedId(id)) return nullptr;
  std::lock_guard lock(mutex_);
  auto it = sessions_.find(std::string(id));
  if (it == sessions_.end()) return nullptr;
  if (it->second->ExpiredAt(now)) {
    sessions_.erase(it);
    return nullptr;
  }
  it->second->Touch(now);
  return it->second;
}

std::string SessionStore::Add(std::shared_ptr<ServedSession> session, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  if (sessions_.size() >= capacity_) {
    // A full store is swept at most once a second: sweeping it for every
    // refused session would make a flood of new visitors costly for all.
    if (now - last_full_sweep_ < std::chrono::seconds(1)) return "";
    last_full_sweep_ = now;
    if (SweepLocked(now) == 0) return "";
  }
  session->Touch(now);
  for (;;) {
    std::string id = NewId();
    if (sessions_.emplace(id, session).second) return id;
  }
}

size_t SessionStore::Sweep(Clock::time_point now) {
  std::lock_guard lock(mutex_);
  return SweepLocked(now);
}

size_t SessionStore::SweepLocked(Clock::time_point now) {
  return std::erase_if(sessions_, [now](const auto& entry) { return entry.second->ExpiredAt(now); });
}

size_t SessionStore::size() const {
  std::lock_guard lock(mutex_);
  return sessions_.size();
}

std::string SessionStore::NewId() {
  std::array<unsigned char, 16> bytes{};
  size_t got = 0;
  while (got < bytes.size()) {
    ssize_t n = getrandom(bytes.data() + got, bytes.size() - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  if (got < bytes.size()) {
    // getrandom only fails on kernels too old to have it; random_device
    // reads the same pool through /dev/urandom there.
    std::random_device device;
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(device());
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string id;
  id.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) {
    id += kHex[b >> 4];
    id += kHex[b & 15];
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
