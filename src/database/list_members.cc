// The list members: a fixed run of the opener, the paging, the rows,
// CloseData and a bar. No step depends on an earlier one: when the opener
// fails, the paging and the list still run on what the page state holds
// (and redirect to ErrorPagePath), and the bar is written all the same.
#include "zorvadel/database/list_members.h"

#include <string>

#include "component/failure_line.h"
#include "database/field_lists.h"
#include "database/nav_bars.h"
#include "database/record_list.h"
#include "zorvadel/database/database_members.h"
#include "zorvadel/member_table.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

void BarOfStyle(PageCore& page, int16_t style_mode) {
  switch (style_mode) {
    case 0: listing::RenderFirstLastNav(page); break;
    case 1: listing::RenderPrevNextNav(page); break;
    case 2: listing::RenderNumberedNav(page); break;
    case 3: listing::RenderKeywordNav(page); break;
    default: break;
  }
}

// The lists with the previous/next bar: opener, paging, body, CloseData,
// bar. The bar reads only the paging state, so the site list, which would
// close after its bar, writes the same this way.
template <typename Body>
void WithPrevNextBar(PageCore& page, DatabaseKind kind, Body body) {
  PageDatabaseMembers& database = page.As<PageDatabaseMembers>();
  database.OpenData(kind, 0);
  listing::PreparePaging(page);
  body();
  database.CloseData();
  listing::RenderPrevNextNav(page);
}

void ListShow(PageCore& page, DatabaseKind kind, const std::u16string& field_title,
              const std::u16string& field_content) {
  WithPrevNextBar(page, kind, [&] { listing::RenderListShow(page, field_title, field_content); });
}

void MultiList(PageCore& page, DatabaseKind kind, const listing::FieldLayout& layout) {
  WithPrevNextBar(page, kind, [&] { listing::RenderMultiList(page, layout); });
}

void SiteList(PageCore& page, DatabaseKind kind, const std::u16string& site_title,
              const std::u16string& site_person_name, const std::u16string& site_url) {
  WithPrevNextBar(page, kind, [&] {
    listing::RenderSiteList(page, site_title, site_person_name, site_url);
  });
}

// The first record only: no paging and no bar.
void MultiShow(PageCore& page, DatabaseKind kind, const listing::FieldLayout& layout) {
  PageDatabaseMembers& database = page.As<PageDatabaseMembers>();
  database.RememberShowRequest();
  database.OpenData(kind, 0);
  listing::RenderMultiShow(page, layout);
  database.CloseData();
}

}  // namespace

void PageListMembers::ListCore(DatabaseKind kind) {
  PageCore& page = self();
  PageDatabaseMembers& database = page.As<PageDatabaseMembers>();
  database.OpenData(kind, 0);
  listing::PreparePaging(page);
  listing::RenderRecordList(page);
  database.CloseData();
}

void PageListMembers::ListPages(DatabaseKind kind, int variant,
                                const std::u16string& go_page_type) {
  PageCore& page = self();
  const bool wml = page.family() == Family::kW;
  const std::u16string place = LCase(go_page_type);
  ListCore(kind);
  if (wml && place == u"top") listing::WritePageJumpBox(page);
  if (variant != 0) listing::BuildTransParameters(page, kind);
  switch (variant) {
    case 0: listing::RenderNumberedNav(page); break;
    // The XHTML classes' Two bar is previous/next, so what was carried
    // reaches no link of theirs; the WML classes' first/last bar carries it.
    case 1: wml ? listing::RenderFirstLastNav(page) : listing::RenderPrevNextNav(page); break;
    default: listing::RenderKeywordNav(page); break;
  }
  if (wml && place == u"bottom") listing::WritePageJumpBox(page);
}

void PageListMembers::MdbList(int16_t style_mode) {
  const failure::MemberScope named("MdbList");
  ListCore(DatabaseKind::kAccess);
  BarOfStyle(self(), style_mode);
}
void PageListMembers::SqlList(int16_t style_mode) {
  const failure::MemberScope named("SqlList");
  ListCore(DatabaseKind::kSqlServer);
  BarOfStyle(self(), style_mode);
}
void PageListMembers::MySqlList(int16_t style_mode) {
  const failure::MemberScope named("MySqlList");
  ListCore(DatabaseKind::kMySql);
  BarOfStyle(self(), style_mode);
}
void PageListMembers::OracleList(int16_t style_mode) {
  const failure::MemberScope named("OracleList");
  ListCore(DatabaseKind::kOracle);
  BarOfStyle(self(), style_mode);
}
void PageListMembers::MDbListPages(const std::u16string& go_page_type) {
  const failure::MemberScope named("MDbListPages");
  ListPages(DatabaseKind::kAccess, 0, go_page_type);
}
void PageListMembers::MDbListPagesTwo(const std::u16string& go_page_type) {
  const failure::MemberScope named("MDbListPagesTwo");
  ListPages(DatabaseKind::kAccess, 1, go_page_type);
}
void PageListMembers::MDbListPagesThree(const std::u16string& go_page_type) {
  const failure::MemberScope named("MDbListPagesThree");
  ListPages(DatabaseKind::kAccess, 2, go_page_type);
}
void PageListMembers::SqlListPages(const std::u16string& go_page_type) {
  const failure::MemberScope named("SqlListPages");
  ListPages(DatabaseKind::kSqlServer, 0, go_page_type);
}
void PageListMembers::SqlListPagesTwo(const std::u16string& go_page_type) {
  const failure::MemberScope named("SqlListPagesTwo");
  ListPages(DatabaseKind::kSqlServer, 1, go_page_type);
}
void PageListMembers::SqlListPagesThree(const std::u16string& go_page_type) {
  const failure::MemberScope named("SqlListPagesThree");
  ListPages(DatabaseKind::kSqlServer, 2, go_page_type);
}
void PageListMembers::MdbListShow(const std::u16string& field_title, const std::u16string&,
                                  const std::u16string& field_content) {
  const failure::MemberScope named("MdbListShow");
  ListShow(self(), DatabaseKind::kAccess, field_title, field_content);
}
void PageListMembers::SqlListShow(const std::u16string& field_title, const std::u16string&,
                                  const std::u16string& field_content) {
  const failure::MemberScope named("SqlListShow");
  ListShow(self(), DatabaseKind::kSqlServer, field_title, field_content);
}
void PageListMembers::MdbMultiList(const std::u16string& show_content,
                                   const std::u16string& split_mark,
                                   const std::u16string& pre_text,
                                   const std::u16string& last_text) {
  const failure::MemberScope named("MdbMultiList");
  MultiList(self(), DatabaseKind::kAccess, {show_content, split_mark, pre_text, last_text});
}
void PageListMembers::SqlMultiList(const std::u16string& show_content,
                                   const std::u16string& split_mark,
                                   const std::u16string& pre_text,
                                   const std::u16string& last_text) {
  const failure::MemberScope named("SqlMultiList");
  MultiList(self(), DatabaseKind::kSqlServer, {show_content, split_mark, pre_text, last_text});
}
void PageListMembers::MdbMultiShow(const std::u16string& show_content,
                                   const std::u16string& split_mark,
                                   const std::u16string& pre_text,
                                   const std::u16string& last_text) {
  const failure::MemberScope named("MdbMultiShow");
  MultiShow(self(), DatabaseKind::kAccess, {show_content, split_mark, pre_text, last_text});
}
void PageListMembers::SqlMultiShow(const std::u16string& show_content,
                                   const std::u16string& split_mark,
                                   const std::u16string& pre_text,
                                   const std::u16string& last_text) {
  const failure::MemberScope named("SqlMultiShow");
  MultiShow(self(), DatabaseKind::kSqlServer, {show_content, split_mark, pre_text, last_text});
}
void PageListMembers::MdbSiteList(const std::u16string& site_title,
                                  const std::u16string& site_person_name,
                                  const std::u16string& site_url) {
  const failure::MemberScope named("MdbSiteList");
  SiteList(self(), DatabaseKind::kAccess, site_title, site_person_name, site_url);
}
void PageListMembers::SqlSiteList(const std::u16string& site_title,
                                  const std::u16string& site_person_name,
                                  const std::u16string& site_url) {
  const failure::MemberScope named("SqlSiteList");
  SiteList(self(), DatabaseKind::kSqlServer, site_title, site_person_name, site_url);
}
void PageListMembers::MdbLinkList() {
  const failure::MemberScope named("MdbLinkList");
  WithPrevNextBar(self(), DatabaseKind::kAccess, [&] { listing::RenderLinkList(self()); });
}
void PageListMembers::SqlLinkList() {
  const failure::MemberScope named("SqlLinkList");
  WithPrevNextBar(self(), DatabaseKind::kSqlServer, [&] { listing::RenderLinkList(self()); });
}

namespace {

using L = PageListMembers;

// The XHTML classes' ListPages members take no argument.
template <void (L::*member)(const std::u16string&)>
void NoArgument(L& self) {
  (self.*member)(u"");
}

}  // namespace

std::vector<MemberInfo> PageListMembers::MemberTable(const PageClassTraits& traits) {
  if (traits.family == Family::kP) return {};
  const std::vector<ParamSpec> style = {Opt(u"StyleMode", int16_t{0})};
  ClassBuilder<L> b(u"");
  b.Method<&L::MdbList>(u"MdbList", style)
      .Method<&L::SqlList>(u"SqlList", style)
      .Method<&L::MySqlList>(u"MySqlList", style)
      .Method<&L::OracleList>(u"OracleList", style);
  if (traits.family == Family::kW) {
    const std::vector<ParamSpec> go = {Opt(u"GoPageType", std::u16string())};
    b.Method<&L::MDbListPages>(u"MDbListPages", go)
        .Method<&L::MDbListPagesTwo>(u"MDbListPagesTwo", go)
        .Method<&L::MDbListPagesThree>(u"MDbListPagesThree", go)
        .Method<&L::SqlListPages>(u"SqlListPages", go)
        .Method<&L::SqlListPagesTwo>(u"SqlListPagesTwo", go)
        .Method<&L::SqlListPagesThree>(u"SqlListPagesThree", go);
  } else {
    b.Method<&NoArgument<&L::MDbListPages>>(u"MDbListPages")
        .Method<&NoArgument<&L::MDbListPagesTwo>>(u"MDbListPagesTwo")
        .Method<&NoArgument<&L::MDbListPagesThree>>(u"MDbListPagesThree")
        .Method<&NoArgument<&L::SqlListPages>>(u"SqlListPages")
        .Method<&NoArgument<&L::SqlListPagesTwo>>(u"SqlListPagesTwo")
        .Method<&NoArgument<&L::SqlListPagesThree>>(u"SqlListPagesThree");
  }
  const std::vector<ParamSpec> title_content = {Req(u"FieldTitle"), Req(u"FieldId"),
                                                Req(u"FieldContent")};
  const std::vector<ParamSpec> fields = {Req(u"ShowContent"), Opt(u"SplitMark", u" "),
                                         Opt(u"PreText", u""), Opt(u"LastText", u"")};
  b.Method<&L::MdbListShow>(u"MdbListShow", title_content)
      .Method<&L::SqlListShow>(u"SqlListShow", title_content)
      .Method<&L::MdbMultiList>(u"MdbMultiList", fields)
      .Method<&L::SqlMultiList>(u"SqlMultiList", fields)
      .Method<&L::MdbMultiShow>(u"MdbMultiShow", fields)
      .Method<&L::SqlMultiShow>(u"SqlMultiShow", fields);
  const std::vector<ParamSpec> site = {Req(u"SiteTitle"), Req(u"SitePersonName"),
                                       Req(u"SiteUrl")};
  b.Method<&L::MdbSiteList>(u"MdbSiteList", site)
      .Method<&L::SqlSiteList>(u"SqlSiteList", site)
      .Method<&L::MdbLinkList>(u"MdbLinkList")
      .Method<&L::SqlLinkList>(u"SqlLinkList");
  return b.BuildMembers();
}

}  // namespace zorvadel
