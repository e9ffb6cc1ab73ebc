// Member group of the XHTML and WML page classes: one page of the records
// that StrSql selects, as numbered title links to a detail page, with a
// total line and a page-navigation bar whose links come back to this page
// with the query key Page.
//
// Which page class has which member by name:
//
//   MdbList SqlList MySqlList OracleList (StyleMode)     XML EnXML WAP EnWAP
//   MDbListPages MDbListPagesTwo MDbListPagesThree
//   SqlListPages SqlListPagesTwo SqlListPagesThree       XML EnXML (no argument)
//                                                        WAP EnWAP (GoPageType)
//
// StyleMode picks the bar: 0 first/last, 1 previous/next, 2 numbered,
// 3 keyword, any other value none. GoPageType ("top" or "bottom", any
// letter case, not trimmed) places the WML page-jump line before or after
// the bar; any other value writes none.
//
// Every member opens Rs through its kind's opener, pages it, writes the
// rows, closes the connection and all six slots, and then writes its bar;
// the Two and Three members also rebuild DbToTransParameters from the
// fields TransFirstFieldName, TransSecondFieldName and TransThirdFieldName
// name, through the show member of their kind.
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

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);

 private:
  // Opener on slot 0, PreparePaging, RenderRecordList, CloseData.
  void ListCore(DatabaseKind kind);
  // The ListPages family: 0 numbered, 1 the Two bar, 2 keyword.
  void ListPages(DatabaseKind kind, int variant, const std::u16string& go_page_type);
};

}  // namespace zorvadel

#endif  // ZORVADEL_LIST_MEMBERS_H_
