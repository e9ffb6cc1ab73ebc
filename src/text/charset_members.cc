// The charset member group. None of the conversions can fail on any input,
// so there is no step here whose error would have to be suppressed.
#include "zorvadel/text/charset_members.h"

#include "text/charset_forms.h"
#include "text/charset_refs.h"
#include "zorvadel/member_table.h"
#include "zorvadel/page_core.h"

namespace zorvadel {

template <typename Core>
std::u16string CharsetMembers<Core>::UtfToGb(const std::u16string& to_do_string) {
  return this->Shared([&](Common&) { return text::UtfToGb(to_do_string); });
}

template <typename Core>
std::u16string CharsetMembers<Core>::JToF(const std::u16string& to_do_string) {
  if constexpr (CharsetMembers::kOnPage) {
    if (this->self().family() == Family::kP) return text::Uni(text::JToF(to_do_string));
  }
  return this->Shared([&](Common&) { return text::JToF(to_do_string); });
}

template <typename Core>
std::u16string CharsetMembers<Core>::FToJ(const std::u16string& to_do_string) {
  if constexpr (CharsetMembers::kOnPage) {
    if (this->self().family() == Family::kP) return text::Uni(text::FToJ(to_do_string));
  }
  return this->Shared([&](Common&) { return text::FToJ(to_do_string); });
}

template <typename Core>
std::u16string CharsetMembers<Core>::QWMEnCode(const std::u16string& to_do_string,
                                               const std::u16string& split_mark) {
  return this->Shared([&](Common&) { return text::QWMEnCode(to_do_string, split_mark); });
}

template <typename Core>
std::u16string CharsetMembers<Core>::QWMDeCode(int16_t to_do_string) {
  return this->Shared([&](Common&) { return text::QWMDeCode(to_do_string); });
}

template <typename Core>
std::u16string CharsetMembers<Core>::Uni(const std::u16string& to_do_string) {
  return text::Uni(to_do_string);
}

template <typename Core>
std::u16string CharsetMembers<Core>::StrToWide(const std::u16string& to_do_string) {
  return text::StrToWide(to_do_string);
}

template <typename Core>
std::u16string CharsetMembers<Core>::StrToNarrow(const std::u16string& to_do_string) {
  return text::StrToNarrow(to_do_string);
}

template <typename Core>
std::vector<MemberInfo> CharsetMembers<Core>::MemberTable(const TableHost& host) {
  using G = CharsetMembers;
  using H = TableHost;
  ClassBuilder<G> b(u"");
  if (host.In(H::kCommon | H::kXW)) b.template Method<&G::UtfToGb>(u"UtfToGb", {Req(u"ToDoString")});
  if (host.In(H::kCommon | H::kPages)) {
    b.template Method<&G::JToF>(u"JToF", {Req(u"ToDoString")})
        .template Method<&G::FToJ>(u"FToJ", {Req(u"ToDoString")});
  }
  if (host.In(H::kP)) b.template Method<&G::Uni>(u"Uni", {Req(u"ToDoString")});
  if (host.In(H::kXW)) {
    b.template Method<&G::StrToWide>(u"StrToWide", {Req(u"ToDoString")})
        .template Method<&G::StrToNarrow>(u"StrToNarrow", {Req(u"ToDoString")});
  }
  if (host.In(H::kCommon | H::kX)) {
    b.template Method<&G::QWMEnCode>(u"QWMEnCode", {Req(u"ToDoString"), Opt(u"SplitMark", u",")})
        .template Method<&G::QWMDeCode>(u"QWMDeCode", {Opt(u"ToDoString", int16_t{1614})});
  }
  return b.BuildMembers();
}

template class CharsetMembers<Common>;
template class CharsetMembers<PageCore>;

}  // namespace zorvadel
