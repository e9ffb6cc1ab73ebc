// Where the member groups meet their classes: the casts between a group and
// the object that takes it in are written once here, for every group, since
// only here are all the classes complete.
#include "component/group_calls.h"
#include "zorvadel/classes.h"
#include "zorvadel/member_group.h"

namespace zorvadel {
namespace {

// The class whose objects hold a group working on `Core`.
template <typename Core>
struct OwnerOf {
  using type = Core;
};
template <>
struct OwnerOf<PageCore> {
  using type = PageObject;
};

}  // namespace

template <typename Group, typename Core>
Core& MemberGroup<Group, Core>::self() {
  return static_cast<typename OwnerOf<Core>::type&>(static_cast<Group&>(*this));
}

template <typename Group, typename Core>
const Core& MemberGroup<Group, Core>::self() const {
  return static_cast<const typename OwnerOf<Core>::type&>(static_cast<const Group&>(*this));
}

template <typename Group, typename Core>
Group& MemberGroup<Group, Core>::Of(Object& object) {
  // A by-name call reaches a member only through object.Class(), i.e. the
  // object is of one of the group's classes.
  return static_cast<typename OwnerOf<Core>::type&>(object);
}

template <typename Group>
Group& PageCore::As() {
  return static_cast<PageObject&>(*this);
}

bool TableHost::In(unsigned classes) const {
  if (page_ == nullptr) return (classes & kCommon) != 0;
  switch (page_->family) {
    case Family::kX:
      return (classes & kX) != 0;
    case Family::kW:
      return (classes & kW) != 0;
    case Family::kP:
      return (classes & kP) != 0;
  }
  return false;
}

namespace calls {

std::u16string Ascii(PageCore& page, const std::u16string& text) {
  return page.As<PageOutputMembers>().Ascii(text);
}
void AppendAscii(PageCore& page, const std::u16string& text, std::u16string* out) {
  page.As<PageOutputMembers>().AppendAscii(text, out);
}
void WriteOut(PageCore& page, const std::u16string& text) {
  page.As<PageOutputMembers>().WriteOut(text);
}
void WriteRow(PageCore& page, const std::u16string& text) {
  page.As<PageOutputMembers>().WriteRow(text);
}
std::u16string Displayer(PageCore& page) { return page.As<PageRequestMembers>().Displayer(); }
void SetUtf8Response(PageCore& page) { page.As<PageOutputMembers>().SetUtf8Response(); }
void PutWmlContentType(PageCore& page, bool web) {
  page.As<PageOutputMembers>().PutWmlContentType(web);
}

std::u16string DelSpecialMark(PageCore& page, const std::u16string& text) {
  return page.As<PageTextMembers>().DelSpecialMark(text);
}
std::u16string SplitRichText(PageCore& page, const std::u16string& names,
                             const std::u16string& values, const std::u16string& split_mark,
                             const std::u16string& pre_text, const std::u16string& mid_text,
                             const std::u16string& last_text) {
  return page.As<PageTextMembers>().SplitRichText(names, values, split_mark, pre_text, mid_text,
                                                  last_text);
}
std::u16string ReplaceString(PageCore& page, const std::u16string& key_words,
                             const std::u16string& to_do_string, const std::u16string& pre_text,
                             const std::u16string& last_text) {
  return page.As<PageTextMembers>().ReplaceString(key_words, to_do_string, pre_text, last_text);
}
std::u16string JToF(PageCore& page, const std::u16string& text) {
  return page.As<PageCharsetMembers>().JToF(text);
}
std::u16string FToJ(PageCore& page, const std::u16string& text) {
  return page.As<PageCharsetMembers>().FToJ(text);
}
std::u16string UtfToGb(PageCore& page, const std::u16string& text) {
  return page.As<PageCharsetMembers>().UtfToGb(text);
}
std::u16string FixCodes(PageCore& page, const std::u16string& text) {
  return page.As<PageTextMembers>().FixCodes(text);
}
std::u16string FixWmlCode(PageCore& page, const std::u16string& text) {
  return page.As<PageTextMembers>().FixWmlCode(text);
}

std::u16string TextIn(PageCore& page, const std::u16string& show_tip,
                      const std::u16string& input_type, const std::u16string& input_name,
                      const std::u16string& input_value, const std::u16string& input_title,
                      const std::u16string& other_att) {
  return page.As<PageFormMembers>().TextIn(show_tip, input_type, input_name, input_value,
                                           input_title, other_att);
}
std::u16string PostSet(PageCore& page, const std::u16string& do_type,
                       const std::u16string& do_label, const std::u16string& go_url,
                       const std::u16string& char_set, const std::u16string& method) {
  return page.As<PageFormMembers>().PostSet(do_type, do_label, go_url, char_set, method);
}
std::u16string TextMorePost(PageCore& page, const std::u16string& names,
                            const std::u16string& values, const std::u16string& split_mark) {
  return page.As<PageFormMembers>().TextMorePost(names, values, split_mark);
}
Variant AnchorGo(PageCore& page, const std::u16string& display_text, const std::u16string& url,
                 const std::u16string& names, const std::u16string& values,
                 const std::u16string& split_mark, const std::u16string& method) {
  return page.As<PageLinkMembers>().AnchorGo(display_text, url, names, values, split_mark,
                                             method);
}

std::u16string A(PageCore& page, const std::u16string& title, const std::u16string& url,
                 const std::u16string& display_text) {
  return page.As<PageLinkMembers>().A(title, url, display_text);
}
std::u16string Img(PageCore& page, const std::u16string& img_path, const std::u16string& tip,
                   const std::u16string& other_att) {
  return page.As<PageLinkMembers>().Img(img_path, tip, other_att);
}

std::u16string QueryWeek(PageCore& page, const Variant& date) {
  return page.As<PageLangDataMembers>().QueryWeek(date);
}

std::u16string DelSpecialMark(Common& common, const std::u16string& text) {
  return common.DelSpecialMark(text);
}
std::u16string DigestStrToHexStr(Common& common, const std::u16string& text) {
  return common.DigestStrToHexStr(text);
}
std::shared_ptr<Common> NewCommon() { return std::make_shared<Common>(); }
Server* PageServer(Common& common) { return common.state().Server.get(); }
std::u16string UbbXmlOfWH(Common& common, const std::u16string& text) {
  return common.UseWH().UbbXML(text);
}
Common& UseCC(WAPXHTML& companion) { return companion.UseCC(); }

bool OpenData(PageCore& page, DatabaseKind kind, int16_t rsx) {
  return page.As<PageDatabaseMembers>().OpenData(kind, rsx);
}
void CloseData(PageCore& page) { page.As<PageDatabaseMembers>().CloseData(); }
void RememberShowRequest(PageCore& page) { page.As<PageDatabaseMembers>().RememberShowRequest(); }
std::u16string Show(PageCore& page, DatabaseKind kind, const std::u16string& field_name) {
  return page.As<PageDatabaseMembers>().Show(kind, field_name);
}

std::u16string SpecialMark(PageCore& page, const std::u16string& text) {
  return page.As<PageTextMembers>().SpecialMark(text);
}
std::u16string SubmitText(PageCore& page, const std::u16string& text) {
  return page.As<PageRequestMembers>().SubmitText(text);
}
std::u16string Image(PageCore& page, const std::u16string& img_path, const std::u16string& tip,
                     const std::u16string& other_att) {
  return page.As<PageLinkMembers>().Image(img_path, tip, other_att);
}

}  // namespace calls

#define ZORVADEL_PAGE_GROUP_(G)                \
  template class MemberGroup<G, PageCore>;     \
  template G& PageCore::As<G>();
ZORVADEL_PAGE_GROUP_(PageTextMembers)
ZORVADEL_PAGE_GROUP_(PageCharsetMembers)
ZORVADEL_PAGE_GROUP_(PageLangDataMembers)
ZORVADEL_PAGE_GROUP_(PageCodingMembers)
ZORVADEL_PAGE_GROUP_(PageOutputMembers)
ZORVADEL_PAGE_GROUP_(PageRequestMembers)
ZORVADEL_PAGE_GROUP_(PageFragmentMembers)
ZORVADEL_PAGE_GROUP_(PageStripMembers)
ZORVADEL_PAGE_GROUP_(PageLinkMembers)
ZORVADEL_PAGE_GROUP_(PageWmlTaskMembers)
ZORVADEL_PAGE_GROUP_(PageFormMembers)
ZORVADEL_PAGE_GROUP_(PageFrameMembers)
ZORVADEL_PAGE_GROUP_(PageDebugMembers)
ZORVADEL_PAGE_GROUP_(PageReadyMembers)
ZORVADEL_PAGE_GROUP_(PageMailMembers)
ZORVADEL_PAGE_GROUP_(PagePagerMembers)
ZORVADEL_PAGE_GROUP_(PageDatabaseMembers)
ZORVADEL_PAGE_GROUP_(PageListMembers)
ZORVADEL_PAGE_GROUP_(PageFilesMembers)
ZORVADEL_PAGE_GROUP_(PageVisitMembers)
ZORVADEL_PAGE_GROUP_(PagePictureMembers)
ZORVADEL_PAGE_GROUP_(PageDownloadMembers)
#undef ZORVADEL_PAGE_GROUP_

template class MemberGroup<CommonTextMembers, Common>;
template class MemberGroup<CommonCharsetMembers, Common>;
template class MemberGroup<CommonLangDataMembers, Common>;
template class MemberGroup<CommonCodingMembers, Common>;
template class MemberGroup<CommonMd5Members, Common>;
template class MemberGroup<CommonStripMembers, Common>;
template class MemberGroup<WapXhtmlFragmentMembers, WAPXHTML>;
template class MemberGroup<WapWmlFragmentMembers, WAPWML>;

}  // namespace zorvadel
