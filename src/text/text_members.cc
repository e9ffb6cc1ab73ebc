// The text member group. None of the text functions can fail on a string,
// so Common's step-by-step error suppression has nothing to catch; the
// page classes' own filtering and writing can, and are guarded.
#include "component/group_calls.h"
#include "zorvadel/text/text_members.h"

#include <string>
#include <vector>

#include "text/cut_repair.h"
#include "text/html_escape.h"
#include "text/joining.h"
#include "text/xml_chars.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

// What a member that makes text for a page hands back: the escapes, the
// repairs and the joins put no character in, but they pass on whatever
// their arguments carried, and one character XML cannot carry makes a
// gateway refuse the whole page. HTMLDecode and ReplaceString give text
// that is not yet page text (a decoded value; the output filter's input).
std::u16string PageText(std::u16string text) {
  text::KeepXmlCarried(&text);
  return text;
}

}  // namespace

template <typename Core>
std::u16string TextMembers<Core>::OutputFilter(const std::u16string& text)
  requires std::is_same_v<Core, PageCore>
{
  // Only ever true here; but clang before 16 compiles the page-only bodies
  // for Common as well when the class is instantiated, constraint or not.
  if constexpr (std::is_same_v<Core, PageCore>) return calls::Ascii(this->self(), text);
  return text;
}

template <typename Core>
std::u16string TextMembers<Core>::HtmlEnCode(const std::u16string& to_do_string) {
  return this->Shared([&](Common&) { return PageText(text::HtmlEnCode(to_do_string)); });
}

template <typename Core>
Variant TextMembers<Core>::HtmlEnCodeVariant(const std::u16string& to_do_string)
  requires std::is_same_v<Core, PageCore>
{
  bool done = false;
  std::u16string result = this->Shared([&](Common&) {
    std::u16string encoded = PageText(text::HtmlEnCode(to_do_string));
    done = true;
    return encoded;
  });
  return done ? Variant(std::move(result)) : Variant();
}

template <typename Core>
std::u16string TextMembers<Core>::HTMLDecode(const std::u16string& to_do_string) {
  return this->Shared([&](Common&) { return text::HTMLDecode(to_do_string); });
}

template <typename Core>
std::u16string TextMembers<Core>::SpecialMark(const std::u16string& process_content) {
  return this->Shared([&](Common&) { return PageText(text::SpecialMark(process_content)); });
}

template <typename Core>
std::u16string TextMembers<Core>::DelSpecialMark(const std::u16string& process_content) {
  return this->Shared([&](Common&) { return PageText(text::DelSpecialMark(process_content)); });
}

template <typename Core>
std::u16string TextMembers<Core>::EnterHebing(const std::u16string& process_content) {
  return this->Shared([&](Common&) { return PageText(text::EnterHebing(process_content)); });
}

template <typename Core>
std::u16string TextMembers<Core>::FixCodes(const std::u16string& to_show_content) {
  return this->Shared([&](Common&) { return PageText(text::FixCodes(to_show_content)); });
}

template <typename Core>
std::u16string TextMembers<Core>::FixWmlCode(const std::u16string& to_show_content) {
  return FixCodes(to_show_content);
}

template <typename Core>
std::u16string TextMembers<Core>::SplitText(const std::u16string& content,
                                            const std::u16string& split_mark,
                                            const std::u16string& pre_text,
                                            const std::u16string& last_text,
                                            const std::u16string& split_char) {
  if constexpr (TextMembers::kOnPage) {
    // The WML classes carry their own copy, which leaves CC alone.
    if (this->self().family() == Family::kW) {
      return PageText(text::SplitText(content, split_mark, pre_text, last_text, split_char));
    }
  }
  return this->Shared([&](Common&) {
    return PageText(text::SplitText(content, split_mark, pre_text, last_text, split_char));
  });
}

template <typename Core>
std::u16string TextMembers<Core>::SplitRichText(const std::u16string& names,
                                                const std::u16string& values,
                                                const std::u16string& split_mark,
                                                const std::u16string& pre_text,
                                                const std::u16string& mid_text,
                                                const std::u16string& last_text) {
  if constexpr (TextMembers::kOnPage) {
    if (this->self().family() == Family::kW) {
      return PageText(
          text::SplitRichText(names, values, split_mark, pre_text, mid_text, last_text));
    }
  }
  return this->Shared([&](Common&) {
    return PageText(
          text::SplitRichText(names, values, split_mark, pre_text, mid_text, last_text));
  });
}

template <typename Core>
void TextMembers<Core>::SplitMultiText(const std::u16string& show_content,
                                       const std::u16string& split_mark,
                                       const std::u16string& pre_text,
                                       const std::u16string& last_text)
  requires std::is_same_v<Core, PageCore>
{
  if constexpr (std::is_same_v<Core, PageCore>) {  // see OutputFilter
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
        Need(this->self().state().Response).Write(line);
      });
    }
  }
}

template <typename Core>
std::u16string TextMembers<Core>::ReplaceString(const std::u16string& key_words,
                                                const std::u16string& to_do_string,
                                                const std::u16string& pre_text,
                                                const std::u16string& last_text) {
  return this->Shared([&](Common&) {
    return text::ReplaceString(key_words, to_do_string, pre_text, last_text);
  });
}

template <typename Core>
std::u16string TextMembers<Core>::FontStyle(const std::u16string& content,
                                            const std::u16string& style_string,
                                            const std::u16string& split_mark) {
  if constexpr (TextMembers::kOnPage) {
    // When the filter fails, the empty text goes on.
    std::u16string filtered;
    Step([&] { filtered = OutputFilter(content); });
    // The WML classes keep the text as the filter left it, blanks at the
    // ends included.
    if (this->self().family() == Family::kW) {
      return PageText(text::WrapInStyleTags(filtered, style_string, split_mark));
    }
    return this->Shared(
        [&](Common&) { return PageText(text::FontStyle(filtered, style_string, split_mark)); });
  } else {
    return PageText(text::FontStyle(content, style_string, split_mark));
  }
}

template <typename Core>
std::vector<MemberInfo> TextMembers<Core>::MemberTable(const TableHost& host) {
  using G = TextMembers;
  using H = TableHost;
  const PageClassTraits* page = host.page();
  const std::vector<ParamSpec> font_style = {Req(u"Content"), Opt(u"StyleString", u""),
                                             Opt(u"SplitMark", u" ")};
  ClassBuilder<G> b(u"");
  if (host.In(H::kCommon | H::kXW)) {
    if constexpr (G::kOnPage) {
      if (page->family == Family::kX && page->language == PageLanguage::kEnglish) {
        b.template Method<&G::HtmlEnCodeVariant>(u"HtmlEnCode", {Req(u"ToDoString")});
      } else {
        b.template Method<&G::HtmlEnCode>(u"HtmlEnCode", {Req(u"ToDoString")});
      }
    } else {
      b.template Method<&G::HtmlEnCode>(u"HtmlEnCode", {Req(u"ToDoString")});
    }
    b.template Method<&G::HTMLDecode>(u"HTMLDecode", {Req(u"ToDoString")});
  }
  b.template Method<&G::SpecialMark>(u"SpecialMark", {Req(u"ProcessContent")})
      .template Method<&G::DelSpecialMark>(u"DelSpecialMark", {Req(u"ProcessContent")});
  if (host.In(H::kCommon)) {
    b.template Method<&G::EnterHebing>(u"EnterHebing", {Req(u"ProcessContent")});
  }
  if (host.In(H::kW)) {
    b.template Method<&G::FixWmlCode>(u"FixWmlCode", {Req(u"ToShowContent")});
  } else {
    b.template Method<&G::FixCodes>(u"FixCodes", {Req(u"ToShowContent")});
  }
  if (host.In(H::kCommon | H::kXW)) {
    b.template Method<&G::SplitText>(u"SplitText", {Req(u"Content"), Req(u"SplitMark"),
                                                    Req(u"PreText"), Req(u"LastText"),
                                                    Req(u"SplitChar")})
        .template Method<&G::SplitRichText>(u"SplitRichText",
                                            {Req(u"Names"), Req(u"Values"), Req(u"SplitMark"),
                                             Req(u"PreText"), Req(u"MidText"), Req(u"LastText")});
  }
  if constexpr (G::kOnPage) {
    if (host.In(H::kXW)) {
      b.template Method<&G::SplitMultiText>(u"SplitMultiText",
                                            {Req(u"ShowContent"), Req(u"SplitMark"),
                                             Req(u"PreText"), Req(u"LastText")});
    }
  }
  // Common lists FontStyle before ReplaceString, the page classes after it.
  if (host.In(H::kCommon)) b.template Method<&G::FontStyle>(u"FontStyle", font_style);
  if (host.In(H::kCommon | H::kXW)) {
    b.template Method<&G::ReplaceString>(u"ReplaceString", {Req(u"KeyWords"), Req(u"ToDoString"),
                                                            Req(u"PreText"), Req(u"LastText")});
  }
  if (host.In(H::kXW)) b.template Method<&G::FontStyle>(u"FontStyle", font_style);
  return b.BuildMembers();
}

template class TextMembers<Common>;
template class TextMembers<PageCore>;

}  // namespace zorvadel
