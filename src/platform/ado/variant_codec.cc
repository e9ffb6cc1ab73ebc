#include "platform/ado/variant_codec.h"

#include <cstring>

#include "platform/ado/ado.h"

namespace zorvadel::ado {
namespace {

template <typename T>
void AppendRaw(T value, std::string& out) {
  char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  out.append(bytes, sizeof(T));
}

}  // namespace

void EncodeCount(uint64_t count, std::string& out) { AppendRaw(count, out); }

void EncodeText(std::u16string_view text, std::string& out) {
  EncodeCount(text.size(), out);
  out.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
}

void EncodeVariant(const Variant& value, std::string& out) {
  out += static_cast<char>(value.type());
  switch (value.type()) {
    case VarType::kEmpty:
    case VarType::kNull:
    case VarType::kMissing:
      return;
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kBoolean:
      AppendRaw(value.long_value(), out);
      return;
    case VarType::kDouble:
    case VarType::kDate:
      AppendRaw(value.double_value(), out);
      return;
    case VarType::kString:
      EncodeText(value.string(), out);
      return;
    case VarType::kLongLong:
      AppendRaw(value.long_long(), out);
      return;
    case VarType::kDecimal: {
      const DecimalValue& d = value.decimal();
      AppendRaw(d.low, out);
      AppendRaw(d.high, out);
      AppendRaw(d.scale, out);
      AppendRaw(static_cast<uint8_t>(d.negative), out);
      return;
    }
    case VarType::kObject:
      break;
  }
  throw ScriptError(kErrProvider, u"An object cannot be carried as a field value.");
}

template <typename T>
bool Decoder::ReadRaw(T& value) {
  if (in_.size() - at_ < sizeof(T)) return false;
  std::memcpy(&value, in_.data() + at_, sizeof(T));
  at_ += sizeof(T);
  return true;
}

bool Decoder::ReadByte(uint8_t& byte) { return ReadRaw(byte); }

bool Decoder::ReadCount(uint64_t& count) { return ReadRaw(count); }

bool Decoder::ReadText(std::u16string& text) {
  uint64_t length = 0;
  if (!ReadCount(length) || (in_.size() - at_) / sizeof(char16_t) < length) return false;
  text.resize(static_cast<size_t>(length));
  std::memcpy(text.data(), in_.data() + at_, text.size() * sizeof(char16_t));
  at_ += text.size() * sizeof(char16_t);
  return true;
}

bool Decoder::ReadVariant(Variant& value) {
  uint8_t tag = 0;
  if (!ReadByte(tag)) return false;
  switch (static_cast<VarType>(tag)) {
    case VarType::kEmpty:
      value = Variant();
      return true;
    case VarType::kNull:
      value = Variant::Null();
      return true;
    case VarType::kMissing:
      value = Variant::Missing();
      return true;
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kBoolean: {
      int32_t number = 0;
      if (!ReadRaw(number)) return false;
      if (tag == static_cast<uint8_t>(VarType::kInteger)) {
        value = Variant(static_cast<int16_t>(number));
      } else if (tag == static_cast<uint8_t>(VarType::kBoolean)) {
        value = Variant(number != 0);
      } else {
        value = Variant(number);
      }
      return true;
    }
    case VarType::kDouble:
    case VarType::kDate: {
      double number = 0;
      if (!ReadRaw(number)) return false;
      value = tag == static_cast<uint8_t>(VarType::kDate) ? Variant::Date(number) : Variant(number);
      return true;
    }
    case VarType::kString: {
      std::u16string text;
      if (!ReadText(text)) return false;
      value = Variant(std::move(text));
      return true;
    }
    case VarType::kLongLong: {
      int64_t number = 0;
      if (!ReadRaw(number)) return false;
      value = Variant::LongLong(number);
      return true;
    }
    case VarType::kDecimal: {
      DecimalValue d;
      uint8_t negative = 0;
      if (!ReadRaw(d.low) || !ReadRaw(d.high) || !ReadRaw(d.scale) || !ReadRaw(negative)) {
        return false;
      }
      // A scale past 28 is no Decimal the runtime can print or compare.
      if (d.scale > 28) return false;
      d.negative = negative != 0 && (d.low != 0 || d.high != 0);
      value = Variant::Decimal(d);
      return true;
    }
    case VarType::kObject:
      break;
  }
  return false;
}

}  // namespace zorvadel::ado
