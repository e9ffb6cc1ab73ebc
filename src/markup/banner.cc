#include "markup/banner.h"

#include <string>

#include "zorvadel/classes.h"

namespace zorvadel::markup {
namespace {

std::u16string Decimal(int value) {
  std::u16string digits;
  for (char c : std::to_string(value)) digits.push_back(static_cast<char16_t>(c));
  return digits;
}

}  // namespace

std::u16string FooterBanner(std::u16string_view class_tag, bool with_version) {
  std::u16string banner = u"<!--These Codes by ";
  banner += kLibraryTitle;
  banner += class_tag;
  if (with_version) {
    banner += u"(Version:";
    banner += Decimal(kVersionMajor) + u"." + Decimal(kVersionMinor) + u"." +
              Decimal(kVersionRevision);
    banner += u")";
  }
  banner += u"-->";
  return banner;
}

}  // namespace zorvadel::markup
