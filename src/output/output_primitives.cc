// The response settings that the page headers apply before their first
// write, and the output primitives through which running text reaches
// Response.Write: one write per call, nothing kept in the object.
#include <cstdint>
#include <string>
#include <string_view>

#include "output/output_filter.h"
#include "zorvadel/classes.h"
#include "zorvadel/output_members.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

constexpr std::u16string_view kRowBreak = u"<br/>";
constexpr std::u16string_view kWmlContentType = u"text/vnd.wap.wml";
constexpr uint32_t kUtf8CodePage = 65001;

// The context objects, as a member that uses one without a page context
// would fail.
Response& ResponseOf(PageObject& page) {
  if (!page.state().Response) throw ScriptError(kErrObjectNotSet);
  return *page.state().Response;
}

Session& SessionOf(PageObject& page) {
  if (!page.state().Session) throw ScriptError(kErrObjectNotSet);
  return *page.state().Session;
}

}  // namespace

// ---- Response settings ---------------------------------------------------------

void PageOutputMembers::SetUtf8Response() {
  PageObject& page = self();
  // Each setting on its own: an engine that refuses one (say, once output
  // has gone out) still gets the others.
  Step([&] { ResponseOf(page).SetCharset(u"utf-8"); });
  Step([&] { SessionOf(page).SetCodePage(kUtf8CodePage); });
  Step([&] { ResponseOf(page).SetExpires(0); });
}

void PageOutputMembers::PutWmlContentType() {
  PageObject& page = self();
  std::u16string displayer;
  Step([&] { displayer = page.Displayer(); });
  if (displayer != u"Web") Step([&] { ResponseOf(page).SetContentType(kWmlContentType); });
  SetUtf8Response();
}

// ---- Output primitives -----------------------------------------------------------

std::u16string PageOutputMembers::Converted(const std::u16string& content) {
  PageObject& page = self();
  switch (output::ChineseFormOf(page.state().ChineseType)) {
    case output::ChineseForm::kTraditional:
      return page.JToF(content);
    case output::ChineseForm::kSimplified:
      return page.FToJ(content);
    case output::ChineseForm::kUnchanged:
      break;
  }
  return content;
}

void PageOutputMembers::WriteOut(const std::u16string& content) {
  PageObject& page = self();
  switch (page.family()) {
    case Family::kP:
      return;
    case Family::kW: {
      // The WML classes let the error reach the caller.
      const std::u16string text = Ascii(content);
      ResponseOf(page).Write(text);
      return;
    }
    case Family::kX: {
      std::u16string text;
      Step([&] { text = Ascii(content); });
      Step([&] { ResponseOf(page).Write(text); });
      return;
    }
  }
}

void PageOutputMembers::WriteRow(const std::u16string& content) {
  PageObject& page = self();
  if (page.family() == Family::kP) return;
  std::u16string text;
  Step([&] { text = Ascii(content); });
  text.append(kRowBreak);
  Step([&] { ResponseOf(page).Write(text); });
}

void PageOutputMembers::WriteLine(const std::u16string& content) {
  PageObject& page = self();
  if (page.family() == Family::kP) return;
  std::u16string text;
  Step([&] { text = Converted(content); });
  Step([&] { ResponseOf(page).Write(text); });
}

void PageOutputMembers::WriteTo(const std::u16string& content) {
  PageObject& page = self();
  if (page.family() == Family::kP) return;
  std::u16string text;
  Step([&] { text = Converted(content); });
  text.append(kRowBreak);
  Step([&] { ResponseOf(page).Write(text); });
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

}  // namespace zorvadel
