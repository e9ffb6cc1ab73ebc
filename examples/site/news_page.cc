// A record list and its detail page over the SQLite file the demo ships
// (MyDatabase/#Zorvadel.mdb, the default MdbPath beside the page), through
// the database members:
//
//   news.asp         MdbDo opens StrSql on Rs; the page walks Rs and links
//                    each title to its record
//   news.asp?Id=N    MdbShow reads the title and the content of record N
//                    (and stores the request in the session), and the page
//                    counts the record's reads as a news site does: the
//                    count is read on one slot, left open, and raised on
//                    another, each on a connection of its own, in the
//                    site's file MyDatabase/Visits.db
//
// The file is never served: the server sends only files of the types it
// knows, and a .mdb is none of them.
#include <memory>
#include <string>

#include "demo_site.h"
#include "serve/page_registry.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/engine.h"
#include "zorvadel/runtime.h"

namespace zorvadel::demo {
namespace {

// The recordset is walked by name, as a script walks it:
//   Do Until w.Rs.EOF ... w.Rs("Title") ... w.Rs.MoveNext : Loop
void WriteList(Context& context, WAP& w) {
  PageState& s = w.state();
  s.StrSql = u"Select Id,Title,Content From Zorvadel Order By Id";
  w.MdbDo();
  w.WriteRow(u"Records: " + CStr(Variant(s.RecordCount)));
  Step([&] {
    Object& rs = *Invoke(w, u"Rs", {}).object();
    auto field = [&rs](const char16_t* name) {
      return CStr(Invoke(*Invoke(rs, u"", {Variant(name)}).object(), u"Value", {}));
    };
    while (!CBool(Invoke(rs, u"EOF", {}))) {
      const std::u16string id = field(u"Id");
      context.GetResponse()->Write(id + u". " + w.A(u"", u"news.asp?Id=" + id, field(u"Title")) +
                                   u"<br/>");
      Invoke(rs, u"MoveNext", {});
    }
  });
  w.CloseData();
}

// The reads of record `id` before this one, and this one counted.
void CountRead(WAP& w, int32_t id) {
  PageState& s = w.state();
  const std::u16string record = CStr(Variant(id));
  const std::u16string kept = s.MdbPath;
  s.MdbPath = u"MyDatabase/Visits.db";
  if (!w.IsFileExist(s.MdbPath)) w.FsoWriteFile(s.MdbPath, u"");
  s.StrSql = u"Create Table If Not Exists NewsReads (Id Integer Primary Key, Reads Integer)";
  w.MdbDo(1);
  s.StrSql = u"Insert Or Ignore Into NewsReads Values (" + record + u", 0)";
  w.MdbDo(1);
  s.StrSql = u"Select Reads From NewsReads Where Id=" + record;
  w.MdbDo(1);
  int32_t before = 0;
  Step([&] {
    Object& rs = *Invoke(w, u"Rs1", {}).object();
    before = CLng(Invoke(*Invoke(rs, u"", {Variant(u"Reads")}).object(), u"Value", {}));
  });
  s.StrSql = u"Update NewsReads Set Reads=Reads+1 Where Id=" + record;
  w.MdbDo(2);
  w.WriteRow(u"Reads: " + CStr(Variant(before + 1)));
  w.CloseData();
  s.MdbPath = kept;
}

void WriteRecord(WAP& w, int32_t id) {
  w.state().StrSql =
      u"Select Id,Title,Content From Zorvadel Where Id=" + CStr(Variant(id));
  const std::u16string title = w.MdbShow(u"Title");
  if (title.empty()) {
    w.WriteRow(u"No such record.");
    return;
  }
  // The output filter of WriteRow mends bare ampersands and turns the rest
  // of the text into character references; the demo's records hold no tags.
  w.WriteRow(u"<b>" + title + u"</b>");
  const std::u16string content = w.MdbShow(u"Content");
  w.WriteRow(content.empty() ? u"(no content)" : content);
  CountRead(w, id);
}

void News(Context& context) {
  std::shared_ptr<WAP> w = Create<WAP>(context, u"Zorvadel.WAP");
  w->state().CardTitle = u"News";
  w->AutoHeader(u"style.css");
  const Variant requested = context.GetRequest()->QueryString(u"Id");
  if (requested.IsEmpty()) {
    WriteList(context, *w);
  } else {
    // Only a number reaches the statement.
    int32_t id = 0;
    const bool numeric = IsNumeric(requested) && Step([&] { id = CLng(requested); });
    if (numeric) {
      WriteRecord(*w, id);
    } else {
      w->WriteRow(u"No such record.");
    }
    context.GetResponse()->Write(w->A(u"", u"news.asp", u"All news") + u"<br/>");
  }
  context.GetResponse()->Write(w->A(u"", u"index.asp", u"Home") + u"<br/>");
  w->AutoFooter();
}

const serve::PageRegistrar kNews("/news.asp", &News);

}  // namespace
}  // namespace zorvadel::demo
