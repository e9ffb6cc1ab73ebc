#include "markup/banner.h"

#include <string>

#include "zorvadel/version.h"

namespace zorvadel::markup {

std::u16string FooterBanner(std::u16string_view class_tag, bool with_version) {
  std::u16string banner;
  banner.reserve(48 + kLibraryTitle.size() + class_tag.size() + kVersionText.size());
  AppendFooterBanner(&banner, class_tag, with_version);
  return banner;
}

void AppendFooterBanner(std::u16string* out, std::u16string_view class_tag, bool with_version) {
  std::u16string& banner = *out;
  banner += u"<!--These Codes by ";
  banner += kLibraryTitle;
  banner += class_tag;
  if (with_version) {
    banner += u"(Version:";
    banner += kVersionText;
    banner += u")";
  }
  banner += u"-->";
}

}  // namespace zorvadel::markup
