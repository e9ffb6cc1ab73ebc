// The charset members of Common and of the page classes: which class has
// which member, forwarding to CC, PHPXML's own mappings, and by-name calls
// with defaults and omitted arguments.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"

namespace zorvadel {
namespace {

int ErrorOf(Object& object, std::u16string_view name, std::vector<Variant> args) {
  try {
    Invoke(object, name, std::move(args));
  } catch (const ScriptError& e) {
    return e.number();
  }
  return 0;
}

TEST(CharsetMembers, WhichClassHasWhich) {
  XML xml;
  EnXML en_xml;
  WAP wap;
  EnWAP en_wap;
  PHPXML php;
  Common common;
  Object* objects[] = {&xml, &en_xml, &wap, &en_wap, &php, &common};
  const struct {
    std::u16string_view member;
    bool has[6];  // XML, EnXML, WAP, EnWAP, PHPXML, Common
  } table[] = {
      {u"UtfToGb", {true, true, true, true, false, true}},
      {u"JToF", {true, true, true, true, true, true}},
      {u"FToJ", {true, true, true, true, true, true}},
      {u"Uni", {false, false, false, false, true, false}},
      {u"StrToWide", {true, true, true, true, false, false}},
      {u"StrToNarrow", {true, true, true, true, false, false}},
      {u"QWMEnCode", {true, true, false, false, false, true}},
      {u"QWMDeCode", {true, true, false, false, false, true}},
  };
  for (const auto& row : table) {
    for (int i = 0; i < 6; ++i) {
      const std::vector<Variant> args =
          row.member == u"QWMDeCode" ? std::vector<Variant>{} : std::vector<Variant>{u"x"};
      EXPECT_EQ(ErrorOf(*objects[i], row.member, args), row.has[i] ? 0 : kErrNoMember)
          << std::string(row.member.begin(), row.member.end()) << " of class " << i;
    }
  }
}

TEST(CharsetMembers, CommonByName) {
  Common common;
  EXPECT_EQ(Invoke(common, u"utftogb", {u"&#x4E2D;&#X4E2D;"}), Variant(u"中&#X4E2D;"));
  EXPECT_EQ(Invoke(common, u"JToF", {u"汉"}), Variant(u"漢"));
  EXPECT_EQ(Invoke(common, u"FToJ", {u"發"}), Variant(u"发"));
  EXPECT_EQ(Invoke(common, u"QWMEnCode", {u"中a文"}), Variant(u"中:5448,文:4636,"));
  EXPECT_EQ(Invoke(common, u"QWMEnCode", {u"中", Variant::Missing()}), Variant(u"中:5448,"));
  EXPECT_EQ(Invoke(common, u"QWMEnCode", {u"中", u";"}), Variant(u"中:5448;"));
  EXPECT_EQ(Invoke(common, u"QWMDeCode", {}), Variant(u"爱"));
  EXPECT_EQ(Invoke(common, u"QWMDeCode", {u"312"}), Variant(u"，"));
  EXPECT_EQ(ErrorOf(common, u"QWMDeCode", {u"40000"}), kErrOverflow);
  EXPECT_EQ(ErrorOf(common, u"JToF", {}), kErrWrongArgs);
}

TEST(CharsetMembers, PageClassesForwardToCC) {
  WAP wap;
  EXPECT_EQ(wap.StrToWide(u"a b"), u"ａ　ｂ");
  EXPECT_EQ(wap.StrToNarrow(u"ａ　ｂ"), u"a b");
  EXPECT_EQ(wap.state().CC, nullptr);  // own code needs no CC
  EXPECT_EQ(Invoke(wap, u"JToF", {u"汉"}), Variant(u"漢"));
  ASSERT_NE(wap.state().CC, nullptr);
  const std::shared_ptr<Common> first = wap.state().CC;
  EXPECT_EQ(wap.FToJ(u"漢"), u"汉");
  EXPECT_EQ(wap.UtfToGb(u"&#xFF0C;"), u"，");
  EXPECT_EQ(wap.state().CC, first);

  // A cleared CC is created again; one the script stores is used as it is.
  wap.state().CC = nullptr;
  EXPECT_EQ(wap.UtfToGb(u"&#x41;"), u"A");
  EXPECT_NE(wap.state().CC, nullptr);
  auto mine = std::make_shared<Common>();
  wap.state().CC = mine;
  EXPECT_EQ(wap.JToF(u"发"), u"發");
  EXPECT_EQ(wap.state().CC, mine);

  EnXML en_xml;
  EXPECT_EQ(Invoke(en_xml, u"QWMDeCode", {}), Variant(u"爱"));
  EXPECT_EQ(Invoke(en_xml, u"QWMEnCode", {u"，", Variant::Missing()}), Variant(u"，:0312,"));
  EXPECT_EQ(Invoke(en_xml, u"StrToWide", {u"1"}), Variant(u"１"));
  EXPECT_NE(en_xml.state().CC, nullptr);
}

TEST(CharsetMembers, PhpXmlMapsByItselfAndEscapes) {
  PHPXML php;
  EXPECT_EQ(php.JToF(u"汉a"), u"&#x6F22;a");
  EXPECT_EQ(Invoke(php, u"FToJ", {u"漢&b"}), Variant(u"&#x6C49;&amp;b"));
  // U+0000 ends nothing; the escaping drops it.
  EXPECT_EQ(php.JToF(std::u16string(u"x\0汉", 3)), u"x&#x6F22;");
  EXPECT_EQ(php.FToJ(u"\u0E01漢"), u"&#xE01;&#x6C49;");
  EXPECT_EQ(Invoke(php, u"Uni", {u"AT&T 中\t&lt;"}), Variant(u"AT&amp;T &#x4E2D;&#x9;&lt;"));
  EXPECT_EQ(php.state().CC, nullptr);
}

}  // namespace
}  // namespace zorvadel
