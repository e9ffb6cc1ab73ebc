// The page state as scripts see it: one row per property, giving its
// position in each family's interface, the field it reaches and the value
// page start gives it. The member tables of the page classes and the
// defaults of page start are both read off this one table.
#ifndef ZORVADEL_COMPONENT_PAGE_PROPERTIES_H_
#define ZORVADEL_COMPONENT_PAGE_PROPERTIES_H_

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "component/page_texts.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/page_state.h"

namespace zorvadel {

// Reaches one field of PageState with a Variant of the property's type.
struct FieldRef {
  ParamType type;
  Variant (*get)(const PageState& state);
  // `value` is already of `type` (or an object of the right class).
  void (*put)(PageState& state, const Variant& value);
  // Text properties only (else null): the field itself, which page start
  // assigns its text default without a Variant.
  std::u16string PageState::*text;
};

enum class DefaultKind : uint8_t {
  kNone,      // page start leaves the property alone
  kText,      // a fixed text
  kNumber,    // a fixed Integer or Boolean (-1 / 0)
  kLanguage,  // a text of the class's language
  kWapPath,   // the value WapPath has when the defaults are set
};

struct PageDefault {
  DefaultKind kind = DefaultKind::kNone;
  std::u16string_view text = {};
  int16_t number = 0;
  std::u16string_view PageTexts::*language = nullptr;
};

struct PageProperty {
  std::u16string_view name;
  // Position in the interface of the X, W and P families; 0 where the family
  // lacks the property.
  uint8_t position[3];
  FieldRef field;
  PageDefault initial = {};

  bool In(Family family) const { return position[static_cast<int>(family)] != 0; }
};

std::span<const PageProperty> PageProperties();

// The property members (get, and let or set) of one family, in its order.
std::vector<MemberInfo> PagePropertyMembers(Family family);

// Sets every literal default of the family's properties (page start).
void ApplyPageDefaults(PageState& state, Family family, PageLanguage language);

// A page object's texts leave their buffers to the next page start on the
// same thread (~PageState); page start gives them to a new object's empty
// text fields, which it then fills, so that it makes few new ones.
size_t KeptSlot(std::u16string PageState::*field);
void TakeKeptBuffer(PageState& state, std::u16string PageState::*field, size_t slot);

// Gives the empty `Field` of `state` the buffer kept for it, if any.
template <std::u16string PageState::*Field>
void TakeKeptBuffer(PageState& state) {
  static const size_t slot = KeptSlot(Field);
  TakeKeptBuffer(state, Field, slot);
}

// The guard's word list, also the default of SQLInjData.
inline constexpr std::u16string_view kSqlInjectionWords =
    u">|<|--|sp_|xp_|\\|dir|cmd|^|(|)|+|$|'|copy|format|and|exec|insert|select|delete|update|"
    u"count|*|chr|mid|master|truncate|char|declare";

// The maker's mail account, SMTP host and addresses (reserved example names).
inline constexpr std::u16string_view kMakerMailAccount = u"webmaster@example.com";
inline constexpr std::u16string_view kMakerSmtpHost = u"smtp.example.com";
inline constexpr std::u16string_view kMakerWapUrl = u"http://wap.example.com/";
inline constexpr std::u16string_view kMakerWebUrl = u"http://www.example.com/";

}  // namespace zorvadel

#endif  // ZORVADEL_COMPONENT_PAGE_PROPERTIES_H_
