// Member tables and by-name calls. Each class describes its interface once,
// as data: every member's name, kind, parameters (type, optional, default,
// by-reference) and result type. Invoke() finds a member by name without
// regard to case, fills omitted optional arguments with their defaults,
// coerces the arguments with the runtime's rules and calls the same C++ code
// that an early-bound caller reaches directly.
//
// Tables are written with ClassBuilder (zorvadel/member_table.h), which
// deduces the types from the C++ signatures; the structures below are what it
// produces and what Invoke reads.
#ifndef ZORVADEL_DISPATCH_H_
#define ZORVADEL_DISPATCH_H_

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "zorvadel/variant.h"

namespace zorvadel {

// Equality without regard to ASCII letter case: how member names and
// connection-string keys are compared.
inline bool SameAsciiName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x += 32;
    if (y >= u'A' && y <= u'Z') y += 32;
    if (x != y) return false;
  }
  return true;
}

enum class MemberKind : uint8_t {
  kMethod,
  kPropertyGet,
  kPropertyLet,  // assign a value
  kPropertySet,  // assign an object reference
};
inline constexpr size_t kMemberKindCount = 4;

enum class ParamType : uint8_t {
  kVariant,
  kString,
  kInteger,
  kLong,
  kDouble,
  kBoolean,
  kDate,
  kObject,
  kVoid,  // results only
};

struct ParamInfo {
  std::u16string name;
  ParamType type = ParamType::kVariant;
  bool optional = false;
  // The default of an optional parameter, already of the parameter's type;
  // Missing when it has none. A Variant parameter then sees Missing (as
  // IsMissing would tell a script); a typed one sees its type's zero value
  // ("", 0, False, Nothing), as an optional typed parameter does in VB.
  Variant default_value = Variant::Missing();
  // Informational: by-reference arguments are passed as copies and never
  // written back, as for any late-bound call through a variant.
  bool by_ref = false;
};

// The arguments a member runs with, already checked and coerced: exactly one
// per parameter, each of the parameter's VarType or Missing. A view: the
// values belong to the caller, to the member table (defaults) or to the
// call's own coerced copies, and live as long as the call, so a call copies
// no argument that needs no coercion.
class MemberArgs {
 public:
  MemberArgs(const Variant* const* slots, size_t size) : slots_(slots), size_(size) {}
  size_t size() const { return size_; }
  const Variant& operator[](size_t i) const { return *slots_[i]; }

 private:
  const Variant* const* slots_;
  size_t size_;
};

// The call a member runs with its checked and coerced arguments.
using MemberCall = std::function<Variant(Object& self, MemberArgs args)>;

struct MemberInfo {
  std::u16string name;
  MemberKind kind = MemberKind::kMethod;
  // For a property let or set, the assigned value is the last parameter.
  std::vector<ParamInfo> params;
  ParamType result = ParamType::kVoid;
  MemberCall call;
  // The default member (DISPID_VALUE): also reached with the empty name, as
  // Session(key) reaches Session.Value(key).
  bool default_member = false;
};

// One class's interface: its members in interface order. Immutable once
// built (tables are function-local statics shared by every thread); the
// constructor indexes the names so that Find costs one hash lookup.
struct ClassInfo {
  ClassInfo(std::u16string name, std::vector<MemberInfo> members);

  const std::u16string name;
  const std::vector<MemberInfo> members;

  // The member of that name and kind, case-insensitive (ASCII folding); the
  // empty name finds the default member of that kind. nullptr when none.
  const MemberInfo* Find(std::u16string_view member, MemberKind kind) const;
  // Whether any member of any kind has that name.
  bool Has(std::u16string_view member) const;

 private:
  friend class CallSite;

  struct CaselessHash {
    using is_transparent = void;
    size_t operator()(std::u16string_view text) const;
  };
  struct CaselessEqual {
    using is_transparent = void;
    bool operator()(std::u16string_view a, std::u16string_view b) const;
  };
  // Index into `members` per MemberKind, -1 when the name has no such kind.
  using Slots = std::array<int32_t, kMemberKindCount>;

  std::unordered_map<std::u16string, Slots, CaselessHash, CaselessEqual> index_;
  // Unique to this table (copies share it, with equal members): what a
  // CallSite remembers the class by.
  uint64_t serial_;
};

// How a script reaches a member: a method call or property read, a value
// assignment (the value is the last argument) or an object assignment.
enum class CallKind : uint8_t { kMethodOrGet, kLet, kSet };

// Late-bound call. kMethodOrGet tries a method, then a property get; kLet a
// property let; kSet a property set, else a property let whose value is a
// Variant (Set Session(key) = obj). The empty name reaches the default
// member. Raises 438 when the object has no such member, 450 ("Wrong number
// of arguments or invalid property assignment") for too many arguments or a
// required one left out or Missing, 13, 6 or 94 when an argument cannot be
// coerced (before the member runs). By-reference arguments are never written
// back to the caller. The result is a Variant of the member's result type
// (Empty for none).
Variant Invoke(Object& object, std::u16string_view name, std::vector<Variant> args,
               CallKind kind = CallKind::kMethodOrGet);

// Calls a member already found, with the arguments as a caller gives them:
// checked, completed and coerced as Invoke does (450, 13, 6, 94 before the
// member runs). `args` is read, never copied or changed.
Variant CallMember(Object& object, const MemberInfo& member, std::span<const Variant> args);

// One place of a script that calls a member by name and is played again and
// again, as a prepared page script's step is: the name is looked up once per
// class of object, and later calls on objects of that class go straight to
// the member found. Calls as Invoke(object, name, args, kind) does. Safe to
// share between threads.
class CallSite {
 public:
  CallSite(std::u16string name, CallKind kind) : name_(std::move(name)), kind_(kind) {}
  CallSite(const CallSite& other);
  CallSite& operator=(const CallSite& other);

  Variant Call(Object& object, std::span<const Variant> args) const;

 private:
  const MemberInfo* Resolve(const ClassInfo& info) const;

  std::u16string name_;
  CallKind kind_;
  // The class's serial and the member's index, packed in one word so that
  // threads that share the site never read half of each other's answer; 0
  // while nothing is known.
  mutable std::atomic<uint64_t> last_{0};
};

// Checks and coerces `args` for `member` in place, as Invoke does before the
// call: afterwards `args` has one entry per parameter.
void PrepareArguments(const MemberInfo& member, std::vector<Variant>& args);

// Coerces a value to a parameter type with the runtime's rules (Missing
// passes through unchanged): CStr (Null raises 94), CInt, CLng, CDbl, CBool,
// CDateSerial; an Object parameter takes only an object (or Nothing), else
// 13; a Variant parameter takes anything unchanged.
Variant CoerceTo(const Variant& value, ParamType type);

// ---- ProgID registry ---------------------------------------------------------

using Factory = std::function<ObjectPtr()>;

// Registers a creatable class under a programmatic identifier (kept without
// regard to case); registering a ProgID again replaces its factory.
// Thread-safe. The library's own classes are listed in registry.cc and are
// there from the first use of the registry on, so a host need not call
// anything at start-up.
void RegisterProgId(std::u16string_view progid, Factory factory);
// Creates an object by ProgID; an unknown ProgID (or a factory that gives
// no object) raises 429.
ObjectPtr CreateByProgId(std::u16string_view progid);
bool IsProgIdRegistered(std::u16string_view progid);

}  // namespace zorvadel

#endif  // ZORVADEL_DISPATCH_H_
