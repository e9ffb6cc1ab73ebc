// The charset member group: Common's members run the conversions of
// charset_refs and charset_forms on their arguments; the page classes
// forward to CC, except for their own Uni, width conversions and PHPXML's
// mappings. None of the conversions can fail on any input, so there is no
// step here whose error would have to be suppressed.
#include "zorvadel/charset_members.h"

#include "text/charset_forms.h"
#include "text/charset_refs.h"
#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"

namespace zorvadel {

Common& CommonCharsetMembers::self() { return static_cast<Common&>(*this); }
PageObject& PageCharsetMembers::self() { return static_cast<PageObject&>(*this); }

// ---- Common ----------------------------------------------------------------

std::u16string CommonCharsetMembers::UtfToGb(const std::u16string& to_do_string) {
  return text::UtfToGb(to_do_string);
}

std::u16string CommonCharsetMembers::JToF(const std::u16string& to_do_string) {
  return text::JToF(to_do_string);
}

std::u16string CommonCharsetMembers::FToJ(const std::u16string& to_do_string) {
  return text::FToJ(to_do_string);
}

std::u16string CommonCharsetMembers::QWMEnCode(const std::u16string& to_do_string,
                                               const std::u16string& split_mark) {
  return text::QWMEnCode(to_do_string, split_mark);
}

std::u16string CommonCharsetMembers::QWMDeCode(int16_t to_do_string) {
  return text::QWMDeCode(to_do_string);
}

// ---- Page classes ------------------------------------------------------------

std::u16string PageCharsetMembers::UtfToGb(const std::u16string& to_do_string) {
  return self().ForwardToCC([&](Common& cc) { return cc.UtfToGb(to_do_string); });
}

// PHPXML maps by itself (its CC is not involved) and hands back references,
// since its output filter expects them.
std::u16string PageCharsetMembers::JToF(const std::u16string& to_do_string) {
  if (self().family() == Family::kP) return text::Uni(text::JToF(to_do_string));
  return self().ForwardToCC([&](Common& cc) { return cc.JToF(to_do_string); });
}

std::u16string PageCharsetMembers::FToJ(const std::u16string& to_do_string) {
  if (self().family() == Family::kP) return text::Uni(text::FToJ(to_do_string));
  return self().ForwardToCC([&](Common& cc) { return cc.FToJ(to_do_string); });
}

std::u16string PageCharsetMembers::Uni(const std::u16string& to_do_string) {
  return text::Uni(to_do_string);
}

std::u16string PageCharsetMembers::StrToWide(const std::u16string& to_do_string) {
  return text::StrToWide(to_do_string);
}

std::u16string PageCharsetMembers::StrToNarrow(const std::u16string& to_do_string) {
  return text::StrToNarrow(to_do_string);
}

std::u16string PageCharsetMembers::QWMEnCode(const std::u16string& to_do_string,
                                             const std::u16string& split_mark) {
  return self().ForwardToCC([&](Common& cc) { return cc.QWMEnCode(to_do_string, split_mark); });
}

std::u16string PageCharsetMembers::QWMDeCode(int16_t to_do_string) {
  return self().ForwardToCC([&](Common& cc) { return cc.QWMDeCode(to_do_string); });
}

// ---- Member tables -------------------------------------------------------------

std::vector<MemberInfo> CommonCharsetMemberTable() {
  using C = CommonCharsetMembers;
  return ClassBuilder<C>(u"")
      .Method<&C::UtfToGb>(u"UtfToGb", {Req(u"ToDoString")})
      .Method<&C::JToF>(u"JToF", {Req(u"ToDoString")})
      .Method<&C::FToJ>(u"FToJ", {Req(u"ToDoString")})
      .Method<&C::QWMEnCode>(u"QWMEnCode", {Req(u"ToDoString"), Opt(u"SplitMark", u",")})
      .Method<&C::QWMDeCode>(u"QWMDeCode", {Opt(u"ToDoString", int16_t{1614})})
      .BuildMembers();
}

std::vector<MemberInfo> PageCharsetMemberTable(const PageClassTraits& traits) {
  using P = PageCharsetMembers;
  ClassBuilder<P> builder(u"");
  switch (traits.family) {
    case Family::kX:
    case Family::kW:
      builder.Method<&P::UtfToGb>(u"UtfToGb", {Req(u"ToDoString")})
          .Method<&P::JToF>(u"JToF", {Req(u"ToDoString")})
          .Method<&P::FToJ>(u"FToJ", {Req(u"ToDoString")})
          .Method<&P::StrToWide>(u"StrToWide", {Req(u"ToDoString")})
          .Method<&P::StrToNarrow>(u"StrToNarrow", {Req(u"ToDoString")});
      break;
    case Family::kP:
      builder.Method<&P::JToF>(u"JToF", {Req(u"ToDoString")})
          .Method<&P::FToJ>(u"FToJ", {Req(u"ToDoString")})
          .Method<&P::Uni>(u"Uni", {Req(u"ToDoString")});
      break;
  }
  if (traits.family == Family::kX) {
    builder.Method<&P::QWMEnCode>(u"QWMEnCode", {Req(u"ToDoString"), Opt(u"SplitMark", u",")})
        .Method<&P::QWMDeCode>(u"QWMDeCode", {Opt(u"ToDoString", int16_t{1614})});
  }
  return builder.BuildMembers();
}

}  // namespace zorvadel
