// The output member group: the output filter Ascii, the response settings
// that the page headers apply before their first write, the output
// primitives through which running text reaches Response.Write (one write
// per call, nothing kept in the object), TransWmlFile of the WML classes and
// the group's member table. The text-only steps live in output_filter.cc;
// the steps that the page's own members do (JToF, FToJ, ReplaceString) are
// called through the page object, so a script that replaces CC changes them
// the same way it changes those members.
#include "component/group_calls.h"
#include "zorvadel/output/output_members.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "output/output_filter.h"
#include "output/scratch_text.h"
#include "text/charset_refs.h"
#include "text/xml_chars.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"
#include "zorvadel/output/request_members.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

constexpr std::u16string_view kRowBreak = u"<br/>";
constexpr std::u16string_view kWmlContentType = u"text/vnd.wap.wml";
constexpr uint32_t kUtf8CodePage = 65001;

// The page's own character-form conversions, as the ChineseType setting
// asks for them.
std::u16string ToTraditional(PageCore& page, const std::u16string& text) {
  return calls::JToF(page, text);
}
std::u16string ToSimplified(PageCore& page, const std::u16string& text) {
  return calls::FToJ(page, text);
}

}  // namespace

// ---- Output filter ---------------------------------------------------------------

std::u16string PageOutputMembers::Ascii(const std::u16string& to_do_string) {
  std::u16string result;
  AppendAscii(to_do_string, &result);
  return result;
}

void PageOutputMembers::AppendAscii(const std::u16string& to_do_string, std::u16string* out) {
  PageCore& page = self();
  const PageState& state = page.state();
  const output::ChineseForm form = output::ChineseFormOf(state.ChineseType);
  // A converted text is moved, not copied, into an empty `out`.
  auto put = [out](std::u16string&& text) {
    if (out->empty()) {
      *out = std::move(text);
    } else {
      out->append(text);
    }
  };

  if (page.family() == Family::kP) {
    // PHPXML always converts (to simplified characters unless told
    // otherwise), and its conversions already repair and escape.
    std::u16string result;
    Step([&] {
      result = form == output::ChineseForm::kTraditional ? ToTraditional(page, to_do_string)
                                                         : ToSimplified(page, to_do_string);
    });
    put(std::move(result));
    return;
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
      take(form == output::ChineseForm::kTraditional ? ToTraditional(page, *text)
                                                     : ToSimplified(page, *text));
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
      take(calls::ReplaceString(page, state.FontKeyWords, *text, state.PreFontText,
                                                    state.LastFontText));
    });
  }
  if (output::IsGb2312Coding(state.WapEnCoding)) {
    // Raw, but for what no page can carry.
    text::AppendXmlCarried(*text, out);
    return;
  }
  const bool pinyin = page.family() == Family::kX && state.IsShowPinYin;
  text::AppendRepairAndEscape(*text, pinyin, out);
}

// ---- Response settings ---------------------------------------------------------

void PageOutputMembers::SetUtf8Response() {
  PageState& state = self().state();
  // Each setting on its own: an engine that refuses one (say, once output
  // has gone out) still gets the others.
  Step([&] { Need(state.Response).SetCharset(u"utf-8"); });
  Step([&] { Need(state.Session).SetCodePage(kUtf8CodePage); });
  Step([&] { Need(state.Response).SetExpires(0); });
}

void PageOutputMembers::PutWmlContentType() {
  std::u16string displayer;
  Step([&] { displayer = self().As<PageRequestMembers>().Displayer(); });
  PutWmlContentType(displayer == u"Web");
}

void PageOutputMembers::PutWmlContentType(bool web) {
  if (!web) {
    Step([&] { Need(self().state().Response).SetContentType(kWmlContentType); });
  }
  SetUtf8Response();
}

// ---- Output primitives -----------------------------------------------------------
//
// WriteLine and WriteTo write ready markup, so they escape nothing; but a
// character no XML parser accepts would cost the reader the whole page, so
// that, and only that, does not pass.

std::u16string PageOutputMembers::Converted(const std::u16string& content) {
  PageCore& page = self();
  switch (output::ChineseFormOf(page.state().ChineseType)) {
    case output::ChineseForm::kTraditional:
      return ToTraditional(page, content);
    case output::ChineseForm::kSimplified:
      return ToSimplified(page, content);
    case output::ChineseForm::kUnchanged:
      break;
  }
  return content;
}

void PageOutputMembers::WriteOut(const std::u16string& content) {
  PageCore& page = self();
  switch (page.family()) {
    case Family::kP:
      return;
    case Family::kW: {
      // The WML classes let the error reach the caller.
      output::ScratchText text;
      AppendAscii(content, &*text);
      Need(page.state().Response).Write(*text);
      return;
    }
    case Family::kX: {
      output::ScratchText text;
      Step([&] { AppendAscii(content, &*text); });
      Step([&] { Need(page.state().Response).Write(*text); });
      return;
    }
  }
}

void PageOutputMembers::WriteRow(const std::u16string& content) {
  PageCore& page = self();
  if (page.family() == Family::kP) return;
  output::ScratchText text;
  Step([&] { AppendAscii(content, &*text); });
  text->append(kRowBreak);
  Step([&] { Need(page.state().Response).Write(*text); });
}

void PageOutputMembers::WriteLine(const std::u16string& content) {
  PageCore& page = self();
  if (page.family() == Family::kP) return;
  std::u16string text;
  Step([&] { text = Converted(content); });
  text::KeepXmlCarried(&text);
  Step([&] { Need(page.state().Response).Write(text); });
}

void PageOutputMembers::WriteTo(const std::u16string& content) {
  PageCore& page = self();
  if (page.family() == Family::kP) return;
  std::u16string text;
  Step([&] { text = Converted(content); });
  text::KeepXmlCarried(&text);
  text.append(kRowBreak);
  Step([&] { Need(page.state().Response).Write(text); });
}

std::u16string PageOutputMembers::WriteOutText(const std::u16string& content) {
  std::u16string text;
  Step([&] { text = Ascii(content); });
  return text;
}

std::u16string PageOutputMembers::WriteRowText(const std::u16string& content) {
  std::u16string text;
  Step([&] { text = Ascii(content); });
  text.append(kRowBreak);
  return text;
}

// ---- WML files ---------------------------------------------------------------------

Variant PageOutputMembers::TransWmlFile(const std::u16string& wml_code, bool gb2312_to_utf8) {
  std::u16string r;
  if (gb2312_to_utf8) {
    r = Ascii(wml_code);
    // A tab goes, a CR LF pair comes back as a line break, and a lone CR or
    // LF stays a reference.
    Step([&] { r = Replace(r, u"&#x9;", u""); });
    Step([&] { r = Replace(r, u"&#xD;&#xA;", u"\r\n"); });
    Step([&] { r = Replace(r, u"encoding=\"gb2312\"", u"encoding=\"utf-8\""); });
  } else {
    r = calls::UtfToGb(self(), wml_code);
    Step([&] {
      r = Replace(r, u"<?xml version=\"1.0\"?>", u"<?xml version=\"1.0\" encoding=\"gb2312\"?>");
    });
    Step([&] { r = Replace(r, u"encoding=\"utf-8\"", u"encoding=\"gb2312\""); });
  }
  return Variant(std::move(r));
}

// ---- Member table ------------------------------------------------------------------

std::vector<MemberInfo> PageOutputMembers::MemberTable(const PageClassTraits& traits) {
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
