// C++ pages of zorvadel-serve, found by URL path.
//
// A page is a function that runs against the page's Context, as a page
// script would: it creates objects through Server.CreateObject, writes with
// Response.Write, reads Request and Session. A ScriptError that leaves it
// ends the page with status 500, as a run-time error of a script does.
//
// A site registers its pages once, before the server starts, usually from a
// static initialiser in its own source file:
//
//   namespace {
//   void Hello(zorvadel::Context& context) {
//     context.GetResponse()->Write(u"Hello");
//   }
//   const zorvadel::serve::PageRegistrar kHello("/hello.asp", &Hello);
//   }  // namespace
//
// Paths are URL paths after %XX decoding, compared exactly ("/news/list.asp").
// A registered page is found before a page script or a file of the same path.
//
// A site binary is its page files linked with the engine's main (the CMake
// target Zorvadel::engine_main, or pkg-config's zorvadel-engine); it serves
// the folder given with --root, or the folder a source file of the site
// names as its default:
//
//   const zorvadel::serve::DefaultSiteFolder kFolder("/srv/mysite");
//
// and the current folder when none does.
#ifndef ZORVADEL_HOST_SERVE_PAGE_REGISTRY_H_
#define ZORVADEL_HOST_SERVE_PAGE_REGISTRY_H_

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "zorvadel/engine.h"

namespace zorvadel::serve {

using PageFunction = std::function<void(Context& context)>;

class PageRegistry {
 public:
  // A second registration of a path replaces the first.
  void Register(std::string path, PageFunction page);
  // Null when no page has this path.
  const PageFunction* Find(std::string_view path) const;
  size_t size() const { return pages_.size(); }

 private:
  std::map<std::string, PageFunction, std::less<>> pages_;
};

// The registry zorvadel-serve serves from. Filled before the server starts
// and only read while it runs, so it needs no lock.
PageRegistry& SitePages();

// Registers a page in SitePages() when constructed.
struct PageRegistrar {
  PageRegistrar(std::string path, PageFunction page);
};

// The folder served when --root is not given: the one a DefaultSiteFolder
// named, else empty (the engine then serves the current folder).
const std::filesystem::path& SiteDefaultFolder();

// Names the site's default folder when constructed; a later one replaces
// an earlier one.
struct DefaultSiteFolder {
  explicit DefaultSiteFolder(std::filesystem::path folder);
};

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_PAGE_REGISTRY_H_
