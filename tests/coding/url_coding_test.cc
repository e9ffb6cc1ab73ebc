// URL escaping in the UTF-8 and the GB2312 dialect: the escapes of known
// characters, malformed escapes and the Mode switch.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/text_cases.h"
#include "text/url_coding.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"

namespace zorvadel {
namespace {

using test::Case;  // plain text in, its escaped form out

TEST(GoogleUrlEncode, KnownEscapes) {
  const Case cases[] = {
      {u"", u""},
      {u"中", u"%E4%B8%AD"},
      {u"a b.c", u"a%20b%2Ec"},
      {u"Az09-_~!*()", u"Az09-_~!*()"},
      {u"`=\\@#$%^&+|{}[]:;\"'<>,?/",
       u"%60%3D%5C%40%23%24%25%5E%26%2B%7C%7B%7D%5B%5D%3A%3B%22%27%3C%3E%2C%3F%2F"},
      // Control characters.
      {u"a\tb\r\n\x7f", u"a%09b%0D%0A%7F"},
      {std::u16string(1, u'\0'), u"%00"},
      // A surrogate pair is one four-byte sequence.
      {u"\U0001F600", u"%F0%9F%98%80"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(text::GoogleUrlEncode(c.in), c.out);
    EXPECT_EQ(text::GoogleUrlDecode(c.out), c.in);
  }
  // A lone surrogate has no UTF-8 form.
  EXPECT_EQ(text::GoogleUrlEncode(u"\xD800x"), u"%EF%BF%BDx");
}

TEST(GoogleUrlDecode, LiteralAndMalformedInput) {
  const Case cases[] = {  // escaped in, plain out
      {u"a+b", u"a+b"},
      {u"%20x%20", u" x "},
      {u"%e4%b8%ad", u"中"},
      {u"50%", u"50%"},
      {u"5%2", u"5%2"},
      {u"%E4%B8", u"%E4%B8"},       // cut off by the end
      {u"%zz%41", u"%zzA"},         // no hexadecimal digits
      {u"%80%41", u"%80A"},         // stray continuation byte
      {u"%C3%28", u"%C3("},         // continuation of the wrong form
      {u"%F8%88%80%80", u"%F8%88%80%80"},
      {u"%F4%90%80%80", u"%F4%90%80%80"},  // past U+10FFFF
      {u"%ED%A0%BD%ED%B8%80", u"\U0001F600"},  // older encoders' pair form
  };
  for (const Case& c : cases) EXPECT_EQ(text::GoogleUrlDecode(c.in), c.out);
}

TEST(BaiduUrlCoding, KnownEscapes) {
  EXPECT_EQ(text::BaiduUrlEncode(u"中"), u"%D6%D0");
  EXPECT_EQ(text::BaiduUrlEncode(u"a b&c=%+?#€\u0E01"), u"a b&c=%+?#€\u0E01");
  EXPECT_EQ(text::BaiduUrlEncode(u"x體y"), u"x%F3%77y");
  const Case decodes[] = {  // "+" and a closing "%": the page script coding_members
      {u"中", u"%D6%D0"},
      {u"中", u"%d6%d0"},
      {u"A", u"%41"},
      {u"x中", u"%D6x%D0"},        // the plain character comes first
      {u"%zz中", u"%zz%D6%D0"},    // a lone "%" eats nothing
      {u"5%A", u"5%A"},
      {u"\uFFFD", u"%D6"},          // a lead byte left over
      {u"\uFFFD", u"%81%20"},       // a pair naming no character
  };
  for (const Case& c : decodes) EXPECT_EQ(text::BaiduUrlDecode(c.out), c.in);
}

// Encoding in both modes: the page script coding_members.
TEST(UrlCoding, ModeSelectsTheDialect) {
  Common common;
  EXPECT_EQ(common.UrlDecode(u"%D6%D0+"), u"中 ");
  EXPECT_EQ(common.UrlDecode(u"%E4%B8%AD+", 0), u"中+");
  for (int16_t mode : {2, -1}) {
    EXPECT_EQ(common.UrlEncode(u"中", mode), u"");
    EXPECT_EQ(common.UrlDecode(u"%D6%D0", mode), u"");
  }
}

}  // namespace
}  // namespace zorvadel
