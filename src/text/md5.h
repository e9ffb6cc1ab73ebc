// MD5 message digests (RFC 1321), computed by the library itself so that the
// step-by-step members of Common can expose the chaining words between
// blocks. The byte count is 64 bits wide: any message length digests.
#ifndef ZORVADEL_TEXT_MD5_H_
#define ZORVADEL_TEXT_MD5_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvadel::text {

// The running state of one digest. A value-initialised state is all zero, as
// a fresh Common holds it before its first MD5Init.
struct Md5State {
  std::array<uint32_t, 4> words{};  // A, B, C, D
  uint64_t byte_count = 0;          // message bytes since Md5Init
  std::array<uint8_t, 64> buffer{}; // the current incomplete block
};

// Sets the chaining words to RFC 1321's initial values and the count to 0.
void Md5Init(Md5State& state);
// Adds `size` bytes to the message.
void Md5Update(Md5State& state, const uint8_t* data, size_t size);
// Adds the padding and the 64-bit little-endian bit count. The state is not
// reset: the words then hold the digest until the next Md5Init.
void Md5Final(Md5State& state);

// The words as 32 upper-case hexadecimal digits, each word's bytes least
// significant first: the usual text of a digest.
std::u16string Md5HexText(const Md5State& state);

// One-shot digest of a byte string, as the usual lower-case hex text (for
// tests and tools that compare with other implementations).
std::string Md5Hex(std::string_view bytes);

}  // namespace zorvadel::text

#endif  // ZORVADEL_TEXT_MD5_H_
