// By-name calls: member lookup, argument checking and coercion, and the
// run-time support of the table builder (member_table.h).
#include "zorvadel/dispatch.h"

#include <array>
#include <stdexcept>
#include <string>
#include <utility>

#include "zorvadel/member_table.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

// Member names are ASCII identifiers, so ASCII folding is the whole of the
// case rule a script's late-bound call needs.
constexpr char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? c + 32 : c; }

// The VarType an argument already has when it needs no coercion.
constexpr VarType kNaturalType[] = {
    VarType::kEmpty,  // kVariant: never compared
    VarType::kString, VarType::kInteger, VarType::kLong,    VarType::kDouble,
    VarType::kBoolean, VarType::kDate,   VarType::kObject,  VarType::kEmpty,  // kVoid
};

bool NeedsCoercion(const Variant& value, ParamType type) {
  return type != ParamType::kVariant && value.type() != kNaturalType[static_cast<size_t>(type)];
}

const MemberInfo* FindForCall(const ClassInfo& info, std::u16string_view name, CallKind kind) {
  switch (kind) {
    case CallKind::kMethodOrGet:
      if (const MemberInfo* method = info.Find(name, MemberKind::kMethod)) return method;
      return info.Find(name, MemberKind::kPropertyGet);
    case CallKind::kLet:
      return info.Find(name, MemberKind::kPropertyLet);
    case CallKind::kSet: {
      if (const MemberInfo* set = info.Find(name, MemberKind::kPropertySet)) return set;
      // A Variant-valued property takes a reference through its let, as
      // `Set Session("cart") = obj` stores the object itself.
      const MemberInfo* let = info.Find(name, MemberKind::kPropertyLet);
      if (let != nullptr && !let->params.empty() &&
          let->params.back().type == ParamType::kVariant) {
        return let;
      }
      return nullptr;
    }
  }
  return nullptr;
}

}  // namespace

// ---- ClassInfo -------------------------------------------------------------------

size_t ClassInfo::CaselessHash::operator()(std::u16string_view text) const {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (char16_t c : text) {
    hash ^= FoldAscii(c);
    hash *= 1099511628211ull;
  }
  return static_cast<size_t>(hash);
}

bool ClassInfo::CaselessEqual::operator()(std::u16string_view a, std::u16string_view b) const {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

namespace {
std::atomic<uint64_t> next_class_serial{1};
}  // namespace

ClassInfo::ClassInfo(std::u16string class_name, std::vector<MemberInfo> class_members)
    : name(std::move(class_name)),
      members(std::move(class_members)),
      serial_(next_class_serial.fetch_add(1, std::memory_order_relaxed)) {
  constexpr Slots kNone = {-1, -1, -1, -1};
  index_.reserve(members.size() + 1);
  for (size_t i = 0; i < members.size(); ++i) {
    const MemberInfo& member = members[i];
    if (member.name.empty()) {
      member_table_internal::ThrowBadTable(name, "a member without a name");
    }
    if (!member.call) member_table_internal::ThrowBadTable(member.name, "a member without code");
    auto kind = static_cast<size_t>(member.kind);
    // Later entries win, as ClassBuilder::Add replaces earlier ones.
    index_.try_emplace(member.name, kNone).first->second[kind] = static_cast<int32_t>(i);
    if (member.default_member) {
      index_.try_emplace(std::u16string(), kNone).first->second[kind] = static_cast<int32_t>(i);
    }
  }
}

const MemberInfo* ClassInfo::Find(std::u16string_view member, MemberKind kind) const {
  auto it = index_.find(member);
  if (it == index_.end()) return nullptr;
  int32_t slot = it->second[static_cast<size_t>(kind)];
  return slot < 0 ? nullptr : &members[static_cast<size_t>(slot)];
}

bool ClassInfo::Has(std::u16string_view member) const { return index_.contains(member); }

// ---- Calls ------------------------------------------------------------------------

Variant CoerceTo(const Variant& value, ParamType type) {
  if (value.IsMissing()) return value;
  switch (type) {
    case ParamType::kVariant:
    case ParamType::kVoid:
      return value;
    case ParamType::kString:
      return Variant(CStr(value));
    case ParamType::kInteger:
      return Variant(CInt(value));
    case ParamType::kLong:
      return Variant(CLng(value));
    case ParamType::kDouble:
      return Variant(CDbl(value));
    case ParamType::kBoolean:
      return Variant(CBool(value));
    case ParamType::kDate:
      return Variant::Date(CDateSerial(value));
    case ParamType::kObject:
      if (!value.IsObject()) throw ScriptError(kErrTypeMismatch);
      return value;
  }
  return value;
}

namespace {

// Counts first, so that a call with a wrong shape reports 450 whatever its
// values are.
void CheckArgumentCount(const std::vector<ParamInfo>& params, std::span<const Variant> args) {
  if (args.size() > params.size()) throw ScriptError(kErrWrongArgs);
  for (size_t i = 0; i < params.size(); ++i) {
    bool omitted = i >= args.size() || args[i].IsMissing();
    if (omitted && !params[i].optional) throw ScriptError(kErrWrongArgs);
  }
}

}  // namespace

void PrepareArguments(const MemberInfo& member, std::vector<Variant>& args) {
  const std::vector<ParamInfo>& params = member.params;
  CheckArgumentCount(params, args);
  args.resize(params.size(), Variant::Missing());
  for (size_t i = 0; i < params.size(); ++i) {
    Variant& arg = args[i];
    const ParamInfo& param = params[i];
    if (arg.IsMissing()) {
      arg = param.default_value;  // coerced when the table was built
    } else if (NeedsCoercion(arg, param.type)) {
      arg = CoerceTo(arg, param.type);
    }
  }
}

Variant CallMember(Object& object, const MemberInfo& member, std::span<const Variant> args) {
  const std::vector<ParamInfo>& params = member.params;
  CheckArgumentCount(params, args);
  // One slot per parameter, pointing at the caller's value, the default or a
  // coerced copy; members with more parameters than fit here are rare.
  constexpr size_t kInlineSlots = 8;
  std::array<const Variant*, kInlineSlots> inline_slots;
  std::vector<const Variant*> more_slots;
  const Variant** slots = inline_slots.data();
  if (params.size() > kInlineSlots) {
    more_slots.resize(params.size());
    slots = more_slots.data();
  }
  std::vector<Variant> coerced;  // reserved once: the slots point into it
  for (size_t i = 0; i < params.size(); ++i) {
    const ParamInfo& param = params[i];
    if (i >= args.size() || args[i].IsMissing()) {
      slots[i] = &param.default_value;  // coerced when the table was built
    } else if (NeedsCoercion(args[i], param.type)) {
      if (coerced.capacity() == 0) coerced.reserve(params.size());
      coerced.push_back(CoerceTo(args[i], param.type));
      slots[i] = &coerced.back();
    } else {
      slots[i] = &args[i];
    }
  }
  return member.call(object, MemberArgs(slots, params.size()));
}

Variant Invoke(Object& object, std::u16string_view name, std::vector<Variant> args,
               CallKind kind) {
  const MemberInfo* member = FindForCall(object.Class(), name, kind);
  if (member == nullptr) throw ScriptError(kErrNoMember);
  return CallMember(object, *member, args);
}

// ---- Call sites ------------------------------------------------------------------

namespace {

// How a call site packs what it found: the class's serial above the member's
// index.
constexpr int kSlotBits = 20;
constexpr uint64_t kSlotMask = (uint64_t{1} << kSlotBits) - 1;

}  // namespace

CallSite::CallSite(const CallSite& other)
    : name_(other.name_), kind_(other.kind_), last_(other.last_.load(std::memory_order_relaxed)) {}

CallSite& CallSite::operator=(const CallSite& other) {
  name_ = other.name_;
  kind_ = other.kind_;
  last_.store(other.last_.load(std::memory_order_relaxed), std::memory_order_relaxed);
  return *this;
}

const MemberInfo* CallSite::Resolve(const ClassInfo& info) const {
  // Relaxed is enough: the tables are built before any object of their
  // class exists, and the word is read whole.
  const uint64_t last = last_.load(std::memory_order_relaxed);
  if (last != 0 && last >> kSlotBits == info.serial_) return &info.members[last & kSlotMask];
  const MemberInfo* member = FindForCall(info, name_, kind_);
  if (member == nullptr) return nullptr;
  const uint64_t slot = static_cast<uint64_t>(member - info.members.data());
  if (slot <= kSlotMask && info.serial_ < (uint64_t{1} << (64 - kSlotBits))) {
    last_.store(info.serial_ << kSlotBits | slot, std::memory_order_relaxed);
  }
  return member;
}

Variant CallSite::Call(Object& object, std::span<const Variant> args) const {
  const MemberInfo* member = Resolve(object.Class());
  if (member == nullptr) throw ScriptError(kErrNoMember);
  return CallMember(object, *member, args);
}

// ---- Table builder support ----------------------------------------------------------

namespace member_table_internal {

void ThrowBadTable(std::u16string_view member, const char* problem) {
  std::string text = "member table: ";
  text += problem;
  text += " (";
  for (char16_t c : member) text += c < 0x80 ? static_cast<char>(c) : '?';
  text += ")";
  throw std::logic_error(text);
}

void RaiseWrongClass() { throw ScriptError(kErrTypeMismatch); }

const std::u16string& EmptyText() {
  static const std::u16string empty;
  return empty;
}

std::vector<ParamInfo> MakeParams(std::u16string_view member, const std::vector<ParamSpec>& specs,
                                  const std::vector<ParamType>& types) {
  if (specs.size() != types.size()) {
    ThrowBadTable(member, "parameter descriptions do not match the C++ signature");
  }
  std::vector<ParamInfo> params;
  params.reserve(specs.size());
  // A required parameter may follow optional ones (A(Title, Url, Text)): a
  // caller then gives it and may leave the earlier ones Missing.
  for (size_t i = 0; i < specs.size(); ++i) {
    const ParamSpec& given = specs[i];
    ParamInfo param;
    param.name = given.name;
    param.type = types[i];
    param.optional = given.optional;
    param.by_ref = given.by_ref;
    if (given.optional && !given.default_value.IsMissing()) {
      try {
        param.default_value = CoerceTo(given.default_value, types[i]);
      } catch (const ScriptError&) {
        ThrowBadTable(member, "a default that does not fit its parameter's type");
      }
    }
    params.push_back(std::move(param));
  }
  return params;
}

}  // namespace member_table_internal
}  // namespace zorvadel
