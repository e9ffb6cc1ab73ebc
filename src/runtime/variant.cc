// ScriptError's standard texts and the small part of Variant that is not
// inline: the numeric test on the type, TypeName and equality.
#include "zorvadel/variant.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "runtime/decimal.h"
#include "runtime/utf16.h"
#include "zorvadel/dispatch.h"

namespace zorvadel {
namespace {

struct StandardError {
  int32_t number;
  std::u16string_view description;
};

constexpr StandardError kStandardErrors[] = {
    {kErrInvalidArgument, u"Invalid procedure call or argument"},
    {kErrOverflow, u"Overflow"},
    {kErrSubscript, u"Subscript out of range"},
    {kErrTypeMismatch, u"Type mismatch"},
    {kErrInvalidNull, u"Invalid use of Null"},
    {kErrObjectNotSet, u"Object variable not set"},
    {kErrCannotCreate, u"ActiveX component can't create object"},
    {kErrNoMember, u"Object doesn't support this property or method"},
    {kErrWrongArgs, u"Wrong number of arguments or invalid property assignment"},
};

std::u16string StandardDescription(int32_t number) {
  for (const StandardError& e : kStandardErrors) {
    if (e.number == number) return std::u16string(e.description);
  }
  // The runtime's text for a number it has no name for.
  return u"Unknown runtime error";
}

// what() is only for logs and test failures, so a local converter keeps this
// file free of the code page module: lone surrogates become U+FFFD.
std::string Utf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    uint32_t c = unit;
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      c = CombineSurrogates(unit, text[i + 1]);
      ++i;
    } else if (IsSurrogate(unit)) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// By VarType. The 64-bit integer takes the name the platform's runtimes
// give their 8-byte integer subtype.
constexpr std::u16string_view kTypeNames[] = {
    u"Empty",  u"Null",   u"Integer", u"Long",  u"Double",   u"Boolean",
    u"String", u"Date",   u"Object",  u"Error", u"LongLong", u"Decimal",
};
static_assert(std::size(kTypeNames) == static_cast<size_t>(VarType::kDecimal) + 1);

}  // namespace

ScriptError::ScriptError(int32_t number, std::u16string description)
    : number_(number), description_(std::move(description)), what_(Utf8(description_)) {}

ScriptError::ScriptError(int32_t number) : ScriptError(number, StandardDescription(number)) {}

Object::~Object() = default;

bool Variant::IsNumber() const {
  return type_ == VarType::kInteger || type_ == VarType::kLong || type_ == VarType::kDouble ||
         type_ == VarType::kLongLong || type_ == VarType::kDecimal;
}

std::u16string_view Variant::TypeName() const {
  if (type_ == VarType::kObject) {
    const ObjectPtr& o = object();
    if (!o) return u"Nothing";
    std::u16string_view name = o->Class().name;
    return name.empty() ? std::u16string_view(u"Object") : name;
  }
  return kTypeNames[static_cast<size_t>(type_)];
}

bool Variant::operator==(const Variant& other) const {
  if (type_ == VarType::kDecimal && other.type_ == VarType::kDecimal) {
    return runtime_detail::CompareExact(runtime_detail::ExactOf(decimal()),
                                        runtime_detail::ExactOf(other.decimal())) == 0;
  }
  return type_ == other.type_ && value_ == other.value_;
}

}  // namespace zorvadel
