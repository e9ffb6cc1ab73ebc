// Member group of the XHTML and WML page classes (XML, EnXML, WAP, EnWAP):
// download and photo lists made from one text of items.
//
// The item text: items separated by "$$$" (a text without "$$$" is one
// item, the single case); each item is "text|address", further "|" pieces
// ignored; an item without "|" adds nothing. Both members return the markup
// of all items, or Empty when no item made any; they write nothing.
#ifndef ZORVADEL_DOWNLOAD_MEMBERS_H_
#define ZORVADEL_DOWNLOAD_MEMBERS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class PageDownloadMembers : public MemberGroup<PageDownloadMembers, PageCore> {
 public:
  // One line per item: the class's A with an empty title, the link and the
  // item's text, then "<br/>". An address starting "http://" or "https://"
  // (any case) is linked as it is, any other gets pre_path in front. By
  // name: DownloadUrl "", PrePath "../Soft/Uploadsoft/".
  Variant PESoftDown(const std::u16string& download_url, const std::u16string& pre_path);
  // One linked picture per item at P = pre_path + address:
  // <a title="P" href="P">IMAGE</a><br/>. IMAGE is the class's Img of the
  // thumbnail that BuildSmallPic makes beside the picture, when
  // is_build_small_pic is set and the component and the thumbnail can be
  // had; else of P itself, with Width='max_width' (Width='150' in the
  // single case). The item's text is the picture's tip. By name: PhotoUrl
  // "", PrePath "../Photo/UploadPhotos/", IsBuildSmallPic False, MaxWidth
  // 120, MaxHeight 120, EndFlag "_small".
  Variant PEPhotoShow(const std::u16string& photo_url, const std::u16string& pre_path,
                      bool is_build_small_pic, int16_t max_width, int16_t max_height,
                      const std::u16string& end_flag);

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);
};

}  // namespace zorvadel

#endif  // ZORVADEL_DOWNLOAD_MEMBERS_H_
