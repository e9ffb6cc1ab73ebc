// The class set as a script sees it: classes made by ProgID, properties read
// and written by name. A few properties picked by hand stand for each kind
// (texts, numbers, Booleans, objects, members of one family only): their
// place in each family's interface and their type; every property's value at
// creation. Values after page start are page_start_test.cc's.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "classes/classes_test_util.h"

namespace zorvadel {
namespace {

struct PropertyRow {
  const char16_t* name;
  int position[3];  // in the X, W and P interfaces; 0 where the family lacks it
  ParamType type;
};

// clang-format off
const PropertyRow kRows[] = {
    {u"CC",             {1, 1, 1},      ParamType::kObject},
    {u"WW",             {0, 2, 0},      ParamType::kObject},
    {u"WX",             {2, 0, 2},      ParamType::kObject},
    {u"IsShowImage",    {0, 9, 0},      ParamType::kBoolean},
    {u"CardTitle",      {0, 10, 0},     ParamType::kString},
    {u"IPageSize",      {24, 29, 21},   ParamType::kLong},
    {u"EveryPageSize",  {32, 37, 29},   ParamType::kInteger},
    {u"MySqlDSN",       {56, 62, 0},    ParamType::kString},
    {u"SiteName",       {87, 93, 73},   ParamType::kString},
    {u"About",          {103, 110, 89}, ParamType::kString},
    {u"ResidualString", {107, 0, 93},   ParamType::kString},
    {u"IsShowPinYin",   {108, 0, 94},   ParamType::kBoolean},
    {u"ThePassWords",   {111, 114, 0},  ParamType::kString},
    {u"LastFontText",   {114, 118, 0},  ParamType::kString},
};
// clang-format on
constexpr size_t kPropertyCount[] = {115, 118, 94};

Variant EmptyOf(ParamType type) {
  switch (type) {
    case ParamType::kString: return Variant(u"");
    case ParamType::kInteger: return Variant(int16_t{0});
    case ParamType::kLong: return Variant(int32_t{0});
    case ParamType::kBoolean: return Variant(false);
    default: return Variant::Nothing();
  }
}

// Property gets in interface order: everything before the first method.
std::vector<std::u16string> PropertyNames(const ClassInfo& info) {
  std::vector<std::u16string> names;
  for (const MemberInfo& member : info.members) {
    if (member.kind == MemberKind::kMethod) break;
    if (member.kind == MemberKind::kPropertyGet) names.push_back(member.name);
  }
  return names;
}

class PageClassTest : public ::testing::TestWithParam<PageClassCase> {};

TEST_P(PageClassTest, PickedPropertiesByName) {
  const PageClassCase& c = GetParam();
  const int f = static_cast<int>(c.family);
  auto fresh = NewPage(c.name);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->family(), c.family);
  EXPECT_EQ(fresh->language(), c.language);
  const std::vector<std::u16string> names = PropertyNames(fresh->Class());
  EXPECT_EQ(names.size(), kPropertyCount[f]);
  // The page hooks open the methods.
  const auto& members = fresh->Class().members;
  auto method = std::find_if(members.begin(), members.end(),
                             [](const MemberInfo& m) { return m.kind == MemberKind::kMethod; });
  ASSERT_LT(method + 1, members.end());
  EXPECT_EQ(method->name, u"OnStartPage");
  EXPECT_EQ((method + 1)->name, u"OnEndPage");

  auto written = NewPage(c.name);
  for (const PropertyRow& row : kRows) {
    SCOPED_TRACE(Name(row.name));
    const int position = row.position[f];
    if (position == 0) {
      EXPECT_EQ(ErrorOf([&] { Invoke(*fresh, row.name, {}); }), kErrNoMember);
      EXPECT_EQ(ErrorOf([&] { Invoke(*fresh, row.name, {Variant(u"x")}, CallKind::kLet); }),
                kErrNoMember);
      continue;
    }
    ASSERT_LE(position, static_cast<int>(names.size()));
    EXPECT_EQ(names[position - 1], row.name);
    EXPECT_EQ(fresh->Class().Find(row.name, MemberKind::kPropertyGet)->result, row.type);
    // Values go in by let, objects by set; each reads back as written.
    if (row.type == zorvadel::ParamType::kObject && row.name != std::u16string_view(u"CC")) continue;
    const Variant value = row.type == zorvadel::ParamType::kString    ? Variant(u"x")
                          : row.type == zorvadel::ParamType::kInteger ? Variant(int16_t{7})
                          : row.type == zorvadel::ParamType::kLong    ? Variant(int32_t{70000})
                          : row.type == zorvadel::ParamType::kBoolean ? Variant(true)
                                                            : Variant(std::make_shared<Common>());
    Invoke(*written, row.name, {value},
           row.type == zorvadel::ParamType::kObject ? CallKind::kSet : CallKind::kLet);
    EXPECT_EQ(Invoke(*written, row.name, {}), value);
  }
}

INSTANTIATE_TEST_SUITE_P(All, PageClassTest, ::testing::ValuesIn(kPageClasses),
                         [](const auto& info) { return Name(info.param.name); });

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
