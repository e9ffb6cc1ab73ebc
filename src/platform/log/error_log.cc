#include "platform/log/error_log.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace zorvadel::log {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kQuiet = std::chrono::seconds(1);
// A line not seen for this long is forgotten, so that the table stays small.
constexpr auto kForget = std::chrono::seconds(60);
constexpr size_t kMaxLineBytes = 2000;
constexpr size_t kMaxKept = 1024;

struct Seen {
  Clock::time_point written;
  size_t left_out = 0;
};

struct State {
  std::mutex mutex;
  std::unordered_map<std::string, Seen> seen;
  std::function<void(std::string_view)> sink;
  bool flush_at_exit = false;
};

State& TheState() {
  // Never destroyed: threads may still log while the process ends.
  static State* state = new State;
  return *state;
}

void WriteOut(State& state, std::string text) {
  if (state.sink) {
    state.sink(text);
    return;
  }
  text += '\n';
  std::string_view rest = text;
  while (!rest.empty()) {
    const ssize_t written = write(STDERR_FILENO, rest.data(), rest.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    rest.remove_prefix(static_cast<size_t>(written));
  }
}

std::string WithCount(const std::string& line, const Seen& seen, Clock::time_point now) {
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(now - seen.written).count();
  return line + " (" + std::to_string(seen.left_out) + " more like this in the last " +
         std::to_string(seconds < 1 ? 1 : seconds) + " s)";
}

// Writes the counts that are due and forgets lines long unseen; with
// `everything`, writes every count and forgets every line.
void FlushLocked(State& state, Clock::time_point now, bool everything) {
  for (auto it = state.seen.begin(); it != state.seen.end();) {
    Seen& seen = it->second;
    if (seen.left_out > 0 && (everything || now - seen.written >= kQuiet)) {
      WriteOut(state, WithCount(it->first, seen, now));
      seen.written = now;
      seen.left_out = 0;
    }
    if (everything || now - seen.written >= kForget) {
      it = state.seen.erase(it);
    } else {
      ++it;
    }
  }
}

void FlushAll() {
  State& state = TheState();
  std::lock_guard lock(state.mutex);
  FlushLocked(state, Clock::now(), true);
}

}  // namespace

void Line(std::string_view line) {
  if (line.size() > kMaxLineBytes) line = line.substr(0, kMaxLineBytes);
  State& state = TheState();
  const Clock::time_point now = Clock::now();
  std::lock_guard lock(state.mutex);
  if (!state.flush_at_exit) {
    state.flush_at_exit = true;
    std::atexit(&FlushAll);
  }
  auto found = state.seen.find(std::string(line));
  if (found == state.seen.end()) {
    if (state.seen.size() >= kMaxKept) FlushLocked(state, now, true);
    state.seen.emplace(std::string(line), Seen{now, 0});
    WriteOut(state, std::string(line));
    return;
  }
  Seen& seen = found->second;
  if (now - seen.written < kQuiet) {
    ++seen.left_out;
    return;
  }
  WriteOut(state, seen.left_out > 0 ? WithCount(found->first, seen, now) : std::string(line));
  seen.written = now;
  seen.left_out = 0;
}

void Flush() {
  State& state = TheState();
  std::lock_guard lock(state.mutex);
  FlushLocked(state, Clock::now(), false);
}

void SetSinkForTesting(std::function<void(std::string_view)> sink) {
  State& state = TheState();
  std::lock_guard lock(state.mutex);
  state.sink = std::move(sink);
}

void ResetForTesting() {
  State& state = TheState();
  std::lock_guard lock(state.mutex);
  state.seen.clear();
}

}  // namespace zorvadel::log
