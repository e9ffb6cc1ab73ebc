// The thumbnail members. Every path, the thumbnail's too, goes through
// Server.MapPath, which keeps it inside the site; a path that does not map
// ends the member with its message rather than falling back to a path that
// nobody mapped.
#include "zorvadel/services/picture_members.h"

#include <memory>
#include <string>

#include "platform/image/jpeg.h"
#include "zorvadel/member_table.h"
#include "zorvadel/need.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"
#include "zorvadel/services/files_members.h"

namespace zorvadel {
namespace {

constexpr std::u16string_view kImageProgId = u"Persits.Jpeg";

std::shared_ptr<image::Jpeg> CreateComponent(PageState& state) {
  auto jpeg = std::dynamic_pointer_cast<image::Jpeg>(Need(state.Server).CreateObject(kImageProgId));
  if (!jpeg) throw ScriptError(kErrTypeMismatch);
  return jpeg;
}

std::u16string ReplaceAll(std::u16string text, std::u16string_view what) {
  if (what.empty()) return text;
  for (size_t at = text.find(what); at != std::u16string::npos; at = text.find(what, at)) {
    text.erase(at, what.size());
  }
  return text;
}

// The new size of a W × H picture fitted into max_width × max_height; a
// side that fits stays whole, a reduced one may be fractional.
struct Fitted {
  double width;
  double height;
};
Fitted Fit(int32_t w, int32_t h, double max_width, double max_height) {
  Fitted size{static_cast<double>(w), static_cast<double>(h)};
  if (w <= 0 || h <= 0) return size;
  const double w_over_h = static_cast<double>(w) / h;
  const double h_over_w = static_cast<double>(h) / w;
  double sw = 0;
  double sh = 0;
  if (w > max_width) sw = w / max_width;
  if (h > max_height) sh = h / max_height;
  if (sw != 0 || sh != 0) {
    if (sw > sh) {
      size = {max_width, h_over_w * max_width};
    } else {
      size = {w_over_h * max_height, max_height};
    }
  }
  return size;
}

}  // namespace

std::u16string ThumbnailName(std::u16string_view original_path, std::u16string_view end_flag) {
  const size_t slash = original_path.rfind(u'/');
  const std::u16string file(slash == std::u16string_view::npos ? original_path
                                                               : original_path.substr(slash + 1));
  const size_t dot = file.rfind(u'.');
  const std::u16string extension = dot == std::u16string::npos ? u"" : file.substr(dot);
  return ReplaceAll(file, extension) + std::u16string(end_flag) + extension;
}

bool IsThumbnailMessage(std::u16string_view text) {
  return text == PagePictureMembers::kCannotCreateMessage ||
         text == PagePictureMembers::kMissingPictureMessage ||
         text == PagePictureMembers::kCannotSaveMessage;
}

std::u16string PagePictureMembers::BuildSmallPic(const std::u16string& original_path,
                                                 const std::u16string& build_base_path,
                                                 int16_t max_width, int16_t max_height,
                                                 const std::u16string& end_flag) {
  PageCore& page = self();
  PageState& state = page.state();
  std::shared_ptr<image::Jpeg> jpeg;
  if (!Step([&] { jpeg = CreateComponent(state); })) return std::u16string(kCannotCreateMessage);
  if (!Step([&] { jpeg->Open(Need(state.Server).MapPath(original_path)); })) {
    return std::u16string(kMissingPictureMessage);
  }
  const Fitted size = Fit(jpeg->Width(), jpeg->Height(), max_width < 1 ? 1 : max_width,
                          max_height < 1 ? 1 : max_height);
  Step([&] { jpeg->SetWidth(size.width); });
  Step([&] { jpeg->SetHeight(size.height); });

  std::u16string base = build_base_path;
  if (base.empty()) {
    // The folder is the path up to its last "/": removing the file name
    // wherever it occurs would also cut it out of a folder of the same name.
    const size_t slash = original_path.rfind(u'/');
    base = slash == std::u16string::npos ? u"" : original_path.substr(0, slash + 1);
  }
  if (base.empty() || base.back() != u'/') base += u'/';
  const std::u16string site_path = base + ThumbnailName(original_path, end_flag);
  std::u16string disk_path;
  if (!Step([&] { disk_path = Need(state.Server).MapPath(site_path); })) {
    return std::u16string(kCannotSaveMessage);
  }
  if (page.As<PageFilesMembers>().IsFileExist(site_path)) return site_path;
  try {
    jpeg->Save(disk_path);
  } catch (const ScriptError& error) {
    // A picture the component gave up decoding is one the page cannot
    // show, not a folder that cannot be written.
    return std::u16string(error.number() == image::kErrTooSlow ? kMissingPictureMessage
                                                                : kCannotSaveMessage);
  }
  return site_path;
}

bool PagePictureMembers::IsAspJpeg() {
  return Step([&] { CreateComponent(self().state()); });
}

std::vector<MemberInfo> PagePictureMembers::MemberTable(const PageClassTraits& traits) {
  if (traits.family == Family::kP) return {};
  using P = PagePictureMembers;
  return ClassBuilder<P>(u"")
      .Method<&P::BuildSmallPic>(u"BuildSmallPic",
                                 {Req(u"OriginalPath"), Opt(u"BuildBasePath", u""),
                                  Opt(u"MaxWidth", int16_t{120}), Opt(u"MaxHeight", int16_t{120}),
                                  Opt(u"EndFlag", u"_small")})
      .Method<&P::IsAspJpeg>(u"IsAspJpeg")
      .BuildMembers();
}

}  // namespace zorvadel
