// The URL, number-base and digest members as a script reaches them: which
// class has which, and what each gives by name in every class that has it.
#include <gtest/gtest.h>

#include <memory>

#include "support/member_calls.h"

namespace zorvadel {
namespace {

using test::CallRow;

TEST(CodingMembersTest, WhichClassHasWhich) {
  const test::Presence kTable[] = {
      {u"UrlEncode", "XxWw-C"}, {u"UrlDecode", "XxWw-C"}, {u"UniCodeToGb", "XxWw--"},
      {u"C2To16", "XxWw-C"},    {u"DEC_to_BIN", "Xx----"}, {u"Md5", "XxWwP-"},
  };
  test::ExpectPresence(kTable);
}

const Variant kMissing = Variant::Missing();
constexpr char16_t kAdmin[] = u"21232F297A57A5A743894A0E4A801FC3";  // MD5 of "admin"

// clang-format off
const CallRow kCalls[] = {
    {u"UrlDecode", "XxWw-C", {u"%D6%D0"}, Variant(u"中")},
    {u"GoogleUrlEncode", "-----C", {u"é"}, Variant(u"%C3%A9")},
    {u"HEX_to_DEC", "Xx----", {u"ff"}, Variant(int32_t{255}), 0, false},
    {u"DEC_to_BIN", "Xx----", {1e12}, Variant(), kErrOverflow},
    {u"C2To16", "XxWw-C", {u"11111"}, Variant(u"F1")},
    {u"C16To2", "XxWw-C", {u"F"}, Variant(u"1111")},
    {u"C2To10", "XxWw-C", {u"101"}, Variant(5.0)},
    {u"digeststrtohexstr", "-----C", {u"abc"}, Variant(u"900150983CD24FB0D6963F7D28E17F72")},
    {u"DigestStrToHexStr", "-----C", {u"  abc  "}, Variant(u"A064C2F1646E31D3C8E7AB5EAD8864F5")},
    {u"LongLeftRotate", "-----C", {int16_t{1}, int16_t{33}}, Variant(int32_t{2})},
    {u"MD5Update", "-----C", {int16_t{1}, u"中"}, Variant(), kErrTypeMismatch},
    // XML and PHPXML digest with their CC and trim the text; the others
    // digest by themselves.
    {u"Md5", "X---P-", {}, Variant(kAdmin)},
    {u"Md5", "X---P-", {u"  abc  "}, Variant(u"900150983CD24FB0D6963F7D28E17F72")},
    {u"Md5", "X---P-", {u"admin", int16_t{16}}, Variant(u"7A57A5A743894A0E")},
    {u"Md5", "X---P-", {u"中文", int16_t{32}, int16_t{0}}, Variant(u"bcce109775e8e1972e9f5fcda3e12895")},
    {u"Md5", "X---P-", {u"\u0E01"}, Variant(u"")},  // no code page 936 form
    {u"md5", "-xWw--", {kMissing, int16_t{16}}, Variant(u"7A57A5A743894A0E"), 0, false},
    {u"Md5", "-xWw--", {u"abc", int16_t{16}, int16_t{0}}, Variant(u"3cd24fb0d6963f7d"), 0, false},
};
// clang-format on

TEST(CodingMembersTest, ByNameInEveryClassThatHasIt) { test::ExpectCalls(kCalls); }

TEST(CodingMembersTest, DigestStepsByName) {
  auto common = std::make_shared<Common>();
  Invoke(*common, u"MD5Init", {});
  EXPECT_EQ(Invoke(*common, u"RegisterB", {}), Variant(u"-271733879"));
  Invoke(*common, u"MD5Update", {Variant(int16_t{3}), Variant(u"abc")});
  Invoke(*common, u"MD5Final", {});
  EXPECT_EQ(Invoke(*common, u"GetValues", {}), Variant(u"900150983CD24FB0D6963F7D28E17F72"));
  EXPECT_THROW(Invoke(*common, u"RegisterA", {Variant(u"x")}, CallKind::kLet), ScriptError);
  // The CC of XML did the digest.
  XML xml;
  xml.Md5(u"abc");
  EXPECT_EQ(xml.state().CC->GetValues(), u"900150983CD24FB0D6963F7D28E17F72");
}

}  // namespace
}  // namespace zorvadel
