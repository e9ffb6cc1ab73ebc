// Variant, ScriptError and Object: the value model every member of the
// library is written against. A page script hands values to members and gets
// values back exactly as a late-bound scripting host would: a Variant holds
// one of the automation types, errors travel as ScriptError{number, text}.
#ifndef ZORVADEL_VARIANT_H_
#define ZORVADEL_VARIANT_H_

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

namespace zorvadel {

struct ClassInfo;
class Context;

// Error numbers the runtime raises; the descriptions are the runtime's own.
enum ErrorNumber : int32_t {
  kErrInvalidArgument = 5,   // "Invalid procedure call or argument"
  kErrOverflow = 6,          // "Overflow"
  kErrSubscript = 9,         // "Subscript out of range"
  kErrTypeMismatch = 13,     // "Type mismatch"
  kErrInvalidNull = 94,      // "Invalid use of Null"
  kErrObjectNotSet = 91,     // "Object variable not set"
  kErrCannotCreate = 429,    // "ActiveX component can't create object"
  kErrNoMember = 438,        // "Object doesn't support this property or method"
  kErrWrongArgs = 450,       // "Wrong number of arguments or invalid property assignment"
};

// A run-time error as a script sees it. Platform stand-ins throw it the way a
// failing component call would; members that suppress errors catch it step
// by step.
class ScriptError : public std::exception {
 public:
  ScriptError(int32_t number, std::u16string description);
  // The runtime's standard description for `number`.
  explicit ScriptError(int32_t number);

  int32_t number() const { return number_; }
  const std::u16string& description() const { return description_; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  int32_t number_;
  std::u16string description_;
  std::string what_;  // UTF-8 form of the description, for what()
};

// Every object a script can hold: the library's classes, the page engine's
// objects and the data-access objects. Class() gives the member table through
// which the object is reached by name.
class Object : public std::enable_shared_from_this<Object> {
 public:
  virtual ~Object();
  virtual const ClassInfo& Class() const = 0;

  // Page hooks: the page engine calls OnStartPage right after creating an
  // object through Server.CreateObject and OnEndPage when the page ends,
  // for classes that have them.
  virtual bool HasPageHooks() const { return false; }
  virtual void OnStartPage(const std::shared_ptr<Context>& /*context*/) {}
  virtual void OnEndPage() {}
};

using ObjectPtr = std::shared_ptr<Object>;

// A Decimal's value: a 96-bit whole number (`high` holds its top 32 bits),
// its sign and a scale of 0 to 28, the number of its digits that lie after
// the decimal point. 12.50 is 1250 with scale 2: the scale a value came
// with is kept, and only its text drops the fraction's trailing zeros.
struct DecimalValue {
  uint64_t low = 0;
  uint32_t high = 0;
  uint8_t scale = 0;
  bool negative = false;
  bool operator==(const DecimalValue&) const = default;  // the same digits and scale
};

enum class VarType : uint8_t {
  kEmpty,
  kNull,
  kInteger,  // 16-bit signed
  kLong,     // 32-bit signed
  kDouble,
  kBoolean,  // read as -1 / 0
  kString,
  kDate,     // days since 1899-12-30, time as the fraction
  kObject,   // may hold no object (Nothing)
  kMissing,  // an omitted optional argument
  kLongLong,  // 64-bit signed: whole numbers a Long cannot hold
  kDecimal,   // 96-bit whole number with a decimal scale (DecimalValue)
};

class Variant {
 public:
  Variant() = default;  // Empty
  Variant(int16_t v) : type_(VarType::kInteger), value_(int32_t{v}) {}
  Variant(int32_t v) : type_(VarType::kLong), value_(v) {}
  Variant(double v) : type_(VarType::kDouble), value_(v) {}
  Variant(bool v) : type_(VarType::kBoolean), value_(int32_t{v ? -1 : 0}) {}
  Variant(std::u16string v) : type_(VarType::kString), value_(std::move(v)) {}
  Variant(std::u16string_view v) : Variant(std::u16string(v)) {}
  Variant(const char16_t* v) : Variant(std::u16string(v)) {}
  Variant(ObjectPtr v) : type_(VarType::kObject), value_(std::move(v)) {}
  template <typename T>
    requires std::is_base_of_v<Object, T>
  Variant(std::shared_ptr<T> v) : Variant(ObjectPtr(std::move(v))) {}
  Variant(const char*) = delete;  // narrow text would silently become bool

  static Variant Null() { return Variant(VarType::kNull); }
  static Variant Missing() { return Variant(VarType::kMissing); }
  static Variant Date(double serial) {
    Variant v(VarType::kDate);
    v.value_ = serial;
    return v;
  }
  static Variant Nothing() { return Variant(ObjectPtr()); }
  static Variant LongLong(int64_t v) {
    Variant out(VarType::kLongLong);
    out.value_ = v;
    return out;
  }
  static Variant Decimal(const DecimalValue& v) {
    Variant out(VarType::kDecimal);
    out.value_ = v;
    return out;
  }

  VarType type() const { return type_; }
  bool IsEmpty() const { return type_ == VarType::kEmpty; }
  bool IsNull() const { return type_ == VarType::kNull; }
  bool IsMissing() const { return type_ == VarType::kMissing; }
  bool IsString() const { return type_ == VarType::kString; }
  bool IsObject() const { return type_ == VarType::kObject; }
  // Integer, Long, LongLong, Decimal, Double (not Boolean, not Date)
  bool IsNumber() const;

  // Raw access; each requires the matching type.
  int16_t integer() const { return static_cast<int16_t>(std::get<int32_t>(value_)); }
  int32_t long_value() const { return std::get<int32_t>(value_); }
  double double_value() const { return std::get<double>(value_); }
  bool boolean() const { return std::get<int32_t>(value_) != 0; }
  double date() const { return std::get<double>(value_); }
  int64_t long_long() const { return std::get<int64_t>(value_); }
  const DecimalValue& decimal() const { return std::get<DecimalValue>(value_); }
  const std::u16string& string() const { return std::get<std::u16string>(value_); }
  std::u16string& mutable_string() { return std::get<std::u16string>(value_); }
  const ObjectPtr& object() const { return std::get<ObjectPtr>(value_); }

  // Type name as the runtime's TypeName() gives it ("Empty", "String", ...).
  std::u16string_view TypeName() const;

  // Identity for objects, value and type for the rest (for tests); two
  // Decimals are equal when their values are, whatever their scales.
  bool operator==(const Variant& other) const;

 private:
  explicit Variant(VarType t) : type_(t) {}

  VarType type_ = VarType::kEmpty;
  std::variant<std::monostate, int32_t, double, std::u16string, ObjectPtr, int64_t, DecimalValue>
      value_;
};

}  // namespace zorvadel

#endif  // ZORVADEL_VARIANT_H_
