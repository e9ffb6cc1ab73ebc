#include "markup/banner.h"

#include <string>

#include "runtime/decimal_text.h"
#include "zorvadel/classes.h"

namespace zorvadel::markup {

std::u16string FooterBanner(std::u16string_view class_tag, bool with_version) {
  std::u16string banner = u"<!--These Codes by ";
  banner += kLibraryTitle;
  banner += class_tag;
  if (with_version) {
    banner += u"(Version:";
    banner += DecimalText(kVersionMajor) + u"." + DecimalText(kVersionMinor) + u"." +
              DecimalText(kVersionRevision);
    banner += u")";
  }
  banner += u"-->";
  return banner;
}

}  // namespace zorvadel::markup
