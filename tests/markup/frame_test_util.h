// Set-up shared by the page-frame tests: a page object started over the
// in-memory engine for a given user agent and address, the response read back
// as text, and the fixed pieces the frames write.
#ifndef ZORVADEL_TESTS_MARKUP_FRAME_TEST_UTIL_H_
#define ZORVADEL_TESTS_MARKUP_FRAME_TEST_UTIL_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/codepage/codepage.h"
#include "platform/engine/memory_engine.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"

namespace zorvadel::frame_test {

// A phone (no row of the terminal table), a simulator ("Opera" comes before
// "Mozilla") and a desktop browser.
inline constexpr const char* kPhoneAgent =
    "Nokia6600/1.0 (4.09.1) SymbianOS/7.0s Series60/2.0 Profile/MIDP-2.0 "
    "Configuration/CLDC-1.0";
inline constexpr const char* kSimulatorAgent =
    "Opera/9.80 (J2ME/MIDP; Opera Mini/9.80 (S60; SymbOS; Opera Mobi/23.348; U; en) Presto/2.5.25";
inline constexpr const char* kDesktopAgent = "Mozilla/5.0 (Windows NT 10.0; Win64; x64)";

// A query string that holds two of the guard's default words ("+", "and").
inline constexpr const char* kInjectedUrl = "/list.asp?id=1+and+1=1";

inline constexpr std::u16string_view kWmlDoctype =
    u"<!DOCTYPE wml PUBLIC \"-//WAPFORUM//DTD WML 1.1//EN\" "
    u"\"http://www.wapforum.org/DTD/wml_1.1.xml\">";
inline constexpr std::u16string_view kWmlHead =
    u"<wml><head><meta http-equiv=\"Cache-Control\" content=\"max-age=300\" "
    u"forua=\"true\"/></head>";
inline constexpr std::u16string_view kMobileDoctypeAndRoot =
    u"<!DOCTYPE html PUBLIC \"-//WAPFORUM//DTD XHTML Mobile 1.0//EN\" "
    u"\"http://www.wapforum.org/DTD/xhtml-mobile10.dtd\">"
    u"<html xmlns=\"http://www.w3.org/1999/xhtml\"><head>";
inline constexpr std::u16string_view kMarginlessBody =
    u"</head><body leftmargin=\"0\" topmargin=\"0\" marginwidth=\"0\" marginheight=\"0\">";
inline constexpr std::u16string_view kMainBody = u"</head><body>\r\n<div class=\"mainbody\">";

// The warnings as the output filter writes them (the Chinese one as
// character references).
inline constexpr std::u16string_view kChineseWarning =
    u"&#x672C;&#x7AD9;&#x63D0;&#x793A;&#x60A8;&#x4E0D;&#x8981;&#x8FDB;&#x884C;&#x975E;&#x6CD5;"
    u"SQL&#x6CE8;&#x5165;&#xFF0C;&#x60A8;&#x7684;IP&#x5DF2;&#x88AB;&#x8BB0;&#x5F55;&#x3002;";
inline constexpr std::u16string_view kEnglishWarningLower =
    u"Our site prompt that you do not engage in illegal SQL injection, your IP has been recorded!";
inline constexpr std::u16string_view kEnglishWarning =
    u"Our Site prompt that you do not engage in illegal SQL injection, your IP has been recorded!";

inline engine::RequestFacts FactsFor(const char* agent, std::string url) {
  engine::RequestFacts facts;
  facts.url = std::move(url);
  facts.host = "m.example.com";
  facts.headers = {{"User-Agent", agent}};
  return facts;
}

// An object of class `class_name` ("WAP", "EnXML", ...) started on a page.
// The session starts on code page 936, as the engine's default, so that a
// header's switch to 65001 shows.
struct FramePage {
  FramePage(std::u16string_view class_name, const char* agent, std::string url = "/index.asp")
      : page(FactsFor(agent, std::move(url)), "/srv/site",
             std::make_shared<engine::MemorySession>(),
             std::make_shared<engine::MemoryApplication>()) {
    object = std::dynamic_pointer_cast<PageObject>(page.context().GetServer()->CreateObject(
        std::u16string(u"Zorvadel.") + std::u16string(class_name)));
  }
  ~FramePage() { page.EndPage(); }

  PageState& state() { return object->state(); }
  // The frames write only ASCII (references for the rest), so the body reads
  // the same in either code page.
  std::u16string Body() const { return codepage::FromUtf8(page.Body()); }
  Variant Call(std::u16string_view member, std::vector<Variant> args = {}) {
    return Invoke(*object, member, std::move(args));
  }
  std::optional<std::string> Header(std::string_view name) const {
    for (const auto& [key, value] : page.Result().headers) {
      if (key == name) return value;
    }
    return std::nullopt;
  }

  engine::MemoryPage page;
  std::shared_ptr<PageObject> object;
};

inline std::string U8(std::u16string_view text) { return codepage::ToUtf8(text); }

}  // namespace zorvadel::frame_test

#endif  // ZORVADEL_TESTS_MARKUP_FRAME_TEST_UTIL_H_
