// The members that write text or markup as it comes, without the output
// filter: each class that has one, given every character XML 1.0 cannot
// carry and references to such characters, writes or returns exactly what it
// would for the text without them, and what XML can carry (Chinese, a pair,
// a reference, markup) byte for byte.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/codepage/codepage.h"
#include "support/member_calls.h"
#include "support/page_fixture.h"
#include "text/xml_chars.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

std::string U8(std::u16string_view text) { return codepage::ToUtf8(text); }

std::u16string Units(std::initializer_list<char16_t> units) { return std::u16string(units); }

// Every C0 control but tab, line feed and carriage return.
std::u16string Controls() {
  std::u16string controls;
  for (char16_t c = 0; c < 0x20; ++c) {
    if (c != u'\t' && c != u'\n' && c != u'\r') controls.push_back(c);
  }
  return controls;
}

// Characters alone, then the same with references to what XML cannot
// carry, one of them formed only once a control inside it has gone. A lone
// high surrogate stands before a pair, a lone low one after it.
const std::u16string kDirtyUnits = u"x" + Controls() + u"中" + Units({0xFFFE, 0xFFFF, 0xD800}) +
                                   u"\U0001F600" + Units({0xDC00}) + u"y";
const std::u16string kCleanUnits = u"x中\U0001F600y";
const std::u16string kDirty =
    kDirtyUnits + u"&#0;&#x1;&#xFFFF;&#" + Units({0x01}) + u"0;&#x4E2D;z";
const std::u16string kClean = kCleanUnits + u"&#x4E2D;z";

// The classes a row runs on.
enum : unsigned {
  kXml = 1,
  kEnXml = 2,
  kWap = 4,
  kEnWap = 8,
  kPhpXml = 16,
  kCommon = 32,
  kWapXhtml = 64,
  kWapWml = 128,
  kXhtmlPages = kXml | kEnXml,
  kWmlPages = kWap | kEnWap,
};
constexpr std::pair<unsigned, const char16_t*> kClasses[] = {
    {kXml, u"XML"},       {kEnXml, u"EnXML"},       {kWap, u"WAP"},
    {kEnWap, u"EnWAP"},   {kPhpXml, u"PHPXML"},     {kCommon, u"Common"},
    {kWapXhtml, u"WAPXHTML"}, {kWapWml, u"WAPWML"},
};
constexpr unsigned kPages = kXhtmlPages | kWmlPages | kPhpXml;

using Args = std::function<std::vector<Variant>(const std::u16string&)>;
Variant V(std::u16string text) { return Variant(std::move(text)); }

// What a call gave: its result, or what it wrote when it gave none.
std::u16string Output(const char16_t* class_name, std::u16string_view member,
                      std::vector<Variant> args) {
  test::TestPage page(class_name);
  if (page.object == nullptr) {
    return CStr(Invoke(*test::NewByProgId(class_name), member, std::move(args)));
  }
  const Variant result = page.Call(member, std::move(args));
  return result.IsString() ? result.string() : page.Body();
}

// ---- The named raw members: exact output --------------------------------------------

struct ExactRow {
  const char16_t* member;
  unsigned classes;
  Args args;
  std::u16string out;  // for kClean
};

TEST(RawMembers, WriteExactlyWhatXmlCanCarry) {
  const ExactRow rows[] = {
      {u"WriteLine", kXhtmlPages | kWmlPages, [](auto& t) { return std::vector{V(t)}; }, kClean},
      {u"WriteTo", kXhtmlPages | kWmlPages, [](auto& t) { return std::vector{V(t)}; },
       kClean + u"<br/>"},
      {u"UbbWML", kWmlPages | kWapWml, [](auto& t) { return std::vector{V(u"[b]" + t + u"[/b]")}; },
       u"<b>" + kClean + u"</b>"},
      {u"UbbXML", kXhtmlPages | kPhpXml | kWapXhtml,
       [](auto& t) { return std::vector{V(u"[i]<u>" + t)}; }, u"<i><u>" + kClean},
      {u"P", kXhtmlPages | kWapXhtml,
       [](auto& t) { return std::vector{V(t), V(u"Left"), V(u"#")}; },
       u"<p id=\"#\" style=\"text-align:left\">" + kClean + u"</p>"},
      {u"Div", kXhtmlPages | kWapXhtml, [](auto& t) { return std::vector{V(t), V(u""), V(u"m")}; },
       u"<div id=\"m\">" + kClean + u"</div>"},
      {u"FixWmlCode", kWmlPages, [](auto& t) { return std::vector{V(t + u"<br>")}; },
       kClean + u"<br/>"},
      {u"FixCodes", kXhtmlPages | kPhpXml | kCommon,
       [](auto& t) { return std::vector{V(t + u"<br>")}; }, kClean + u"<br/>"},
      {u"Comment", kXhtmlPages | kWmlPages | kWapXhtml, [](auto& t) { return std::vector{V(t)}; },
       u"<!--*(^O^)" + kClean + u"(^O^)*-->"},
      {u"DelSpecialMark", kPages | kCommon, [](auto& t) { return std::vector{V(t)}; }, kClean},
      {u"SpecialMark", kPages | kCommon, [](auto& t) { return std::vector{V(t)}; },
       kCleanUnits + u"&amp;#0;&amp;#x1;&amp;#xFFFF;&amp;#0;&amp;#x4E2D;z"},
  };
  for (const ExactRow& row : rows) {
    for (const auto& [bit, class_name] : kClasses) {
      if ((row.classes & bit) == 0) continue;
      SCOPED_TRACE(U8(row.member) + " of " + U8(class_name));
      EXPECT_EQ(U8(Output(class_name, row.member, row.args(kDirty))), U8(row.out));
    }
  }
}

// PHPXML's paragraph and division pass their content through the output
// filter too, which writes the same text as references.
TEST(RawMembers, PhpXmlParagraphsAreFilteredAsWell) {
  const std::u16string filtered = u"x&#x4E2D;&#x1F600;y&#x4E2D;z";
  EXPECT_EQ(U8(Output(u"PHPXML", u"P", {V(kDirty), V(u"left"), V(u"a")})),
            U8(u"<p id=\"a\" style=\"text-align:left\">" + filtered + u"</p>"));
  EXPECT_EQ(U8(Output(u"PHPXML", u"Div", {V(kDirty), V(u"left"), V(u"a")})),
            U8(u"<div id=\"a\" align=\"left\">" + filtered + u"</div>"));
}

// ---- Every other member that writes markup as given ---------------------------------

struct SameRow {
  const char16_t* member;
  unsigned classes;
  Args args;
  bool units_only = false;  // the member escapes "&", so references are text
};

TEST(RawMembers, DropAndOtherwiseWriteAsForTheCleanText) {
  const Variant no(false), yes(true), none(u"");
  const SameRow rows[] = {
      {u"HtmlEnCode", (kPages & ~kPhpXml) | kCommon, [](auto& t) { return std::vector{V(t)}; },
       true},
      {u"EnterHebing", kCommon, [](auto& t) { return std::vector{V(t + u"\r\n")}; }},
      {u"SplitText", kXhtmlPages | kWmlPages | kCommon,
       [](auto& t) { return std::vector{V(t + u"|b"), V(u"|"), V(u"<i>" + t), V(t), V(u"-")}; }},
      {u"SplitRichText", kXhtmlPages | kWmlPages | kCommon,
       [](auto& t) { return std::vector{V(t), V(u"v"), V(u"|"), V(t), V(t), V(u"/")}; }},
      {u"FontStyle", kCommon, [](auto& t) { return std::vector{V(t), V(u"b " + t)}; }},
      {u"Card", kWmlPages,
       [=](auto& t) {
         return std::vector{V(u"c"), V(u"t"), V(u"left"), V(u"wrap"), no, no, V(t), V(u"5"), V(t)};
       }},
      {u"TextIn", kWmlPages,
       [=](auto& t) { return std::vector{V(u"s"), V(u"text"), V(u"n"), V(u"v"), V(u"t"), V(t)}; }},
      {u"Selects", kWmlPages,
       [=](auto& t) { return std::vector{V(u"t"), V(u"n"), V(u"v"), none, none, yes, V(t)}; }},
      {u"Img", kXhtmlPages | kWmlPages,
       [](auto& t) { return std::vector{V(u"a.gif"), V(u"t"), V(t)}; }},
      {u"DoGo", kWmlPages,
       [=](auto& t) { return std::vector{V(u"a.asp"), V(u"accept"), V(u"l"), none, no, V(t)}; }},
      {u"EventGo", kWmlPages,
       [](auto& t) { return std::vector{V(u"a.asp"), V(u"ontimer"), V(t)}; }},
      {u"IncEvent", kWmlPages, [](auto& t) { return std::vector{V(u"ontimer"), V(t)}; }},
      {u"IncTaskGo", kWmlPages,
       [](auto& t) { return std::vector{V(u"a.asp"), V(u"utf-8"), V(u"get"), V(t)}; }},
  };
  for (const SameRow& row : rows) {
    for (const auto& [bit, class_name] : kClasses) {
      if ((row.classes & bit) == 0) continue;
      SCOPED_TRACE(U8(row.member) + " of " + U8(class_name));
      const std::u16string& dirty = row.units_only ? kDirtyUnits : kDirty;
      const std::u16string& clean = row.units_only ? kCleanUnits : kClean;
      const std::u16string got = Output(class_name, row.member, row.args(dirty));
      EXPECT_EQ(U8(got), U8(Output(class_name, row.member, row.args(clean))));
      EXPECT_NE(got.find(u"\U0001F600"), std::u16string::npos) << U8(got);
    }
  }
}

// The settings summary copies settings as they were set, markup and all.
TEST(RawMembers, SettingsSummaryDropsWhatXmlCannotCarry) {
  for (const char16_t* class_name : {u"WAP", u"EnWAP"}) {
    test::TestPage page(class_name);
    page.state().StrSql = u"<b>" + kDirty;
    const std::u16string summary = page.Call(u"DebugInfo", {V(u"all")}).string();
    EXPECT_NE(summary.find(u"<b>" + kClean + u"<br/>"), std::u16string::npos) << U8(summary);
    std::u16string kept = summary;
    text::KeepXmlCarried(&kept);
    EXPECT_EQ(kept, summary);
  }
}

}  // namespace
}  // namespace zorvadel
