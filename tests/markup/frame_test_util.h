// Set-up shared by the page-frame tests: a page object started over the
// in-memory engine for a given user agent and address, the response read back
// as text, and the fixed pieces the frames write.
#ifndef ZORVADEL_TESTS_MARKUP_FRAME_TEST_UTIL_H_
#define ZORVADEL_TESTS_MARKUP_FRAME_TEST_UTIL_H_

#include <string>
#include <string_view>
#include <utility>

#include "platform/codepage/codepage.h"
#include "support/page_fixture.h"

namespace zorvadel::frame_test {

using test::kDesktopAgent;
using test::kPhoneAgent;
using test::kSimulatorAgent;

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

// An object of class `class_name` ("WAP", "EnXML", ...) started on a page; the
// session keeps the engine's code page 936, so that a header's switch shows.
struct FramePage : test::TestPage {
  FramePage(std::u16string_view class_name, const char* agent, std::string url = "/index.asp",
            std::string host = "m.example.com")
      : TestPage(class_name, test::PageOptions()
                                 .WithAgent(agent)
                                 .WithUrl(std::move(url))
                                 .WithHost(std::move(host))
                                 .WithCodePage(0)) {}
};

inline std::string U8(std::u16string_view text) { return codepage::ToUtf8(text); }

}  // namespace zorvadel::frame_test

#endif  // ZORVADEL_TESTS_MARKUP_FRAME_TEST_UTIL_H_
