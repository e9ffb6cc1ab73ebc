// Writing a class's member table. ClassBuilder binds the real C++ members,
// so that a late-bound Invoke and an early-bound call run the same code, and
// deduces every parameter and result type from the C++ signature:
//
//   std::u16string, const std::u16string&, std::u16string_view  String
//   int16_t Integer   int32_t Long   double Double   bool Boolean
//   Variant, const Variant&                              Variant
//   ObjectPtr, std::shared_ptr<T> (T derived from Object)  Object
//   void (results only)                                   no result
//
// A table is a function-local static, built once at first use:
//
//   const ClassInfo& WAPXHTML::Class() const {
//     static const ClassInfo info = ClassBuilder<WAPXHTML>(u"WAPXHTML")
//         .ObjectProperty<&WAPXHTML::cc_>(u"CC")             // get + set
//         .Inherit(WapXhtmlFragmentMembers::MemberTable())          // a group's list
//         .Build();
//     return info;
//   }
//
// and a member group's table is a list of rows such as
//
//   b.Method<&G::QWMEnCode>(u"QWMEnCode", {Req(u"ToDoString"), Opt(u"SplitMark", u",")})
//    .Getter<&G::Version>(u"Version")                         // read-only
//    .Property<&G::Width, &G::SetWidth>(u"Width")             // computed get + let
//
// Members may belong to a base class of the class being built, or be free
// functions whose first parameter is the object (`R F(C& self, ...)`), which
// suits members that adapt an interface's types. Parameter descriptions are given in
// C++ parameter order, one per parameter (for a let or set, one per index
// parameter: the assigned value is added). A table that does not match its
// C++ signature throws std::logic_error when it is built, i.e. at the first
// use of the class in any test.
#ifndef ZORVADEL_MEMBER_TABLE_H_
#define ZORVADEL_MEMBER_TABLE_H_

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/variant.h"

namespace zorvadel {

// ---- Parameter descriptions --------------------------------------------------------

struct ParamSpec {
  std::u16string name;
  bool optional = false;
  Variant default_value = Variant::Missing();
  bool by_ref = false;

  ParamSpec ByRef() const {
    ParamSpec copy = *this;
    copy.by_ref = true;
    return copy;
  }
};

// A required parameter.
inline ParamSpec Req(std::u16string name) { return ParamSpec{std::move(name)}; }
// An optional parameter without a default: omitted, it arrives as Missing
// (Variant parameters) or as its type's zero value.
inline ParamSpec Opt(std::u16string name) { return ParamSpec{std::move(name), true}; }
// An optional parameter with a default; the default is coerced to the
// parameter's type when the table is built. Plain C++ literals are accepted:
// an int becomes a Long, a floating value a Double.
template <typename V>
ParamSpec Opt(std::u16string name, V&& default_value) {
  using D = std::remove_cvref_t<V>;
  Variant value;
  if constexpr (std::is_same_v<D, bool> || std::is_same_v<D, int16_t>) {
    value = Variant(default_value);
  } else if constexpr (std::is_integral_v<D>) {
    value = Variant(static_cast<int32_t>(default_value));
  } else if constexpr (std::is_floating_point_v<D>) {
    value = Variant(static_cast<double>(default_value));
  } else {
    value = Variant(std::forward<V>(default_value));
  }
  return ParamSpec{std::move(name), true, std::move(value)};
}

namespace member_table_internal {

// Builds the ParamInfo list from the descriptions and deduced types; throws
// std::logic_error (naming `member`) when they do not match.
std::vector<ParamInfo> MakeParams(std::u16string_view member, const std::vector<ParamSpec>& specs,
                                  const std::vector<ParamType>& types);
// Raises 13: an object argument of another class than the parameter's.
[[noreturn]] void RaiseWrongClass();
const std::u16string& EmptyText();

// C++ type -> ParamType, extraction of a coerced argument, result wrapping.
template <typename A>
struct Arg {
  static_assert(sizeof(A) == 0,
                "member_table.h: unsupported parameter or result type; use std::u16string, "
                "int16_t, int32_t, double, bool, Variant or std::shared_ptr<Object-derived>");
};
template <>
struct Arg<std::u16string> {
  static constexpr ParamType kType = ParamType::kString;
  static const std::u16string& Get(const Variant& v) {
    return v.IsMissing() ? EmptyText() : v.string();
  }
};
template <>
struct Arg<std::u16string_view> {
  static constexpr ParamType kType = ParamType::kString;
  static std::u16string_view Get(const Variant& v) {
    return v.IsMissing() ? std::u16string_view() : std::u16string_view(v.string());
  }
};
template <>
struct Arg<int16_t> {
  static constexpr ParamType kType = ParamType::kInteger;
  static int16_t Get(const Variant& v) { return v.IsMissing() ? 0 : v.integer(); }
};
template <>
struct Arg<int32_t> {
  static constexpr ParamType kType = ParamType::kLong;
  static int32_t Get(const Variant& v) { return v.IsMissing() ? 0 : v.long_value(); }
};
template <>
struct Arg<double> {
  static constexpr ParamType kType = ParamType::kDouble;
  static double Get(const Variant& v) { return v.IsMissing() ? 0.0 : v.double_value(); }
};
template <>
struct Arg<bool> {
  static constexpr ParamType kType = ParamType::kBoolean;
  static bool Get(const Variant& v) { return !v.IsMissing() && v.boolean(); }
};
template <>
struct Arg<Variant> {
  static constexpr ParamType kType = ParamType::kVariant;
  static const Variant& Get(const Variant& v) { return v; }
};
template <typename T>
  requires std::is_base_of_v<Object, T>
struct Arg<std::shared_ptr<T>> {
  static constexpr ParamType kType = ParamType::kObject;
  static std::shared_ptr<T> Get(const Variant& v) {
    if (v.IsMissing() || !v.object()) return nullptr;
    if constexpr (std::is_same_v<T, Object>) {
      return v.object();
    } else {
      auto typed = std::dynamic_pointer_cast<T>(v.object());
      if (!typed) RaiseWrongClass();
      return typed;
    }
  }
};

template <typename A>
using ArgOf = Arg<std::remove_cvref_t<A>>;

template <typename R>
constexpr ParamType ResultType() {
  if constexpr (std::is_void_v<R>) {
    return ParamType::kVoid;
  } else {
    return ArgOf<R>::kType;
  }
}

template <typename R>
Variant ToVariant(R&& value) {
  using D = std::remove_cvref_t<R>;
  static_assert(ArgOf<D>::kType != ParamType::kVoid);
  if constexpr (std::is_same_v<D, std::u16string_view>) {
    return Variant(std::u16string(value));
  } else {
    return Variant(std::forward<R>(value));
  }
}

// What a bindable callable is: a member function of C (const or not), or a
// free function taking C& first.
template <typename F>
struct Callable;
#define ZORVADEL_MEMBER_CALLABLE_(QUALIFIERS)                              \
  template <typename R, typename C, typename... A>                        \
  struct Callable<R (C::*)(A...) QUALIFIERS> {                            \
    using Class = C;                                                      \
    using Result = R;                                                     \
    using Args = std::tuple<A...>;                                        \
    static constexpr size_t kArity = sizeof...(A);                        \
    template <auto Fn, typename... X>                                     \
    static decltype(auto) Call(C& self, X&&... x) {                       \
      return (self.*Fn)(std::forward<X>(x)...);                           \
    }                                                                     \
  };
ZORVADEL_MEMBER_CALLABLE_()
ZORVADEL_MEMBER_CALLABLE_(const)
ZORVADEL_MEMBER_CALLABLE_(noexcept)
ZORVADEL_MEMBER_CALLABLE_(const noexcept)
#undef ZORVADEL_MEMBER_CALLABLE_

template <typename R, typename C, typename... A>
struct Callable<R (*)(C&, A...)> {
  using Class = std::remove_const_t<C>;
  using Result = R;
  using Args = std::tuple<A...>;
  static constexpr size_t kArity = sizeof...(A);
  template <auto Fn, typename... X>
  static decltype(auto) Call(C& self, X&&... x) {
    return Fn(self, std::forward<X>(x)...);
  }
};
template <typename R, typename C, typename... A>
struct Callable<R (*)(C&, A...) noexcept> : Callable<R (*)(C&, A...)> {};

template <typename F>
struct Field;
template <typename F, typename C>
struct Field<F C::*> {
  using Class = C;
  using Type = F;
};

template <typename C>
C& Self(Object& object) {
  if constexpr (std::is_base_of_v<Object, C>) {
    // Invoke reaches a member only through object.Class(), i.e. the object
    // is of the table's class or derived from it.
    assert(dynamic_cast<C*>(&object) != nullptr);
    return static_cast<C&>(object);
  } else {
    // A member group (zorvadel/member_group.h): found inside its owner.
    return C::Of(object);
  }
}

template <typename Tuple, size_t... I>
std::vector<ParamType> TypesOf(std::index_sequence<I...>) {
  return {ArgOf<std::tuple_element_t<I, Tuple>>::kType...};
}

template <auto Fn>
std::vector<ParamType> ParamTypes() {
  using Traits = Callable<decltype(Fn)>;
  return TypesOf<typename Traits::Args>(std::make_index_sequence<Traits::kArity>());
}

// Runs Fn with the coerced arguments. Every argument is extracted (which may
// raise 13 for an object of the wrong class) before the member's body runs.
template <auto Fn, size_t... I>
Variant CallWith(Object& object, MemberArgs args, std::index_sequence<I...>) {
  using Traits = Callable<decltype(Fn)>;
  using Args = typename Traits::Args;
  using R = typename Traits::Result;
  auto& self = Self<typename Traits::Class>(object);
  if constexpr (std::is_void_v<R>) {
    Traits::template Call<Fn>(self, ArgOf<std::tuple_element_t<I, Args>>::Get(args[I])...);
    return Variant();
  } else {
    return ToVariant(
        Traits::template Call<Fn>(self, ArgOf<std::tuple_element_t<I, Args>>::Get(args[I])...));
  }
}

template <auto Fn>
Variant Thunk(Object& object, MemberArgs args) {
  return CallWith<Fn>(object, args, std::make_index_sequence<Callable<decltype(Fn)>::kArity>());
}

}  // namespace member_table_internal

// ---- The builder --------------------------------------------------------------

template <typename T>
class ClassBuilder {
  template <auto Fn>
  using Traits = member_table_internal::Callable<decltype(Fn)>;

 public:
  explicit ClassBuilder(std::u16string name) : name_(std::move(name)) {}

  // Starts from (or adds) the members of a base class's table or of a shared
  // list; a member added later with the same name and kind replaces the
  // inherited one.
  ClassBuilder& Inherit(const ClassInfo& base) { return Inherit(base.members); }
  ClassBuilder& Inherit(const std::vector<MemberInfo>& members) {
    for (const MemberInfo& member : members) Add(member);
    return *this;
  }

  // A method.
  template <auto Fn>
  ClassBuilder& Method(std::u16string name, std::vector<ParamSpec> params = {}) {
    return Bind<Fn>(std::move(name), MemberKind::kMethod, params);
  }
  // A property read through a function (with index parameters, if any).
  template <auto Fn>
  ClassBuilder& Getter(std::u16string name, std::vector<ParamSpec> index = {}) {
    static_assert(!std::is_void_v<typename Traits<Fn>::Result>, "a getter returns its value");
    return Bind<Fn>(std::move(name), MemberKind::kPropertyGet, index);
  }
  // A property assignment through a function whose last parameter is the
  // value; `index` describes the parameters before it.
  template <auto Fn>
  ClassBuilder& Letter(std::u16string name, std::vector<ParamSpec> index = {}) {
    return Bind<Fn>(std::move(name), MemberKind::kPropertyLet, WithValue(index));
  }
  // An object assignment (Set) through a function whose last parameter is
  // the object.
  template <auto Fn>
  ClassBuilder& Setter(std::u16string name, std::vector<ParamSpec> index = {}) {
    return Bind<Fn>(std::move(name), MemberKind::kPropertySet, WithValue(index));
  }
  // A computed property: get and let through a pair of functions.
  template <auto Get, auto Let>
  ClassBuilder& Property(std::u16string name, std::vector<ParamSpec> index = {}) {
    Getter<Get>(name, index);
    return Letter<Let>(std::move(name), std::move(index));
  }
  // A data member read and assigned by value.
  template <auto FieldPtr>
    requires std::is_member_object_pointer_v<decltype(FieldPtr)>
  ClassBuilder& Property(std::u16string name) {
    ReadOnly<FieldPtr>(name);
    return AddField<FieldPtr>(std::move(name), MemberKind::kPropertyLet);
  }
  // A data member that scripts can only read.
  template <auto FieldPtr>
    requires std::is_member_object_pointer_v<decltype(FieldPtr)>
  ClassBuilder& ReadOnly(std::u16string name) {
    using F = member_table_internal::Field<decltype(FieldPtr)>;
    using C = typename F::Class;
    static_assert(std::is_base_of_v<C, T>, "the field belongs to another class");
    MemberInfo member;
    member.name = std::move(name);
    member.kind = MemberKind::kPropertyGet;
    member.result = member_table_internal::ArgOf<typename F::Type>::kType;
    member.call = [](Object& object, MemberArgs) {
      return member_table_internal::ToVariant(member_table_internal::Self<C>(object).*FieldPtr);
    };
    return Add(std::move(member));
  }
  // A std::shared_ptr<U> data member read and assigned with Set; an object
  // of another class than U raises 13.
  template <auto FieldPtr>
    requires std::is_member_object_pointer_v<decltype(FieldPtr)>
  ClassBuilder& ObjectProperty(std::u16string name) {
    using F = member_table_internal::Field<decltype(FieldPtr)>;
    static_assert(member_table_internal::ArgOf<typename F::Type>::kType == ParamType::kObject,
                  "ObjectProperty needs a std::shared_ptr field");
    ReadOnly<FieldPtr>(name);
    return AddField<FieldPtr>(std::move(name), MemberKind::kPropertySet);
  }

  // Marks the members of that name (every kind) as the default member.
  ClassBuilder& Default(std::u16string_view name) {
    default_name_ = std::u16string(name);
    return *this;
  }

  // A hand-made member; replaces one of the same name and kind.
  ClassBuilder& Add(MemberInfo member) {
    for (MemberInfo& existing : members_) {
      if (existing.kind == member.kind && SameAsciiName(existing.name, member.name)) {
        existing = std::move(member);
        return *this;
      }
    }
    members_.push_back(std::move(member));
    return *this;
  }

  // The members alone, for a list that several classes inherit.
  std::vector<MemberInfo> BuildMembers() {
    if (!default_name_.empty()) {
      bool found = false;
      for (MemberInfo& member : members_) {
        // Naming a default here overrides one inherited from a base table.
        member.default_member = SameAsciiName(member.name, default_name_);
        found = found || member.default_member;
      }
      if (!found) ThrowNoDefault();
    }
    return std::move(members_);
  }
  ClassInfo Build() { return ClassInfo(std::move(name_), BuildMembers()); }

 private:
  template <auto Fn>
  ClassBuilder& Bind(std::u16string name, MemberKind kind, const std::vector<ParamSpec>& specs) {
    static_assert(std::is_base_of_v<typename Traits<Fn>::Class, T>,
                  "the member belongs to another class");
    MemberInfo member;
    member.params = member_table_internal::MakeParams(name, specs,
                                                      member_table_internal::ParamTypes<Fn>());
    member.name = std::move(name);
    member.kind = kind;
    member.result = member_table_internal::ResultType<typename Traits<Fn>::Result>();
    member.call = &member_table_internal::Thunk<Fn>;
    return Add(std::move(member));
  }

  template <auto FieldPtr>
  ClassBuilder& AddField(std::u16string name, MemberKind kind) {
    using F = member_table_internal::Field<decltype(FieldPtr)>;
    using C = typename F::Class;
    using A = member_table_internal::ArgOf<typename F::Type>;
    static_assert(std::is_base_of_v<C, T>, "the field belongs to another class");
    MemberInfo member;
    member.params = member_table_internal::MakeParams(name, {Req(u"Value")}, {A::kType});
    member.name = std::move(name);
    member.kind = kind;
    member.call = [](Object& object, MemberArgs args) {
      auto value = A::Get(args[0]);  // may raise 13 before anything changes
      member_table_internal::Self<C>(object).*FieldPtr = std::move(value);
      return Variant();
    };
    return Add(std::move(member));
  }

  static std::vector<ParamSpec> WithValue(std::vector<ParamSpec> index) {
    index.push_back(Req(u"Value"));
    return index;
  }
  [[noreturn]] void ThrowNoDefault() const;

  std::u16string name_;
  std::vector<MemberInfo> members_;
  std::u16string default_name_;
};

namespace member_table_internal {
[[noreturn]] void ThrowBadTable(std::u16string_view member, const char* problem);
}  // namespace member_table_internal

template <typename T>
void ClassBuilder<T>::ThrowNoDefault() const {
  member_table_internal::ThrowBadTable(default_name_, "default member not in the table");
}

// The factory a ProgID registration names: a new object of class T.
template <typename T>
ObjectPtr MakeObject() {
  return std::make_shared<T>();
}

}  // namespace zorvadel

#endif  // ZORVADEL_MEMBER_TABLE_H_
