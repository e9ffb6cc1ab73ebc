// Status pages in HTML or WML.
#include "serve/status_page.h"

#include <cctype>
#include <string>

#include "serve/http_text.h"

namespace zorvadel::serve {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Text for an element's content or an attribute value of either markup.
std::string Escape(std::string_view text, bool wml) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      // WML reads "$" as the start of a variable.
      case '$': out += wml ? "$$" : "$"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

bool AcceptsOnlyWml(std::string_view accept) {
  bool wml = false;
  while (!accept.empty()) {
    size_t comma = accept.find(',');
    std::string_view item = accept.substr(0, comma);
    accept = comma == std::string_view::npos ? std::string_view() : accept.substr(comma + 1);
    std::string type = Lower(TrimBlanks(item.substr(0, item.find(';'))));
    if (type == "text/html" || type == "application/xhtml+xml") return false;
    if (type == "text/vnd.wap.wml") wml = true;
  }
  return wml;
}

engine::ResponseResult StatusPage(int32_t status, bool wml, std::string_view detail) {
  const std::string reason(engine::StatusText(status));
  const std::string title = std::to_string(status) + " " + reason;
  std::string more;
  engine::ResponseResult result;
  result.status = status;
  if (wml) {
    if (!detail.empty()) more = "<br/>" + Escape(detail, true);
    result.headers.emplace_back("Content-Type", "text/vnd.wap.wml; charset=utf-8");
    result.body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<!DOCTYPE wml PUBLIC \"-//WAPFORUM//DTD WML 1.1//EN\" "
        "\"http://www.wapforum.org/DTD/wml_1.1.xml\">"
        "<wml><card id=\"status\" title=\"" + title + "\"><p>" + reason + more +
        "</p></card></wml>\n";
  } else {
    if (!detail.empty()) more = "<pre>" + Escape(detail, false) + "</pre>";
    result.headers.emplace_back("Content-Type", "text/html; charset=utf-8");
    result.body = "<html><head><title>" + title + "</title></head><body><h1>" + reason +
                  "</h1>" + more + "</body></html>\n";
  }
  return result;
}

}  // namespace zorvadel::serve
