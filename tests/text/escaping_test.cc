// HTML encoding and decoding, the two entity escapes and the line-break
// collapse, as pure functions and as members reached by name.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/codepage/codepage.h"
#include "text/html_escape.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/runtime.h"

namespace zorvadel::text {
namespace {

struct Case {
  std::u16string in;
  std::u16string out;
};

std::u16string Repeat(std::u16string_view piece, size_t times) {
  std::u16string out;
  for (size_t i = 0; i < times; ++i) out.append(piece);
  return out;
}

TEST(HtmlEnCodeTest, Table) {
  const Case cases[] = {
      {u"", u""},
      {u"  ", u"&nbsp;&nbsp;"},
      {u" ", u"&nbsp;"},
      {u"a b", u"a b"},
      {u" a b ", u"&nbsp;a b&nbsp;"},
      {u"a  b", u"a&nbsp;&nbsp;b"},
      {u"a \tb", u"a&nbsp;    b"},
      {u"a\t b", u"a    &nbsp;b"},
      {u"\r\n", u"\r\n\n"},
      {u"&lt;", u"&amp;lt;"},
      {u"<a href=\"x\">", u"&lt;a href=&quot;x&quot;&gt;"},
      {u"\u4e2d\u6587 x", u"\u4e2d\u6587 x"},
  };
  for (const Case& c : cases) EXPECT_EQ(HtmlEnCode(c.in), c.out) << codepage::ToUtf8(c.in);
}

TEST(HTMLDecodeTest, Table) {
  const Case cases[] = {
      {u"", u""},
      {u"no entities", u"no entities"},
      {u"&quot;&nbsp;&gt;&lt;&amp;", u"\" ><&"},
      {u"&#60;&#38;&#65;&#1;", u"<&A\x01"},
      {u"&#128;", u"\u20ac"},
      // What an entity gives is never decoded again.
      {u"&amp;lt;", u"&lt;"},
      {u"&amp;amp;", u"&amp;"},
      {u"&amp;#60;", u"&#60;"},
      {u"&#38;#60;", u"&#60;"},
      {u"&#38;lt;", u"&lt;"},
      {u"&#6&#48;;", u"&#60;"},
      {u"&#38;&#38;", u"&&"},
      // Not references: leading zeros, 0, above 255, hexadecimal, unclosed,
      // upper case, and lead bytes of code page 936 that name no character.
      {u"&#0060;", u"&#0060;"},
      {u"&#0;", u"&#0;"},
      {u"&#256;&#1000;&#2555;", u"&#256;&#1000;&#2555;"},
      {u"&#x3C;", u"&#x3C;"},
      {u"&#60", u"&#60"},
      {u"&LT;&Amp;", u"&LT;&Amp;"},
      {u"&#129;&#254;&#255;", u"&#129;&#254;&#255;"},
      {u"&&lt;&", u"&<&"},
      {u"&#;&#", u"&#;&#"},
  };
  for (const Case& c : cases) EXPECT_EQ(HTMLDecode(c.in), c.out) << codepage::ToUtf8(c.in);
}

// Whatever a text holds, escaping each of its ampersands (and any other
// character at will) as an entity or a decimal reference and decoding gives
// the text back: the decoder reads each escape once and nothing it wrote.
TEST(HTMLDecodeTest, DecodesEveryEscapeOnce) {
  struct Escape {
    char16_t c;
    std::u16string_view named;
  };
  constexpr Escape kNamed[] = {
      {u'&', u"&amp;"}, {u'"', u"&quot;"}, {u'<', u"&lt;"}, {u'>', u"&gt;"}, {u' ', u"&nbsp;"},
  };
  std::mt19937 rng(20240607);
  const std::u16string alphabet = u"&&&##;;0123456789ltgampquosbx <>\"\u4e2d";
  for (int round = 0; round < 5000; ++round) {
    std::u16string text, escaped;
    const int length = static_cast<int>(rng() % 24);
    for (int i = 0; i < length; ++i) {
      const char16_t c = alphabet[rng() % alphabet.size()];
      text.push_back(c);
      const uint16_t code = codepage::GbkCode(c);
      const int how = static_cast<int>(rng() % 3);
      if (how == 1 && code >= 1 && code <= 255) {
        escaped += u"&#" + CStr(Variant(int32_t{code})) + u";";
        continue;
      }
      const Escape* named = nullptr;
      for (const Escape& e : kNamed) {
        if (e.c == c) named = &e;
      }
      if (named && (how != 0 || c == u'&')) {
        escaped += named->named;
      } else {
        escaped.push_back(c);
      }
    }
    ASSERT_EQ(HTMLDecode(escaped), text) << codepage::ToUtf8(escaped);
  }
}

TEST(SpecialMarkTest, Table) {
  const Case cases[] = {
      {u"", u""},
      {u"&lt;", u"&amp;lt;"},
      {u"\r\n", u"&nbsp;&nbsp;"},
      {u"'", u"&apos;"},
      {u"a <b> \"c\"", u"a&nbsp;&lt;b&gt;&nbsp;&quot;c&quot;"},
  };
  for (const Case& c : cases) EXPECT_EQ(SpecialMark(c.in), c.out) << codepage::ToUtf8(c.in);
}

TEST(DelSpecialMarkTest, Table) {
  const Case cases[] = {
      {u"", u""},
      {u"&nbsp;&nbsp;", u" "},
      {u"a   b", u"a  b"},
      {u"a    b", u"a  b"},
      {u"a\u3000b", u"a b"},
      {u"a\t\tb", u"a b"},
      {u"a" + Repeat(u"\r\n", 10) + u"b", u"a<br/>b"},
      {u"a\nb\rc", u"a\nb\rc"},
      {u"<b>x</b>", u"&lt;b&gt;x&lt;/b&gt;"},
      {u"a<br/>b", u"a<br/>b"},
      {u"<br/><br/>", u"<br/><br/>"},
      {u"<BR/>", u"&lt;BR/&gt;"},
      {u"a & b", u"a & b"},
      {u"it's \"x\"", u"it&apos;s &quot;x&quot;"},
  };
  for (const Case& c : cases) EXPECT_EQ(DelSpecialMark(c.in), c.out) << codepage::ToUtf8(c.in);
}

TEST(EnterHebingTest, BreakRuns) {
  struct Run {
    size_t breaks;
    size_t left;
  };
  const Run runs[] = {{1, 1}, {2, 1}, {5, 1}, {17, 1}, {38, 1}, {39, 2}, {100, 2}};
  for (const Run& r : runs) {
    EXPECT_EQ(EnterHebing(u"x" + Repeat(u"<br/>", r.breaks) + u"y"),
              u"x" + Repeat(u"<br/>", r.left) + u"y")
        << r.breaks;
  }
  EXPECT_EQ(EnterHebing(u"a&#xD;&#xA;b\r\nc\nd"), u"a<br/>b<br/>c\nd");
  EXPECT_EQ(EnterHebing(u""), u"");
}

// Long texts are compared with == alone: a failure message would diff them.
TEST(EscapingTest, MebibyteTexts) {
  const std::u16string cascade = Repeat(u"&#6&#48;;&#38;#60; \r\n<br/>\t", 1 << 16);
  EXPECT_TRUE(HTMLDecode(cascade) == Repeat(u"&#60;&#60; \r\n<br/>\t", 1 << 16));
  EXPECT_TRUE(HTMLDecode(Repeat(u"&amp;lt;", 1 << 17)) == Repeat(u"&lt;", 1 << 17));
  EXPECT_TRUE(DelSpecialMark(cascade) == Repeat(u"&#6&#48;;&#38;#60; <br/><br/> ", 1 << 16));
  EXPECT_TRUE(SpecialMark(Repeat(u"&", 1 << 20)) == Repeat(u"&amp;", 1 << 20));
  EXPECT_TRUE(HtmlEnCode(Repeat(u" ", 1 << 20)) == Repeat(u"&nbsp;", 1 << 20));
  EXPECT_EQ(EnterHebing(Repeat(u"\r\n", 1 << 19)).size(), 5u * 4370);
}

}  // namespace
}  // namespace zorvadel::text

// ---- The members by name, and the forwarding of the page classes ---------------

namespace zorvadel {
namespace {

std::shared_ptr<PageObject> NewPage(std::u16string_view name) {
  return std::dynamic_pointer_cast<PageObject>(CreateByProgId(u"Zorvadel." + std::u16string(name)));
}

Variant Call(Object& object, std::u16string_view member, std::vector<Variant> args) {
  return Invoke(object, member, std::move(args));
}

TEST(TextMembersTest, CommonByName) {
  auto common = std::dynamic_pointer_cast<Common>(CreateByProgId(u"Zorvadel.Common"));
  ASSERT_TRUE(common);
  EXPECT_EQ(Call(*common, u"htmlencode", {Variant(u" <a>")}).string(), u"&nbsp;&lt;a&gt;");
  EXPECT_EQ(Call(*common, u"HTMLDecode", {Variant(u"&#60;")}).string(), u"<");
  EXPECT_EQ(Call(*common, u"HTMLDecode", {Variant(u"&amp;lt;")}).string(), u"&lt;");
  EXPECT_EQ(Call(*common, u"SpecialMark", {Variant(u"a b")}).string(), u"a&nbsp;b");
  EXPECT_EQ(Call(*common, u"DelSpecialMark", {Variant(u"<b>")}).string(), u"&lt;b&gt;");
  EXPECT_EQ(Call(*common, u"EnterHebing", {Variant(u"\r\n\r\n")}).string(), u"<br/>");
  EXPECT_EQ(Call(*common, u"FixCodes", {Variant(u"b>x&l")}).string(), u"<b>x&lt;");
  // Arguments are coerced to text.
  EXPECT_EQ(Call(*common, u"SpecialMark", {Variant(int16_t{12})}).string(), u"12");
  EXPECT_THROW(Call(*common, u"SpecialMark", {}), ScriptError);
}

// Which page class offers which member by name.
TEST(TextMembersTest, ClassDifferences) {
  struct Row {
    std::u16string_view member;
    bool xml, en_xml, wap, en_wap, php;
  };
  const Row rows[] = {
      {u"HtmlEnCode", true, true, true, true, false},
      {u"HTMLDecode", true, true, true, true, false},
      {u"SpecialMark", true, true, true, true, true},
      {u"DelSpecialMark", true, true, true, true, true},
      {u"FixCodes", true, true, false, false, true},
      {u"FixWmlCode", false, false, true, true, false},
      {u"SplitText", true, true, true, true, false},
      {u"SplitRichText", true, true, true, true, false},
      {u"SplitMultiText", true, true, true, true, false},
      {u"ReplaceString", true, true, true, true, false},
      {u"EnterHebing", false, false, false, false, false},
  };
  const std::u16string_view classes[] = {u"XML", u"EnXML", u"WAP", u"EnWAP", u"PHPXML"};
  for (const Row& row : rows) {
    const bool has[] = {row.xml, row.en_xml, row.wap, row.en_wap, row.php};
    for (size_t i = 0; i < std::size(classes); ++i) {
      auto page = NewPage(classes[i]);
      EXPECT_EQ(page->Class().Find(row.member, MemberKind::kMethod) != nullptr, has[i])
          << codepage::ToUtf8(row.member) << " of " << codepage::ToUtf8(classes[i]);
    }
  }
  EXPECT_TRUE(NewPage(u"XML")->Class().Has(u"FontStyle"));
  EXPECT_FALSE(NewPage(u"PHPXML")->Class().Has(u"FontStyle"));
}

TEST(TextMembersTest, EnXmlHtmlEnCodeIsVariant) {
  auto en = NewPage(u"EnXML");
  auto xml = NewPage(u"XML");
  EXPECT_EQ(en->Class().Find(u"HtmlEnCode", MemberKind::kMethod)->result, ParamType::kVariant);
  EXPECT_EQ(xml->Class().Find(u"HtmlEnCode", MemberKind::kMethod)->result, ParamType::kString);
  const Variant a = Call(*en, u"HtmlEnCode", {Variant(u"a  <b>")});
  const Variant b = Call(*xml, u"HtmlEnCode", {Variant(u"a  <b>")});
  ASSERT_TRUE(a.IsString());
  EXPECT_EQ(a.string(), b.string());
  EXPECT_EQ(a.string(), u"a&nbsp;&nbsp;&lt;b&gt;");
}

TEST(TextMembersTest, CcCreatedOnFirstUseAndKept) {
  auto page = NewPage(u"XML");
  EXPECT_FALSE(page->state().CC);
  EXPECT_EQ(Call(*page, u"SpecialMark", {Variant(u"'")}).string(), u"&apos;");
  const std::shared_ptr<Common> first = page->state().CC;
  ASSERT_TRUE(first);
  Call(*page, u"HTMLDecode", {Variant(u"x")});
  EXPECT_EQ(page->state().CC, first);

  // A script's own instance is used as it is; a cleared one comes back.
  auto own = std::make_shared<Common>();
  page->state().CC = own;
  EXPECT_EQ(Call(*page, u"DelSpecialMark", {Variant(u"a  b")}).string(), u"a b");
  EXPECT_EQ(page->state().CC, own);
  page->state().CC.reset();
  EXPECT_EQ(Call(*page, u"FixCodes", {Variant(u"x<br")}).string(), u"x");
  EXPECT_TRUE(page->state().CC);
  EXPECT_NE(page->state().CC, own);
}

TEST(TextMembersTest, WmlClassesOwnCopiesLeaveCcAlone) {
  for (std::u16string_view name : {u"WAP", u"EnWAP"}) {
    auto page = NewPage(name);
    EXPECT_EQ(Call(*page, u"SplitText", {Variant(u"a,b"), Variant(u","), Variant(u"["),
                                          Variant(u"]"), Variant(u"|")})
                  .string(),
              u"[a|b]");
    EXPECT_EQ(Call(*page, u"SplitRichText", {Variant(u"a"), Variant(u"1"), Variant(u","),
                                              Variant(u"<"), Variant(u"="), Variant(u">")})
                  .string(),
              u"<a=1>");
    EXPECT_FALSE(page->state().CC);
    EXPECT_EQ(Call(*page, u"FixWmlCode", {Variant(u"t;x<b")}).string(), u"&quot;x");
    EXPECT_TRUE(page->state().CC);
  }
  auto xml = NewPage(u"XML");
  Call(*xml, u"SplitText",
       {Variant(u"a"), Variant(u","), Variant(u""), Variant(u""), Variant(u"")});
  EXPECT_TRUE(xml->state().CC);
}

TEST(TextMembersTest, FailedForwardGivesEmptyText) {
  auto page = NewPage(u"XML");
  EXPECT_EQ(page->ForwardToCC([](Common&) -> std::u16string { throw ScriptError(kErrOverflow); }),
            u"");
  EXPECT_TRUE(page->state().CC);
}

}  // namespace
}  // namespace zorvadel
