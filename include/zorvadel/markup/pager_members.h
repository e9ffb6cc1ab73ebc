// Member group of the page classes: the long-text pagers. A script hands
// the whole text to a pager on every request; the pager cuts out the page
// that the request's query asks for, mends the markup that the cut broke at
// its edges, converts the page's UBB codes and writes it with links back to
// ThisFileName. Nothing is kept between requests: the position travels in
// the links, and only the pager's own keys travel (other query fields of
// the page are not carried on).
//
// Which page class has which member by name (a C++ call on another page
// class runs its family's code):
//
//   EasyMorePage    XML EnXML WAP EnWAP write; PHPXML returns the same
//                   markup (EasyMorePageText in C++)
//   MorePage        XML EnXML WAP EnWAP
//   AutoPage        XML EnXML
//
// Positions and lengths count UTF-16 units. A page length below 1 pages
// nothing: the member writes (or returns) nothing at all. Texts a user reads
// pass the output filter Ascii; page numbers, separators and the links that
// A built are written as they are. Errors are suppressed write by write: a
// write whose builder or response fails is skipped and the next one runs.
#ifndef ZORVADEL_PAGER_MEMBERS_H_
#define ZORVADEL_PAGER_MEMBERS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class PagePagerMembers : public MemberGroup<PagePagerMembers, PageCore> {
 public:
  // The page at the query's mystart moved by text_long (forward when toshow
  // is exactly "down", else back; a missing mystart counts as 0, one that is
  // empty or no number, and any position below 1, gives the first page),
  // then "<br/>", then a next link ("下一页" / "Next Page") and a previous
  // link ("上一页" / "Previous Page") as the page's place asks, each
  // followed by "<br/>". Both carry the shown position, which the next
  // request moves itself; a fractional position is cut at its nearest whole
  // unit and carried as received. By name: TextLong 1000 (EnWAP 300),
  // IsUbb True (EnWAP names it IsUseUbbWml).
  void EasyMorePage(const std::u16string& to_show_content, int16_t text_long, bool is_ubb);
  // PHPXML's EasyMorePage: reads toshow and mystart from every request
  // collection and returns the markup as a String; writes nothing. By
  // name: TextLong 1000, IsUbb True.
  Variant EasyMorePageText(const std::u16string& to_show_content, int16_t text_long, bool is_ubb);

  // The page at the query's MyStart (a whole number; unreadable gives the
  // first page), "<br/>-----<br/>", the count line ("共N页 第M页" /
  // "Total: N Pages,The Page M"), then rows of links that jump forward and
  // back by 1 to 9 pages. In the WML classes `is_this_show_image` puts the
  // NextPage and PrePage pictures before the row labels. By name: TextLong
  // 1000, IsUbb True, IsThisShowImage False (WML classes only).
  void MorePage(const std::u16string& to_show_content, int16_t text_long, bool is_ubb,
                bool is_this_show_image);

  // The page at the query's MyStart, "<br/>-----<br/>" and the navigation
  // of `style_mode`: 0 the page numbers in brackets, the NextPageTitle and
  // PrePageTitle links and a link to the rest of the text; 1 the links, the
  // numbers in parentheses and a form that jumps to a typed page (a posted
  // or queried GoPage redirects there); 2 arrow links around the numbers;
  // any other value nothing. A TextLong request value replaces text_long
  // for the cut alone. By name: TextLong 1000, IsUbb True, StyleMode 0
  // (EnXML 3).
  void AutoPage(const std::u16string& to_show_content, int16_t text_long, bool is_ubb,
                int16_t style_mode);

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);

 private:
  // What EasyMorePage writes, one entry per write: the page, then each link.
  std::vector<std::u16string> EasyMorePieces(const std::u16string& to_show_content,
                                             int16_t text_long, bool is_ubb);
};

}  // namespace zorvadel

#endif  // ZORVADEL_PAGER_MEMBERS_H_
