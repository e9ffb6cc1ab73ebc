// Classes made by ProgID, properties by name: a few picked by hand for each
// kind, and every property's value at creation.
#include <gtest/gtest.h>

#include <string>

#include "classes/classes_test_util.h"

namespace zorvadel {
namespace {

struct PropertyRow {
  const char16_t* name;
  const char* families;  // "XWP", '-' where the family lacks it
  ParamType type;
};

const PropertyRow kRows[] = {
    {u"CC", "XWP", ParamType::kObject},           {u"WW", "-W-", ParamType::kObject},
    {u"WX", "X-P", ParamType::kObject},           {u"IsShowImage", "-W-", ParamType::kBoolean},
    {u"CardTitle", "-W-", ParamType::kString},    {u"IPageSize", "XWP", ParamType::kLong},
    {u"EveryPageSize", "XWP", ParamType::kInteger}, {u"MySqlDSN", "XW-", ParamType::kString},
    {u"SiteName", "XWP", ParamType::kString},     {u"About", "XWP", ParamType::kString},
    {u"ResidualString", "X-P", ParamType::kString}, {u"IsShowPinYin", "X-P", ParamType::kBoolean},
    {u"ThePassWords", "XW-", ParamType::kString}, {u"LastFontText", "XW-", ParamType::kString},
};

Variant EmptyOf(ParamType type) {
  switch (type) {
    case ParamType::kString: return Variant(u"");
    case ParamType::kInteger: return Variant(int16_t{0});
    case ParamType::kLong: return Variant(int32_t{0});
    case ParamType::kBoolean: return Variant(false);
    default: return Variant::Nothing();
  }
}

TEST(PageClassTest, PickedPropertiesByName) {
  for (const PageClassCase& c : kPageClasses) {
    const int f = static_cast<int>(c.family);
    auto object = NewPage(c.name);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->family(), c.family);
    EXPECT_EQ(object->language(), c.language);
    for (const PropertyRow& row : kRows) {
      SCOPED_TRACE(Name(c.name) + "." + Name(row.name));
      if (row.families[f] == '-') {
        EXPECT_EQ(ErrorOf([&] { Invoke(*object, row.name, {}); }), kErrNoMember);
        EXPECT_EQ(ErrorOf([&] { Invoke(*object, row.name, {Variant(u"x")}, CallKind::kLet); }),
                  kErrNoMember);
        continue;
      }
      EXPECT_EQ(object->Class().Find(row.name, MemberKind::kPropertyGet)->result, row.type);
      // Values go in by let, objects by set; each reads back as written.
      if (row.type == ParamType::kObject && row.name != std::u16string_view(u"CC")) continue;
      const Variant value = row.type == ParamType::kString    ? Variant(u"x")
                            : row.type == ParamType::kInteger ? Variant(int16_t{7})
                            : row.type == ParamType::kLong    ? Variant(int32_t{70000})
                            : row.type == ParamType::kBoolean ? Variant(true)
                                                              : Variant(std::make_shared<Common>());
      Invoke(*object, row.name, {value},
             row.type == ParamType::kObject ? CallKind::kSet : CallKind::kLet);
      EXPECT_EQ(Invoke(*object, row.name, {}), value);
    }
  }
}

// Every read-write property of a fresh object of each of the eight classes
// holds its type's empty value. Read-only properties are computed texts.
TEST(CreationTest, EveryPropertyStartsEmpty) {
  struct ClassCase {
    const char16_t* name;
    int properties;  // read-write ones
    bool hooks;
  };
  const ClassCase kClasses[] = {
      {u"XML", 115, true},    {u"EnXML", 115, true},  {u"WAP", 118, true},
      {u"EnWAP", 118, true},  {u"PHPXML", 94, true},  {u"Common", 7, true},
      {u"WAPXHTML", 1, false}, {u"WAPWML", 0, false},
  };
  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(Name(c.name));
    ObjectPtr object = CreateByProgId(std::u16string(u"Zorvadel.") + c.name);
    ASSERT_NE(object, nullptr);
    const ClassInfo& info = object->Class();
    EXPECT_EQ(info.name, c.name);
    EXPECT_EQ(object->HasPageHooks(), c.hooks);
    int checked = 0;
    for (const MemberInfo& get : info.members) {
      if (get.kind != MemberKind::kPropertyGet || !get.params.empty()) continue;
      if (!info.Find(get.name, MemberKind::kPropertyLet) &&
          !info.Find(get.name, MemberKind::kPropertySet)) {
        continue;
      }
      ++checked;
      EXPECT_EQ(Invoke(*object, get.name, {}), EmptyOf(get.result)) << Name(get.name.c_str());
    }
    EXPECT_EQ(checked, c.properties);
  }
}

}  // namespace
}  // namespace zorvadel
