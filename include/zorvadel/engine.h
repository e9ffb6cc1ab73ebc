// The page engine's objects as the library sees them: a page's Context and
// its Request, Response, Server, Session and Application. The in-memory
// engine (zorvadel-run, tests) and the HTTP host implement them alike.
#ifndef ZORVADEL_ENGINE_H_
#define ZORVADEL_ENGINE_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zorvadel/variant.h"

namespace zorvadel {

class Request : public Object {
 public:
  const ClassInfo& Class() const override;

  // Server variable by name, case-insensitive; an unknown name gives "".
  // "HTTP_X" names the request header X, with "-" and "_" taken alike.
  virtual std::u16string ServerVariables(std::u16string_view name) = 0;
  // The same text into `out`, whose buffer a request may reuse (page start
  // fills a dozen fields so); `out` stays as it was when the lookup fails.
  virtual void ServerVariablesInto(std::u16string_view name, std::u16string& out) {
    out = ServerVariables(name);
  }
  // Collections by key, case-insensitive. An absent key gives Empty, a key
  // without value "", repeated keys their values joined with ", ".
  virtual Variant QueryString(std::u16string_view key) = 0;
  virtual Variant Form(std::u16string_view key) = 0;
  virtual Variant Cookies(std::u16string_view key) = 0;
  virtual Variant ClientCertificate(std::u16string_view key) = 0;
  // Request(key): QueryString, Form, Cookies, ClientCertificate and
  // ServerVariables searched in that order; Empty when none has it.
  Variant Item(std::u16string_view key);
};

class Response : public Object {
 public:
  const ClassInfo& Class() const override;

  // Appends text, encoded at once with the session's code page in force now.
  // Ignored once End has run.
  virtual void Write(std::u16string_view text) = 0;
  // Ends the response: later writes are dropped.
  virtual void End() = 0;
  // 302 to `url`; the body written so far is discarded and the response
  // ends. A URL holding CR or LF raises 5 and changes nothing.
  virtual void Redirect(std::u16string_view url) = 0;

  virtual std::u16string ContentType() const = 0;
  virtual void SetContentType(std::u16string_view value) = 0;
  virtual std::u16string Charset() const = 0;
  virtual void SetCharset(std::u16string_view value) = 0;
  // Minutes until the page expires; 0 means at once.
  virtual int32_t Expires() const = 0;
  virtual void SetExpires(int32_t minutes) = 0;
  virtual void AddHeader(std::u16string_view name, std::u16string_view value) = 0;
  virtual int32_t Status() const = 0;
  virtual void SetStatus(int32_t code) = 0;
  virtual bool Ended() const = 0;
};

class Session : public Object {
 public:
  const ClassInfo& Class() const override;

  // Values by key, case-insensitive; a key never written reads Empty.
  virtual Variant Value(std::u16string_view key) = 0;
  virtual void SetValue(std::u16string_view key, Variant value) = 0;
  // Sets the value under `key` to what `update` makes of the value there, as
  // SetValue(key, update(Value(key))) would. A session may hand `update` the
  // stored value itself, so that a page adding to a long value (the visit
  // trail) copies none of it; `update` then runs under the session's lock,
  // must not call the session, and must change nothing when it throws.
  virtual void UpdateValue(std::u16string_view key, const std::function<void(Variant&)>& update);
  virtual uint32_t CodePage() const = 0;
  virtual void SetCodePage(uint32_t code_page) = 0;
  // Minutes; values below 1 or above 1440 raise 5.
  virtual int32_t Timeout() const = 0;
  virtual void SetTimeout(int32_t minutes) = 0;
};

class Application : public Object {
 public:
  const ClassInfo& Class() const override;

  virtual Variant Value(std::u16string_view key) = 0;
  virtual void SetValue(std::u16string_view key, Variant value) = 0;
};

class Server : public Object {
 public:
  const ClassInfo& Class() const override;

  // Creates an object through the ProgID registry (case-insensitive); an
  // unknown ProgID raises 429. Objects with page hooks get OnStartPage now and
  // OnEndPage when the page ends.
  virtual ObjectPtr CreateObject(std::u16string_view progid) = 0;
  // Disk path of a path relative to the script's folder or rooted at the
  // site; "\" is read as "/", ".." resolved; a path outside the site root
  // raises 5.
  virtual std::u16string MapPath(std::u16string_view path) = 0;
  // A-Z, a-z, 0-9 kept, blank as "+", every other byte %XX (upper case) of
  // the text in the session's code page.
  virtual std::u16string URLEncode(std::u16string_view text) = 0;
};

// One page's scripting context; an object itself, so that a script can hand
// it to a page hook by name.
class Context : public Object {
 public:
  const ClassInfo& Class() const override;

  virtual std::shared_ptr<Request> GetRequest() = 0;
  virtual std::shared_ptr<Response> GetResponse() = 0;
  virtual std::shared_ptr<Server> GetServer() = 0;
  virtual std::shared_ptr<Session> GetSession() = 0;
  virtual std::shared_ptr<Application> GetApplication() = 0;
};

}  // namespace zorvadel

#endif  // ZORVADEL_ENGINE_H_
