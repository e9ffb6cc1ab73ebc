#include "output/debug_info.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "runtime/decimal_text.h"
#include "text/xml_chars.h"
#include "zorvadel/runtime.h"

namespace zorvadel::output {
namespace {

// The order of the sections is the order of the summary.
enum class Section : uint8_t {
  kCommon,
  kDatabase,
  kSqlServer,
  kAccess,
  kMail,
  kFile,
  kSite,
  kTerminal,
};
constexpr size_t kSectionCount = 8;

// The keys that choose a section besides "" and "all"; the common part has
// none because it is always there.
struct SectionKeys {
  std::u16string_view first;
  std::u16string_view second;
};
constexpr std::array<SectionKeys, kSectionCount> kSectionKeys = {{
    {},
    {u"sql", u"mdb"},
    {u"sql", {}},
    {u"mdb", {}},
    {u"mail", {}},
    {u"file", {}},
    {u"site", {}},
    {u"phone", {}},
}};

enum class Source : uint8_t {
  kText,
  kInteger,
  kLong,
  kBoolean,
  kConnection,    // a text whose passwords are masked
  kSqlPassword,   // a fixed text, the same in both languages
  kMailPassword,  // a fixed text of the language
};

struct Line {
  Section section;
  Source source;
  std::u16string PageState::*text = nullptr;
  int16_t PageState::*integer = nullptr;
  bool PageState::*flag = nullptr;
  int32_t PageState::*long_integer = nullptr;
};

constexpr Line Text(Section section, std::u16string PageState::*field) {
  return {section, Source::kText, field};
}
constexpr Line Integer(Section section, int16_t PageState::*field) {
  return {section, Source::kInteger, nullptr, field};
}
constexpr Line Long(Section section, int32_t PageState::*field) {
  return {section, Source::kLong, nullptr, nullptr, nullptr, field};
}
constexpr Line Flag(Section section, bool PageState::*field) {
  return {section, Source::kBoolean, nullptr, nullptr, field};
}
constexpr Line Fixed(Section section, Source source) { return {section, source}; }

using S = Section;
using P = PageState;

// What each line shows; the labels are in the language tables below, at the
// same index.
constexpr Line kLines[] = {
    Flag(S::kCommon, &P::IsShowImage),
    Text(S::kCommon, &P::CardTitle),
    Text(S::kCommon, &P::PrePage),
    Text(S::kCommon, &P::IndexImage),
    Text(S::kCommon, &P::NextPage),

    Long(S::kDatabase, &P::RecordCount),
    Long(S::kDatabase, &P::IPageCount),
    Long(S::kDatabase, &P::IPageCurrent),
    Flag(S::kDatabase, &P::DBIsShowImage),
    Text(S::kDatabase, &P::StrSql),
    Integer(S::kDatabase, &P::EveryPageSize),
    Text(S::kDatabase, &P::FieldShow),
    Text(S::kDatabase, &P::FieldHeader),
    Text(S::kDatabase, &P::FieldFooter),
    Text(S::kDatabase, &P::FieldId),
    Text(S::kDatabase, &P::GoFileName),
    Text(S::kDatabase, &P::RedirectPath),
    Text(S::kDatabase, &P::ErrorPagePath),

    Text(S::kSqlServer, &P::SqlServerName),
    Text(S::kSqlServer, &P::SqlUserId),
    Fixed(S::kSqlServer, Source::kSqlPassword),
    Text(S::kSqlServer, &P::SqlDBName),
    Text(S::kSqlServer, &P::SqlOtherConnInfo),
    {S::kSqlServer, Source::kConnection, &P::SqlStrConn},

    Text(S::kAccess, &P::MdbPath),

    Text(S::kMail, &P::MailServerUserName),
    Text(S::kMail, &P::MailSmtp),
    Text(S::kMail, &P::MailSiteName),
    Text(S::kMail, &P::MailResultFileName),
    Text(S::kMail, &P::MailWapUrl),
    Text(S::kMail, &P::MailWebUrl),
    Fixed(S::kMail, Source::kMailPassword),

    Text(S::kFile, &P::ThisFileName),
    Text(S::kFile, &P::FileName),
    Text(S::kFile, &P::WapPath),
    Text(S::kFile, &P::DiskPath),

    Text(S::kSite, &P::WapHomePage),

    Text(S::kTerminal, &P::PhoneNumber),
    Text(S::kTerminal, &P::PhoneUserAgent),
    Text(S::kTerminal, &P::PhoneIP),
    Text(S::kTerminal, &P::VisitFile),
    Text(S::kTerminal, &P::DisplayerInfo),
    Text(S::kTerminal, &P::PhoneAccept),
};
constexpr size_t kLineCount = sizeof(kLines) / sizeof(kLines[0]);

struct SummaryTexts {
  std::array<std::u16string_view, kSectionCount> headings;
  std::array<std::u16string_view, kLineCount> labels;
  std::u16string_view mail_password;
};

// The labels carry their own colon; the English ones keep the full-width
// colon in the first three sections and have none on the Access line.
constexpr SummaryTexts kChinese = {
    {
        u"<b>以下为常用信息：</b><br/>",
        u"<b>以下为通用数据库信息：</b><br/>",
        u"<b>以下为Access和SQL2000数据库信息：</b><br/>",
        u"<b>以下为Access信息：</b><br/>",
        u"<b>以下为邮件信息：</b><br/>",
        u"<b>以下为文件信息：</b><br/>",
        u"<b>以下为网站信息：</b><br/>",
        u"<b>以下为终端信息：</b><br/>",
    },
    {
        u"IsShowImage：",
        u"CardTitle：",
        u"PrePage：",
        u"IndexImage：",
        u"NextPage：",

        u"记录的总数RecordCount：",
        u"记录分页数IPageCount：",
        u"记录当前页IPageCurrent：",
        u"数据库DBIsShowImage：",
        u"StrSql：",
        u"EveryPageSize：",
        u"FieldShow：",
        u"FieldHeader：",
        u"FieldFooter：",
        u"FieldId：",
        u"GoFileName：",
        u"RedirectPath：",
        u"ErrorPapePath：",

        u"SqlServerName：",
        u"SqlUserId：",
        u"SqlUserPwd：",
        u"SqlDBName：",
        u"SqlOtherConnInfo：",
        u"SqlStrConn：",

        u"Access数据库MdbPath：",

        u"MailServerUserName：",
        u"MailSmtp：",
        u"MailSiteName：",
        u"MailResultFileName：",
        u"MailWapUrl：",
        u"MailWebUrl：",
        u"MailServerPassword：",

        u"ThisFileName：",
        u"FileName：",
        u"WapPath：",
        u"DiskPath：",

        u"WapHomePage：",

        u"PhoneNumber：",
        u"PhoneUserAgent：",
        u"PhoneIP：",
        u"VisitFile：",
        u"DisplayerInfo：",
        u"PhoneAccept：",
    },
    u"已被清空。",
};

constexpr SummaryTexts kEnglish = {
    {
        u"<b>The following information for commonly used:</b><br/>",
        u"<b>Following is the general database information:</b><br/>",
        u"<b>Following is the Access and SQL2000 database information:</b><br/>",
        u"<b>The following  is Access information:</b><br/>",
        u"<b>Following is the e-mail message:</b><br/>",
        u"<b>The following is file information:</b><br/>",
        u"<b>The following is website information:</b><br/>",
        u"<b>Following is the terminal message:</b><br/>",
    },
    {
        u"IsShowImage：",
        u"CardTitle：",
        u"PrePage：",
        u"IndexImage：",
        u"NextPage：",

        u"The total number of records,RecordCount：",
        u"Record of sub-pages,IPageCount：",
        u"Record of the current page,IPageCurrent：",
        u"DBIsShowImage：",
        u"StrSql：",
        u"EveryPageSize：",
        u"FieldShow：",
        u"FieldHeader：",
        u"FieldFooter：",
        u"FieldId：",
        u"GoFileName：",
        u"RedirectPath：",
        u"ErrorPapePath：",

        u"SqlServerName：",
        u"SqlUserId：",
        u"SqlUserPwd：",
        u"SqlDBName：",
        u"SqlOtherConnInfo：",
        u"SqlStrConn：",

        u"MdbPath of Access",

        u"MailServerUserName:",
        u"MailSmtp:",
        u"MailSiteName:",
        u"MailResultFileName:",
        u"MailWapUrl:",
        u"MailWebUrl:",
        u"MailServerPassword:",

        u"ThisFileName:",
        u"FileName:",
        u"WapPath:",
        u"DiskPath:",

        u"WapHomePage:",

        u"PhoneNumber:",
        u"PhoneUserAgent:",
        u"PhoneIP:",
        u"VisitFile:",
        u"DisplayerInfo:",
        u"PhoneAccept:",
    },
    u"Has been cleared。",
};

bool Chosen(Section section, std::u16string_view choice) {
  if (section == Section::kCommon || choice.empty() || choice == u"all") return true;
  const SectionKeys& keys = kSectionKeys[static_cast<size_t>(section)];
  return choice == keys.first || (!keys.second.empty() && choice == keys.second);
}

std::u16string ValueOf(const Line& line, const PageState& state, const SummaryTexts& texts) {
  switch (line.source) {
    case Source::kText:
      return state.*line.text;
    case Source::kInteger:
      return DecimalText(state.*line.integer);
    case Source::kLong:
      return DecimalText(state.*line.long_integer);
    case Source::kBoolean:
      return state.*line.flag ? u"True" : u"False";
    case Source::kConnection:
      return MaskConnectionPasswords(state.*line.text, kClearedText);
    case Source::kSqlPassword:
      return std::u16string(kClearedText);
    case Source::kMailPassword:
      return std::u16string(texts.mail_password);
  }
  return {};
}

bool IsPasswordKey(std::u16string_view name) {
  const std::u16string key = LCase(Trim(name));
  return key == u"pwd" || key == u"password";
}

// Where the value that starts at `begin` ends: at the next ";" (or the end),
// or, for a value opened by a quoting mark, at the first ";" after its
// closing mark. A doubled closing mark inside stands for itself.
size_t ValueEnd(std::u16string_view conn, size_t begin) {
  size_t at = begin;
  while (at < conn.size() && conn[at] == u' ') ++at;
  if (at < conn.size() && (conn[at] == u'{' || conn[at] == u'"' || conn[at] == u'\'')) {
    const char16_t close = conn[at] == u'{' ? u'}' : conn[at];
    ++at;
    for (;;) {
      at = conn.find(close, at);
      if (at == std::u16string_view::npos) return conn.size();  // unclosed: all of it
      if (at + 1 < conn.size() && conn[at + 1] == close) {
        at += 2;
        continue;
      }
      ++at;
      break;
    }
  }
  const size_t semicolon = conn.find(u';', at);
  return semicolon == std::u16string_view::npos ? conn.size() : semicolon;
}

}  // namespace

std::u16string MaskConnectionPasswords(std::u16string_view conn, std::u16string_view mask) {
  std::u16string out;
  out.reserve(conn.size());
  size_t start = 0;
  while (start < conn.size()) {
    const size_t semicolon = conn.find(u';', start);
    const size_t pair_end = semicolon == std::u16string_view::npos ? conn.size() : semicolon;
    const size_t equals = conn.find(u'=', start);
    if (equals < pair_end && IsPasswordKey(conn.substr(start, equals - start))) {
      const size_t value_end = ValueEnd(conn, equals + 1);
      out.append(conn.substr(start, equals + 1 - start));
      out.append(mask);
      start = value_end;
    } else {
      out.append(conn.substr(start, pair_end - start));
      start = pair_end;
    }
    if (start < conn.size()) {  // the ";" that ends the pair
      out.push_back(conn[start]);
      ++start;
    }
  }
  return out;
}

std::u16string SettingsSummary(const PageState& state, PageLanguage language,
                               std::u16string_view show_info) {
  const SummaryTexts& texts = language == PageLanguage::kEnglish ? kEnglish : kChinese;
  const std::u16string choice = LCase(show_info);
  std::u16string out;
  size_t line = 0;
  for (size_t section = 0; section < kSectionCount; ++section) {
    const auto id = static_cast<Section>(section);
    const bool chosen = Chosen(id, choice);
    if (chosen) out.append(texts.headings[section]);
    for (; line < kLineCount && kLines[line].section == id; ++line) {
      if (!chosen) continue;
      out.append(texts.labels[line]);
      // Written as set, markup and all, but for what no deck can carry.
      text::AppendXmlCarried(ValueOf(kLines[line], state, texts), &out);
      out.append(u"<br/>");
    }
  }
  return out;
}

}  // namespace zorvadel::output
