// The site folder of zorvadel-serve: which URL path is which page.
//
// A request path (the raw target's path, %XX decoded, "+" kept) is looked up
// in this order:
//   1. a C++ page registered for the path;
//   2. a path ending in "/" is its folder's default page: "index.asp" (as in
//      steps 1 and 4), then the file "index.html", then "index.wml";
//   3. "NAME.json" is never served: page scripts are the site's source;
//   4. "NAME.asp" runs the page script "NAME.json" of the same folder, so the
//      site's URLs keep the form its pages link to;
//   5. a file of the folder is sent as it is, its content type taken from
//      its extension; a folder is redirected to the same path with "/";
//   6. anything else is not found.
// A path with a "." or ".." segment, a hidden segment (one starting with
// "."), a NUL or a "\" is not found, and so is every file whose real path
// (symbolic links followed) lies outside the site folder.
#ifndef ZORVADEL_HOST_SERVE_SITE_H_
#define ZORVADEL_HOST_SERVE_SITE_H_

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "page_script.h"
#include "serve/page_registry.h"

namespace zorvadel::serve {

// A page script that could not be opened because the process or the
// system had no file descriptor left: the server's lack, not the page's
// fault, and gone once connections close.
struct ScriptOutOfFiles : host::ScriptFormatError {};

struct Route {
  enum class Kind { kPage, kScript, kFile, kRedirect, kBadRequest, kNotFound };
  Kind kind = Kind::kNotFound;
  // kPage: the registered page.
  const PageFunction* page = nullptr;
  // kScript, kFile: the file on disk.
  std::filesystem::path file;
  // kPage, kScript: the raw URL path the page runs as (the request's path,
  // or a folder's path with the default page's name added).
  std::string script_name;
  // kFile: the content type; kRedirect: the new raw path.
  std::string content_type;
  std::string location;
};

class Site {
 public:
  // `root` must be an existing folder; it is resolved to its real path.
  Site(const std::filesystem::path& root, const PageRegistry& pages);

  const std::filesystem::path& root() const { return root_; }

  // The route of a raw request path (no query). An absolute-form target
  // ("http://host/path") is taken by its path. A path's route is found again
  // once it is a second old, so files added, changed or removed are seen
  // within a second.
  Route Resolve(std::string_view raw_path) const;
  // The same route as the site keeps it (no copy per request), from the
  // calling thread's own memory of this site's recent routes: no lock and
  // no count of owners, which every thread shares. Valid on this thread
  // until its next call; copy it to keep it.
  const std::shared_ptr<const Route>& ResolveHere(std::string_view raw_path) const;

  // The steps of the page script at `file`, prepared to play, read again
  // when the file's time or size changed (which is looked at no more than
  // once a second). Throws ScriptFormatError when it cannot be read or is
  // not a script, ScriptOutOfFiles when it could not be opened for want of
  // a file descriptor. Taken from the calling thread's own memory, as
  // ResolveHere.
  const std::shared_ptr<const host::PreparedSteps>& ScriptHere(
      const std::filesystem::path& file) const;

 private:
  // The real path of `relative` (UTF-8, "/"-separated, checked segments)
  // under the root, when it exists and lies inside the root.
  std::optional<std::filesystem::path> Confined(std::string_view relative) const;
  std::optional<Route> PageAt(const std::string& path) const;
  // Resolve without the memory of recent routes.
  Route Find(std::string_view raw_path) const;
  // The route or script with the time the site last looked at it.
  std::pair<std::shared_ptr<const Route>, std::chrono::steady_clock::time_point> RouteAt(
      std::string_view raw_path, std::chrono::steady_clock::time_point now) const;
  std::pair<std::shared_ptr<const host::PreparedSteps>, std::chrono::steady_clock::time_point>
  ScriptAt(const std::filesystem::path& file, std::chrono::steady_clock::time_point now) const;

  std::filesystem::path root_;
  const PageRegistry& pages_;
  // A number of this site's own, so that a thread's memory of a site is
  // never taken for that of another made later at the same address.
  const uint64_t serial_;

  struct CachedScript {
    std::filesystem::file_time_type time;
    uintmax_t size = 0;
    std::chrono::steady_clock::time_point checked;
    std::shared_ptr<const host::PreparedSteps> script;
  };
  // Keyed by the file's path as text: comparing paths as paths goes
  // through their parts, which is most of the cost of a lookup.
  mutable std::mutex cache_mutex_;
  mutable std::unordered_map<std::string, CachedScript> cache_;

  struct CachedRoute {
    std::shared_ptr<const Route> route;
    std::chrono::steady_clock::time_point checked;
  };
  // Looks a path up by its view, without making a string of it.
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
  };
  static constexpr size_t kRouteCacheSize = 4096;
  mutable std::shared_mutex routes_mutex_;
  mutable std::unordered_map<std::string, CachedRoute, TextHash, std::equal_to<>> routes_;
};

// %XX decoded (a "+" stays a "+"); nothing when the path holds a NUL, a "\",
// a "." or ".." segment or a segment starting with ".", or does not start
// with "/".
std::optional<std::string> DecodeRequestPath(std::string_view raw_path);

// Content type of a file by its extension, compared without regard to case;
// empty for the kinds a site does not serve.
std::string_view ContentTypeFor(const std::filesystem::path& file);

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_SITE_H_
