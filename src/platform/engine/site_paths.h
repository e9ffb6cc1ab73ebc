// Paths and URLs as the Server and Response objects build them: disk paths
// confined to the site root, URL-encoded text and redirect targets.
#ifndef ZORVADEL_PLATFORM_ENGINE_SITE_PATHS_H_
#define ZORVADEL_PLATFORM_ENGINE_SITE_PATHS_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zorvadel::engine {

// The site root as absolute text with "/" separators and no trailing one
// (the file system root stays "/").
std::u16string SiteRootText(const std::filesystem::path& root);

// A URL path (%XX decoded, "+" kept) read as UTF-8.
std::u16string DecodeUrlPath(std::string_view raw_path);

// The disk path of `path`: relative to the folder of `script_name` (the raw
// URL path of the running script), or rooted at the site when it starts with
// "/" or "\". "\" reads as "/"; "." and ".." are resolved without touching the
// disk; an empty path is the script's folder. Raises 5 when the result would
// lie outside the root or the path holds a NUL.
std::u16string MapSitePath(const std::filesystem::path& root, std::string_view script_name,
                           std::u16string_view path);

// A-Z, a-z and 0-9 kept, a blank as "+", every other byte of the text's
// `code_page` form as %XX in upper case.
std::u16string UrlEncodeText(std::u16string_view text, uint32_t code_page);

// A redirect target as it goes into the Location header: the `code_page`
// form of the URL with bytes above 0x7E and control bytes as %XX, so the
// header stays ASCII.
std::string LocationHeaderValue(std::u16string_view url, uint32_t code_page);

}  // namespace zorvadel::engine

#endif  // ZORVADEL_PLATFORM_ENGINE_SITE_PATHS_H_
