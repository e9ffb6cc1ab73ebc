// One long article, Chinese and English with UBB codes, shown by each of the
// long-text pagers. Each pager links back to its own page with its own
// keys, so every pager has a page of its own:
//
//   /easy.asp     WAP EasyMorePage: next and previous links
//   /more.asp     WAP MorePage: the page count and rows of jumps, with pictures
//   /auto.asp     XML AutoPage style 0: page numbers and the rest of the text
//   /jump.asp     EnXML AutoPage style 1: a form that jumps to a typed page
//   /arrows.asp   XML AutoPage style 2: arrows around the page numbers
//
// The WML pages give a phone a deck and a desktop browser an HTML page; the
// XHTML pages are the same for every terminal.
#include <memory>
#include <string>

#include "demo_site.h"
#include "serve/page_registry.h"
#include "zorvadel/classes.h"
#include "zorvadel/engine.h"

namespace zorvadel::demo {
namespace {

// CR LF pairs become line breaks on the page; [b] pairs stay within a
// sentence, so that no page edge of the lengths used below splits one.
constexpr char16_t kArticle[] =
    u"[b]手机网站建设指南[/b] / [b]A guide to mobile sites[/b]\r\n"
    u"手机的屏幕很小，一屏只能显示几百个字。一篇长文章如果一次发给手机，"
    u"不但下载慢，而且很多手机根本放不下整页的内容。所以我们把文章切成若干页，"
    u"每一页只显示一段，并在页尾给出翻页的链接。\r\n"
    u"A phone shows a few hundred characters on one screen. A long article sent in one "
    u"piece loads slowly, and many phones cannot hold the whole deck at all. So the "
    u"article is cut into pages, each with links to the next and the previous one.\r\n"
    u"分页的时候，切口可能落在标签或者字符引用的中间，比如 &lt;br/&gt; 或者 &amp;。"
    u"分页器会修补切口两边的标签和引用，再把每一页的 UBB 代码转换成标记，"
    u"例如[i]斜体[/i]、[u]下划线[/u]和[url=index.asp]回到首页的链接[/url]。\r\n"
    u"When a page edge falls inside a tag or a reference, the pager mends both edges "
    u"of the page before it converts the page's UBB codes: [i]italics[/i], "
    u"[u]underlines[/u] and [url=index.asp]a link home[/url].[br]"
    u"No page remembers anything: the position travels in the links, so a reader can "
    u"bookmark any page and come back to it later.\r\n"
    u"[b]三种分页器[/b]：EasyMorePage 只有上一页和下一页；MorePage 显示总页数和当前页，"
    u"并给出向前、向后跳一到九页的链接；AutoPage 有三种样式，可以显示剩余全文，"
    u"也可以输入页码直接跳转。\r\n"
    u"[b]Three pagers[/b]: EasyMorePage writes next and previous links; MorePage writes "
    u"the page count and rows of links that jump one to nine pages; AutoPage has three "
    u"styles, with a link to the rest of the text or a form that jumps to a typed page.\r\n"
    u"手机用户可以一页一页地读，也可以一次读完剩下的全部内容。祝您阅读愉快！\r\n"
    u"Read page by page, or the whole rest at once. Enjoy the reading!";

void Easy(Context& context) {
  std::shared_ptr<WAP> w = OpenDeck(context, u"EasyMorePage");
  w->EasyMorePage(kArticle, 300, true);
  CloseDeck(context, *w);
}

void More(Context& context) {
  std::shared_ptr<WAP> w = OpenDeck(context, u"MorePage");
  w->state().NextPage = u"Images/next.png";
  w->state().PrePage = u"Images/prev.png";
  w->MorePage(kArticle, 300, true, true);
  CloseDeck(context, *w);
}

// An XHTML Mobile Profile page with AutoPage in `style_mode`.
template <typename T>
void Auto(Context& context, const char16_t* progid, int16_t style_mode) {
  std::shared_ptr<T> x = Create<T>(context, progid);
  x->state().SiteTitle = u"AutoPage";
  x->XhtmlHeader(u"style.css");
  x->AutoPage(kArticle, 400, true, style_mode);
  context.GetResponse()->Write(x->A(u"", u"index.asp", u"Home", u"#"));
  x->XhtmlFooter();
}

const serve::PageRegistrar kEasy("/easy.asp", &Easy);
const serve::PageRegistrar kMore("/more.asp", &More);
const serve::PageRegistrar kAuto("/auto.asp", [](Context& c) { Auto<XML>(c, u"Zorvadel.XML", 0); });
const serve::PageRegistrar kJump("/jump.asp",
                                 [](Context& c) { Auto<EnXML>(c, u"Zorvadel.EnXML", 1); });
const serve::PageRegistrar kArrows("/arrows.asp",
                                   [](Context& c) { Auto<XML>(c, u"Zorvadel.XML", 2); });

}  // namespace
}  // namespace zorvadel::demo
