// The text member group: Common runs the pure functions of this folder; the
// page classes forward to their CC, except where a class carries its own
// copy of a member.
#include "zorvadel/text_members.h"

#include <string>
#include <vector>

#include "markup/tables.h"
#include "text/cut_repair.h"
#include "text/html_escape.h"
#include "text/joining.h"
#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"
#include "zorvadel/runtime.h"

namespace zorvadel {

// ---- Common --------------------------------------------------------------------
// None of these can fail on a string, so their step-by-step error
// suppression has nothing to catch.

std::u16string CommonTextMembers::HtmlEnCode(const std::u16string& to_do_string) {
  return text::HtmlEnCode(to_do_string);
}

std::u16string CommonTextMembers::HTMLDecode(const std::u16string& to_do_string) {
  return text::HTMLDecode(to_do_string);
}

std::u16string CommonTextMembers::SpecialMark(const std::u16string& process_content) {
  return text::SpecialMark(process_content);
}

std::u16string CommonTextMembers::DelSpecialMark(const std::u16string& process_content) {
  return text::DelSpecialMark(process_content);
}

std::u16string CommonTextMembers::EnterHebing(const std::u16string& process_content) {
  return text::EnterHebing(process_content);
}

std::u16string CommonTextMembers::FixCodes(const std::u16string& to_show_content) {
  return text::FixCodes(to_show_content);
}

std::u16string CommonTextMembers::SplitText(const std::u16string& content,
                                            const std::u16string& split_mark,
                                            const std::u16string& pre_text,
                                            const std::u16string& last_text,
                                            const std::u16string& split_char) {
  return text::SplitText(content, split_mark, pre_text, last_text, split_char);
}

std::u16string CommonTextMembers::SplitRichText(const std::u16string& names,
                                                const std::u16string& values,
                                                const std::u16string& split_mark,
                                                const std::u16string& pre_text,
                                                const std::u16string& mid_text,
                                                const std::u16string& last_text) {
  return text::SplitRichText(names, values, split_mark, pre_text, mid_text, last_text);
}

std::u16string CommonTextMembers::FontStyle(const std::u16string& content,
                                            const std::u16string& style_string,
                                            const std::u16string& split_mark) {
  return text::FontStyle(content, style_string, split_mark);
}

std::u16string CommonTextMembers::ReplaceString(const std::u16string& key_words,
                                                const std::u16string& to_do_string,
                                                const std::u16string& pre_text,
                                                const std::u16string& last_text) {
  return text::ReplaceString(key_words, to_do_string, pre_text, last_text);
}

// ---- Page classes --------------------------------------------------------------

PageObject& PageTextMembers::self() { return static_cast<PageObject&>(*this); }

std::u16string PageTextMembers::OutputFilter(const std::u16string& text) {
  return self().Ascii(text);
}

std::u16string PageTextMembers::HtmlEnCode(const std::u16string& to_do_string) {
  return self().ForwardToCC([&](Common& cc) { return cc.HtmlEnCode(to_do_string); });
}

std::u16string PageTextMembers::HTMLDecode(const std::u16string& to_do_string) {
  return self().ForwardToCC([&](Common& cc) { return cc.HTMLDecode(to_do_string); });
}

std::u16string PageTextMembers::SpecialMark(const std::u16string& process_content) {
  return self().ForwardToCC([&](Common& cc) { return cc.SpecialMark(process_content); });
}

std::u16string PageTextMembers::DelSpecialMark(const std::u16string& process_content) {
  return self().ForwardToCC([&](Common& cc) { return cc.DelSpecialMark(process_content); });
}

std::u16string PageTextMembers::FixCodes(const std::u16string& to_show_content) {
  return self().ForwardToCC([&](Common& cc) { return cc.FixCodes(to_show_content); });
}

std::u16string PageTextMembers::FixWmlCode(const std::u16string& to_show_content) {
  return self().ForwardToCC([&](Common& cc) { return cc.FixCodes(to_show_content); });
}

std::u16string PageTextMembers::SplitText(const std::u16string& content,
                                          const std::u16string& split_mark,
                                          const std::u16string& pre_text,
                                          const std::u16string& last_text,
                                          const std::u16string& split_char) {
  // The WML classes carry their own copy, which leaves CC alone.
  if (self().family() == Family::kW) {
    return text::SplitText(content, split_mark, pre_text, last_text, split_char);
  }
  return self().ForwardToCC([&](Common& cc) {
    return cc.SplitText(content, split_mark, pre_text, last_text, split_char);
  });
}

std::u16string PageTextMembers::SplitRichText(const std::u16string& names,
                                              const std::u16string& values,
                                              const std::u16string& split_mark,
                                              const std::u16string& pre_text,
                                              const std::u16string& mid_text,
                                              const std::u16string& last_text) {
  if (self().family() == Family::kW) {
    return text::SplitRichText(names, values, split_mark, pre_text, mid_text, last_text);
  }
  return self().ForwardToCC([&](Common& cc) {
    return cc.SplitRichText(names, values, split_mark, pre_text, mid_text, last_text);
  });
}

void PageTextMembers::SplitMultiText(const std::u16string& show_content,
                                     const std::u16string& split_mark,
                                     const std::u16string& pre_text,
                                     const std::u16string& last_text) {
  const std::vector<std::u16string> contents = Split(show_content, split_mark);
  const std::vector<std::u16string> pres = Split(pre_text, split_mark);
  const std::vector<std::u16string> lasts = Split(last_text, split_mark);
  for (size_t i = 0; i < contents.size(); ++i) {
    // A piece without both frame pieces fails as a whole and writes nothing;
    // so does every piece when there is no response.
    Step([&] {
      if (i >= pres.size() || i >= lasts.size()) throw ScriptError(kErrSubscript);
      std::u16string line = OutputFilter(pres[i]);
      line += OutputFilter(contents[i]);
      line += OutputFilter(lasts[i]);
      if (!self().state().Response) throw ScriptError(kErrObjectNotSet);
      self().state().Response->Write(line);
    });
  }
}

std::u16string PageTextMembers::ReplaceString(const std::u16string& key_words,
                                              const std::u16string& to_do_string,
                                              const std::u16string& pre_text,
                                              const std::u16string& last_text) {
  return self().ForwardToCC([&](Common& cc) {
    return cc.ReplaceString(key_words, to_do_string, pre_text, last_text);
  });
}

std::u16string PageTextMembers::FontStyle(const std::u16string& content,
                                          const std::u16string& style_string,
                                          const std::u16string& split_mark) {
  // When the filter fails, the empty text goes on.
  std::u16string filtered;
  Step([&] { filtered = OutputFilter(content); });
  // The WML classes build the elements themselves and keep the text as the
  // filter left it, blanks at the ends included.
  if (self().family() == Family::kW) {
    return markup::WmlFontStyle(filtered, style_string, split_mark);
  }
  return self().ForwardToCC(
      [&](Common& cc) { return cc.FontStyle(filtered, style_string, split_mark); });
}

// ---- Member tables -------------------------------------------------------------

namespace {

// EnXML's HtmlEnCode hands its result back as a Variant; a failed call gives
// an Empty one rather than "".
Variant HtmlEnCodeVariant(PageTextMembers& page, const std::u16string& to_do_string) {
  bool done = false;
  std::u16string result = static_cast<PageObject&>(page).ForwardToCC([&](Common& cc) {
    std::u16string encoded = cc.HtmlEnCode(to_do_string);
    done = true;
    return encoded;
  });
  return done ? Variant(std::move(result)) : Variant();
}

}  // namespace

std::vector<MemberInfo> CommonTextMemberTable() {
  using C = CommonTextMembers;
  return ClassBuilder<C>(u"")
      .Method<&C::HtmlEnCode>(u"HtmlEnCode", {Req(u"ToDoString")})
      .Method<&C::HTMLDecode>(u"HTMLDecode", {Req(u"ToDoString")})
      .Method<&C::SpecialMark>(u"SpecialMark", {Req(u"ProcessContent")})
      .Method<&C::DelSpecialMark>(u"DelSpecialMark", {Req(u"ProcessContent")})
      .Method<&C::EnterHebing>(u"EnterHebing", {Req(u"ProcessContent")})
      .Method<&C::FixCodes>(u"FixCodes", {Req(u"ToShowContent")})
      .Method<&C::SplitText>(u"SplitText", {Req(u"Content"), Req(u"SplitMark"), Req(u"PreText"),
                                            Req(u"LastText"), Req(u"SplitChar")})
      .Method<&C::SplitRichText>(u"SplitRichText",
                                 {Req(u"Names"), Req(u"Values"), Req(u"SplitMark"),
                                  Req(u"PreText"), Req(u"MidText"), Req(u"LastText")})
      .Method<&C::FontStyle>(u"FontStyle", {Req(u"Content"), Opt(u"StyleString", u""),
                                            Opt(u"SplitMark", u" ")})
      .Method<&C::ReplaceString>(u"ReplaceString", {Req(u"KeyWords"), Req(u"ToDoString"),
                                                    Req(u"PreText"), Req(u"LastText")})
      .BuildMembers();
}

std::vector<MemberInfo> PageTextMemberTable(const PageClassTraits& traits) {
  using P = PageTextMembers;
  const bool xhtml = traits.family == Family::kX;
  const bool wml = traits.family == Family::kW;
  const bool php = traits.family == Family::kP;
  ClassBuilder<P> builder(u"");
  if (!php) {
    if (xhtml && traits.language == PageLanguage::kEnglish) {
      builder.Method<&HtmlEnCodeVariant>(u"HtmlEnCode", {Req(u"ToDoString")});
    } else {
      builder.Method<&P::HtmlEnCode>(u"HtmlEnCode", {Req(u"ToDoString")});
    }
    builder.Method<&P::HTMLDecode>(u"HTMLDecode", {Req(u"ToDoString")});
  }
  builder.Method<&P::SpecialMark>(u"SpecialMark", {Req(u"ProcessContent")})
      .Method<&P::DelSpecialMark>(u"DelSpecialMark", {Req(u"ProcessContent")});
  if (wml) {
    builder.Method<&P::FixWmlCode>(u"FixWmlCode", {Req(u"ToShowContent")});
  } else {
    builder.Method<&P::FixCodes>(u"FixCodes", {Req(u"ToShowContent")});
  }
  if (!php) {
    builder
        .Method<&P::SplitText>(u"SplitText", {Req(u"Content"), Req(u"SplitMark"), Req(u"PreText"),
                                              Req(u"LastText"), Req(u"SplitChar")})
        .Method<&P::SplitRichText>(u"SplitRichText",
                                   {Req(u"Names"), Req(u"Values"), Req(u"SplitMark"),
                                    Req(u"PreText"), Req(u"MidText"), Req(u"LastText")})
        .Method<&P::SplitMultiText>(u"SplitMultiText", {Req(u"ShowContent"), Req(u"SplitMark"),
                                                        Req(u"PreText"), Req(u"LastText")})
        .Method<&P::ReplaceString>(u"ReplaceString", {Req(u"KeyWords"), Req(u"ToDoString"),
                                                      Req(u"PreText"), Req(u"LastText")});
  }
  if (xhtml || wml) {
    builder.Method<&P::FontStyle>(u"FontStyle", {Req(u"Content"), Opt(u"StyleString", u""),
                                                 Opt(u"SplitMark", u" ")});
  }
  return builder.BuildMembers();
}

}  // namespace zorvadel
