// The output filter Ascii: its steps and their settings in every page
// class, the entity keep rule, the escaping, the pinyin annotation, and
// texts long and hostile enough to show that it stays linear; then the
// response settings, the output primitives and TransWmlFile: what each
// writes, in one Response.Write, and how each class treats errors.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "langdata/pinyin.h"
#include "output/output_filter.h"
#include "output/output_test_util.h"
#include "support/member_calls.h"
#include "support/text_cases.h"
#include "text/charset_refs.h"

namespace zorvadel {
namespace {

// The default pass words once escaped: "**过滤词汇**".
constexpr std::u16string_view kPassEscaped = u"**&#x8FC7;&#x6EE4;&#x8BCD;&#x6C47;**";

// With the page-start defaults of XML and WAP (and their English twins).
const test::Case kDefaultCases[] = {
    {u"a<b>c</b>", u"a<b>c</b>"},
    {u"&amp;&lt;&gt;&apos;&quot;&nbsp;", u"&amp;&lt;&gt;&apos;&quot;&nbsp;"},
    {u"&#65;&#x4E2D;&#X4e2d;", u"&#65;&#x4E2D;&#X4e2d;"},
    {u"&copy;", u"&amp;copy;"},
    {u"&LT;&Amp;", u"&amp;LT;&amp;Amp;"},
    {u"A & B;", u"A &amp; B;"},
    {u"&#-5; &#1.5; &#1e2; &# 7 ;", u"&#-5; &#1.5; &#1e2; &# 7 ;"},
    {u"&#; &#x; &#xZZ; &#a;", u"&amp;#; &amp;#x; &amp;#xZZ; &amp;#a;"},
    // A hexadecimal number too wide for the parse is no number.
    {u"&#x123456789;", u"&amp;#x123456789;"},
    // "&H41" is a number, so the first "&" stays; the second opens no entity.
    {u"&#&H41;", u"&#&amp;H41;"},
    {u"&&&;", u"&amp;&amp;&amp;;"},
    {u"&&lt;", u"&amp;&lt;"},
    {u"\r\n", u"&#xD;&#xA;"},
    // XML admits no reference to the other control characters: they go like
    // U+0000.
    {u"\t|\x1f", u"&#x9;|"},
    {std::u16string(u"a\0b", 3), u"ab"},
    {u"\x01\x08\x0B\x0C\x0E\x1B\x7F", u"\x7F"},
    {u"\u00e9\u00ff\u0100", u"\u00e9\u00ff&#x100;"},
    // One reference per character; a surrogate without its partner is no
    // character at all, and XML carries neither it nor U+FFFE and U+FFFF.
    {u"\U00010000\U0010FFFF", u"&#x10000;&#x10FFFF;"},
    {u"a\xD83D!", u"a!"},
    {u"\xDE00\xD83D", u""},
    {u"\xD83D", u""},
    {u"\xD83D\xD83D\xDE00", u"&#x1F600;"},
    {u"\uFFFD\uFFFE\uFFFF\u4E2D\uFFFE", u"&#xFFFD;&#x4E2D;"},
    // A kept reference to what XML cannot carry goes whole, as the character
    // would; one the keep rule rejects stays text.
    {u"a&#0;&#x1F;&#xD800;&#xdfff;&#xFFFE;&#65535;&#x110000;&#0000;b",  u"ab"},
    {u"&#9;&#xD7FF;&#xE000;&#xFFFD;&#x10FFFF;", u"&#9;&#xD7FF;&#xE000;&#xFFFD;&#x10FFFF;"},
    {u"&#1&#0;2; &#x1F", u"&amp;#12; &amp;#x1F"},
};

TEST(AsciiTest, DefaultSettings) {
  for (const char16_t* name : kWritingClasses) {
    OutputPage p(name);
    for (const test::Case& c : kDefaultCases) {
      EXPECT_EQ(p.object->Ascii(c.in), c.out) << U8(name) << " " << U8(c.in);
    }
  }
}

// Empty in every class and mode; by name in every class.
TEST(AsciiTest, EmptyAndByNameInEveryClass) {
  for (const char16_t* name : kAllClasses) {
    for (int mode = 0; mode < 4; ++mode) {
      OutputPage p(name);
      if (mode == 1) p.state().ChineseType = u"complex";
      if (mode == 2) p.state().WapEnCoding = u"gb2312";
      if (mode == 3) p.state().IsShowPinYin = true;
      EXPECT_EQ(p.object->Ascii(u""), u"") << U8(name) << mode;
    }
    OutputPage p(name);
    EXPECT_EQ(Invoke(*p.object, u"ascii", {Variant(u"中&")}), Variant(u"&#x4E2D;&amp;"))
        << U8(name);
    EXPECT_THROW(Invoke(*p.object, u"Ascii", {}), ScriptError);
  }
}

struct SettingsCase {
  const char16_t* cls;
  std::u16string_view chinese_type;
  std::u16string_view stop_words;
  std::u16string_view font_key_words;
  std::u16string_view wap_en_coding;
  bool pinyin;
  std::u16string_view in;
  std::u16string out;
};

const SettingsCase kSettingsCases[] = {
    // Stop words (their rules are ReplaceStopWords' own), case-sensitive.
    {u"XML", u"", u"bad", u"", u"utf-8", false, u"bad bad",
     std::u16string(kPassEscaped) + u" " + std::u16string(kPassEscaped)},
    {u"XML", u"", u"Bad", u"", u"utf-8", false, u"bad", u"bad"},
    // Keywords through ReplaceString, after the stop words.
    {u"WAP", u"", u"bad", u"key", u"utf-8", false, u"bad key",
     std::u16string(kPassEscaped) + u" <b>key</b>"},
    // The GB2312 stop, in any letter case, but not with blanks around it.
    {u"WAP", u"", u"", u"", u"GB2312", false, u"a & 中\r", u"a & 中\r"},
    {u"XML", u"", u"bad", u"", u"gb2312", true, u"bad 中", u"**过滤词汇** 中"},
    {u"XML", u"", u"", u"", u" gb2312", false, u"& 中", u"&amp; &#x4E2D;"},
    // The conversion still runs before the GB2312 stop.
    {u"WAP", u" Complex ", u"bad|bad", u"", u"GB2312", false, u"国 & bad", u"國 & **过滤词汇**"},
    // Past the stop, what XML cannot carry is dropped all the same.
    {u"EnWAP", u"", u"", u"", u"gb2312", false,
     u"\x0B\x01" u"a\uFFFE\uFFFF\xD800 & 中\U0001F600&#xFFFE;&#0;&#x41;&#X0;\t\r\n",
     u"a & 中\U0001F600&#x41;&#X0;\t\r\n"},
    {u"XML", u"simple", u"", u"", u"GB2312", true, u"國\x1F\xDFFF", u"国"},
    // The conversion that ChineseType selects.
    {u"XML", u" Complex ", u"", u"", u"utf-8", false, u"国", u"&#x570B;"},
    {u"WAP", u"SIMPLE", u"", u"", u"utf-8", false, u"國", u"&#x56FD;"},
    {u"WAP", u"complexity", u"", u"", u"utf-8", false, u"国", u"&#x56FD;"},
    {u"WAP", u"\tsimple", u"", u"", u"utf-8", false, u"國", u"&#x570B;"},  // blanks alone trimmed
    // Pinyin in the XHTML classes only; skip marks get none, and neither does
    // a character without a syllable (level 2, a control character, one with
    // no code page 936 form); a lone surrogate is dropped, note and all.
    {u"XML", u"", u"", u"", u"utf-8", true, u"中，", u"&#x4E2D;(zhong )&#xFF0C;"},
    {u"EnXML", u"", u"", u"", u"utf-8", true, u"a中。国\u3000",
     u"a&#x4E2D;(zhong )&#x3002;&#x56FD;(guo )&#x3000;"},
    {u"XML", u"", u"", u"", u"utf-8", true, u"\u9F98\t\u00A4\u20AC",
     u"&#x9F98;&#x9;\u00A4&#x20AC;"},
    {u"XML", u"", u"", u"", u"utf-8", true, u"\U0001F600\xD800\u0E01\uFF21",
     u"&#x1F600;&#xE01;&#xFF21;"},
    {u"XML", u"", u"", u"", u"utf-8", true, std::u16string_view(u"\0\u00e9", 2), u"\u00e9"},
    {u"WAP", u"", u"", u"", u"utf-8", true, u"中，", u"&#x4E2D;&#xFF0C;"},
    // PHPXML: its own conversion, simplified by default, always escaping;
    // no stop words, keywords or GB2312 stop.
    {u"PHPXML", u"", u"bad", u"bad", u"gb2312", true, u"國 & bad", u"&#x56FD; &amp; bad"},
    {u"PHPXML", u"complex", u"", u"", u"", false, u"国&lt;", u"&#x570B;&lt;"},
    {u"PHPXML", u"simple", u"", u"", u"", false, u"\r", u"&#xD;"},
};

TEST(AsciiTest, Settings) {
  for (const SettingsCase& c : kSettingsCases) {
    OutputPage p(c.cls);
    p.state().ChineseType = c.chinese_type;
    p.state().TheStopWords = c.stop_words;
    p.state().FontKeyWords = c.font_key_words;
    p.state().WapEnCoding = c.wap_en_coding;
    p.state().IsShowPinYin = c.pinyin;
    EXPECT_EQ(p.object->Ascii(std::u16string(c.in)), c.out) << U8(c.cls) << " " << U8(c.in);
  }
}

// ---- The text-only pieces -----------------------------------------------------

// What the pinyin annotation puts behind the reference of `c`: NeedPinYin's
// mode 1 of it when that is a syllable.
std::u16string PinyinNote(char32_t c) {
  if (c > 0xFFFF || langdata::IsPinyinSkipMark(static_cast<char16_t>(c))) return u"";
  const std::u16string one(1, static_cast<char16_t>(c));
  const std::u16string reading = langdata::NeedPinYin(one, 1);
  return reading == one || reading == u"? " ? u"" : u"(" + reading + u")";
}

// "&#x" + upper-case hexadecimal digits + ";", digit by digit.
std::u16string Ref(char32_t c) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), u"0123456789ABCDEF"[c % 16]);
    c /= 16;
  } while (c != 0);
  return u"&#x" + digits + u";";
}

// The escaping of each character on its own, written the plain way, for the
// one-pass loop to be checked against.
std::u16string EscapeSlowly(std::u16string_view text, bool pinyin = false) {
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 32 && c <= 255) {
      out.push_back(text[i]);
      continue;
    }
    if (c < 32 && c != 9 && c != 10 && c != 13) continue;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if ((c >= 0xD800 && c <= 0xDFFF) || c >= 0xFFFE) {
      continue;
    }
    out += Ref(c);
    if (pinyin) out += PinyinNote(c);
  }
  return out;
}

// The repair of ampersands the plain way: each "&" of the text as it came in
// stays when the keep rule keeps it, but goes with its whole reference when
// that is "&#" digits ";" or "&#x" hexadecimal digits ";" naming no
// character XML carries; any other becomes "&amp;".
std::u16string RepairSlowly(std::u16string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'&') {
      out.push_back(text[i]);
      continue;
    }
    const size_t semicolon = text.find(u';', i);
    if (semicolon == std::u16string_view::npos ||
        !text::KeepsEntity(text.substr(i, semicolon - i))) {
      out += u"&amp;";
      continue;
    }
    const std::u16string_view body = text.substr(i + 1, semicolon - i - 1);
    const bool hex = body.starts_with(u"#x");
    const std::u16string digits(body.substr(hex ? 2 : 1));
    const bool xml_syntax =
        body.starts_with(u"#") && !digits.empty() &&
        digits.find_first_not_of(hex ? u"0123456789abcdefABCDEF" : u"0123456789") ==
            std::u16string::npos;
    if (!xml_syntax) {
      out.push_back(u'&');
      continue;
    }
    const std::string narrow(digits.begin(), digits.end());
    const size_t significant = narrow.find_first_not_of('0');
    const bool too_long =
        significant != std::string::npos && narrow.size() - significant > (hex ? 6 : 7);
    const unsigned long v = too_long ? 0x110000 : std::stoul(narrow, nullptr, hex ? 16 : 10);
    const bool carried = v == 9 || v == 10 || v == 13 || (v >= 0x20 && v <= 0xD7FF) ||
                         (v >= 0xE000 && v <= 0xFFFD) || (v >= 0x10000 && v <= 0x10FFFF);
    if (carried) {
      out.push_back(u'&');
    } else {
      i = semicolon;
    }
  }
  return out;
}

// The one-pass repair and escaping (with and without pinyin), the utilities'
// Uni, and the repair followed by the escaping one character at a time agree
// on every shape of reference the keep rule knows, on surrogates in any order
// and on texts that end at any point of the loop's blocks of units.
TEST(OutputFilterTest, AgreesWithTwoPasses) {
  constexpr std::u16string_view kAlphabet =
      u"&&&;;#xXHhOo019AFfgz .-+e\u4E2D\u4E2D\u4E2D\t\x01\r\xD83D\xDE00\xDBFF\xDC00"
      u"#xD#&#\uFFFE\uFFFF";
  std::mt19937 random(20240611);
  std::uniform_int_distribution<size_t> pick(0, kAlphabet.size());  // size: a NUL
  for (int n = 0; n < 20000; ++n) {
    std::u16string text;
    // Units one by one, and now and then a run of one unit long enough to
    // fill some of the loop's blocks of eight.
    const size_t length = random() % 40;
    while (text.size() < length) {
      const size_t k = pick(random);
      const char16_t unit = k == kAlphabet.size() ? u'\0' : kAlphabet[k];
      text.append(random() % 4 == 0 ? random() % 30 : 1, unit);
    }
    const std::u16string repaired = RepairSlowly(text);
    const std::u16string expected = EscapeSlowly(repaired);
    ASSERT_EQ(text::RepairAndEscape(text, false), expected) << U8(text);
    ASSERT_EQ(text::Uni(text), expected) << U8(text);
    ASSERT_EQ(text::RepairAndEscape(text, true), EscapeSlowly(repaired, true)) << U8(text);
  }
  // Long texts, whose runs of every kind and length cross the boundaries of
  // the pieces in which the loop writes its result.
  constexpr std::u16string_view kRuns[] = {
      u"a", u"plain text ", u"中文字", u"一二三四五六七八九十", u"&", u"&amp;", u"\U0001F600",
      u"\r\n", u"\x02", u"\xD800", u"\uFFFF", u"&#xFFFE;"};
  for (int n = 0; n < 20; ++n) {
    std::u16string text;
    while (text.size() < 50000) {
      const std::u16string_view run = kRuns[random() % std::size(kRuns)];
      for (size_t repeat = random() % 80; repeat > 0; --repeat) text += run;
    }
    const bool pinyin = n % 2 == 1;
    ASSERT_EQ(text::RepairAndEscape(text, pinyin), EscapeSlowly(RepairSlowly(text), pinyin));
  }
}

// The annotation of a character is NeedPinYin's mode 1 of it when that is a
// syllable; mode 1 gives any other character back as it is, or "? ". (Long
// texts annotated as their characters one by one: AgreesWithTwoPasses.)
TEST(OutputFilterTest, PinyinIsNeedPinYinModeOne) {
  int annotated = 0;
  for (uint32_t v = 0x100; v <= 0xFFFF; ++v) {
    const char16_t c = static_cast<char16_t>(v);
    if ((v >= 0xD800 && v <= 0xDFFF) || langdata::IsPinyinSkipMark(c)) continue;
    const std::u16string note = PinyinNote(c);
    annotated += !note.empty();
    const std::u16string expected = v >= 0xFFFE ? u"" : Ref(c) + note;
    ASSERT_EQ(text::RepairAndEscape(std::u16string(1, c), true), expected) << v;
  }
  EXPECT_GE(annotated, 3755);  // at least the level-1 characters of GB2312
}

TEST(OutputFilterTest, StopWords) {
  const struct {
    std::u16string_view words, pass, in, out;
  } cases[] = {
      {u"ab|b", u"X", u"abb", u"XX"},                  // the first word that matches
      {u"b|ab", u"X", u"ab", u"X"},
      {u"a|a||a|a", u"", u"aaa", u""},
      {u"aa", u"X", u"aaaaa", u"XXa"},                 // left to right, not overlapping
      {u"bad", u"[bad]", u"bad bad", u"[bad] [bad]"},  // the pass words are not searched again
      {u"bad|bad", u"[bad]", u"bad", u"[bad]"},        // ... not even by a later word
      {u"||", u"X", u"ab", u"ab"},
      {u"ab|b", u"", u"aabbb", u"a"},
      {u"中文", u"**", u"中文中文，中文", u"****，**"},
  };
  for (const auto& c : cases) {
    std::u16string text(c.in);
    output::ReplaceStopWords(c.words, c.pass, &text);
    EXPECT_EQ(text, c.out) << U8(c.in);
  }
  // Forty words that each double what the one before put in stay bounded.
  std::u16string text = test::Repeat(u"a", 1000);
  output::ReplaceStopWords(test::Repeat(u"a|", 40), u"aa", &text);
  EXPECT_EQ(text, test::Repeat(u"aa", 1000));
}

// ---- Long and hostile texts (completion only; speed is the benchmark's) -----------

constexpr size_t kMiB = size_t{1} << 20;

// A mebibyte of bare "&" is AsciiTest.MegabyteOfMixedText's.
TEST(OutputFilterTest, LongRunsOfAmpersands) {
  // Every "&" sees the same far ";", and the pieces hold numbers' prefixes.
  const std::u16string refs = test::Repeat(u"&#x", kMiB / 3 + 1) + u";";
  EXPECT_EQ(text::RepairAndEscape(refs, false).size(), refs.size() + 4 * (refs.size() / 3));
  std::u16string blanks = u"&#";
  blanks += u"&#";
  blanks.append(kMiB, u' ');
  blanks += u"1;";
  // The second "&" opens a decimal reference padded with blanks.
  EXPECT_EQ(text::RepairAndEscape(blanks, false).substr(0, 9), u"&amp;#&# ");
}

TEST(AsciiTest, MegabyteOfMixedText) {
  const std::u16string text = test::Repeat(u"中文 text & more &amp; 標準，\r\n", kMiB / 26 + 1);
  for (const char16_t* name : kAllClasses) {
    OutputPage p(name);
    p.state().IsShowPinYin = true;
    p.state().TheStopWords = u"more|text";
    p.state().FontKeyWords = u"&amp;|中";
    const std::u16string out = p.object->Ascii(text);
    EXPECT_GT(out.size(), text.size()) << U8(name);
    const std::u16string amps = p.object->Ascii(std::u16string(kMiB, u'&'));
    EXPECT_EQ(amps.size(), 5 * kMiB) << U8(name);
    EXPECT_EQ(amps.substr(0, 10), u"&amp;&amp;");
  }
}

// ---- Response settings ----------------------------------------------------------

// What each setting writes shows in the frames' tests; here, that each
// step stands on its own when the engine refuses one or lacks an object.
TEST(ResponseSettingsTest, EachStepOnItsOwn) {
  OutputPage p(u"WAP");
  p.response->refuse_headers = true;
  p.object->PutWmlContentType();
  EXPECT_EQ(p.response->charset, u"");
  EXPECT_EQ(p.page.session().CodePage(), 65001u);
  EXPECT_EQ(p.response->expires, 0);

  OutputPage bare(u"EnWAP");
  bare.state().Response = nullptr;
  EXPECT_NO_THROW(bare.object->PutWmlContentType());
  EXPECT_EQ(bare.page.session().CodePage(), 65001u);
  bare.state().Session = nullptr;
  EXPECT_NO_THROW(bare.object->SetUtf8Response());
}

// ---- Output primitives ----------------------------------------------------------

struct WriteCase {
  std::u16string_view member;
  std::u16string_view chinese_type;
  std::u16string_view in;
  std::u16string_view written;
};

constexpr WriteCase kWriteCases[] = {
    {u"WriteOut", u"", u"", u""},
    {u"WriteRow", u"", u"", u"<br/>"},
    {u"WriteOut", u"", u"a & <b>中</b>", u"a &amp; <b>&#x4E2D;</b>"},
    {u"WriteRow", u"", u"a & <b>中</b>", u"a &amp; <b>&#x4E2D;</b><br/>"},
    {u"WriteLine", u"", u"a & <b>中</b>", u"a & <b>中</b>"},
    {u"WriteTo", u"", u"a & <b>中</b>", u"a & <b>中</b><br/>"},
    {u"WriteLine", u" COMPLEX ", u"国 &\r", u"國 &\r"},
    {u"WriteLine", u"complex1", u"国", u"国"},
    {u"WriteTo", u"simple", u"國", u"国<br/>"},
    {u"WriteRow", u"simple", u"國", u"&#x56FD;<br/>"},
};

TEST(OutputPrimitivesTest, OneWriteEach) {
  for (const char16_t* name : kWritingClasses) {
    for (const WriteCase& c : kWriteCases) {
      OutputPage p(name);
      p.state().ChineseType = c.chinese_type;
      const Variant result = Invoke(*p.object, c.member, {Variant(std::u16string(c.in))});
      EXPECT_TRUE(result.IsEmpty());
      ASSERT_EQ(p.response->writes.size(), 1u) << U8(name) << " " << U8(c.member);
      EXPECT_EQ(p.response->writes[0], c.written) << U8(name) << " " << U8(c.member);
    }
    OutputPage p(name);
    EXPECT_THROW(Invoke(*p.object, u"WriteOut", {}), ScriptError);
  }
}

// WriteOut of the WML classes passes on the error of a missing or refusing
// response; the other writes, and WriteOut of the XHTML classes, swallow it.
TEST(OutputPrimitivesTest, FailingResponse) {
  for (const char16_t* name : kWritingClasses) {
    auto bare = NewPageObject(name);
    OutputPage refusing(name);
    refusing.response->refuse_write = true;
    for (std::u16string_view member : {u"WriteOut", u"WriteRow", u"WriteLine", u"WriteTo"}) {
      SCOPED_TRACE(U8(name) + " " + U8(member));
      const bool raises = bare->family() == Family::kW && member == u"WriteOut";
      const int refused = raises ? kErrInvalidArgument : 0;
      EXPECT_EQ(test::CallError(*bare, member, {u"x"}), raises ? kErrObjectNotSet : 0);
      EXPECT_EQ(test::CallError(*refusing.object, member, {u"x"}), refused);
    }
  }
}

TEST(OutputPrimitivesTest, PhpXmlReturnsAndWritesNothing) {
  OutputPage p(u"PHPXML");
  EXPECT_EQ(Invoke(*p.object, u"WriteRow", {Variant(u"國 & x")}),
            Variant(u"&#x56FD; &amp; x<br/>"));
  EXPECT_EQ(Invoke(*p.object, u"WriteRow", {Variant(u"")}), Variant(u"<br/>"));
  EXPECT_EQ(p.object->WriteOutText(u"中"), u"&#x4E2D;");
  p.object->WriteOut(u"x");
  p.object->WriteTo(u"x");
  EXPECT_TRUE(p.response->writes.empty());
}

// ---- TransWmlFile -------------------------------------------------------------------

TEST(TransWmlFileTest, BothDirections) {
  const struct {
    Variant to_utf8;  // Missing: the default (true)
    std::u16string_view in;
    std::u16string_view out;
  } cases[] = {
      {Variant::Missing(), u"<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<p>\t中&</p>\n",
       u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<p>&#x4E2D;&amp;</p>&#xA;"},
      {Variant(true), u"\r\t\n", u"\r\n"},
      {Variant(false), u"<?xml version=\"1.0\"?><p>&#x4E2D;&#X4E2D;</p>",
       u"<?xml version=\"1.0\" encoding=\"gb2312\"?><p>中&#X4E2D;</p>"},
      {Variant(false), u"<?xml version=\"1.0\" encoding=\"utf-8\"?>",
       u"<?xml version=\"1.0\" encoding=\"gb2312\"?>"},
      {Variant(false), u"", u""},
  };
  for (const char16_t* name : {u"WAP", u"EnWAP"}) {
    OutputPage p(name);
    for (const auto& c : cases) {
      const Variant in(std::u16string(c.in));
      const std::vector<Variant> args =
          c.to_utf8.IsMissing() ? std::vector<Variant>{in} : std::vector<Variant>{in, c.to_utf8};
      EXPECT_EQ(Invoke(*p.object, u"TransWmlFile", args), Variant(std::u16string(c.out)))
          << U8(c.in);
    }
    EXPECT_TRUE(p.response->writes.empty());
  }
}

TEST(TransWmlFileTest, UsesThePageFilter) {
  OutputPage p(u"WAP");
  p.state().WapEnCoding = u"GB2312";
  EXPECT_EQ(p.object->TransWmlFile(u"中\t&").string(), u"中\t&");
  p.state().WapEnCoding = u"utf-8";
  p.state().FontKeyWords = u"k";
  EXPECT_EQ(p.object->TransWmlFile(u"k").string(), u"<b>k</b>");
}

}  // namespace
}  // namespace zorvadel
