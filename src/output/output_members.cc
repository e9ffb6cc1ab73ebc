// The output filter Ascii of the page classes, TransWmlFile of the WML
// classes and the group's member table. The text-only steps live in
// output_filter.cc; the steps that the page's own members do (JToF, FToJ,
// ReplaceString) are called through the page object, so a script that
// replaces CC changes them the same way it changes those members.
#include "zorvadel/output_members.h"

#include <string>
#include <utility>

#include "output/output_filter.h"
#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"
#include "zorvadel/runtime.h"

namespace zorvadel {

PageObject& PageOutputMembers::self() { return static_cast<PageObject&>(*this); }

std::u16string PageOutputMembers::Ascii(const std::u16string& to_do_string) {
  PageObject& page = self();
  const PageState& state = page.state();
  const output::ChineseForm form = output::ChineseFormOf(state.ChineseType);

  if (page.family() == Family::kP) {
    // PHPXML always converts (to simplified characters unless told
    // otherwise), and its conversions already repair and escape.
    std::u16string result;
    Step([&] {
      result = form == output::ChineseForm::kTraditional ? page.JToF(to_do_string)
                                                        : page.FToJ(to_do_string);
    });
    return result;
  }

  // The argument is copied only once a step changes it: with the default
  // settings the text goes straight from the argument to the escaping pass.
  const std::u16string* text = &to_do_string;
  std::u16string work;
  auto take = [&](std::u16string changed) {
    work = std::move(changed);
    text = &work;
  };

  if (form != output::ChineseForm::kUnchanged) {
    Step([&] {
      take(form == output::ChineseForm::kTraditional ? page.JToF(*text) : page.FToJ(*text));
    });
  }
  if (!state.TheStopWords.empty()) {
    Step([&] {
      if (text != &work) take(*text);
      output::ReplaceStopWords(state.TheStopWords, state.ThePassWords, &work);
    });
  }
  if (!state.FontKeyWords.empty()) {
    Step([&] {
      take(page.ReplaceString(state.FontKeyWords, *text, state.PreFontText, state.LastFontText));
    });
  }
  if (output::IsGb2312Coding(state.WapEnCoding)) {
    return text == &work ? std::move(work) : *text;
  }
  const bool pinyin = page.family() == Family::kX && state.IsShowPinYin;
  return output::RepairAndEscape(*text, pinyin);
}

Variant PageOutputMembers::TransWmlFile(const std::u16string& wml_code, bool gb2312_to_utf8) {
  PageObject& page = self();
  std::u16string r;
  if (gb2312_to_utf8) {
    r = page.Ascii(wml_code);
    // A tab goes, a CR LF pair comes back as a line break, and a lone CR or
    // LF stays a reference.
    Step([&] { r = Replace(r, u"&#x9;", u""); });
    Step([&] { r = Replace(r, u"&#xD;&#xA;", u"\r\n"); });
    Step([&] { r = Replace(r, u"encoding=\"gb2312\"", u"encoding=\"utf-8\""); });
  } else {
    r = page.UtfToGb(wml_code);
    Step([&] {
      r = Replace(r, u"<?xml version=\"1.0\"?>", u"<?xml version=\"1.0\" encoding=\"gb2312\"?>");
    });
    Step([&] { r = Replace(r, u"encoding=\"utf-8\"", u"encoding=\"gb2312\""); });
  }
  return Variant(std::move(r));
}

std::vector<MemberInfo> PageOutputMemberTable(const PageClassTraits& traits) {
  using P = PageOutputMembers;
  ClassBuilder<P> builder(u"");
  if (traits.family == Family::kP) {
    builder.Method<&P::Ascii>(u"Ascii", {Req(u"Content")})
        .Method<&P::WriteOutText>(u"WriteOut", {Req(u"Content")})
        .Method<&P::WriteRowText>(u"WriteRow", {Req(u"Content")});
    return builder.BuildMembers();
  }
  builder.Method<&P::Ascii>(u"Ascii", {Req(u"ToDoString")})
      .Method<&P::WriteOut>(u"WriteOut", {Req(u"Content")})
      .Method<&P::WriteRow>(u"WriteRow", {Req(u"Content")})
      .Method<&P::WriteLine>(u"WriteLine", {Req(u"Content")})
      .Method<&P::WriteTo>(u"WriteTo", {Req(u"Content")});
  if (traits.family == Family::kW) {
    builder.Method<&P::TransWmlFile>(u"TransWmlFile",
                                     {Req(u"WmlCode"), Opt(u"Gb2312ToUtf8", true)});
  }
  return builder.BuildMembers();
}

}  // namespace zorvadel
