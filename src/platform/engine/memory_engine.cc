// The in-memory engine's objects.
#include "zorvadel/memory_page.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "platform/codepage/codepage.h"
#include "platform/engine/request_data.h"
#include "platform/engine/site_paths.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/runtime.h"

namespace zorvadel::engine {
namespace {

// Error 7 ("Out of memory") with the reason: the host's limit, not the
// machine's memory, ran out.
constexpr char16_t kBufferLimitText[] = u"Response buffer limit exceeded";

bool HasLineBreak(std::u16string_view text) {
  return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

void RejectLineBreak(std::u16string_view text) {
  if (HasLineBreak(text)) throw ScriptError(kErrInvalidArgument);
}

// Media types whose bodies are text in some charset, and so take a
// "charset" parameter.
constexpr std::u16string_view kTextTypes[] = {u"application/xml", u"application/json",
                                              u"application/javascript"};

// LCase turns no other character into an ASCII one, so that against the
// ASCII texts below folding ASCII letters alone gives the same answers, and
// the response's head is made without a folded copy of its type.
char16_t AsciiLower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool SameFolded(std::u16string_view text, std::u16string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (AsciiLower(text[i]) != lower[i]) return false;
  }
  return true;
}

bool TakesCharset(std::u16string_view content_type) {
  std::u16string_view type = content_type.substr(0, content_type.find(u';'));
  const size_t first = type.find_first_not_of(u' ');
  type = first == std::u16string_view::npos
             ? std::u16string_view()
             : type.substr(first, type.find_last_not_of(u' ') - first + 1);
  constexpr std::u16string_view kText = u"text/";
  constexpr std::u16string_view kXml = u"+xml";
  if (type.size() >= kText.size() && SameFolded(type.substr(0, kText.size()), kText)) return true;
  if (type.size() >= kXml.size() && SameFolded(type.substr(type.size() - kXml.size()), kXml)) {
    return true;
  }
  for (std::u16string_view text_type : kTextTypes) {
    if (SameFolded(type, text_type)) return true;
  }
  return false;
}

bool NamesCharset(std::u16string_view content_type) {
  constexpr std::u16string_view kCharset = u"charset=";
  for (size_t i = 0; i + kCharset.size() <= content_type.size(); ++i) {
    if (SameFolded(content_type.substr(i, kCharset.size()), kCharset)) return true;
  }
  return false;
}

// The pieces of a header value joined and encoded. Both code pages keep
// ASCII as it is, and a content type nearly always is: then the pieces go
// straight into the bytes, without a joined copy on the way.
std::string HeadBytes(std::initializer_list<std::u16string_view> pieces, uint32_t code_page) {
  size_t size = 0;
  bool ascii = true;
  for (std::u16string_view piece : pieces) {
    size += piece.size();
    ascii = ascii && std::all_of(piece.begin(), piece.end(), [](char16_t c) { return c < 0x80; });
  }
  if (ascii) {
    // Narrowed in place: append with char16_t iterators would build a
    // temporary string of each piece first, an allocation for a long one.
    std::string bytes(size, '\0');
    auto out = bytes.begin();
    for (std::u16string_view piece : pieces) {
      out = std::transform(piece.begin(), piece.end(), out,
                           [](char16_t c) { return static_cast<char>(c); });
    }
    return bytes;
  }
  std::u16string text;
  text.reserve(size);
  for (std::u16string_view piece : pieces) text += piece;
  return codepage::Encode(text, code_page);
}

// A session or application key lower-cased, as the values are keyed. A
// short ASCII key, which is nearly every key a page uses, is lowered in
// place: LCase maps ASCII letters alone onto ASCII, so this gives what
// LCase gives without the string it makes.
class LowerKey {
 public:
  explicit LowerKey(std::u16string_view key) {
    if (key.size() <= kShort &&
        std::all_of(key.begin(), key.end(), [](char16_t c) { return c < 0x80; })) {
      std::transform(key.begin(), key.end(), buffer_, AsciiLower);
      view_ = std::u16string_view(buffer_, key.size());
    } else {
      owned_ = LCase(key);
      view_ = owned_;
    }
  }
  LowerKey(const LowerKey&) = delete;
  LowerKey& operator=(const LowerKey&) = delete;

  std::u16string_view view() const { return view_; }

 private:
  static constexpr size_t kShort = 48;
  char16_t buffer_[kShort];
  std::u16string owned_;
  std::u16string_view view_;
};

}  // namespace

// ---- Session and Application ---------------------------------------------------

Variant MemorySession::Value(std::u16string_view key) {
  const LowerKey lower(key);
  std::lock_guard lock(mutex_);
  auto it = values_.find(lower.view());
  return it == values_.end() ? Variant() : it->second;
}

void MemorySession::SetValue(std::u16string_view key, Variant value) {
  ExchangeValue(key, std::move(value));
}

void MemorySession::UpdateValue(std::u16string_view key,
                                const std::function<void(Variant&)>& update) {
  const LowerKey lower(key);
  std::lock_guard lock(mutex_);
  auto it = values_.find(lower.view());
  const bool added = it == values_.end();
  if (added) it = values_.try_emplace(std::u16string(lower.view())).first;
  try {
    update(it->second);
  } catch (...) {
    // A key that was not there must not appear, even as Empty.
    if (added) values_.erase(it);
    throw;
  }
}

Variant MemorySession::ExchangeValue(std::u16string_view key, Variant value) {
  const LowerKey lower(key);
  std::lock_guard lock(mutex_);
  auto it = values_.find(lower.view());
  if (it == values_.end()) {
    values_.emplace(std::u16string(lower.view()), std::move(value));
    return Variant();
  }
  std::swap(it->second, value);
  return value;
}

uint32_t MemorySession::CodePage() const { return code_page_.load(std::memory_order_relaxed); }

void MemorySession::SetCodePage(uint32_t code_page) {
  if (code_page == 0) throw ScriptError(kErrInvalidArgument);
  code_page_.store(code_page, std::memory_order_relaxed);
}

int32_t MemorySession::Timeout() const { return timeout_.load(std::memory_order_relaxed); }

void MemorySession::SetTimeout(int32_t minutes) {
  if (minutes < 1 || minutes > 1440) throw ScriptError(kErrInvalidArgument);
  timeout_.store(minutes, std::memory_order_relaxed);
}

Variant MemoryApplication::Value(std::u16string_view key) {
  const LowerKey lower(key);
  std::lock_guard lock(mutex_);
  auto it = values_.find(lower.view());
  return it == values_.end() ? Variant() : it->second;
}

void MemoryApplication::SetValue(std::u16string_view key, Variant value) {
  const LowerKey lower(key);
  std::lock_guard lock(mutex_);
  auto it = values_.find(lower.view());
  if (it == values_.end()) {
    values_.emplace(std::u16string(lower.view()), std::move(value));
  } else {
    it->second = std::move(value);
  }
}

// ---- Request -----------------------------------------------------------------------

MemoryRequest::MemoryRequest(RequestFacts facts, const std::filesystem::path& site_root,
                             std::shared_ptr<Session> session)
    : facts_(std::move(facts)),
      site_root_(site_root),
      session_(std::move(session)) {}

std::u16string MemoryRequest::ServerVariables(std::u16string_view name) {
  return ServerVariable(facts_, name, site_root_);
}

void MemoryRequest::ServerVariablesInto(std::u16string_view name, std::u16string& out) {
  ServerVariableInto(facts_, name, out, site_root_);
}

Variant MemoryRequest::QueryString(std::u16string_view key) {
  if (!query_) query_ = ParseUrlEncoded(TargetQuery(facts_.url));
  return LookupPair(*query_, key, session_->CodePage());
}

Variant MemoryRequest::Form(std::u16string_view key) {
  if (!form_) form_ = ParseUrlEncoded(facts_.form);
  return LookupPair(*form_, key, session_->CodePage());
}

Variant MemoryRequest::Cookies(std::u16string_view key) {
  if (!cookies_) cookies_ = ParseCookieHeader(CookieHeader(facts_));
  return LookupPair(*cookies_, key, session_->CodePage());
}

Variant MemoryRequest::ClientCertificate(std::u16string_view /*key*/) { return Variant(); }

// ---- Response ----------------------------------------------------------------------

MemoryResponse::MemoryResponse(std::shared_ptr<Session> session) : session_(std::move(session)) {
  // Room for a small page, which is then written without growing the body
  // again and again.
  body_.reserve(1024);
}

void MemoryResponse::Write(std::u16string_view text) {
  if (ended_) return;
  // Every code unit takes at least a byte, so an oversized text is refused
  // before it is encoded.
  if (text.size() > buffer_limit_ - body_.size()) throw ScriptError(7, kBufferLimitText);
  // ASCII is the same bytes in either code page, and is most of what pages
  // write: it goes into the body without an encoded copy on the way.
  const size_t at = body_.size();
  body_.resize(at + text.size());
  char* out = body_.data() + at;
  size_t i = 0;
  // Blocks of 16 first: a block's loops have no early exit, so the
  // compiler runs them over many code units at once.
  constexpr size_t kBlock = 16;
  for (; i + kBlock <= text.size(); i += kBlock) {
    char16_t any = 0;
    for (size_t k = 0; k < kBlock; ++k) any |= text[i + k];
    if (any >= 0x80) break;
    for (size_t k = 0; k < kBlock; ++k) out[i + k] = static_cast<char>(text[i + k]);
  }
  while (i < text.size() && text[i] < 0x80) {
    out[i] = static_cast<char>(text[i]);
    ++i;
  }
  if (i == text.size()) return;
  // Both code pages encode without state, so the rest is encoded on its own.
  body_.resize(at + i);
  std::string bytes = codepage::Encode(text.substr(i), session_->CodePage());
  if (bytes.size() > buffer_limit_ - body_.size()) {
    body_.resize(at);
    throw ScriptError(7, kBufferLimitText);
  }
  body_ += bytes;
}

void MemoryResponse::End() { ended_ = true; }

void MemoryResponse::Redirect(std::u16string_view url) {
  RejectLineBreak(url);
  if (ended_) return;
  status_ = 302;
  location_ = LocationHeaderValue(url, session_->CodePage());
  body_.clear();
  ended_ = true;
}

void MemoryResponse::SetContentType(std::u16string_view value) {
  RejectLineBreak(value);
  content_type_ = value;
  content_type_set_ = true;
}

void MemoryResponse::SetCharset(std::u16string_view value) {
  RejectLineBreak(value);
  charset_ = value;
}

void MemoryResponse::AddHeader(std::u16string_view name, std::u16string_view value) {
  if (name.empty() || name.find(u':') != std::u16string_view::npos) {
    throw ScriptError(kErrInvalidArgument);
  }
  RejectLineBreak(name);
  RejectLineBreak(value);
  const uint32_t code_page = session_->CodePage();
  added_headers_.emplace_back(codepage::Encode(name, code_page), codepage::Encode(value, code_page));
}

void MemoryResponse::SetStatus(int32_t code) {
  if (code < 100 || code > 999) throw ScriptError(kErrInvalidArgument);
  status_ = code;
}

ResponseResult MemoryResponse::Head() const {
  const uint32_t code_page = session_->CodePage();
  ResponseResult result;
  result.status = status_;
  // Content-Type, two cache headers, the added ones and Location at most.
  result.headers.reserve(4 + added_headers_.size());
  const std::u16string_view type = content_type();
  std::u16string_view charset_head;
  std::u16string_view charset;
  if (!charset_.empty()) {
    charset_head = u"; Charset=";
    charset = charset_;
  } else if (TakesCharset(type) && !NamesCharset(type)) {
    // Without a declared charset a browser guesses, and then posts its
    // forms in what it guessed: the bytes were written in the session's
    // code page, so that is the charset the response declares.
    charset_head = code_page == 65001 ? u"; Charset=utf-8" : u"; Charset=GB2312";
  }
  result.headers.emplace_back("Content-Type", HeadBytes({type, charset_head, charset}, code_page));
  if (expires_) {
    if (*expires_ <= 0) {
      result.headers.emplace_back("Expires", "0");
      result.headers.emplace_back("Cache-Control", "no-cache");
    } else {
      result.headers.emplace_back("Cache-Control",
                                  "max-age=" + std::to_string(int64_t{*expires_} * 60));
    }
  }
  result.headers.insert(result.headers.end(), added_headers_.begin(), added_headers_.end());
  if (location_) result.headers.emplace_back("Location", *location_);
  return result;
}

ResponseResult MemoryResponse::Result() const {
  ResponseResult result = Head();
  result.body = body_;
  return result;
}

ResponseResult MemoryResponse::TakeResult() {
  // The head first: encoding it may throw, and then the body stays.
  ResponseResult result = Head();
  result.body = std::move(body_);
  body_.clear();
  return result;
}

// ---- Server ------------------------------------------------------------------------

MemoryServer::MemoryServer(const std::filesystem::path& site_root, std::string script_name,
                           std::shared_ptr<Session> session)
    : site_root_(site_root),
      script_name_(std::move(script_name)),
      session_(std::move(session)) {}

ObjectPtr MemoryServer::CreateObject(std::u16string_view progid) {
  ObjectPtr object = CreateByProgId(progid);
  if (object && object->HasPageHooks()) {
    object->OnStartPage(context_.lock());
    hooked_.push_back(object);
  }
  return object;
}

std::u16string MemoryServer::MapPath(std::u16string_view path) {
  return MapSitePath(site_root_, script_name_, path);
}

std::u16string MemoryServer::URLEncode(std::u16string_view text) {
  return UrlEncodeText(text, session_->CodePage());
}

void MemoryServer::EndPage() {
  std::vector<ObjectPtr> hooked = std::move(hooked_);
  hooked_.clear();
  std::optional<ScriptError> first_error;
  for (auto it = hooked.rbegin(); it != hooked.rend(); ++it) {
    try {
      (*it)->OnEndPage();
    } catch (const ScriptError& error) {
      if (!first_error) first_error = error;
    }
  }
  if (first_error) throw *first_error;
}

// ---- Page --------------------------------------------------------------------------

MemoryContext::MemoryContext(RequestFacts facts, std::filesystem::path site_root,
                             std::shared_ptr<Session> session,
                             std::shared_ptr<Application> application)
    : own_root_(std::move(site_root)),
      site_root_(*own_root_),
      session_(std::move(session)),
      application_(std::move(application)),
      request_(std::move(facts), site_root_, session_),
      response_(session_),
      server_(site_root_, std::string(TargetPath(request_.facts().url)), session_) {}

MemoryContext::MemoryContext(RequestFacts facts,
                             std::reference_wrapper<const std::filesystem::path> site_root,
                             std::shared_ptr<Session> session,
                             std::shared_ptr<Application> application)
    : site_root_(site_root.get()),
      session_(std::move(session)),
      application_(std::move(application)),
      request_(std::move(facts), site_root_, session_),
      response_(session_),
      server_(site_root_, std::string(TargetPath(request_.facts().url)), session_) {}

namespace {

template <typename Root>
std::shared_ptr<MemoryContext> MakeContext(RequestFacts facts, Root site_root,
                                           std::shared_ptr<Session> session,
                                           std::shared_ptr<Application> application) {
  if (!session) session = std::make_shared<MemorySession>();
  if (!application) application = std::make_shared<MemoryApplication>();
  auto context = std::make_shared<MemoryContext>(std::move(facts), std::move(site_root),
                                                 std::move(session), std::move(application));
  context->server().SetContext(context);
  return context;
}

}  // namespace

MemoryPage::MemoryPage(RequestFacts facts, std::filesystem::path site_root,
                       std::shared_ptr<Session> session, std::shared_ptr<Application> application)
    : context_(MakeContext(std::move(facts), std::move(site_root), std::move(session),
                           std::move(application))) {}

MemoryPage::MemoryPage(RequestFacts facts,
                       std::reference_wrapper<const std::filesystem::path> site_root,
                       std::shared_ptr<Session> session, std::shared_ptr<Application> application)
    : context_(MakeContext(std::move(facts), site_root, std::move(session),
                           std::move(application))) {}

// An object that kept the context would keep the page alive through the
// server's list; dropping the list breaks that cycle.
MemoryPage::~MemoryPage() { context_->server().DropObjects(); }

}  // namespace zorvadel::engine
