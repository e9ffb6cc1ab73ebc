#include "text/cut_repair.h"

#include <span>
#include <utility>

#include "text/html_escape.h"

namespace zorvadel::text {
namespace {

// One rung of the edge repair: when the edge of the text is `edge`, either
// that edge is cut off (`add` is empty) or `add` is put on the outside.
struct Rung {
  std::u16string_view edge;
  std::u16string_view add;
};

// The tail rungs, tested once each in this order on the text as the rungs
// before left it. The pieces know only the lower-case entities &lt; &gt;
// &quot; &nbsp; &apos; &shy; and the tag <br/>. An "&nbsp" without its ";"
// and a cut "&amp;nbsp" are dropped rather than completed.
constexpr Rung kTailRungs[] = {
    {u"<", u""},           {u"<b", u""},          {u"&l", u"t;"},        {u"&g", u"t;"},
    {u"&q", u"uot;"},      {u"&n", u"bsp;"},      {u"&a", u"pos;"},      {u"&s", u"hy;"},
    {u"<br", u""},         {u"&lt", u";"},        {u"&gt", u";"},        {u"&qu", u"ot;"},
    {u"&nb", u"sp;"},      {u"&ap", u"os;"},      {u"&sh", u"y;"},       {u"<br/", u""},
    {u"&quo", u"t;"},      {u"&nbs", u"p;"},      {u"&apo", u"s;"},      {u"&shy", u";"},
    {u"&quot", u";"},      {u"&apos", u";"},      {u"&nbsp", u""},       {u"&amp;n", u""},
    {u"&amp;nb", u""},     {u"&amp;nbs", u""},    {u"&amp;nbsp", u""},
};

// The head rungs, likewise. A bare "t;" is taken for the end of "&quot;".
constexpr Rung kHeadRungs[] = {
    {u">", u""},       {u"/>", u""},      {u"b>", u"<"},     {u"t;", u"&quo"},  {u"p;", u"&nbs"},
    {u"s;", u"&apo"},  {u"y;", u"&sh"},   {u"r/>", u""},     {u"lt;", u"&"},    {u"gt;", u"&"},
    {u"ot;", u"&qu"},  {u"sp;", u"&nb"},  {u"os;", u"&ap"},  {u"hy;", u"&s"},   {u"br/>", u""},
    {u"uot;", u"&q"},  {u"bsp;", u"&n"},  {u"pos;", u"&a"},  {u"shy;", u"&"},   {u"quot;", u"&"},
    {u"nbsp;", u"&"},  {u"apos;", u"&"},
};

// Note the order: ">>" goes before ">>>", so a run of three ">" ends as two.
constexpr Replacement kEvenOut[] = {
    {u"<<<", u"<"},  {u"<<", u"<"},           {u"<br>", u"<br/>"}, {u"<BR>", u"<br/>"},
    {u"&lt;br&gt;", u"<br/>"}, {u">>", u">"}, {u">>>", u">"},
};

bool EndsWith(std::u16string_view s, std::u16string_view edge) {
  return s.size() >= edge.size() && s.substr(s.size() - edge.size()) == edge;
}

bool StartsWith(std::u16string_view s, std::u16string_view edge) {
  return s.size() >= edge.size() && s.substr(0, edge.size()) == edge;
}

void RepairTail(std::u16string& s) {
  for (const Rung& rung : kTailRungs) {
    if (!EndsWith(s, rung.edge)) continue;
    if (rung.add.empty()) {
      s.resize(s.size() - rung.edge.size());
    } else {
      s.append(rung.add);
    }
  }
}

void RepairHead(std::u16string& s) {
  for (const Rung& rung : kHeadRungs) {
    if (!StartsWith(s, rung.edge)) continue;
    if (rung.add.empty()) {
      s.erase(0, rung.edge.size());
    } else {
      s.insert(0, rung.add);
    }
  }
}

}  // namespace

std::u16string FixCodes(std::u16string_view text) {
  std::u16string s(text);
  RepairTail(s);
  RepairHead(s);
  return EnterHebing(ApplyReplacements(std::move(s), kEvenOut));
}

}  // namespace zorvadel::text
