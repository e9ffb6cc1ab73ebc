// The class set before page start: creation values of every property, the
// order and types of each family's properties, and what PHPXML lacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "classes/classes_test_util.h"

namespace zorvadel {
namespace {

enum PropertyType : uint8_t { kS, kI, kB, kO };

struct PropertyRow {
  const char16_t* name;
  int position[3];  // X, W, P; 0 where the family lacks it
  PropertyType type;
};

// The page state's properties with their interface positions per family.
// clang-format off
constexpr PropertyRow kProperties[] = {
    {u"CC", 1, 1, 1, kO}, {u"WW", 0, 2, 0, kO},
    {u"WX", 2, 0, 2, kO}, {u"Response", 3, 3, 3, kO},
    {u"Request", 4, 4, 4, kO}, {u"Application", 5, 5, 5, kO},
    {u"Server", 6, 6, 6, kO}, {u"Session", 7, 7, 7, kO},
    {u"Command", 8, 8, 8, kO}, {u"IsShowImage", 0, 9, 0, kB},
    {u"CardTitle", 0, 10, 0, kS}, {u"NextPage", 0, 11, 0, kS},
    {u"PrePage", 0, 12, 0, kS}, {u"IndexImage", 0, 13, 0, kS},
    {u"SiteTitle", 9, 14, 9, kS}, {u"SiteWebUrl", 10, 15, 10, kS},
    {u"SiteWapUrl", 11, 16, 11, kS}, {u"SiteLogo", 12, 17, 12, kS},
    {u"ChineseType", 13, 18, 13, kS}, {u"KeyWord", 14, 19, 14, kS},
    {u"SQLInjData", 15, 20, 15, kS}, {u"Conn", 16, 21, 16, kO},
    {u"Rs", 17, 22, 17, kO}, {u"Rs1", 18, 23, 18, kO},
    {u"Rs2", 19, 24, 19, kO}, {u"Rs3", 20, 25, 0, kO},
    {u"Rs4", 21, 26, 0, kO}, {u"Rs5", 22, 27, 0, kO},
    {u"RsInfoPlace", 23, 28, 20, kS}, {u"IPageSize", 24, 29, 21, kI},
    {u"IRecordsShown", 25, 30, 22, kI}, {u"I", 26, 31, 23, kI},
    {u"IPageCurrent", 27, 32, 24, kI}, {u"IPageCount", 28, 33, 25, kI},
    {u"RecordCount", 29, 34, 26, kI}, {u"StrSql", 30, 35, 27, kS},
    {u"RedirectPath", 31, 36, 28, kS}, {u"EveryPageSize", 32, 37, 29, kI},
    {u"FieldShow", 33, 38, 30, kS}, {u"FieldUrl", 34, 39, 31, kS},
    {u"FieldFooter", 35, 40, 32, kS}, {u"FieldHeader", 36, 41, 33, kS},
    {u"FieldId", 37, 42, 34, kS}, {u"GoFileName", 38, 43, 35, kS},
    {u"DBIsShowImage", 0, 44, 0, kB}, {u"DBListSymbol", 39, 45, 36, kS},
    {u"DBListNumber", 40, 46, 37, kB}, {u"DBOrderNumber", 41, 47, 38, kB},
    {u"DbListSplitChar", 42, 48, 39, kS}, {u"DbCursorType", 43, 49, 40, kI},
    {u"DbLockType", 44, 50, 41, kI}, {u"DbListTypeMode", 45, 51, 42, kI},
    {u"DbListImgPath", 46, 52, 43, kS}, {u"DblistPreString", 47, 53, 44, kS},
    {u"ErrorPagePath", 48, 54, 45, kS}, {u"MdbPath", 49, 55, 46, kS},
    {u"SqlServerName", 50, 56, 47, kS}, {u"SqlUserId", 51, 57, 48, kS},
    {u"SqlUserPwd", 52, 58, 49, kS}, {u"SqlDBName", 53, 59, 50, kS},
    {u"SqlOtherConnInfo", 54, 60, 51, kS}, {u"SqlStrConn", 55, 61, 52, kS},
    {u"MySqlDSN", 56, 62, 0, kS}, {u"MySqlServerName", 57, 63, 0, kS},
    {u"MySqlUserId", 58, 64, 0, kS}, {u"MySqlUserPwd", 59, 65, 0, kS},
    {u"MySqlDBName", 60, 66, 0, kS}, {u"MySqlOtherConnInfo", 61, 67, 0, kS},
    {u"OracleServerName", 62, 68, 0, kS}, {u"OracleUserId", 63, 69, 0, kS},
    {u"OracleUserPwd", 64, 70, 0, kS}, {u"OracleDBName", 65, 71, 0, kS},
    {u"OracleOtherConnInfo", 66, 72, 0, kS}, {u"Terminal", 67, 73, 53, kS},
    {u"PhoneAccept", 68, 74, 54, kS}, {u"PhoneNumber", 69, 75, 55, kS},
    {u"PhoneUserAgent", 70, 76, 56, kS}, {u"VisitFile", 71, 77, 57, kS},
    {u"PhoneIP", 72, 78, 58, kS}, {u"ServerIP", 73, 79, 59, kS},
    {u"DisplayerInfo", 74, 80, 60, kS}, {u"DisplayerUA", 75, 81, 61, kS},
    {u"ErrorMessage", 76, 82, 62, kS}, {u"ToDoId", 77, 83, 63, kI},
    {u"Mail", 78, 84, 64, kO}, {u"MailServerUserName", 79, 85, 65, kS},
    {u"MailServerPassword", 80, 86, 66, kS}, {u"MailSmtp", 81, 87, 67, kS},
    {u"MailResultFileName", 82, 88, 68, kS}, {u"MailContent", 83, 89, 69, kS},
    {u"MailSiteName", 84, 90, 70, kS}, {u"MailWapUrl", 85, 91, 71, kS},
    {u"MailWebUrl", 86, 92, 72, kS}, {u"SiteName", 87, 93, 73, kS},
    {u"WapUrl", 88, 94, 74, kS}, {u"WebUrl", 89, 95, 75, kS},
    {u"ThisFileName", 90, 96, 76, kS}, {u"ThisFileAllName", 91, 97, 77, kS},
    {u"FileName", 92, 98, 78, kS}, {u"WapPath", 93, 99, 79, kS},
    {u"DiskPath", 94, 100, 80, kS}, {u"WapHomePage", 95, 101, 81, kS},
    {u"TransFirstFieldName", 96, 102, 82, kS}, {u"TransSecondFieldName", 97, 103, 83, kS},
    {u"TransThirdFieldName", 98, 104, 84, kS}, {u"DbToTransParameters", 99, 105, 85, kS},
    {u"WmlGoPage", 0, 106, 0, kS}, {u"OnlyOne", 100, 107, 86, kB},
    {u"PostFileName", 101, 108, 87, kS}, {u"Version", 102, 109, 88, kS},
    {u"About", 103, 110, 89, kS}, {u"SessionTimeOut", 104, 111, 90, kI},
    {u"NextPageTitle", 105, 0, 91, kS}, {u"PrePageTitle", 106, 0, 92, kS},
    {u"ResidualString", 107, 0, 93, kS}, {u"IsShowPinYin", 108, 0, 94, kB},
    {u"WapEnCoding", 109, 112, 0, kS}, {u"TheStopWords", 110, 113, 0, kS},
    {u"ThePassWords", 111, 114, 0, kS}, {u"DBListKeyWord", 115, 115, 0, kS},
    {u"FontKeyWords", 112, 116, 0, kS}, {u"PreFontText", 113, 117, 0, kS},
    {u"LastFontText", 114, 118, 0, kS},
};
// clang-format on

ParamType ResultTypeOf(PropertyType type) {
  constexpr ParamType kTypes[] = {ParamType::kString, ParamType::kInteger, ParamType::kBoolean,
                                  ParamType::kObject};
  return kTypes[type];
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

std::vector<std::u16string> ExpectedNames(Family family) {
  const int f = static_cast<int>(family);
  std::vector<const PropertyRow*> rows;
  for (const PropertyRow& row : kProperties) {
    if (row.position[f] != 0) rows.push_back(&row);
  }
  std::sort(rows.begin(), rows.end(), [f](const PropertyRow* a, const PropertyRow* b) {
    return a->position[f] < b->position[f];
  });
  std::vector<std::u16string> names;
  for (const PropertyRow* row : rows) names.push_back(row->name);
  return names;
}

class PageClassTest : public ::testing::TestWithParam<PageClassCase> {};

TEST_P(PageClassTest, PropertiesComeFirstInTheFamilysOrder) {
  auto page = NewPage(GetParam().name);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->family(), GetParam().family);
  EXPECT_EQ(page->language(), GetParam().language);
  std::vector<std::u16string> expected = ExpectedNames(GetParam().family);
  EXPECT_EQ(PropertyNames(page->Class()), expected);
  // The page hooks open the methods.
  const auto& members = page->Class().members;
  auto first_method = std::find_if(members.begin(), members.end(), [](const MemberInfo& m) {
    return m.kind == MemberKind::kMethod;
  });
  ASSERT_NE(first_method, members.end());
  EXPECT_EQ(first_method->name, u"OnStartPage");
  EXPECT_EQ(std::next(first_method)->name, u"OnEndPage");
}

TEST_P(PageClassTest, PropertyTypesAndAccessKinds) {
  auto page = NewPage(GetParam().name);
  const int f = static_cast<int>(GetParam().family);
  for (const PropertyRow& row : kProperties) {
    SCOPED_TRACE(Name(row.name));
    const MemberInfo* get = page->Class().Find(row.name, MemberKind::kPropertyGet);
    if (row.position[f] == 0) {  // e.g. PHPXML's WapEnCoding, Rs3 to Rs5, MySQL settings
      EXPECT_EQ(ErrorOf([&] { Invoke(*page, row.name, {}); }), kErrNoMember);
      EXPECT_EQ(ErrorOf([&] { Invoke(*page, row.name, {Variant(u"x")}, CallKind::kLet); }),
                kErrNoMember);
      continue;
    }
    ASSERT_NE(get, nullptr);
    EXPECT_EQ(get->result, ResultTypeOf(row.type));
    const MemberKind put = row.type == kO ? MemberKind::kPropertySet : MemberKind::kPropertyLet;
    EXPECT_NE(page->Class().Find(row.name, put), nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(All, PageClassTest, ::testing::ValuesIn(kPageClasses),
                         [](const auto& info) { return Name(info.param.name); });

// ---- Creation values ----------------------------------------------------------

struct ClassCase {
  const char16_t* name;
  std::function<ObjectPtr()> make;
};

const ClassCase kAllClasses[] = {
    {u"XML", [] { return std::make_shared<XML>(); }},
    {u"EnXML", [] { return std::make_shared<EnXML>(); }},
    {u"WAP", [] { return std::make_shared<WAP>(); }},
    {u"EnWAP", [] { return std::make_shared<EnWAP>(); }},
    {u"PHPXML", [] { return std::make_shared<PHPXML>(); }},
    {u"Common", [] { return std::make_shared<Common>(); }},
    {u"WAPXHTML", [] { return std::make_shared<WAPXHTML>(); }},
    {u"WAPWML", [] { return std::make_shared<WAPWML>(); }},
};

// Every read-write property of a fresh object holds its type's empty value.
// Read-only properties are computed texts of other members and not state.
void ExpectCreationValues(Object& object) {
  const ClassInfo& info = object.Class();
  int checked = 0;
  for (const MemberInfo& get : info.members) {
    if (get.kind != MemberKind::kPropertyGet || !get.params.empty()) continue;
    if (!info.Find(get.name, MemberKind::kPropertyLet) &&
        !info.Find(get.name, MemberKind::kPropertySet)) {
      continue;
    }
    SCOPED_TRACE(Name(get.name.c_str()));
    const Variant value = Invoke(object, get.name, {});
    ++checked;
    const Variant expected = get.result == ParamType::kString    ? Variant(u"")
                             : get.result == ParamType::kInteger ? Variant(int16_t{0})
                             : get.result == ParamType::kBoolean ? Variant(false)
                                                                 : Variant::Nothing();
    EXPECT_EQ(value, expected);
  }
  const std::u16string& name = info.name;
  const int minimum = name == u"WAPWML" ? 0 : name == u"WAPXHTML" ? 1 : name == u"Common" ? 7 : 94;
  EXPECT_GE(checked, minimum);
}

class CreationTest : public ::testing::TestWithParam<ClassCase> {};

TEST_P(CreationTest, EveryPropertyStartsEmpty) {
  ObjectPtr by_progid = CreateByProgId(std::u16string(u"Zorvadel.") + GetParam().name);
  ASSERT_NE(by_progid, nullptr);
  EXPECT_EQ(by_progid->Class().name, GetParam().name);
  ExpectCreationValues(*by_progid);
  ObjectPtr direct = GetParam().make();
  ExpectCreationValues(*direct);
  // The companions have no page hooks.
  const std::u16string name = GetParam().name;
  EXPECT_EQ(direct->HasPageHooks(), name != u"WAPXHTML" && name != u"WAPWML");
}

INSTANTIATE_TEST_SUITE_P(All, CreationTest, ::testing::ValuesIn(kAllClasses),
                         [](const auto& info) { return Name(info.param.name); });

}  // namespace
}  // namespace zorvadel
