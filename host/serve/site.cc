// URL paths to pages, scripts and files of the site folder.
#include "serve/site.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <shared_mutex>
#include <system_error>
#include <utility>

#include "platform/fso/regular_file.h"
#include "runtime/hex_digits.h"

namespace zorvadel::serve {
namespace {

namespace fs = std::filesystem;

struct TypeRow {
  std::string_view extension;  // lower case, with the dot
  std::string_view type;
};

// The kinds of file a mobile site ships beside its pages; no other file
// of the folder is served.
constexpr std::array<TypeRow, 24> kContentTypes = {{
    {".css", "text/css"},
    {".gif", "image/gif"},
    {".htm", "text/html"},
    {".html", "text/html"},
    {".ico", "image/x-icon"},
    {".jad", "text/vnd.sun.j2me.app-descriptor"},
    {".jar", "application/java-archive"},
    {".jpeg", "image/jpeg"},
    {".jpg", "image/jpeg"},
    {".js", "application/javascript"},
    {".mid", "audio/midi"},
    {".mp3", "audio/mpeg"},
    {".png", "image/png"},
    {".svg", "image/svg+xml"},
    {".txt", "text/plain"},
    {".wbmp", "image/vnd.wap.wbmp"},
    {".webp", "image/webp"},
    {".wml", "text/vnd.wap.wml"},
    {".wmlc", "application/vnd.wap.wmlc"},
    {".wmls", "text/vnd.wap.wmlscript"},
    {".wmlsc", "application/vnd.wap.wmlscriptc"},
    {".xhtml", "application/xhtml+xml"},
    {".xml", "text/xml"},
    {".zip", "application/zip"},
}};

constexpr std::array<std::string_view, 2> kDefaultFiles = {"index.html", "index.wml"};

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  if (text.size() < tail.size()) return false;
  text.remove_prefix(text.size() - tail.size());
  for (size_t i = 0; i < tail.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != tail[i]) return false;
  }
  return true;
}

// "http://host/a/b" gives "/a/b"; other targets stay as they are.
std::string_view PathOfTarget(std::string_view raw) {
  size_t scheme = raw.find("://");
  if (scheme == std::string_view::npos || raw.substr(0, scheme).find('/') != std::string_view::npos) {
    return raw;
  }
  size_t slash = raw.find('/', scheme + 3);
  return slash == std::string_view::npos ? std::string_view("/") : raw.substr(slash);
}

// True when `inner` is `outer` or lies under it; both real paths.
bool Inside(const fs::path& inner, const fs::path& outer) {
  auto i = inner.begin();
  for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
    if (o->empty()) continue;  // the empty name a trailing "/" leaves
    if (i == inner.end() || *i != *o) return false;
  }
  return true;
}

uint64_t NextSiteSerial() {
  static std::atomic<uint64_t> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}

// What a thread took from a site's memory of routes or scripts, with the
// time the site last looked at it: within the same second a thread takes
// it from here. The site's lock and the owner count of what it holds are
// shared by every thread, and passing their cache lines from core to core
// on every request costs more than the lookup itself. A few slots, chosen
// by the key, serve a site's busiest paths.
template <typename T>
struct Remembered {
  uint64_t site = 0;
  std::string key;
  std::shared_ptr<const T> value;
  std::chrono::steady_clock::time_point checked;
};

template <typename T>
Remembered<T>& ThreadSlot(uint64_t site, std::string_view key) {
  thread_local std::array<Remembered<T>, 16> slots;
  return slots[(std::hash<std::string_view>()(key) ^ site) % slots.size()];
}

template <typename T, typename Ask>
const std::shared_ptr<const T>& Recall(uint64_t site, std::string_view key, const Ask& ask) {
  const auto now = std::chrono::steady_clock::now();
  Remembered<T>& slot = ThreadSlot<T>(site, key);
  if (slot.site == site && slot.key == key && now - slot.checked < std::chrono::seconds(1)) {
    return slot.value;
  }
  // Cleared first: should the asking throw, the slot holds nothing stale.
  slot.site = 0;
  auto [value, checked] = ask(now);
  slot.key.assign(key);
  slot.value = std::move(value);
  slot.checked = checked;
  slot.site = site;
  return slot.value;
}

// The whole page script at `file`. Opened as every file the server opens
// by name is, so that a FIFO or a device put in its place cannot hold a
// thread; throws with the system's reason when it cannot be read.
std::string ReadScript(const fs::path& file) {
  fso::RegularFile in(file.string());
  if (in.error() == EMFILE || in.error() == ENFILE) {
    throw ScriptOutOfFiles{
        {"cannot open the page script: " + std::string(std::strerror(in.error()))}};
  }
  if (!in.ok()) {
    throw host::ScriptFormatError{
        "cannot read the page script: " +
        std::string(in.error() != 0 ? std::strerror(in.error()) : "not a regular file")};
  }
  std::string text;
  char buffer[16384];
  for (;;) {
    // A short read is the end of the file.
    const ptrdiff_t got = in.Read(buffer, sizeof buffer);
    if (got < 0) {
      throw host::ScriptFormatError{"cannot read the page script: " +
                                    std::string(std::strerror(errno))};
    }
    text.append(buffer, static_cast<size_t>(got));
    if (static_cast<size_t>(got) < sizeof buffer) return text;
  }
}

}  // namespace

std::optional<std::string> DecodeRequestPath(std::string_view raw_path) {
  if (raw_path.empty() || raw_path.front() != '/') return std::nullopt;
  std::string path;
  path.reserve(raw_path.size());
  for (size_t i = 0; i < raw_path.size(); ++i) {
    char c = raw_path[i];
    if (c == '%' && i + 2 < raw_path.size() && HexDigitValue(raw_path[i + 1]) >= 0 &&
        HexDigitValue(raw_path[i + 2]) >= 0) {
      c = static_cast<char>(HexDigitValue(raw_path[i + 1]) * 16 + HexDigitValue(raw_path[i + 2]));
      i += 2;
    }
    if (c == '\0' || c == '\\') return std::nullopt;
    path += c;
  }
  // Every segment after a "/": none may be hidden, "." or "..".
  for (size_t slash = 0; slash != std::string::npos; slash = path.find('/', slash + 1)) {
    if (slash + 1 < path.size() && path[slash + 1] == '.') return std::nullopt;
  }
  return path;
}

std::string_view ContentTypeFor(const fs::path& file) {
  std::string extension = file.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const TypeRow& row : kContentTypes) {
    if (row.extension == extension) return row.type;
  }
  return {};
}

Site::Site(const fs::path& root, const PageRegistry& pages)
    : root_(fs::canonical(root)), pages_(pages), serial_(NextSiteSerial()) {}

std::optional<fs::path> Site::Confined(std::string_view relative) const {
  while (!relative.empty() && relative.front() == '/') relative.remove_prefix(1);
  std::error_code error;
  fs::path real = fs::canonical(root_ / fs::path(relative), error);
  if (error || !Inside(real, root_)) return std::nullopt;
  return real;
}

std::optional<Route> Site::PageAt(const std::string& path) const {
  if (const PageFunction* page = pages_.Find(path)) {
    Route route;
    route.kind = Route::Kind::kPage;
    route.page = page;
    return route;
  }
  if (!EndsWithNoCase(path, ".asp")) return std::nullopt;
  std::string script = path.substr(0, path.size() - 4) + ".json";
  std::optional<fs::path> file = Confined(script);
  std::error_code error;
  if (!file || !fs::is_regular_file(*file, error)) return std::nullopt;
  Route route;
  route.kind = Route::Kind::kScript;
  route.file = std::move(*file);
  return route;
}

Route Site::Resolve(std::string_view raw_target_path) const {
  return *RouteAt(raw_target_path, std::chrono::steady_clock::now()).first;
}

const std::shared_ptr<const Route>& Site::ResolveHere(std::string_view raw_target_path) const {
  return Recall<Route>(serial_, raw_target_path,
                       [&](auto now) { return RouteAt(raw_target_path, now); });
}

std::pair<std::shared_ptr<const Route>, std::chrono::steady_clock::time_point> Site::RouteAt(
    std::string_view raw_target_path, std::chrono::steady_clock::time_point now) const {
  // A route found within the last second is taken as it is: finding it asks
  // the file system about every segment of the path.
  {
    std::shared_lock lock(routes_mutex_);
    auto it = routes_.find(raw_target_path);
    if (it != routes_.end() && now - it->second.checked < std::chrono::seconds(1)) {
      return {it->second.route, it->second.checked};
    }
  }
  auto route = std::make_shared<const Route>(Find(raw_target_path));
  std::unique_lock lock(routes_mutex_);
  // Paths are the clients' text: the memory they may take is bounded.
  if (routes_.size() >= kRouteCacheSize) routes_.clear();
  routes_.insert_or_assign(std::string(raw_target_path), CachedRoute{route, now});
  return {route, now};
}

Route Site::Find(std::string_view raw_target_path) const {
  std::string_view raw_path = PathOfTarget(raw_target_path);
  std::optional<std::string> path = DecodeRequestPath(raw_path);
  Route route;
  if (!path) {
    route.kind = raw_path.empty() || raw_path.front() != '/' ? Route::Kind::kBadRequest
                                                             : Route::Kind::kNotFound;
    return route;
  }
  if (path->back() == '/') {
    if (std::optional<Route> page = PageAt(*path + "index.asp")) {
      page->script_name = std::string(raw_path) + "index.asp";
      return *page;
    }
    for (std::string_view name : kDefaultFiles) {
      std::optional<fs::path> file = Confined(*path + std::string(name));
      std::error_code error;
      if (file && fs::is_regular_file(*file, error) && !ContentTypeFor(*file).empty()) {
        route.kind = Route::Kind::kFile;
        route.content_type = ContentTypeFor(*file);
        route.file = std::move(*file);
        return route;
      }
    }
    return route;
  }
  if (std::optional<Route> page = PageAt(*path)) {
    page->script_name = std::string(raw_path);
    return *page;
  }
  if (EndsWithNoCase(*path, ".json") || EndsWithNoCase(*path, ".asp")) return route;
  std::optional<fs::path> file = Confined(*path);
  std::error_code error;
  if (!file) return route;
  if (fs::is_regular_file(*file, error)) {
    // Only the kinds of file a site ships: the sources of its C++ pages and
    // anything else that happens to lie in the folder stay private.
    if (ContentTypeFor(*file).empty()) return route;
    route.kind = Route::Kind::kFile;
    route.content_type = ContentTypeFor(*file);
    route.file = std::move(*file);
  } else if (fs::is_directory(*file, error)) {
    route.kind = Route::Kind::kRedirect;
    // "//Images" names the folder "/Images", but as a Location a browser
    // reads it as the host "Images": the path goes out with one slash.
    std::string_view own = raw_path;
    while (own.size() > 1 && own[1] == '/') own.remove_prefix(1);
    route.location = std::string(own) + "/";
  }
  return route;
}

const std::shared_ptr<const host::PreparedSteps>& Site::ScriptHere(const fs::path& file) const {
  return Recall<host::PreparedSteps>(serial_, file.native(),
                                     [&](auto now) { return ScriptAt(file, now); });
}

std::pair<std::shared_ptr<const host::PreparedSteps>, std::chrono::steady_clock::time_point>
Site::ScriptAt(const fs::path& file, std::chrono::steady_clock::time_point now) const {
  // A script looked at within the last second is taken as it is: asking the
  // file system on every request of a busy page costs more than the page.
  {
    std::lock_guard lock(cache_mutex_);
    auto it = cache_.find(file.native());
    if (it != cache_.end() && now - it->second.checked < std::chrono::seconds(1)) {
      return {it->second.script, it->second.checked};
    }
  }
  std::error_code error;
  fs::file_time_type time = fs::last_write_time(file, error);
  uintmax_t size = error ? 0 : fs::file_size(file, error);
  if (error) throw host::ScriptFormatError{"cannot read the page script: " + error.message()};
  {
    std::lock_guard lock(cache_mutex_);
    auto it = cache_.find(file.native());
    if (it != cache_.end() && it->second.time == time && it->second.size == size) {
      it->second.checked = now;
      return {it->second.script, now};
    }
  }
  host::Json json;
  try {
    json = host::ParseScript(ReadScript(file));
  } catch (const host::Json::exception& e) {
    throw host::ScriptFormatError{e.what()};
  }
  auto script = std::make_shared<const host::PreparedSteps>(host::ScriptSteps(json));
  std::lock_guard lock(cache_mutex_);
  cache_[file.native()] = CachedScript{time, size, now, script};
  return {script, now};
}

}  // namespace zorvadel::serve
