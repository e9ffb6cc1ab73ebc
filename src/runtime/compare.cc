// The runtime's comparison of two values. Numbers compare by their exact
// values, whatever their subtypes: a LongLong id beyond 2^53 or a Decimal
// with 29 digits would collide with its neighbours if both sides went
// through a Double first.
#include <cmath>

#include "runtime/decimal.h"
#include "runtime/runtime_internal.h"
#include "zorvadel/runtime.h"

namespace zorvadel {

using namespace runtime_detail;

namespace {

bool IsNumberLike(const Variant& v) {
  switch (v.type()) {
    case VarType::kEmpty:
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kLongLong:
    case VarType::kDecimal:
    case VarType::kDouble:
    case VarType::kBoolean:
    case VarType::kDate:
      return true;
    default:
      return false;
  }
}

bool IsFloating(const Variant& v) {
  return v.type() == VarType::kDouble || v.type() == VarType::kDate;
}

ExactNumber Exact(const Variant& v) {
  switch (v.type()) {
    case VarType::kInteger:
    case VarType::kLong:
      return ExactOf(int64_t{v.long_value()});
    case VarType::kLongLong:
      return ExactOf(v.long_long());
    case VarType::kBoolean:
      return ExactOf(int64_t{v.boolean() ? -1 : 0});
    case VarType::kDecimal:
      return ExactOf(v.decimal());
    case VarType::kDouble:
      return ExactOf(v.double_value());
    case VarType::kDate:
      return ExactOf(v.date());
    default:
      return ExactNumber{};  // Empty
  }
}

int Sign(int n) { return n < 0 ? -1 : n > 0 ? 1 : 0; }

}  // namespace

int Compare(const Variant& a, const Variant& b) {
  for (const Variant* v : {&a, &b}) {
    if (v->IsNull()) throw ScriptError(kErrInvalidNull);
    if (!v->IsString() && !IsNumberLike(*v)) throw ScriptError(kErrTypeMismatch);
  }
  if (a.IsString() || b.IsString()) {
    if (a.IsString() && b.IsString()) return Sign(a.string().compare(b.string()));
    if (a.IsEmpty()) return b.string().empty() ? 0 : -1;
    if (b.IsEmpty()) return a.string().empty() ? 0 : 1;
    return a.IsString() ? 1 : -1;
  }
  if (IsFloating(a) && IsFloating(b)) {
    const double x = ToDouble(a);
    const double y = ToDouble(b);
    return x < y ? -1 : x > y ? 1 : 0;
  }
  // Infinities have no exact form; nothing else reaches them.
  for (const Variant* v : {&a, &b}) {
    if (IsFloating(*v) && std::isinf(ToDouble(*v))) {
      const double inf = ToDouble(*v);
      const int towards = inf > 0 ? 1 : -1;
      return v == &a ? towards : -towards;
    }
  }
  return CompareExact(Exact(a), Exact(b));
}

}  // namespace zorvadel
