// The request side: a target, a Host header, a Cookie header, a form body,
// a collection key and a path to map, as raw bytes separated by 0x1F. They
// go through the engine's parsing (query, form, cookies, host, server
// variables), the Request object's collections, Server.MapPath and the
// redirect header, and the site's routing of request paths over a small
// site folder with a link that leads out of it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "platform/codepage/codepage.h"
#include "platform/engine/request_data.h"
#include "platform/engine/site_paths.h"
#include "serve/page_registry.h"
#include "serve/site.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/memory_page.h"

namespace {

namespace fs = std::filesystem;
namespace engine = zorvadel::engine;

bool Inside(const fs::path& path, const fs::path& root) {
  const std::string p = path.string();
  const std::string r = root.string();
  return p == r || (p.size() > r.size() && p.compare(0, r.size(), r) == 0 && p[r.size()] == '/');
}

// Made once per process and removed at its exit: a page script, a file, a
// folder with its default file, a hidden file and a link to the system's
// root.
const zorvadel::serve::Site& TheSite() {
  static const zorvadel::serve::PageRegistry pages;
  static const fs::path root =
      fs::temp_directory_path() / ("zorvadel-fuzz-site-" + std::to_string(getpid()));
  static const zorvadel::serve::Site site = [] {
    fs::create_directories(root / "sub");
    std::atexit([] {
      std::error_code error;
      fs::remove_all(root, error);
    });
    std::ofstream(root / "page.json") << R"({"steps": [{"echo": "x"}]})";
    std::ofstream(root / "a.html") << "a";
    std::ofstream(root / "sub" / "index.wml") << "w";
    std::ofstream(root / ".hidden.txt") << "h";
    std::error_code error;
    fs::create_directory_symlink("/", root / "out", error);
    return zorvadel::serve::Site(root, pages);
  }();
  return site;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string_view> pieces =
      zorvadel::fuzz::Split(std::string_view(reinterpret_cast<const char*>(data), size), '\x1F');
  pieces.resize(6);
  const std::string url(pieces[0]);
  const std::string host(pieces[1]);
  const std::string cookie(pieces[2]);
  const std::string form(pieces[3]);
  const std::u16string key = zorvadel::codepage::FromUtf8(pieces[4]);
  const std::u16string path = zorvadel::codepage::FromUtf8(pieces[5]);

  // The parsing on its own.
  engine::PercentDecode(url);
  for (uint32_t code_page : {zorvadel::codepage::kGbk, zorvadel::codepage::kUtf8}) {
    engine::LookupPair(engine::ParseUrlEncoded(engine::TargetQuery(url)), key, code_page);
    engine::LookupPair(engine::ParseCookieHeader(cookie), key, code_page);
    const std::string location = engine::LocationHeaderValue(path, code_page);
    for (char c : location) ZORVADEL_FUZZ_CHECK(c >= 0x20 && c < 0x7F);
    engine::UrlEncodeText(path, code_page);
  }
  engine::HostName(host);
  engine::HostPort(host);
  engine::DecodeUrlPath(engine::TargetPath(url));

  // The request as a page sees it.
  const zorvadel::serve::Site& site = TheSite();
  engine::RequestFacts facts;
  facts.url = url;
  facts.host = host;
  facts.method = form.empty() ? "GET" : "POST";
  facts.form = form;
  facts.headers = {{"Cookie", cookie}, {"User-Agent", std::string(pieces[4])}};
  engine::MemoryPage page(facts, site.root(), nullptr, nullptr);
  zorvadel::Request& request = *page.context().GetRequest();
  request.QueryString(key);
  request.Form(key);
  request.Cookies(key);
  request.ServerVariables(key);
  request.Item(key);
  for (std::u16string_view name : {u"QUERY_STRING", u"SERVER_NAME", u"SERVER_PORT", u"PATH_INFO",
                                   u"PATH_TRANSLATED", u"HTTP_COOKIE", u"HTTP_USER_AGENT"}) {
    request.ServerVariables(name);
  }
  try {
    const std::u16string disk = page.context().GetServer()->MapPath(path);
    ZORVADEL_FUZZ_CHECK(Inside(zorvadel::codepage::ToUtf8(disk), site.root()));
  } catch (const zorvadel::ScriptError&) {
  }

  // The site's routing: a file or a script it names lies inside the site.
  const std::string_view raw_path = engine::TargetPath(url);
  zorvadel::serve::DecodeRequestPath(raw_path);
  const zorvadel::serve::Route route = site.Resolve(raw_path);
  if (route.kind == zorvadel::serve::Route::Kind::kFile ||
      route.kind == zorvadel::serve::Route::Kind::kScript) {
    ZORVADEL_FUZZ_CHECK(Inside(fs::weakly_canonical(route.file), site.root()));
  }
  return 0;
}
