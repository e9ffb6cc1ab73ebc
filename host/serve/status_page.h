// The pages zorvadel-serve answers of its own (400, 404, 405, 413, 500 ...):
// a short page naming the status, in the markup the client can show. A
// phone that accepts WML but neither HTML nor XHTML gets a WML deck, since
// an HTML page would show it nothing but an error of its own; every other
// client gets HTML.
#ifndef ZORVADEL_HOST_SERVE_STATUS_PAGE_H_
#define ZORVADEL_HOST_SERVE_STATUS_PAGE_H_

#include <cstdint>
#include <string_view>

#include "zorvadel/response_result.h"

namespace zorvadel::serve {

// True when the Accept header names WML ("text/vnd.wap.wml") and names
// neither "text/html" nor "application/xhtml+xml". Media types are compared
// without regard to case; parameters (";q=...") are ignored.
bool AcceptsOnlyWml(std::string_view accept);

// The status page: Content-Type with its charset, and a body whose title is
// "STATUS REASON". `detail`, when not empty, is shown below the reason as
// text (markup in it is escaped); the server passes it only when asked to
// show page errors to the client.
engine::ResponseResult StatusPage(int32_t status, bool wml, std::string_view detail = {});

}  // namespace zorvadel::serve

#endif  // ZORVADEL_HOST_SERVE_STATUS_PAGE_H_
