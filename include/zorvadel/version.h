// The library's title and version, as the page classes' Version and About
// and the page footers' banner report them.
#ifndef ZORVADEL_VERSION_H_
#define ZORVADEL_VERSION_H_

#include <string_view>

namespace zorvadel {

inline constexpr std::u16string_view kLibraryTitle = u"Zorvadel";
inline constexpr std::u16string_view kVersionText = u"2.8.3";

}  // namespace zorvadel

#endif  // ZORVADEL_VERSION_H_
