// The download and photo lists: one walk over the items, two renderings.
#include "component/group_calls.h"
#include "zorvadel/services/download_members.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "text/attribute_escape.h"
#include "zorvadel/member_table.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"
#include "zorvadel/services/picture_members.h"

namespace zorvadel {
namespace {

constexpr std::u16string_view kItemMark = u"$$$";

// Calls `each(text, address)` for every item that has both; `before` runs
// for every item, also one that then adds nothing.
void WalkItems(std::u16string_view list, const std::function<void()>& before,
               const std::function<void(const std::u16string&, const std::u16string&)>& each) {
  std::vector<std::u16string_view> items;
  size_t start = 0;
  for (size_t at = list.find(kItemMark); at != std::u16string_view::npos;
       at = list.find(kItemMark, start)) {
    items.push_back(list.substr(start, at - start));
    start = at + kItemMark.size();
  }
  items.push_back(list.substr(start));
  for (std::u16string_view item : items) {
    before();
    const size_t bar = item.find(u'|');
    if (bar == std::u16string_view::npos) continue;
    const size_t next = item.find(u'|', bar + 1);
    const std::u16string_view address =
        item.substr(bar + 1, next == std::u16string_view::npos ? std::u16string_view::npos
                                                                : next - bar - 1);
    each(std::u16string(item.substr(0, bar)), std::u16string(address));
  }
}

Variant Result(const std::u16string& markup, bool any) {
  return any ? Variant(markup) : Variant();
}

bool IsFullAddress(const std::u16string& address) {
  const std::u16string head = LCase(std::u16string_view(address).substr(0, 8));
  return head.starts_with(u"http://") || head.starts_with(u"https://");
}

}  // namespace

Variant PageDownloadMembers::PESoftDown(const std::u16string& download_url,
                                        const std::u16string& pre_path) {
  PageCore& page = self();
  std::u16string markup;
  bool any = false;
  WalkItems(download_url, [] {}, [&](const std::u16string& text, const std::u16string& address) {
    const std::u16string link = IsFullAddress(address) ? address : pre_path + address;
    std::u16string anchor;
    Step([&] { anchor = calls::A(page, u"", link, text); });
    markup += anchor + u"<br/>";
    any = true;
  });
  return Result(markup, any);
}

Variant PageDownloadMembers::PEPhotoShow(const std::u16string& photo_url,
                                         const std::u16string& pre_path, bool is_build_small_pic,
                                         int16_t max_width, int16_t max_height,
                                         const std::u16string& end_flag) {
  PageCore& page = self();
  auto& pictures = page.As<PagePictureMembers>();
  const bool single = photo_url.find(kItemMark) == std::u16string::npos;
  const std::u16string width_att =
      single ? u"Width='150'" : u"Width='" + CStr(Variant(max_width)) + u"'";
  std::u16string markup;
  bool any = false;
  bool can_thumb = false;
  WalkItems(
      photo_url, [&] { can_thumb = pictures.IsAspJpeg(); },
      [&](const std::u16string& text, const std::u16string& address) {
        const std::u16string path = pre_path + address;
        std::u16string image;
        bool made = false;
        if (can_thumb && is_build_small_pic) {
          // Beside its own picture: items of different folders with the same
          // file name each get their own thumbnail.
          const std::u16string thumb =
              pictures.BuildSmallPic(path, u"", max_width, max_height, end_flag);
          made = !IsThumbnailMessage(thumb) &&
                 Step([&] { image = calls::Img(page, thumb, text, u""); });
        }
        if (!made) Step([&] { image = calls::Img(page, path, text, width_att); });
        const std::u16string escaped = text::AttributeText(path);
        markup += u"<a title=\"" + escaped + u"\" href=\"" + escaped + u"\">" + image +
                  u"</a><br/>";
        any = true;
      });
  return Result(markup, any);
}

std::vector<MemberInfo> PageDownloadMembers::MemberTable(const PageClassTraits& traits) {
  if (traits.family == Family::kP) return {};
  using D = PageDownloadMembers;
  return ClassBuilder<D>(u"")
      .Method<&D::PESoftDown>(u"PESoftDown", {Opt(u"DownloadUrl", u""),
                                              Opt(u"PrePath", u"../Soft/Uploadsoft/")})
      .Method<&D::PEPhotoShow>(
          u"PEPhotoShow",
          {Opt(u"PhotoUrl", u""), Opt(u"PrePath", u"../Photo/UploadPhotos/"),
           Opt(u"IsBuildSmallPic", false), Opt(u"MaxWidth", int16_t{120}),
           Opt(u"MaxHeight", int16_t{120}), Opt(u"EndFlag", u"_small")})
      .BuildMembers();
}

}  // namespace zorvadel
