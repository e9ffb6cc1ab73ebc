// The banner comment that every footer of the library writes before its
// closing tags: the library's title, the footer's class tag and, for most
// footers, the version. The maker's contact details are left out.
#ifndef ZORVADEL_MARKUP_BANNER_H_
#define ZORVADEL_MARKUP_BANNER_H_

#include <string>
#include <string_view>

namespace zorvadel::markup {

// The class tags the footers carry.
inline constexpr std::u16string_view kWapBannerTag = u"-WAP";
inline constexpr std::u16string_view kEnWapBannerTag = u"-EnWAP";
inline constexpr std::u16string_view kWapXhtmlBannerTag = u"-WAP-Company";
inline constexpr std::u16string_view kXmlBannerTag = u"-XML";
inline constexpr std::u16string_view kEnXmlBannerTag = u"-EnXML";
inline constexpr std::u16string_view kPhpBannerTag = u"-PHP";

// "<!--These Codes by Zorvadel" + class_tag + "(Version:2.8.3)" + "-->",
// the version part only `with_version`. A well-formed XML comment for every
// tag above (none holds "--").
std::u16string FooterBanner(std::u16string_view class_tag, bool with_version);
// The same, appended to `out`.
void AppendFooterBanner(std::u16string* out, std::u16string_view class_tag, bool with_version);

}  // namespace zorvadel::markup

#endif  // ZORVADEL_MARKUP_BANNER_H_
