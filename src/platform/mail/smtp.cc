#include "platform/mail/smtp.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/codepage/codepage.h"
#include "zorvadel/variant.h"

namespace zorvadel::mail {
namespace {

// A page waits for its mail: long enough for a slow server, short enough
// that a silent one does not hold the page for minutes.
constexpr long kConnectSeconds = 10;
constexpr long kTotalSeconds = 30;

std::mutex& CaMutex() {
  static std::mutex mutex;
  return mutex;
}
std::string& CaFile() {
  static std::string file;
  return file;
}

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Upload {
  std::string_view rest;
};

size_t ReadMessage(char* buffer, size_t size, size_t count, void* user) {
  auto* upload = static_cast<Upload*>(user);
  const size_t n = std::min(size * count, upload->rest.size());
  std::memcpy(buffer, upload->rest.data(), n);
  upload->rest.remove_prefix(n);
  return n;
}

bool IsHostChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'.' || c == u'-';
}

bool IsV6Char(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F') ||
         c == u':' || c == u'.';
}

[[noreturn]] void Fail(const std::string& why) {
  throw ScriptError(kErrMailNotSent, codepage::FromUtf8("The message was not sent: " + why));
}

class CurlList {
 public:
  ~CurlList() { curl_slist_free_all(list_); }
  void Append(const std::string& item) {
    curl_slist* grown = curl_slist_append(list_, item.c_str());
    if (grown == nullptr) Fail("out of memory");
    list_ = grown;
  }
  curl_slist* get() const { return list_; }

 private:
  curl_slist* list_ = nullptr;
};

class Easy {
 public:
  Easy() : handle_(curl_easy_init()) {
    if (handle_ == nullptr) Fail("no transfer handle");
  }
  ~Easy() { curl_easy_cleanup(handle_); }
  template <typename T>
  void Set(CURLoption option, T value) {
    CURLcode code = curl_easy_setopt(handle_, option, value);
    if (code != CURLE_OK) Fail(curl_easy_strerror(code));
  }
  CURL* get() const { return handle_; }

 private:
  CURL* handle_;
};

}  // namespace

bool ParseServer(std::u16string_view server, SmtpJob* job) {
  std::u16string_view host = server;
  std::u16string_view port;
  if (!server.empty() && server.front() == u'[') {
    const size_t close = server.find(u']');
    if (close == std::u16string_view::npos) return false;
    host = server.substr(0, close + 1);
    std::u16string_view after = server.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != u':') return false;
      port = after.substr(1);
      if (port.empty()) return false;
    }
    if (host.size() < 3 || !std::all_of(host.begin() + 1, host.end() - 1, IsV6Char)) return false;
  } else {
    const size_t colon = server.find(u':');
    if (colon != std::u16string_view::npos) {
      host = server.substr(0, colon);
      port = server.substr(colon + 1);
      if (port.empty()) return false;
    }
    if (host.empty() || !std::all_of(host.begin(), host.end(), IsHostChar)) return false;
  }
  int number = 25;
  if (!port.empty()) {
    if (port.size() > 5) return false;
    number = 0;
    for (char16_t c : port) {
      if (c < u'0' || c > u'9') return false;
      number = number * 10 + (c - u'0');
    }
    if (number < 1 || number > 65535) return false;
  }
  job->host.assign(host.begin(), host.end());
  job->port = number;
  return true;
}

void SendOverSmtp(const SmtpJob& job) {
  InitCurlOnce();
  Easy curl;
  char error[CURL_ERROR_SIZE] = {};
  const std::string url = "smtp://" + job.host + ":" + std::to_string(job.port);
  curl.Set(CURLOPT_ERRORBUFFER, error);
  curl.Set(CURLOPT_URL, url.c_str());
  curl.Set(CURLOPT_PROTOCOLS_STR, "smtp");
  curl.Set(CURLOPT_NOSIGNAL, 1L);
  curl.Set(CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
  curl.Set(CURLOPT_TIMEOUT, kTotalSeconds);
  // STARTTLS when offered; a server that offers it must then also pass the
  // certificate check.
  curl.Set(CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
  std::string ca_file;
  {
    std::lock_guard lock(CaMutex());
    ca_file = CaFile();
  }
  if (!ca_file.empty()) curl.Set(CURLOPT_CAINFO, ca_file.c_str());
  if (!job.user_name.empty()) {
    curl.Set(CURLOPT_USERNAME, job.user_name.c_str());
    curl.Set(CURLOPT_PASSWORD, job.password.c_str());
  }
  const std::string sender = "<" + job.sender + ">";
  curl.Set(CURLOPT_MAIL_FROM, sender.c_str());
  CurlList recipients;
  for (const std::string& r : job.recipients) recipients.Append("<" + r + ">");
  curl.Set(CURLOPT_MAIL_RCPT, recipients.get());
  Upload upload{job.message};
  curl.Set(CURLOPT_READFUNCTION, &ReadMessage);
  curl.Set(CURLOPT_READDATA, &upload);
  curl.Set(CURLOPT_UPLOAD, 1L);
  curl.Set(CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(job.message.size()));

  const CURLcode code = curl_easy_perform(curl.get());
  if (code == CURLE_OK) return;
  long reply = 0;
  curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &reply);
  std::string why = error[0] != '\0' ? error : curl_easy_strerror(code);
  if (reply != 0) why += " (server reply " + std::to_string(reply) + ")";
  Fail(why);
}

void SetCertificateAuthorities(const std::string& pem_file) {
  std::lock_guard lock(CaMutex());
  CaFile() = pem_file;
}

}  // namespace zorvadel::mail
