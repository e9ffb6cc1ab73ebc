#include "markup/banner.h"

#include <string>
#include <string_view>

#include "zorvadel/version.h"

namespace zorvadel::markup {

using namespace std::string_view_literals;  // lengths known when compiled

std::u16string FooterBanner(std::u16string_view class_tag, bool with_version) {
  std::u16string banner;
  banner.reserve(48 + kLibraryTitle.size() + class_tag.size() + kVersionText.size());
  AppendFooterBanner(&banner, class_tag, with_version);
  return banner;
}

void AppendFooterBanner(std::u16string* out, std::u16string_view class_tag, bool with_version) {
  std::u16string& banner = *out;
  banner += u"<!--These Codes by "sv;
  banner += kLibraryTitle;
  banner += class_tag;
  if (with_version) {
    banner += u"(Version:"sv;
    banner += kVersionText;
    banner += u")"sv;
  }
  banner += u"-->"sv;
}

}  // namespace zorvadel::markup
