// The user-agent table. Order matters: "Opera" precedes "Mozilla" because
// Opera's own agent text names Mozilla too, and "Mozilla" precedes every
// crawler row, so a crawler that announces itself as Mozilla counts as a
// desktop browser. Rows are only ever added, never reordered, since pages
// rely on who wins.
#include "output/terminal.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zorvadel::output {
namespace {

constexpr std::u16string_view kWeb = kTerminalWeb;
constexpr std::u16string_view kWap = kTerminalWap;

constexpr auto kRows = std::to_array<TerminalRow>({
    {u"Opera", kWap, u"Opera Simulator", u"Opera/8.50 (Windows NT 5.1; U; en)"},
    {u"Mozilla", kWeb, u"IE Browser", u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"},
    {u"Baiduspider+", kWap, u"Baidu Search",
     u"Baiduspider+(+http://www.baidu.com/search/spider.htm)"},
    // The empty-agent rule of PHPXML sits here.
    {u"sohu-search", kWap, u"Sohu Search", u"sohu-search"},
    {u"Sogou web spider", kWap, u"Sohu Search", u"Sogou web spider"},
    // These two carry each other's sample agent.
    {u"sohu agent", kWap, u"Sohu agent", u"iaskspider/1.0(+http://iask.com/help/help_index.html)"},
    {u"iaskspider", kWap, u"Sina agent", u"sohu agent"},
    {u"msnbot", kWap, u"MSN search", u""},
    {u"Mediapartners", kWap, u"Mediapartners-Google/2.1", u"Mediapartners-Google/2.1"},
    {u"Webdup", kWap, u"Webdup:A Down Soft。", u"Webdup/0.9"},
    {u"OpenWare", kWap, u"OpenWare:Simulator。", u"OpenWare/1.0"},
    {u"cloundw", kWap, u"cloundw", u"cloundw/1.3"},
    {u"Norbert", kWap, u"Norbert:Unknow", u"Norbert/1.0"},
    {u"MJ12bot", kWap, u"MJ12bot/v1.0.5 (http://majestic12.co.uk/bot.php?+)",
     u"MJ12bot/v1.0.5 (http://majestic12.co.uk/bot.php?+)"},
    {u"aipbot", kWap, u"aipbot/1.0 (aipbot; http://www.aipbot.com; aipbot@aipbot.com)",
     u"aipbot/1.0 (aipbot; http://www.aipbot.com; aipbot@aipbot.com)"},
    {u"Website Downloader", kWap, u"Website Downloader", u"Website Downloader/1.0"},
    {u"Helmdall", kWap, u"Helmdall", u"Helmdall/1.0"},
    {u"WapSearch", kWap, u"WapSearch/1.0", u"WapSearch/1.0"},
    {u".Text", kWap, u".Text", u".Text/0.95"},
    {u"hl_ftien_spider", kWap, u"hl_ftien_spider:Unknow", u"hl_ftien_spider"},
    {u"Bilbo", kWap, u"Bilbo:Unknow", u"Bilbo/2.3b-UNIX"},
    {u"goodwap", kWap, u"goodwap1.0", u"goodwap1.0"},
    {u"Gigabot", kWap, u"Gigabot", u"Gigabot/2.0"},
    {u"ichiro", kWap, u"ichiro", u"ichiro/2.0"},
    {u"Longhorn", kWap, u"Unknow", u""},
    {u"Googlebot", kWap, u"Google Search", u"Googlebot/2.1 (+http://www.google.com/bot.html)"},
    {u"searchbot", kWap, u"Google Search", u"searchbot"},
    {u"TagTagemulator", kWap, u"TagTagemulator Simulator", u""},
    {u"Nokia-WAP-Toolkit", kWap, u"Nokia-WAP-Toolkit Simulator", u"Nokia-WAP-Toolkit/4.1"},
    {u"ia_archiver", kWap, u"ia_archiver", u"ia_archiver"},
    {u"open cmwap", kWap, u"open cmwap", u"open cmwap"},
    {u"UPG1", kWap, u"UPG1 UP", u"UPG1 UP/4.0 (compatible; Blazer 1.0)"},
    {u"OutfoxBot", kWap, u"OutfoxBot", u"OutfoxBot/0.5"},
    {u"Gaisbot", kWap, u"Unknow", u""},
    {u"Wapsilon", kWap, u"Wapsilon ,More Info：www.wapsilon.com", u"Wapsilon/0.6"},
    {u"Java", kWap, u"Unknow", u"Java/1.5.0_04"},
    {u"SurveyBot", kWap, u"Unknow(Whois Source)", u""},
    {u"Wget", kWap, u"Unknow", u""},
    {u"ConveraCrawler", kWap, u"Unknow", u""},
    {u"Xenu Link Sleuth", kWap,
     u"Xenu Link Sleuth 也许是你所见过的最小但功能最强大的检查网站死链接的软件了。",
     u"Xenu Link Sleuth 1.2g"},
    {u"OpenWave", kWap, u"OpenWave Simulator", u"OpenWave SDK/6.2"},
    {u"MIO8390", kWap, u"MIO8390:Unknow", u"MIO8390/1.0"},
    {u"psbot", kWap, u"psbot:Unknow", u"psbot/0.1"},
    {u"OPWV-SDK", kWap, u"OpenWave Simulator", u"OPWV-SDK/62 UP.Browser/6.2.2.1.208 (GUI) MMP/2.0"},
    {u"OPWV1", kWap, u"OpenWave Simulator", u"OPWV1/4.1 UP.Browser/4.1.26l UP.Link/4.2.3.5h"},
    {u"M3Gate", kWap, u"M3Gate Simulator", u"M3Gate/1.3"},
    {u"NutchCVS", kWap, u"NutchCVS", u"NutchCVS/0.8-dev (Nutch)"},
    {u"sss", kWap, u"sss:Unknow Type", u"sss/1.0"},
    {u"QC07", kWap, u"QC07:Unknow Type", u"QC07/1.0"},
    {u"WM", kWap, u"WM:Unknow Type", u"WM/1.0"},
    {u"ICrawler", kWap, u"ICrawler:Unknow Type", u"ICrawler/1.0"},
    {u"Microsoft Internet Explorer", kWap, u"Microsoft Internet Explorer",
     u"Microsoft Internet Explorer"},
    {u"WinWAP", kWap, u"WinWAP Simulator", u"WinWAP/3.2 (3.2.1.25; Win32)"},
    {u"ccWAP-Browser", kWap, u"ccWAP Simulator", u""},
});

// PHPXML decides an empty agent after the first three rows (which no empty
// agent can match).
constexpr TerminalRow kEmptyAgentRow = {u"", kWap, u"Unknow Type", u""};

// The rows grouped by the first unit of their key (ASCII; any other key goes
// to `other`), each group in table order: one pass over the agent then finds
// the earliest row whose key occurs anywhere in it, instead of one search of
// the whole agent per row.
struct FirstUnitIndex {
  std::array<std::vector<uint8_t>, 128> rows;
  std::vector<uint8_t> other;
};

const FirstUnitIndex& Index() {
  static const FirstUnitIndex index = [] {
    static_assert(kRows.size() < 256);
    FirstUnitIndex built;
    for (size_t r = 0; r < kRows.size(); ++r) {
      const std::u16string_view key = kRows[r].key;
      if (!key.empty() && key[0] < 128) {
        built.rows[key[0]].push_back(static_cast<uint8_t>(r));
      } else {
        built.other.push_back(static_cast<uint8_t>(r));
      }
    }
    return built;
  }();
  return index;
}

}  // namespace

std::span<const TerminalRow> TerminalTable() { return kRows; }

const TerminalRow* MatchTerminal(std::u16string_view agent, bool empty_agent_is_unknown) {
  // No key is empty, so an empty agent matches no row and the empty-agent
  // rule decides alone.
  if (agent.empty()) return empty_agent_is_unknown ? &kEmptyAgentRow : nullptr;
  const FirstUnitIndex& index = Index();
  size_t best = kRows.size();
  for (size_t i = 0; i < agent.size() && best > 0; ++i) {
    const char16_t c = agent[i];
    if (c >= 128) continue;
    for (uint8_t r : index.rows[c]) {
      if (r >= best) break;
      if (agent.substr(i).starts_with(kRows[r].key)) {
        best = r;
        break;
      }
    }
  }
  for (uint8_t r : index.other) {
    if (r >= best) break;
    if (agent.find(kRows[r].key) != std::u16string_view::npos) {
      best = r;
      break;
    }
  }
  return best < kRows.size() ? &kRows[best] : nullptr;
}

}  // namespace zorvadel::output
