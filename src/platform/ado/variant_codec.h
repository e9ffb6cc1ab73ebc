// Rows carried across a process boundary: each value as a type tag and its
// bytes, in the machine's own byte order (both ends run the same binary).
// A new value type needs one case on each side.
#ifndef ZORVADEL_PLATFORM_ADO_VARIANT_CODEC_H_
#define ZORVADEL_PLATFORM_ADO_VARIANT_CODEC_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "zorvadel/variant.h"

namespace zorvadel::ado {

// Appends `value` to `out`. An object, which cannot cross, raises
// kErrProvider.
void EncodeVariant(const Variant& value, std::string& out);
void EncodeText(std::u16string_view text, std::string& out);
void EncodeCount(uint64_t count, std::string& out);

// Reads what the encoders wrote, from `in` at `at`, moving `at` past it;
// false when the bytes end early or hold an unknown tag.
class Decoder {
 public:
  explicit Decoder(std::string_view in) : in_(in) {}
  bool ReadVariant(Variant& value);
  bool ReadText(std::u16string& text);
  bool ReadCount(uint64_t& count);
  bool ReadByte(uint8_t& byte);
  bool AtEnd() const { return at_ == in_.size(); }

 private:
  template <typename T>
  bool ReadRaw(T& value);

  std::string_view in_;
  size_t at_ = 0;
};

}  // namespace zorvadel::ado

#endif  // ZORVADEL_PLATFORM_ADO_VARIANT_CODEC_H_
