// How the fuzz targets read their bytes. An input is a list of records
// separated by 0x1E; a record is a selector byte, a flags byte and
// arguments separated by 0x1F. Flag bit 0 takes the arguments as UTF-16LE
// code units (so lone surrogates and every unit reach the code), otherwise
// as UTF-8 (what seeds and dictionaries are written in).
#ifndef ZORVADEL_FUZZ_FUZZ_INPUT_H_
#define ZORVADEL_FUZZ_FUZZ_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage/codepage.h"

// A property that must hold: a failure is a finding, in the fuzzer and in
// the replay alike.
#define ZORVADEL_FUZZ_CHECK(condition)                                            \
  do {                                                                            \
    if (!(condition)) {                                                           \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                               \
    }                                                                             \
  } while (0)

namespace zorvadel::fuzz {

inline std::vector<std::string_view> Split(std::string_view bytes, char separator) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (size_t at = 0; at <= bytes.size(); ++at) {
    if (at == bytes.size() || bytes[at] == separator) {
      pieces.push_back(bytes.substr(start, at - start));
      start = at + 1;
    }
  }
  return pieces;
}

inline std::u16string Utf16Le(std::string_view bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                    static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
  }
  return text;
}

struct Record {
  uint8_t selector = 0;
  uint8_t flags = 0;
  std::vector<std::u16string> args;
};

inline Record ReadRecord(std::string_view bytes) {
  Record record;
  if (bytes.size() < 2) return record;
  record.selector = static_cast<uint8_t>(bytes[0]);
  record.flags = static_cast<uint8_t>(bytes[1]);
  for (std::string_view piece : Split(bytes.substr(2), '\x1F')) {
    record.args.push_back((record.flags & 1) != 0 ? Utf16Le(piece) : codepage::FromUtf8(piece));
  }
  return record;
}

inline std::vector<Record> ReadRecords(const uint8_t* data, size_t size, size_t most) {
  std::vector<Record> records;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (std::string_view piece : Split(bytes, '\x1E')) {
    if (records.size() == most) break;
    if (piece.size() >= 2) records.push_back(ReadRecord(piece));
  }
  return records;
}

}  // namespace zorvadel::fuzz

#endif  // ZORVADEL_FUZZ_FUZZ_INPUT_H_
