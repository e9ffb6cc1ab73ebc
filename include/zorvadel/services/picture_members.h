// Member group of the XHTML and WML page classes (XML, EnXML, WAP, EnWAP):
// thumbnails through the image component ("Persits.Jpeg").
//
// BuildSmallPic answers with the thumbnail's site path or, when it cannot
// make one, with one of three fixed messages, the same in every class:
// kCannotCreateMessage, kMissingPictureMessage, kCannotSaveMessage.
#ifndef ZORVADEL_PICTURE_MEMBERS_H_
#define ZORVADEL_PICTURE_MEMBERS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"

namespace zorvadel {

class PagePictureMembers : public MemberGroup<PagePictureMembers, PageCore> {
 public:
  static constexpr std::u16string_view kCannotCreateMessage =
      u"创建AspJpeg组件失败,没有正确安装注册该组件。";
  static constexpr std::u16string_view kMissingPictureMessage =
      u"原图片不存在，检查原图片路径参数传入值。";
  static constexpr std::u16string_view kCannotSaveMessage =
      u"缩略图存盘失败。可能原因：缩略图保存基地址不存在，检查原图片路径参数传入值；"
      u"对目录没有写权限；磁盘空间不足。";

  // Fits the picture at the site path `original_path` into max_width ×
  // max_height with its proportions kept (never enlarging it) and saves it
  // as `base` + ThumbnailName, where base is `build_base_path` or, when that
  // is empty, the picture's folder (its path up to the last "/"; the site
  // root "/" for a bare name), with "/" appended when missing; ThumbnailName
  // is the file name with its extension taken out, then end_flag, then the
  // extension. A thumbnail that exists already is returned as it is. The
  // picture is opened first on every call. A maximum below 1 counts as 1.
  // By name: BuildBasePath "", MaxWidth 120, MaxHeight 120, EndFlag "_small".
  std::u16string BuildSmallPic(const std::u16string& original_path,
                               const std::u16string& build_base_path, int16_t max_width,
                               int16_t max_height, const std::u16string& end_flag);
  // True when the image component can be created now.
  bool IsAspJpeg();

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);
};

// True when `text` is one of BuildSmallPic's three messages.
bool IsThumbnailMessage(std::u16string_view text);

// The thumbnail's file name for a picture path: see BuildSmallPic.
std::u16string ThumbnailName(std::u16string_view original_path, std::u16string_view end_flag);

}  // namespace zorvadel

#endif  // ZORVADEL_PICTURE_MEMBERS_H_
