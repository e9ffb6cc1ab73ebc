// Member group of the XHTML and WML page classes: one page of the records
// that StrSql selects, written as one of several lists, with a total line
// and a page-navigation bar whose links come back to this page with the
// query key Page.
//
// Which page class has which member by name:
//
//   MdbList SqlList MySqlList OracleList (StyleMode)     XML EnXML WAP EnWAP
//   MDbListPages MDbListPagesTwo MDbListPagesThree
//   SqlListPages SqlListPagesTwo SqlListPagesThree       XML EnXML (no argument)
//                                                        WAP EnWAP (GoPageType)
//   MdbListShow SqlListShow MdbMultiList SqlMultiList
//   MdbMultiShow SqlMultiShow
//   MdbSiteList SqlSiteList MdbLinkList SqlLinkList      XML EnXML WAP EnWAP
//
// The List and ListPages members write numbered title links to the detail
// page GoFileName. StyleMode picks their bar: 0 first/last, 1
// previous/next, 2 numbered, 3 keyword, any other value none. GoPageType
// ("top" or "bottom", any letter case, not trimmed) places the WML
// page-jump line before or after the bar; any other value writes none.
// By name, StyleMode defaults to 0 and GoPageType to "".
//
// The ListShow members write each record as its title and its content,
// each on a line, and "------<br/>" after it when EveryPageSize is above 1
// (WAP puts IndexImage before the title when DBIsShowImage is set). The
// MultiList members write the fields that ShowContent names, each between
// its piece of PreText and of LastText (all three split at SplitMark), and
// the same separator; their total line reads "总数:" in every class. Both
// end with the previous/next bar. MultiShow writes the fields of the first
// record alone, with no total line, separator or bar, and stores the
// request's record id and list page in the session as the show members do.
// A PreText or LastText left empty puts nothing around the fields; one
// with fewer pieces than ShowContent leaves out the fields past its end,
// and so does a field name the records lack. By name, the MultiList and
// MultiShow members take ShowContent (required), SplitMark (default one
// blank), PreText and LastText (both default "").
//
// The SiteList members write each record as the site's name, the person
// who added it and a link to the site's address (none when the record has
// no address), with the separator; their total line always stands above.
// The LinkList members write one link per record, its text from the field
// FieldShow and its address from FieldUrl, after the markers that
// DBListSymbol, DBListNumber ("[n]") and DBOrderNumber ("n.") ask for, n
// counting from 1 on every page (WAP: IndexImage first when DBIsShowImage
// is set), each link followed by DbListSplitChar. Both end with the
// previous/next bar. Addresses from the records are written fit for the
// attribute: a bare "&" as "&amp;", quotes and angle brackets as entities.
//
// Every member opens Rs through its kind's opener, pages it, writes the
// rows, closes the connection and all six slots, and then writes its bar;
// the Two and Three members also rebuild DbToTransParameters from the
// fields TransFirstFieldName, TransSecondFieldName and TransThirdFieldName
// name, through the show member of their kind. A Null field is written as
// "". With no records the lists redirect to ErrorPagePath.
//
// The paging state (IPageSize, IPageCurrent, IPageCount, IRecordsShown, I)
// is 32-bit, so lists past 32,767 records or pages page on. No member
// raises: each step that fails is skipped and the next one runs.
#ifndef ZORVADEL_LIST_MEMBERS_H_
#define ZORVADEL_LIST_MEMBERS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "zorvadel/database/database_kind.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"

namespace zorvadel {

class PageListMembers : public MemberGroup<PageListMembers, PageCore> {
 public:
  void MdbList(int16_t style_mode = 0);
  void SqlList(int16_t style_mode = 0);
  void MySqlList(int16_t style_mode = 0);
  void OracleList(int16_t style_mode = 0);

  // go_page_type is read by the WML classes only.
  void MDbListPages(const std::u16string& go_page_type = u"");
  void MDbListPagesTwo(const std::u16string& go_page_type = u"");
  void MDbListPagesThree(const std::u16string& go_page_type = u"");
  void SqlListPages(const std::u16string& go_page_type = u"");
  void SqlListPagesTwo(const std::u16string& go_page_type = u"");
  void SqlListPagesThree(const std::u16string& go_page_type = u"");

  // field_id is accepted and never read.
  void MdbListShow(const std::u16string& field_title, const std::u16string& field_id,
                   const std::u16string& field_content);
  void SqlListShow(const std::u16string& field_title, const std::u16string& field_id,
                   const std::u16string& field_content);
  void MdbMultiList(const std::u16string& show_content, const std::u16string& split_mark = u" ",
                    const std::u16string& pre_text = u"", const std::u16string& last_text = u"");
  void SqlMultiList(const std::u16string& show_content, const std::u16string& split_mark = u" ",
                    const std::u16string& pre_text = u"", const std::u16string& last_text = u"");
  void MdbMultiShow(const std::u16string& show_content, const std::u16string& split_mark = u" ",
                    const std::u16string& pre_text = u"", const std::u16string& last_text = u"");
  void SqlMultiShow(const std::u16string& show_content, const std::u16string& split_mark = u" ",
                    const std::u16string& pre_text = u"", const std::u16string& last_text = u"");
  void MdbSiteList(const std::u16string& site_title, const std::u16string& site_person_name,
                   const std::u16string& site_url);
  void SqlSiteList(const std::u16string& site_title, const std::u16string& site_person_name,
                   const std::u16string& site_url);
  void MdbLinkList();
  void SqlLinkList();

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);

 private:
  // Opener on slot 0, PreparePaging, RenderRecordList, CloseData.
  void ListCore(DatabaseKind kind);
  // The ListPages family: 0 numbered, 1 the Two bar, 2 keyword.
  void ListPages(DatabaseKind kind, int variant, const std::u16string& go_page_type);
};

}  // namespace zorvadel

#endif  // ZORVADEL_LIST_MEMBERS_H_
