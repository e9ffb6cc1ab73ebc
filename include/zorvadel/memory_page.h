// The in-memory page engine: Request, Response, Server, Session and
// Application for one request held as a RequestFacts, with the response kept
// in memory. zorvadel-run and the tests play pages through it; the HTTP host
// builds a RequestFacts from the wire, runs the page through the same
// MemoryPage and sends its ResponseResult.
//
// Life of a page:
//   MemoryPage page(facts, site_root, session, application);
//   ... the script runs against page.context() ...
//   page.EndPage();                  // OnEndPage of hooked objects
//   ResponseResult result = page.Result();
// EndPage also drops the page's references to the objects it created; an
// object that keeps the Context it got in OnStartPage would otherwise keep
// the page alive.
#ifndef ZORVADEL_MEMORY_PAGE_H_
#define ZORVADEL_MEMORY_PAGE_H_

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zorvadel/engine.h"
#include "zorvadel/request_facts.h"
#include "zorvadel/response_result.h"

namespace zorvadel::engine {

// Session values and settings. The values are guarded by a lock, since a
// host may run two requests of one session at once; the two settings are
// single numbers, read on nearly every page, and need none.
class MemorySession : public Session {
 public:
  Variant Value(std::u16string_view key) override;
  void SetValue(std::u16string_view key, Variant value) override;
  // Hands `update` the stored value.
  void UpdateValue(std::u16string_view key,
                   const std::function<void(Variant&)>& update) override;
  uint32_t CodePage() const override;
  // 0 raises 5; 65001 selects UTF-8, any other value code page 936.
  void SetCodePage(uint32_t code_page) override;
  int32_t Timeout() const override;
  void SetTimeout(int32_t minutes) override;

 protected:
  // Stores `value` under `key` and gives back the value it replaced (Empty
  // when there was none), moving rather than copying either: a host that
  // counts what its sessions hold need not copy a long value to learn its
  // size.
  Variant ExchangeValue(std::u16string_view key, Variant value);

 private:
  mutable std::mutex mutex_;
  // Keyed by the lower-case key; found by a view of it, so that a lookup
  // copies no key.
  std::map<std::u16string, Variant, std::less<>> values_;
  std::atomic<uint32_t> code_page_{936};
  std::atomic<int32_t> timeout_{20};
};

// Application values, shared by every page of the site.
class MemoryApplication : public Application {
 public:
  Variant Value(std::u16string_view key) override;
  void SetValue(std::u16string_view key, Variant value) override;

 private:
  std::mutex mutex_;
  std::map<std::u16string, Variant, std::less<>> values_;  // keyed by the lower-case key
};

class MemoryRequest : public Request {
 public:
  // `site_root` is the page's own (MemoryContext holds it) and outlives
  // the request.
  MemoryRequest(RequestFacts facts, const std::filesystem::path& site_root,
                std::shared_ptr<Session> session);

  std::u16string ServerVariables(std::u16string_view name) override;
  void ServerVariablesInto(std::u16string_view name, std::u16string& out) override;
  Variant QueryString(std::u16string_view key) override;
  Variant Form(std::u16string_view key) override;
  Variant Cookies(std::u16string_view key) override;
  Variant ClientCertificate(std::u16string_view key) override;

  const RequestFacts& facts() const { return facts_; }

 private:
  RequestFacts facts_;
  const std::filesystem::path& site_root_;
  std::shared_ptr<Session> session_;
  // Parsed on first use: most pages read one collection, if any.
  std::optional<RawPairs> query_;
  std::optional<RawPairs> form_;
  std::optional<RawPairs> cookies_;
};

class MemoryResponse : public Response {
 public:
  explicit MemoryResponse(std::shared_ptr<Session> session);

  // A write that would take the body past the buffer limit raises 7 and
  // writes nothing.
  void Write(std::u16string_view text) override;
  void End() override;
  // After End, a Redirect only checks its URL.
  void Redirect(std::u16string_view url) override;

  // Values holding CR or LF raise 5: they would split the head.
  std::u16string ContentType() const override { return std::u16string(content_type()); }
  void SetContentType(std::u16string_view value) override;
  std::u16string Charset() const override { return charset_; }
  void SetCharset(std::u16string_view value) override;
  // 0 until set.
  int32_t Expires() const override { return expires_.value_or(0); }
  void SetExpires(int32_t minutes) override { expires_ = minutes; }
  // A name that is empty or holds ":", CR or LF, or a value holding CR or LF,
  // raises 5. Name and value are encoded with the session's code page now.
  void AddHeader(std::u16string_view name, std::u16string_view value) override;
  int32_t Status() const override { return status_; }
  // Codes outside 100-999 raise 5.
  void SetStatus(int32_t code) override;
  bool Ended() const override { return ended_; }
  // The most bytes the body may hold; unlimited until set.
  void SetBufferLimit(size_t bytes) { buffer_limit_ = bytes; }

  // Status, headers (Content-Type, the cache headers when Expires was set,
  // the added headers, Location) and body. Content-Type carries the Charset
  // the page set; when it set none, a type that takes one (text/*, XML,
  // JSON, JavaScript) and names none declares the charset of the session's
  // code page: "utf-8" for 65001, "GB2312" for 936.
  ResponseResult Result() const;
  // The same, with the body moved out: the response is left empty.
  ResponseResult TakeResult();

 private:
  ResponseResult Head() const;
  std::u16string_view content_type() const {
    return content_type_set_ ? std::u16string_view(content_type_) : u"text/html";
  }
  std::shared_ptr<Session> session_;
  std::string body_;
  size_t buffer_limit_ = SIZE_MAX;
  bool ended_ = false;
  int32_t status_ = 200;
  // The default type is no string of its own: nearly every page sets one,
  // and the default would be a string made for nothing.
  bool content_type_set_ = false;
  std::u16string content_type_;
  std::u16string charset_;
  std::optional<int32_t> expires_;
  std::vector<std::pair<std::string, std::string>> added_headers_;
  std::optional<std::string> location_;  // set by Redirect
};

class MemoryServer : public Server {
 public:
  // `script_name` is the raw URL path of the running script; `site_root`
  // is the page's own (MemoryContext holds it) and outlives the server.
  MemoryServer(const std::filesystem::path& site_root, std::string script_name,
               std::shared_ptr<Session> session);

  // The context handed to OnStartPage; set once by the page.
  void SetContext(std::weak_ptr<Context> context) { context_ = std::move(context); }

  ObjectPtr CreateObject(std::u16string_view progid) override;
  std::u16string MapPath(std::u16string_view path) override;
  std::u16string URLEncode(std::u16string_view text) override;

  // OnEndPage of the hooked objects, the last created first, then forgets
  // them. Every object gets its call; the first error raised is rethrown
  // after all have run. A second call does nothing.
  void EndPage();
  // Forgets the hooked objects without calling them.
  void DropObjects() { hooked_.clear(); }

 private:
  const std::filesystem::path& site_root_;
  std::string script_name_;
  std::shared_ptr<Session> session_;
  std::weak_ptr<Context> context_;
  std::vector<ObjectPtr> hooked_;
};

// The five objects of one page. Request, Response and Server are parts of
// the context, made with it in one allocation rather than one each, and
// handed out as pointers that share the context's ownership: whoever keeps
// one keeps the page's context. Only MemoryPage makes a context, always
// owned by a shared pointer.
class MemoryContext : public Context {
 public:
  MemoryContext(RequestFacts facts, std::filesystem::path site_root,
                std::shared_ptr<Session> session, std::shared_ptr<Application> application);
  // The same over a site root that outlives the context, which is then
  // referred to rather than copied.
  MemoryContext(RequestFacts facts, std::reference_wrapper<const std::filesystem::path> site_root,
                std::shared_ptr<Session> session, std::shared_ptr<Application> application);

  std::shared_ptr<Request> GetRequest() override { return Part<Request>(&request_); }
  std::shared_ptr<Response> GetResponse() override { return Part<Response>(&response_); }
  std::shared_ptr<Server> GetServer() override { return Part<Server>(&server_); }
  std::shared_ptr<Session> GetSession() override { return session_; }
  std::shared_ptr<Application> GetApplication() override { return application_; }

  MemoryRequest& request() { return request_; }
  MemoryResponse& response() { return response_; }
  MemoryServer& server() { return server_; }

 private:
  template <typename T>
  std::shared_ptr<T> Part(T* part) {
    return std::shared_ptr<T>(shared_from_this(), part);
  }

  // Before the parts, which refer to it: the copy the context owns, if
  // any, and the root in force.
  const std::optional<std::filesystem::path> own_root_;
  const std::filesystem::path& site_root_;
  std::shared_ptr<Session> session_;
  std::shared_ptr<Application> application_;
  MemoryRequest request_;
  MemoryResponse response_;
  MemoryServer server_;
};

// One page over a RequestFacts and a site root folder. A null session or
// application is replaced by a fresh in-memory one.
class MemoryPage {
 public:
  MemoryPage(RequestFacts facts, std::filesystem::path site_root, std::shared_ptr<Session> session,
             std::shared_ptr<Application> application);
  // The same over a site root that outlives the page (a server's own,
  // say), which the page refers to rather than copies:
  //   MemoryPage page(facts, std::cref(root), session, application);
  MemoryPage(RequestFacts facts, std::reference_wrapper<const std::filesystem::path> site_root,
             std::shared_ptr<Session> session, std::shared_ptr<Application> application);
  // Drops the created objects without OnEndPage when EndPage was not called.
  ~MemoryPage();
  MemoryPage(const MemoryPage&) = delete;
  MemoryPage& operator=(const MemoryPage&) = delete;

  Context& context() { return *context_; }
  // The context as page hooks receive it.
  std::shared_ptr<Context> shared_context() { return context_; }
  MemoryRequest& request() { return context_->request(); }
  MemoryResponse& response() { return context_->response(); }
  MemoryServer& server() { return context_->server(); }
  Session& session() { return *context_->GetSession(); }

  void EndPage() { context_->server().EndPage(); }
  ResponseResult Result() const { return context_->response().Result(); }
  ResponseResult TakeResult() { return context_->response().TakeResult(); }
  // Shorthands for Result().RenderHead() and Result().body.
  std::string RenderHead() const { return Result().RenderHead(); }
  std::string Body() const { return Result().body; }

 private:
  std::shared_ptr<MemoryContext> context_;
};

}  // namespace zorvadel::engine

#endif  // ZORVADEL_MEMORY_PAGE_H_
