// Character forms (simplified/traditional through code page 936, full-width
// and half-width, GB2312 zone/position codes), numeric character references
// (the keep rule of ampersands, the escaping of units outside 32-255, and the
// decoder that reads references back), HTML encoding and decoding, the two
// entity escapes, the line-break collapse, the repair of a piece cut out of a
// longer markup text, and tag stripping (MoveJS, FilterHtml and DelHtml of
// Common).
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "data/st_table.h"
#include "platform/codepage/codepage.h"
#include "runtime/joined.h"
#include "support/text_cases.h"
#include "text/charset_forms.h"
#include "text/charset_refs.h"
#include "text/cut_repair.h"
#include "text/html_escape.h"
#include "zorvadel/classes.h"

namespace zorvadel::text {
namespace {

using test::Case;

// The table's own pairs are checked below; here, what lies outside it.
TEST(CharsetSimplifiedTraditional, CharactersOutsideTheTable) {
  const Case to_traditional[] = {
      {u"", u""},
      {u"a\u0E01b", u"a\u0E01b"},  // no code page 936 form: kept as it is
      {u"😀汉", u"😀漢"},
      {u"\xD800x\xDC00", u"\xD800x\xDC00"},
      {std::u16string(u"汉\0汉", 3), std::u16string(u"漢\0漢", 3)},  // U+0000 ends nothing
  };
  for (const Case& c : to_traditional) EXPECT_EQ(JToF(c.in), c.out);
  EXPECT_EQ(FToJ(u"a\u0E01b"), u"a\u0E01b");
  EXPECT_EQ(FToJ(std::u16string(u"x\0漢", 3)), std::u16string(u"x\0汉", 3));
  // Each character keeps the length of its code page 936 form.
  const std::u16string mixed = u"简体與繁體 mixed 😀 text，€";
  EXPECT_EQ(codepage::ToGbk(JToF(mixed)).size(), codepage::ToGbk(mixed).size());
  EXPECT_EQ(codepage::ToGbk(FToJ(mixed)).size(), codepage::ToGbk(mixed).size());
}

// Every character of code page 936, alone and all in one text, maps to its
// pair in the table, or to itself when the table has none.
TEST(CharsetSimplifiedTraditional, AgreesWithTableOnAllOfCodePage936) {
  const struct {
    std::u16string (*convert)(std::u16string_view);
    const data::CharPair* pairs;
    size_t size;
  } directions[] = {
      {&JToF, data::kSimplifiedToTraditional, data::kSimplifiedToTraditionalSize},
      {&FToJ, data::kTraditionalToSimplified, data::kTraditionalToSimplifiedSize},
  };
  for (const auto& d : directions) {
    std::map<char16_t, char16_t> table;
    for (size_t i = 0; i < d.size; ++i) table.emplace(d.pairs[i].from, d.pairs[i].to);
    std::u16string all, expected_all;
    size_t mapped = 0;
    for (uint32_t code = 1; code <= 0xFFFF; ++code) {
      const char16_t c = codepage::FromGbkCode(static_cast<uint16_t>(code));
      if (c == 0) continue;
      const auto pair = table.find(c);
      const char16_t expected = pair == table.end() ? c : pair->second;
      mapped += pair != table.end();
      ASSERT_EQ(d.convert(std::u16string(1, c)), std::u16string(1, expected)) << std::hex << code;
      all.push_back(c);
      expected_all.push_back(expected);
    }
    EXPECT_GT(all.size(), 21000u);
    EXPECT_EQ(mapped, d.size);  // every key of the table is a character of code page 936
    EXPECT_TRUE(d.convert(all) == expected_all);
    // Far beyond any 16-bit count, nothing is cut or shifted.
    EXPECT_TRUE(d.convert(all + all + all + all) == expected_all + expected_all + expected_all +
                                                       expected_all);
  }
}

TEST(CharsetWidth, WideAndNarrow) {
  const Case pairs[] = {
      {u"Ab 1!~", u"Ａｂ　１！～"},
      {u"中文", u"中文"},
      {u"\t\x7F\x1F", u"\t\x7F\x1F"},
      {u"", u""},
  };
  for (const Case& c : pairs) {
    EXPECT_EQ(StrToWide(c.in), c.out);
    EXPECT_EQ(StrToNarrow(c.out), c.in);
  }
  EXPECT_EQ(StrToNarrow(u"\xFF00\xFF5F\xFFE5"), u"\xFF00\xFF5F\xFFE5");
  EXPECT_EQ(StrToWide(u"Ａ"), u"Ａ");
}

TEST(CharsetZonePosition, Encode) {
  const struct {
    std::u16string text;
    std::u16string mark;
    std::u16string expected;
  } cases[] = {
      {u"中a文", u",", u"中:5448,文:4636,"},
      {u"，", u",", u"，:0312,"},
      {u"爱", u"", u"爱:1614"},
      {u"丂\u0E01😀", u",", u""},  // GBK extension, no form, surrogates
      {std::u16string(u"中\0文", 3), u",", u"中:5448,文:4636,"},
  };
  for (const auto& c : cases) EXPECT_EQ(QWMEnCode(c.text, c.mark), c.expected);
}

TEST(CharsetZonePosition, Decode) {
  const struct {
    int16_t code;
    std::u16string expected;
  } cases[] = {
      {1614, u"爱"}, {312, u"，"}, {1601, u"啊"}, {8794, u"齄"}, {9999, u""}, {9495, u""},
  };
  for (const auto& c : cases) EXPECT_EQ(QWMDeCode(c.code), c.expected) << c.code;
  // Whatever the code, at most one character and never a crash.
  for (int code = -32768; code <= 32767; code += 7) {
    EXPECT_LE(QWMDeCode(static_cast<int16_t>(code)).size(), 1u);
  }
}

// ---- Numeric character references ------------------------------------------------

using test::Repeat;

TEST(CharsetKeepsEntity, Segments) {
  struct Keep {
    std::u16string_view segment;
    bool kept;
  };
  const Keep cases[] = {
      {u"&lt", true},           {u"&gt", true},     {u"&apos", true},   {u"&quot", true},
      {u"&amp", true},          {u"&nbsp", true},   {u"&LT", false},    {u"&Amp", false},
      {u"&copy", false},        {u"&", false},      {u"&#", false},     {u"&#x", false},
      {u"&#X", false},          {u"&#x4e2d", true}, {u"&#X4E2D", true}, {u"&#xFFFF", true},
      {u"&#x4G", false},        {u"&#20013", true}, {u"&#-5", true},    {u"&#1e3", true},
      {u"&#12a", false},        {u"&#1.5", true},   {u"&#x1.5", false}, {u"&lt ", false},
      {u"&#&H41", true},  // the general parse reads radix literals too
      {u"&#xFFFFFFFFF", false},
  };
  for (const Keep& c : cases) {
    EXPECT_EQ(KeepsEntity(c.segment), c.kept) << std::string(c.segment.begin(), c.segment.end());
  }
}

TEST(CharsetUni, RepairsAndEscapes) {
  const Case cases[] = {
      {u"", u""},
      {u"AT&T", u"AT&amp;T"},
      {u"a & b;", u"a &amp; b;"},
      {u"&&#x41;", u"&amp;&#x41;"},
      {u"&lt;&#x41&gt;", u"&lt;&amp;#x41&gt;"},
      {u"中", u"&#x4E2D;"},
      // Control characters, characters outside the basic plane and lone
      // surrogates as the output filter's table has them (Uni is its
      // escaping: OutputFilterTest.AgreesWithTwoPasses).
      {u"\uFFFF", u""},
      {u"&\xD83D", u"&amp;"},
      {u"&中;", u"&amp;&#x4E2D;;"},
      {u"&#&H4&1;", u"&amp;#&amp;H4&amp;1;"},
  };
  for (const Case& c : cases) EXPECT_EQ(Uni(c.in), c.out);
}

TEST(CharsetUtfToGb, Decodes) {
  const Case cases[] = {
      {u"", u""},
      {u"&#x4E2D;&#x4e2d;", u"中中"},
      {u"&#X4E2D;&#20013;&lt;", u"&#X4E2D;&#20013;&lt;"},
      {u"a&#x5173;", u"a关"},
      {u"&#x00000000041;", u"A"},
      // Above FFFF: the surrogate pair; the pair written as two references
      // (as older pages carry it) gives the same.
      {u"a&#x10000;b&#x41;c", u"a\U00010000bAc"},
      {u"&#x10FFFF;", u"\U0010FFFF"},
      {u"&#xD83D;&#xDE00;", u"😀"},
      {u"a&#x0;b", std::u16string(u"a\0b", 3)},
      // What cannot be read stays as it stands, and so does the text after it.
      {u"a&#x", u"a&#x"},
      {u"&#x110000;b&#x41;", u"&#x110000;bA"},  // beyond the last character
      {u"&#xFFFFFFFFF41;b", u"&#xFFFFFFFFF41;b"},
      {u"&#x;x&#x41;", u"&#x;xA"},      // no digits
      {u"&#xZZ;q&#x41;", u"&#xZZ;qA"},  // not hexadecimal
      {u"a&#x41&#x42;b", u"a&#x41Bb"},  // ";" beyond the next reference
      {u"&#x&#x41;", u"&#xA"},
  };
  for (const Case& c : cases) EXPECT_EQ(UtfToGb(c.in), c.out);
}

TEST(CharsetUtfToGb, LongTextsHaveNoPositionLimit) {
  EXPECT_EQ(UtfToGb(Repeat(u"&#x41;", 40000) + u"end"), std::u16string(40000, u'A') + u"end");
  const std::u16string unreadable(100000, u'&');
  EXPECT_EQ(UtfToGb(u"&#x" + unreadable + u"&#x42;"), u"&#x" + unreadable + u"B");
  const std::u16string open_refs = Repeat(u"&#x4", 100000);
  EXPECT_EQ(UtfToGb(open_refs + u";"), open_refs.substr(0, open_refs.size() - 4) + u"\x04");
}

// ---- Escapes ---------------------------------------------------------------------

TEST(HtmlEnCodeTest, Table) {
  const Case cases[] = {
      {u"", u""},
      {u"  ", u"&nbsp;&nbsp;"},
      {u" a b ", u"&nbsp;a b&nbsp;"},
      {u"a \tb", u"a&nbsp;    b"},
      {u"a\t b", u"a    &nbsp;b"},
      {u"\r\n", u"\r\n\n"},
      {u"&lt;", u"&amp;lt;"},
      {u"<a href=\"x\">", u"&lt;a href=&quot;x&quot;&gt;"},
  };
  for (const Case& c : cases) EXPECT_EQ(HtmlEnCode(c.in), c.out) << codepage::ToUtf8(c.in);
}

TEST(HTMLDecodeTest, Table) {
  const Case cases[] = {
      {u"", u""},
      {u"&quot;&nbsp;&gt;&lt;&amp;", u"\" ><&"},
      {u"&#60;&#38;&#65;&#1;", u"<&A\x01"},
      {u"&#128;", u"\u20ac"},
      // What an entity gives is never decoded again.
      {u"&amp;lt;", u"&lt;"},
      {u"&#38;#60;", u"&#60;"},
      {u"&#6&#48;;", u"&#60;"},
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
      {Joined({u"a", Repeat(u"\r\n", 10), u"b"}), u"a<br/>b"},
      {u"a\nb\rc", u"a\nb\rc"},
      {u"<b>x</b>", u"&lt;b&gt;x&lt;/b&gt;"},
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
  const Run runs[] = {{1, 1}, {2, 1}, {38, 1}, {39, 2}, {100, 2}};
  for (const Run& r : runs) {
    EXPECT_EQ(EnterHebing(Joined({u"x", Repeat(u"<br/>", r.breaks), u"y"})),
              Joined({u"x", Repeat(u"<br/>", r.left), u"y"}))
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
  EXPECT_TRUE(FixCodes(u"b>" + Repeat(u"x<<y>>z<br><br>", 1 << 16) + u"&nb") ==
              u"<b>" + Repeat(u"x<y>z<br/>", 1 << 16) + u"&nbsp;");
}

// FixCodes: the tail and head rungs, the evening out of brackets and
// written breaks, the final collapse.
TEST(FixCodesTest, Repairs) {
  const Case cases[] = {
      // Tail: a rung cuts its edge off or completes it; an "&nbsp" without its
      // ";" and a cut "&amp;nbsp" are dropped.
      {u"ab<", u"ab"}, {u"ab<br/", u"ab"}, {u"ab&l", u"ab&lt;"}, {u"ab&nbs", u"ab&nbsp;"},
      {u"ab&s", u"ab&shy;"}, {u"ab&a", u"ab&apos;"}, {u"ab&nbsp", u"ab"}, {u"ab&amp;nb", u"ab"},
      {u"ab&", u"ab&"}, {u"ab&amp", u"ab&amp"},
      // A cut exposes a tail for later rungs only.
      {u"ab&l<b", u"ab&lt;"}, {u"ab<<b", u"ab<"},
      // Head.
      {u"b>x", u"<b>x"}, {u">x", u"x"}, {u"br/>x", u"x"}, {u"t;x", u"&quot;x"},
      {u"lt;x", u"&lt;x"}, {u"nbsp;x", u"&nbsp;x"}, {u";x", u";x"}, {u"t;", u"&quot;"},
      {u"&l", u"&lt;"}, {u"", u""},
      // Inside: ">>" goes before ">>>", so a run of three ">" ends as two.
      {u"a<<<<c", u"a<c"}, {u"a>>>b", u"a>>b"}, {u"a>>>>>b", u"a>b"}, {u"a<br>b", u"a<br/>b"},
      {u"a<BR>b", u"a<br/>b"}, {u"a<Br>b", u"a<Br>b"}, {u"a&lt;br&gt;b", u"a<br/>b"},
      {u"a\r\nb", u"a<br/>b"}, {Joined({u"a", Repeat(u"<br>", 38), u"b"}), u"a<br/>b"},
      {u"<br/>a", u"<br/>a"},
  };
  for (const Case& c : cases) EXPECT_EQ(FixCodes(c.in), c.out) << codepage::ToUtf8(c.in);
}

// ---- Tag stripping ---------------------------------------------------------------

std::string Shown(const std::u16string& input) { return "input: " + codepage::ToUtf8(input); }

// The link title UbbXML writes.
#define ZV_TITLE u"title=\"&#x786E;&#x5B9A;\""

TEST(StripMoveJS, Samples) {
  const Case cases[] = {
      {u"", u""},
      {u"a<Script>\nvar s = '<b>';\n</sCRIPT >b", u"ab"},
      // Without its end tag the element keeps its content; the tag goes.
      {u"<script>a", u"a"},
      // The second pass runs on to the last ">" before the next "<".
      {u"<b>x</b> 3 > 2 <i>y</i>", u"x 2 y"},
      {u"a < b", u"a < b"},
      {u"<<b>>", u"<"},
      {u"<a\nhref=x>t</a>", u"t"},
  };
  auto common = std::make_shared<Common>();
  for (const Case& c : cases) EXPECT_EQ(common->MoveJS(c.in), c.out) << Shown(c.in);
}

TEST(StripFilterHtml, Samples) {
  const Case cases[] = {
      {u"<p>Hello</p>", u"Hello"},
      // A less-than and a later greater-than on one line go with the text
      // between them.
      {u"a < b and c > d", u"a  d"},
      // "." stops at a line feed, not at a carriage return.
      {u"<a\nhref=x>t</a>", u"<a\nhref=x>t"},
      {u"<a\rhref=x>t</a>", u"t"},
      {u"<>x>y", u"y"},
      {u"[b]bold[/b]<br>", u"<b>bold</b>"},
      {u"<i>[url=a.asp]A[/url]</i>", u"<a " ZV_TITLE u" href=\"a.asp\">A</a>"},
  };
  auto common = std::make_shared<Common>();
  for (const Case& c : cases) EXPECT_EQ(common->FilterHtml(c.in), c.out) << Shown(c.in);
}

TEST(StripFilterHtml, BlankTextNeedsNoCompanion) {
  auto common = std::make_shared<Common>();
  EXPECT_EQ(common->FilterHtml(u""), u"");
  EXPECT_EQ(common->FilterHtml(u"    "), u"");
  EXPECT_EQ(common->state().WH, nullptr);
  // A tab is no blank: the text goes through and WH comes to exist.
  EXPECT_EQ(common->FilterHtml(u"\t"), u"\t");
  ASSERT_NE(common->state().WH, nullptr);
  const auto first = common->state().WH;
  common->FilterHtml(u"x");
  common->DelHtml(u"y");
  EXPECT_EQ(common->state().WH, first);
}

TEST(StripDelHtml, Samples) {
  const Case cases[] = {
      {u"", u""},
      {u"a<br>b<br/>c<BR>d<BR/>e", u"a\r\nb\r\nc\r\nd\r\ne"},
      // Other spellings of the break are ordinary tags.
      {u"a<Br>b<br />c", u"abc"},
      {u"<p class=\"x\">Hi</p>", u"Hi"},
      // What starts no tag stays, with its brackets as text.
      {u"a < b", u"a &lt; b"},
      {u"1<2 and 3>2", u"1&lt;2 and 3&gt;2"},
      {u"<!-- note -->x", u"&lt;!-- note --&gt;x"},
      {u"</ p>", u"&lt;/ p&gt;"},
      // A tag broken over two lines is not one.
      {u"<a\nhref=x>t</a>", u"&lt;a\nhref=x&gt;t"},
      // UBB codes come out as markup, unescaped.
      {u"[b]x[/b]<i>y</i>", u"<b>x</b>y"},
      {u"<p>[url=a.asp]A &amp; B[/url]</p>", u"<a " ZV_TITLE u" href=\"a.asp\">A &amp; B</a>"},
  };
  auto common = std::make_shared<Common>();
  for (const Case& c : cases) EXPECT_EQ(common->DelHtml(c.in), c.out) << Shown(c.in);
}

// Long inputs, tag runs and inputs that make a backtracking engine work hard:
// each gives a defined result and none crashes.
TEST(StripLongText, MebibyteOfTags) {
  constexpr size_t kSize = 1 << 20;
  auto repeat = [](std::u16string_view unit) { return test::Repeat(unit, kSize / unit.size() + 1); };
  auto common = std::make_shared<Common>();
  const std::u16string tags = repeat(u"<b>x</b>");
  const std::u16string xs(tags.size() / 8, u'x');
  EXPECT_EQ(common->MoveJS(tags), xs);
  EXPECT_EQ(common->FilterHtml(tags), xs);
  EXPECT_EQ(common->DelHtml(tags), xs);

  const std::u16string opens(kSize, u'<');
  EXPECT_EQ(common->MoveJS(opens), opens);
  EXPECT_EQ(common->FilterHtml(opens), opens);
  EXPECT_EQ(common->DelHtml(opens).size(), 4 * kSize);

  for (std::u16string_view unit : {u"<a", u"<script>", u"<a\n", u"</b", u"<a>\n<"}) {
    const std::u16string text = repeat(unit);
    EXPECT_LE(common->MoveJS(text).size(), text.size());
    EXPECT_LE(common->FilterHtml(text).size(), text.size());
    EXPECT_LE(common->DelHtml(text).size(), 4 * text.size());
  }
}

}  // namespace
}  // namespace zorvadel::text
