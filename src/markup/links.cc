// Link, anchor and image shapes; picture suffixes.
#include "markup/links.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "text/attribute_escape.h"
#include "text/xml_chars.h"
#include "zorvadel/runtime.h"

namespace zorvadel::markup {

using text::AppendAttributeText;
using text::AppendTag;

namespace {

struct AcceptSuffix {
  std::u16string_view media_type;
  std::u16string_view suffix;
};

// Searched in order; the first media type the header names wins, so a
// phone that takes both GIF and PNG gets GIF. JPEG pictures always get the
// three-letter suffix.
constexpr std::array<AcceptSuffix, 5> kAcceptSuffixes = {{
    {u"image/gif", u".gif"},
    {u"image/png", u".png"},
    {u"image/jpg", u".jpg"},
    {u"image/jpeg", u".jpg"},
    {u"image/bmp", u".bmp"},
}};

// Suffixes a picture path may already carry (compared lower-cased).
constexpr std::array<std::u16string_view, 6> kPictureSuffixes = {
    u".png", u".gif", u".jpg", u".bmp", u".jpeg", u".wbmp",
};

// The fixed units of <a title="" href=""></a>.
constexpr size_t kLinkFrameSize = 24;

void AppendLinkOpen(std::u16string_view title, std::u16string_view url, std::u16string* out) {
  AppendTag({u"<a title=\"", title, u"\" href=\"", url, u"\">"}, out);
}

}  // namespace

std::u16string LinkMarkup(std::u16string_view title, std::u16string_view url,
                          std::u16string_view text) {
  std::u16string out;
  // A link is the text most pages write most: one allocation for the usual
  // values, which need no escape.
  out.reserve(kLinkFrameSize + title.size() + url.size() + text.size());
  AppendLinkOpen(title, url, &out);
  out.append(text).append(u"</a>");
  return out;
}

std::u16string LinkOpenMarkup(std::u16string_view title, std::u16string_view url) {
  std::u16string out;
  out.reserve(kLinkFrameSize + title.size() + url.size());
  AppendLinkOpen(title, url, &out);
  return out;
}

std::u16string LinkWithIdMarkup(std::u16string_view id, std::u16string_view title,
                                std::u16string_view url, std::u16string_view text) {
  std::u16string out;
  AppendTag({u"<a id=\"", id, u"\"  title=\"", title, u"\" href=\"", url, u"\">"}, &out);
  out.append(text).append(u"</a>");
  return out;
}

std::u16string NamedAnchorMarkup(std::u16string_view text, std::u16string_view id) {
  std::u16string out(u"<a id=\"");
  AppendAttributeText(id, &out);
  if (text.empty()) {
    out.append(u"\" />");
  } else {
    out.append(u"\">").append(text).append(u"</a>");
  }
  return out;
}

std::u16string WmlAnchorMarkup(std::u16string_view title, std::u16string_view url,
                               std::u16string_view text, std::u16string_view inner) {
  std::u16string out;
  AppendTag({u"<anchor title=\"", title, u"\">"}, &out);
  out.append(text);
  AppendTag({u"<go href=\"", url, u"\">"}, &out);
  text::AppendXmlCarried(inner, &out);
  out.append(u"</go></anchor>");
  return out;
}

std::u16string ImgMarkup(std::u16string_view path, std::u16string_view tip,
                         std::u16string_view other) {
  std::u16string out;
  AppendTag({u"<img src=\"", path, u"\" alt=\"", tip, u"\" "}, &out);
  text::AppendXmlCarried(other, &out);
  out.append(u"/>");
  return out;
}

std::u16string_view SuffixForAccept(std::u16string_view accept) {
  for (const AcceptSuffix& row : kAcceptSuffixes) {
    if (accept.find(row.media_type) != std::u16string_view::npos) return row.suffix;
  }
  return {};
}

bool HasPictureSuffix(std::u16string_view path) {
  const std::u16string test = LCase(Trim(path));
  const std::u16string_view view(test);
  for (std::u16string_view suffix : kPictureSuffixes) {
    if (view.ends_with(suffix)) return true;
  }
  return false;
}

}  // namespace zorvadel::markup
