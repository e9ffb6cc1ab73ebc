// RFC 1321 written out from the RFC's tables. The sixty-four steps are
// expanded at compile time from the tables below, so the words stay in
// registers and the transform runs as fast as a hand-unrolled one.
#include "text/md5.h"

#include <cstring>
#include <utility>

#include "runtime/hex_digits.h"

namespace zorvadel::text {
namespace {

// T[i] = floor(abs(sin(i + 1)) * 2^32), RFC 1321 section 3.4.
constexpr uint32_t kAdditive[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613,
    0xfd469501, 0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193,
    0xa679438e, 0x49b40821, 0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d,
    0x02441453, 0xd8a1e681, 0xe7d3fbc8, 0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
    0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a, 0xfffa3942, 0x8771f681, 0x6d9d6122,
    0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70, 0x289b7ec6, 0xeaa127fa,
    0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665, 0xf4292244,
    0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb,
    0xeb86d391,
};

// Left-rotation amounts, four per round, repeating within the round.
constexpr int kShift[4][4] = {
    {7, 12, 17, 22},
    {5, 9, 14, 20},
    {4, 11, 16, 23},
    {6, 10, 15, 21},
};

// Which message word step i reads: round r takes word (start + i * stride) mod 16.
constexpr int kWordStart[4] = {0, 1, 5, 0};
constexpr int kWordStride[4] = {1, 5, 3, 7};

constexpr uint32_t kInitialWords[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

constexpr uint32_t RotateLeft(uint32_t x, int s) { return (x << s) | (x >> (32 - s)); }

template <int kRound>
constexpr uint32_t RoundFunction(uint32_t x, uint32_t y, uint32_t z) {
  if constexpr (kRound == 0) {
    return ((y ^ z) & x) ^ z;  // F = (x & y) | (~x & z)
  } else if constexpr (kRound == 1) {
    return ((x ^ y) & z) ^ y;  // G = (x & z) | (y & ~z)
  } else if constexpr (kRound == 2) {
    return x ^ y ^ z;  // H
  } else {
    return y ^ (x | ~z);  // I
  }
}

// a = b + ((a + fn(b, c, d) + X[k] + T[i]) <<< s)
template <int kStep>
inline void Md5Step(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, const uint32_t* x) {
  constexpr int kRound = kStep / 16;
  constexpr int kWord = (kWordStart[kRound] + (kStep % 16) * kWordStride[kRound]) % 16;
  a = b + RotateLeft(a + RoundFunction<kRound>(b, c, d) + x[kWord] + kAdditive[kStep],
                     kShift[kRound][kStep % 4]);
}

// Four steps; the roles of the words move one place each step.
template <int kFirst>
inline void FourSteps(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d, const uint32_t* x) {
  Md5Step<kFirst>(a, b, c, d, x);
  Md5Step<kFirst + 1>(d, a, b, c, x);
  Md5Step<kFirst + 2>(c, d, a, b, x);
  Md5Step<kFirst + 3>(b, c, d, a, x);
}

template <size_t... kGroup>
inline void AllSteps(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d, const uint32_t* x,
                     std::index_sequence<kGroup...>) {
  (FourSteps<static_cast<int>(kGroup) * 4>(a, b, c, d, x), ...);
}

// The block's sixteen words, each from four bytes least significant first.
void DecodeBlockWords(const uint8_t* block, uint32_t* x) {
  for (int i = 0; i < 16; ++i) {
    const uint8_t* p = block + 4 * i;
    x[i] = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
  }
}

void Transform(std::array<uint32_t, 4>& words, const uint8_t* block) {
  uint32_t x[16];
  DecodeBlockWords(block, x);
  uint32_t a = words[0], b = words[1], c = words[2], d = words[3];
  AllSteps(a, b, c, d, x, std::make_index_sequence<16>());
  words[0] += a;
  words[1] += b;
  words[2] += c;
  words[3] += d;
}

// The words' bytes, least significant first, as two digits each.
template <typename Text, auto Digit>
Text WordsAsHex(const Md5State& state) {
  Text text;
  text.reserve(32);
  for (uint32_t word : state.words) {
    for (int i = 0; i < 4; ++i) {
      const uint32_t byte = (word >> (8 * i)) & 0xFF;
      text += Digit(byte >> 4);
      text += Digit(byte & 0xF);
    }
  }
  return text;
}

}  // namespace

void Md5Init(Md5State& state) {
  for (int i = 0; i < 4; ++i) state.words[i] = kInitialWords[i];
  state.byte_count = 0;
}

void Md5Update(Md5State& state, const uint8_t* data, size_t size) {
  if (size == 0) return;
  size_t index = static_cast<size_t>(state.byte_count % 64);
  state.byte_count += size;
  if (index != 0) {
    const size_t fill = 64 - index;
    if (size < fill) {
      std::memcpy(state.buffer.data() + index, data, size);
      return;
    }
    std::memcpy(state.buffer.data() + index, data, fill);
    Transform(state.words, state.buffer.data());
    data += fill;
    size -= fill;
  }
  // Whole blocks are read in place: the buffer only ever holds a tail.
  for (; size >= 64; data += 64, size -= 64) Transform(state.words, data);
  if (size > 0) std::memcpy(state.buffer.data(), data, size);
}

void Md5Final(Md5State& state) {
  const uint64_t bit_count = state.byte_count * 8;
  uint8_t padding[64 + 8] = {0x80};
  const size_t index = static_cast<size_t>(state.byte_count % 64);
  const size_t pad_size = index < 56 ? 56 - index : 120 - index;
  for (int i = 0; i < 8; ++i) padding[pad_size + i] = static_cast<uint8_t>(bit_count >> (8 * i));
  Md5Update(state, padding, pad_size + 8);
}

std::u16string Md5HexText(const Md5State& state) {
  return WordsAsHex<std::u16string, UpperHexDigit<char16_t>>(state);
}

std::string Md5Hex(std::string_view bytes) {
  Md5State state;
  Md5Init(state);
  Md5Update(state, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  Md5Final(state);
  return WordsAsHex<std::string, LowerHexDigit<char>>(state);
}

}  // namespace zorvadel::text
