#include "component/page_properties.h"

#include <algorithm>
#include <utility>

#include "platform/ado/ado.h"
#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"

namespace zorvadel {
namespace {

template <auto Ptr>
struct FieldAccess {
  using Arg = member_table_internal::ArgOf<decltype(std::declval<PageState&>().*Ptr)>;
  static Variant Get(const PageState& state) { return member_table_internal::ToVariant(state.*Ptr); }
  static void Put(PageState& state, const Variant& value) { state.*Ptr = Arg::Get(value); }
};

template <auto Ptr>
constexpr FieldRef F() {
  using Access = FieldAccess<Ptr>;
  if constexpr (Access::Arg::kType == ParamType::kString) {
    return {Access::Arg::kType, &Access::Get, &Access::Put, Ptr};
  } else {
    return {Access::Arg::kType, &Access::Get, &Access::Put, nullptr};
  }
}

constexpr int16_t kTrue = -1;
constexpr int16_t kFalse = 0;

constexpr PageDefault Text(std::u16string_view text) { return {DefaultKind::kText, text}; }
constexpr PageDefault Number(int16_t n) { return {DefaultKind::kNumber, {}, n}; }
constexpr PageDefault Language(std::u16string_view PageTexts::*text) {
  return {DefaultKind::kLanguage, {}, 0, text};
}
constexpr PageDefault CopyOfWapPath() { return {DefaultKind::kWapPath}; }

// Interface order of each family: X (XML, EnXML), W (WAP, EnWAP), P (PHPXML).
const PageProperty kPageProperties[] = {
    {u"CC", {1, 1, 1}, F<&PageState::CC>()},
    {u"WW", {0, 2, 0}, F<&PageState::WW>()},
    {u"WX", {2, 0, 2}, F<&PageState::WX>()},
    {u"Response", {3, 3, 3}, F<&PageState::Response>()},
    {u"Request", {4, 4, 4}, F<&PageState::Request>()},
    {u"Application", {5, 5, 5}, F<&PageState::Application>()},
    {u"Server", {6, 6, 6}, F<&PageState::Server>()},
    {u"Session", {7, 7, 7}, F<&PageState::Session>()},
    {u"Command", {8, 8, 8}, F<&PageState::Command>()},
    {u"IsShowImage", {0, 9, 0}, F<&PageState::IsShowImage>(), Number(kTrue)},
    {u"CardTitle", {0, 10, 0}, F<&PageState::CardTitle>(), Language(&PageTexts::card_title)},
    {u"NextPage", {0, 11, 0}, F<&PageState::NextPage>(), Text(u"Images/NextPage.Png")},
    {u"PrePage", {0, 12, 0}, F<&PageState::PrePage>(), Text(u"Images/PrePage.Png")},
    {u"IndexImage", {0, 13, 0}, F<&PageState::IndexImage>(), Text(u"Images/IndexImage.Png")},
    {u"SiteTitle", {9, 14, 9}, F<&PageState::SiteTitle>()},
    {u"SiteWebUrl", {10, 15, 10}, F<&PageState::SiteWebUrl>()},
    {u"SiteWapUrl", {11, 16, 11}, F<&PageState::SiteWapUrl>()},
    {u"SiteLogo", {12, 17, 12}, F<&PageState::SiteLogo>()},
    {u"ChineseType", {13, 18, 13}, F<&PageState::ChineseType>(), Text(u"")},
    {u"KeyWord", {14, 19, 14}, F<&PageState::KeyWord>()},
    {u"SQLInjData", {15, 20, 15}, F<&PageState::SQLInjData>(), Text(kSqlInjectionWords)},
    {u"Conn", {16, 21, 16}, F<&PageState::Conn>()},
    {u"Rs", {17, 22, 17}, F<&PageState::Rs>()},
    {u"Rs1", {18, 23, 18}, F<&PageState::Rs1>()},
    {u"Rs2", {19, 24, 19}, F<&PageState::Rs2>()},
    {u"Rs3", {20, 25, 0}, F<&PageState::Rs3>()},
    {u"Rs4", {21, 26, 0}, F<&PageState::Rs4>()},
    {u"Rs5", {22, 27, 0}, F<&PageState::Rs5>()},
    {u"RsInfoPlace", {23, 28, 20}, F<&PageState::RsInfoPlace>()},
    {u"IPageSize", {24, 29, 21}, F<&PageState::IPageSize>()},
    {u"IRecordsShown", {25, 30, 22}, F<&PageState::IRecordsShown>()},
    {u"I", {26, 31, 23}, F<&PageState::I>()},
    {u"IPageCurrent", {27, 32, 24}, F<&PageState::IPageCurrent>()},
    {u"IPageCount", {28, 33, 25}, F<&PageState::IPageCount>()},
    {u"RecordCount", {29, 34, 26}, F<&PageState::RecordCount>()},
    {u"StrSql", {30, 35, 27}, F<&PageState::StrSql>(), Text(u"Select Id,Title,Content From Zorvadel")},
    {u"RedirectPath", {31, 36, 28}, F<&PageState::RedirectPath>(), CopyOfWapPath()},
    {u"EveryPageSize", {32, 37, 29}, F<&PageState::EveryPageSize>(), Number(15)},
    {u"FieldShow", {33, 38, 30}, F<&PageState::FieldShow>(), Text(u"Title")},
    {u"FieldUrl", {34, 39, 31}, F<&PageState::FieldUrl>()},
    {u"FieldFooter", {35, 40, 32}, F<&PageState::FieldFooter>()},
    {u"FieldHeader", {36, 41, 33}, F<&PageState::FieldHeader>()},
    {u"FieldId", {37, 42, 34}, F<&PageState::FieldId>(), Text(u"Id")},
    {u"GoFileName", {38, 43, 35}, F<&PageState::GoFileName>(), Text(u"Index.asp")},
    {u"DBIsShowImage", {0, 44, 0}, F<&PageState::DBIsShowImage>(), Number(kFalse)},
    {u"DBListSymbol", {39, 45, 36}, F<&PageState::DBListSymbol>()},
    {u"DBListNumber", {40, 46, 37}, F<&PageState::DBListNumber>()},
    {u"DBOrderNumber", {41, 47, 38}, F<&PageState::DBOrderNumber>()},
    {u"DbListSplitChar", {42, 48, 39}, F<&PageState::DbListSplitChar>(), Text(u"<br/>")},
    {u"DbCursorType", {43, 49, 40}, F<&PageState::DbCursorType>(), Number(1)},
    {u"DbLockType", {44, 50, 41}, F<&PageState::DbLockType>(), Number(3)},
    {u"DbListTypeMode", {45, 51, 42}, F<&PageState::DbListTypeMode>(), Number(0)},
    {u"DbListImgPath", {46, 52, 43}, F<&PageState::DbListImgPath>()},
    {u"DblistPreString", {47, 53, 44}, F<&PageState::DblistPreString>()},
    {u"ErrorPagePath", {48, 54, 45}, F<&PageState::ErrorPagePath>(), CopyOfWapPath()},
    {u"MdbPath", {49, 55, 46}, F<&PageState::MdbPath>(), Text(u"MyDatabase\\#Zorvadel.mdb")},
    {u"SqlServerName", {50, 56, 47}, F<&PageState::SqlServerName>(), Text(u"local")},
    {u"SqlUserId", {51, 57, 48}, F<&PageState::SqlUserId>(), Text(u"sa")},
    {u"SqlUserPwd", {52, 58, 49}, F<&PageState::SqlUserPwd>(), Text(u"zq")},
    {u"SqlDBName", {53, 59, 50}, F<&PageState::SqlDBName>(), Text(u"Zorvadel")},
    {u"SqlOtherConnInfo", {54, 60, 51}, F<&PageState::SqlOtherConnInfo>()},
    {u"SqlStrConn", {55, 61, 52}, F<&PageState::SqlStrConn>(), Text(u"")},
    {u"MySqlDSN", {56, 62, 0}, F<&PageState::MySqlDSN>()},
    {u"MySqlServerName", {57, 63, 0}, F<&PageState::MySqlServerName>()},
    {u"MySqlUserId", {58, 64, 0}, F<&PageState::MySqlUserId>()},
    {u"MySqlUserPwd", {59, 65, 0}, F<&PageState::MySqlUserPwd>()},
    {u"MySqlDBName", {60, 66, 0}, F<&PageState::MySqlDBName>()},
    {u"MySqlOtherConnInfo", {61, 67, 0}, F<&PageState::MySqlOtherConnInfo>()},
    {u"OracleServerName", {62, 68, 0}, F<&PageState::OracleServerName>()},
    {u"OracleUserId", {63, 69, 0}, F<&PageState::OracleUserId>()},
    {u"OracleUserPwd", {64, 70, 0}, F<&PageState::OracleUserPwd>()},
    {u"OracleDBName", {65, 71, 0}, F<&PageState::OracleDBName>()},
    {u"OracleOtherConnInfo", {66, 72, 0}, F<&PageState::OracleOtherConnInfo>()},
    {u"Terminal", {67, 73, 53}, F<&PageState::Terminal>()},
    {u"PhoneAccept", {68, 74, 54}, F<&PageState::PhoneAccept>()},
    {u"PhoneNumber", {69, 75, 55}, F<&PageState::PhoneNumber>()},
    {u"PhoneUserAgent", {70, 76, 56}, F<&PageState::PhoneUserAgent>()},
    {u"VisitFile", {71, 77, 57}, F<&PageState::VisitFile>()},
    {u"PhoneIP", {72, 78, 58}, F<&PageState::PhoneIP>()},
    {u"ServerIP", {73, 79, 59}, F<&PageState::ServerIP>()},
    {u"DisplayerInfo", {74, 80, 60}, F<&PageState::DisplayerInfo>()},
    {u"DisplayerUA", {75, 81, 61}, F<&PageState::DisplayerUA>()},
    {u"ErrorMessage", {76, 82, 62}, F<&PageState::ErrorMessage>()},
    {u"ToDoId", {77, 83, 63}, F<&PageState::ToDoId>()},
    {u"Mail", {78, 84, 64}, F<&PageState::Mail>()},
    {u"MailServerUserName", {79, 85, 65}, F<&PageState::MailServerUserName>(), Text(kMakerMailAccount)},
    {u"MailServerPassword", {80, 86, 66}, F<&PageState::MailServerPassword>(), Text(u"")},
    {u"MailSmtp", {81, 87, 67}, F<&PageState::MailSmtp>(), Text(kMakerSmtpHost)},
    {u"MailResultFileName", {82, 88, 68}, F<&PageState::MailResultFileName>(), Text(u"Success.asp")},
    {u"MailContent", {83, 89, 69}, F<&PageState::MailContent>()},
    {u"MailSiteName", {84, 90, 70}, F<&PageState::MailSiteName>(), Language(&PageTexts::site_name)},
    {u"MailWapUrl", {85, 91, 71}, F<&PageState::MailWapUrl>(), Text(kMakerWapUrl)},
    {u"MailWebUrl", {86, 92, 72}, F<&PageState::MailWebUrl>(), Text(kMakerWebUrl)},
    {u"SiteName", {87, 93, 73}, F<&PageState::SiteName>(), Language(&PageTexts::site_name)},
    {u"WapUrl", {88, 94, 74}, F<&PageState::WapUrl>(), Text(kMakerWapUrl)},
    {u"WebUrl", {89, 95, 75}, F<&PageState::WebUrl>(), Text(kMakerWebUrl)},
    {u"ThisFileName", {90, 96, 76}, F<&PageState::ThisFileName>()},
    {u"ThisFileAllName", {91, 97, 77}, F<&PageState::ThisFileAllName>()},
    {u"FileName", {92, 98, 78}, F<&PageState::FileName>()},
    {u"WapPath", {93, 99, 79}, F<&PageState::WapPath>()},
    {u"DiskPath", {94, 100, 80}, F<&PageState::DiskPath>()},
    {u"WapHomePage", {95, 101, 81}, F<&PageState::WapHomePage>()},
    {u"TransFirstFieldName", {96, 102, 82}, F<&PageState::TransFirstFieldName>()},
    {u"TransSecondFieldName", {97, 103, 83}, F<&PageState::TransSecondFieldName>()},
    {u"TransThirdFieldName", {98, 104, 84}, F<&PageState::TransThirdFieldName>()},
    {u"DbToTransParameters", {99, 105, 85}, F<&PageState::DbToTransParameters>()},
    {u"WmlGoPage", {0, 106, 0}, F<&PageState::WmlGoPage>(), Text(u"<input type='text' name='pn' emptyok='true' format='*N' title='GO' value='1' />")},
    {u"OnlyOne", {100, 107, 86}, F<&PageState::OnlyOne>(), Number(kFalse)},
    {u"PostFileName", {101, 108, 87}, F<&PageState::PostFileName>()},
    {u"Version", {102, 109, 88}, F<&PageState::Version>()},
    {u"About", {103, 110, 89}, F<&PageState::About>()},
    {u"SessionTimeOut", {104, 111, 90}, F<&PageState::SessionTimeOut>()},
    {u"NextPageTitle", {105, 0, 91}, F<&PageState::NextPageTitle>(), Language(&PageTexts::next_page_title)},
    {u"PrePageTitle", {106, 0, 92}, F<&PageState::PrePageTitle>(), Language(&PageTexts::pre_page_title)},
    {u"ResidualString", {107, 0, 93}, F<&PageState::ResidualString>(), Language(&PageTexts::residual_string)},
    {u"IsShowPinYin", {108, 0, 94}, F<&PageState::IsShowPinYin>(), Number(kFalse)},
    {u"WapEnCoding", {109, 112, 0}, F<&PageState::WapEnCoding>(), Text(u"utf-8")},
    {u"TheStopWords", {110, 113, 0}, F<&PageState::TheStopWords>(), Text(u"")},
    {u"ThePassWords", {111, 114, 0}, F<&PageState::ThePassWords>(), Text(u"**过滤词汇**")},
    {u"DBListKeyWord", {115, 115, 0}, F<&PageState::DBListKeyWord>()},
    {u"FontKeyWords", {112, 116, 0}, F<&PageState::FontKeyWords>()},
    {u"PreFontText", {113, 117, 0}, F<&PageState::PreFontText>(), Text(u"<b>")},
    {u"LastFontText", {114, 118, 0}, F<&PageState::LastFontText>(), Text(u"</b>")},
};

PageState& StateOf(Object& object) { return static_cast<PageObject&>(object).state(); }

}  // namespace

std::span<const PageProperty> PageProperties() { return kPageProperties; }

std::vector<MemberInfo> PagePropertyMembers(Family family) {
  std::vector<const PageProperty*> rows;
  for (const PageProperty& row : kPageProperties) {
    if (row.In(family)) rows.push_back(&row);
  }
  const int f = static_cast<int>(family);
  std::sort(rows.begin(), rows.end(),
            [f](const PageProperty* a, const PageProperty* b) { return a->position[f] < b->position[f]; });

  std::vector<MemberInfo> members;
  for (const PageProperty* row : rows) {
    MemberInfo get;
    get.name = std::u16string(row->name);
    get.kind = MemberKind::kPropertyGet;
    get.result = row->field.type;
    get.call = [row](Object& self, MemberArgs) { return row->field.get(StateOf(self)); };
    members.push_back(std::move(get));

    MemberInfo put;
    put.name = std::u16string(row->name);
    put.kind = row->field.type == ParamType::kObject ? MemberKind::kPropertySet : MemberKind::kPropertyLet;
    put.params = {ParamInfo{u"Value", row->field.type}};
    put.call = [row](Object& self, MemberArgs args) {
      row->field.put(StateOf(self), args[0]);
      return Variant();
    };
    members.push_back(std::move(put));
  }
  return members;
}

namespace {

// The texts page start fills besides the defaults.
constexpr std::u16string PageState::*kPageStartTexts[] = {
    &PageState::ThisFileName, &PageState::ThisFileAllName, &PageState::WapPath,
    &PageState::FileName,     &PageState::PhoneIP,         &PageState::ServerIP,
    &PageState::VisitFile,    &PageState::PhoneAccept,     &PageState::PhoneUserAgent,
    &PageState::Terminal,     &PageState::PhoneNumber,     &PageState::WapHomePage,
    &PageState::Version,      &PageState::About,
    // Not page start's, but set on nearly every page: the page headers ask
    // the terminal.
    &PageState::DisplayerInfo, &PageState::DisplayerUA,
};

// The slots of the kept buffers (below): the page-start texts, then every
// field that page start gives a text default in any family.
std::vector<std::u16string PageState::*> MakeKeptFields() {
  std::vector<std::u16string PageState::*> fields(std::begin(kPageStartTexts),
                                                 std::end(kPageStartTexts));
  for (const PageProperty& row : kPageProperties) {
    const DefaultKind kind = row.initial.kind;
    if (kind == DefaultKind::kText || kind == DefaultKind::kLanguage ||
        kind == DefaultKind::kWapPath) {
      fields.push_back(row.field.text);
    }
  }
  return fields;
}

const std::vector<std::u16string PageState::*>& KeptFields() {
  static const std::vector<std::u16string PageState::*> fields = MakeKeptFields();
  return fields;
}

// Page start fills some forty texts, most too long for a string's own
// buffer, and the page's object goes at page end: the buffers of a gone
// object are kept, one per field and thread, and the next page start fills
// them instead of allocating new ones. Only the room passes on: every text
// is assigned anew, so a script sees the same values.
constexpr size_t kMostKept = 256;  // code units; a longer text's buffer is freed

thread_local bool kept_alive = false;  // plain data: readable at thread exit

struct KeptBuffers {
  KeptBuffers() : buffers(KeptFields().size()) { kept_alive = true; }
  ~KeptBuffers() { kept_alive = false; }
  std::vector<std::u16string> buffers;  // one per KeptFields() entry
};

// Made by the first page start on a thread; a state that goes before it, or
// after it at thread exit, frees its texts as usual.
KeptBuffers& Kept() {
  thread_local KeptBuffers kept;
  return kept;
}

// The string's own buffer: a text in it has nothing worth keeping.
const size_t kOwnBuffer = std::u16string().capacity();

void TakeSlot(KeptBuffers& kept, std::u16string& field, size_t slot) {
  if (slot >= kept.buffers.size()) return;  // a field that keeps no buffer
  std::u16string& buffer = kept.buffers[slot];
  if (field.empty() && buffer.capacity() > kOwnBuffer) field = std::move(buffer);
}

// The defaults of one family and language, resolved from the table once: a
// text to assign or a ready Variant to put per property, so that page start
// neither walks the rows nor coerces a number on every page.
struct ResolvedDefaults {
  struct Text {
    std::u16string PageState::*field;
    size_t slot;  // in KeptFields()
    std::u16string_view text;
    bool wap_path;  // the value WapPath has then, instead of `text`
  };
  struct Number {
    void (*put)(PageState& state, const Variant& value);
    Variant value;
  };
  std::vector<Text> texts;
  std::vector<Number> numbers;
};

ResolvedDefaults Resolve(Family family, PageLanguage language) {
  const PageTexts& texts = TextsFor(language);
  ResolvedDefaults resolved;
  for (const PageProperty& row : kPageProperties) {
    if (!row.In(family)) continue;
    const PageDefault& initial = row.initial;
    auto text = [&](std::u16string_view value, bool wap_path) {
      resolved.texts.push_back({row.field.text, KeptSlot(row.field.text), value, wap_path});
    };
    switch (initial.kind) {
      case DefaultKind::kNone:
        break;
      case DefaultKind::kText:
        text(initial.text, false);
        break;
      case DefaultKind::kNumber:
        resolved.numbers.push_back({row.field.put, CoerceTo(Variant(initial.number), row.field.type)});
        break;
      case DefaultKind::kLanguage:
        text(texts.*initial.language, false);
        break;
      case DefaultKind::kWapPath:
        text({}, true);
        break;
    }
  }
  return resolved;
}

const ResolvedDefaults& DefaultsFor(Family family, PageLanguage language) {
  static const ResolvedDefaults kResolved[3][2] = {
      {Resolve(Family::kX, PageLanguage::kChinese), Resolve(Family::kX, PageLanguage::kEnglish)},
      {Resolve(Family::kW, PageLanguage::kChinese), Resolve(Family::kW, PageLanguage::kEnglish)},
      {Resolve(Family::kP, PageLanguage::kChinese), Resolve(Family::kP, PageLanguage::kEnglish)},
  };
  return kResolved[static_cast<int>(family)][static_cast<int>(language)];
}

}  // namespace

void ApplyPageDefaults(PageState& state, Family family, PageLanguage language) {
  const ResolvedDefaults& defaults = DefaultsFor(family, language);
  KeptBuffers& kept = Kept();
  // No default is WapPath's own, so its value is read in place.
  const std::u16string_view wap_path = state.WapPath;
  for (const ResolvedDefaults::Text& text : defaults.texts) {
    std::u16string& field = state.*text.field;
    TakeSlot(kept, field, text.slot);
    field.assign(text.wap_path ? wap_path : text.text);
  }
  for (const ResolvedDefaults::Number& number : defaults.numbers) number.put(state, number.value);
}

size_t KeptSlot(std::u16string PageState::*field) {
  const auto& fields = KeptFields();
  return std::find(fields.begin(), fields.end(), field) - fields.begin();
}

void TakeKeptBuffer(PageState& state, std::u16string PageState::*field, size_t slot) {
  TakeSlot(Kept(), state.*field, slot);
}

PageState::~PageState() {
  if (!kept_alive) return;
  KeptBuffers& kept = Kept();
  const auto& fields = KeptFields();
  for (size_t i = 0; i < fields.size(); ++i) {
    std::u16string& text = this->*fields[i];
    std::u16string& buffer = kept.buffers[i];
    if (text.capacity() > kOwnBuffer && text.capacity() <= kMostKept &&
        buffer.capacity() <= kOwnBuffer) {
      buffer = std::move(text);
    }
  }
}

}  // namespace zorvadel
