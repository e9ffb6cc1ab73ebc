// Rnd and Randomize. The generator is the runtime's own 24-bit linear
// congruential one, so that a given Randomize seed yields the sequence a
// script would see; unlike the runtime it starts from the clock, since pages
// that forget Randomize must not all show the same "random" choice.
#include <bit>
#include <chrono>
#include <cstdint>
#include <mutex>

#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

constexpr uint32_t kMask = 0xFFFFFF;
constexpr uint32_t kInitialSeed = 0x50000;  // the runtime's state before any call

struct Generator {
  std::mutex mutex;
  uint32_t seed = kInitialSeed;
  bool seeded = false;
};

Generator& State() {
  static Generator generator;
  return generator;
}

uint32_t ClockSeed() {
  auto now = std::chrono::system_clock::now().time_since_epoch().count() ^
             std::chrono::steady_clock::now().time_since_epoch().count();
  auto x = static_cast<uint64_t>(now);
  x ^= x >> 33;
  x *= 0xFF51AFD7ED558CCDull;
  x ^= x >> 33;
  return static_cast<uint32_t>(x) & kMask;
}

}  // namespace

void Randomize() {
  Generator& g = State();
  std::lock_guard<std::mutex> lock(g.mutex);
  g.seed = ClockSeed();
  g.seeded = true;
}

void Randomize(double seed) {
  // The runtime folds the high word of the Double into the middle 16 bits of
  // its state. It keeps the other bits from wherever the sequence stood, so
  // the same seed repeats only after Rnd(-1); here it always starts from the
  // initial state, so the same seed always gives the same sequence.
  auto high = static_cast<uint32_t>(std::bit_cast<uint64_t>(seed) >> 32);
  uint32_t folded = ((high & 0xFFFF) ^ (high >> 16)) << 8;
  Generator& g = State();
  std::lock_guard<std::mutex> lock(g.mutex);
  g.seed = ((kInitialSeed & 0xFF0000FF) | folded) & kMask;
  g.seeded = true;
}

float Rnd() {
  Generator& g = State();
  std::lock_guard<std::mutex> lock(g.mutex);
  if (!g.seeded) {
    g.seed = ClockSeed();
    g.seeded = true;
  }
  g.seed = (g.seed * 0x43FD43FDu + 0xC39EC3u) & kMask;
  return static_cast<float>(g.seed) / 16777216.0f;
}

}  // namespace zorvadel
