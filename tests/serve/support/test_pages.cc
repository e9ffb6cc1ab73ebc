// C++ pages that exist only in the test build of zorvadel-serve, so that the
// integration test reaches registered pages as well as page scripts.
#include <chrono>
#include <string>
#include <thread>

#include "serve/page_registry.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/engine.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

// Greets the query's "name" and shows the library object's version, so the
// page goes through Server.CreateObject and by-name calls like a script.
void Hello(Context& context) {
  auto response = context.GetResponse();
  response->SetContentType(u"text/plain");
  ObjectPtr wap = context.GetServer()->CreateObject(u"Zorvadel.WAP");
  std::u16string name = CStr(context.GetRequest()->QueryString(u"name"));
  response->Write(u"hello " + name + u" from " + CStr(Invoke(*wap, u"Version", {})));
}

// Counts the visitor's pages in the session: 1, 2, ... with the session
// cookie, 1 again without it.
void Counter(Context& context) {
  auto session = context.GetSession();
  int32_t count = CLng(session->Value(u"Count")) + 1;
  session->SetValue(u"Count", Variant(count));
  context.GetResponse()->SetContentType(u"text/plain");
  context.GetResponse()->Write(u"count " + CStr(Variant(count)));
}

// Holds its session for the query's "ms" milliseconds.
void Slow(Context& context) {
  context.GetSession()->SetValue(u"Slow", Variant(true));
  std::this_thread::sleep_for(
      std::chrono::milliseconds(CLng(context.GetRequest()->QueryString(u"ms"))));
  context.GetResponse()->Write(u"slow");
}

// Writes 4 MiB, 64 KiB at a time.
void Flood(Context& context) {
  const std::u16string chunk(64 * 1024, u'x');
  for (int i = 0; i < 64; ++i) context.GetResponse()->Write(chunk);
}

// Writes row "n" into two SQLite files of the site, "first" (a or b) then
// the other, each in a transaction on a connection of its own, committed
// in reverse order. With "only=1", writes the first alone, in a
// transaction; with "read=1", the same after reading both files on other
// connections while the transaction is open.
void TwoFiles(Context& context) {
  auto request = context.GetRequest();
  auto server = context.GetServer();
  const std::u16string first = CStr(request->QueryString(u"first"));
  const std::u16string files[2] = {first, first == u"a" ? u"b" : u"a"};
  const std::u16string row = u"INSERT INTO T VALUES (" + CStr(request->QueryString(u"n")) + u")";
  auto open = [&](const std::u16string& file) {
    ObjectPtr connection = server->CreateObject(u"ADODB.Connection");
    Invoke(*connection, u"Open",
           {Variant(u"driver={Microsoft Access Driver (*.mdb)};dbq=" +
                    server->MapPath(u"/" + file + u".db"))});
    return connection;
  };
  auto run = [](const ObjectPtr& connection, const std::u16string& sql) {
    Invoke(*connection, u"Execute", {Variant(sql)});
  };
  ObjectPtr own = open(files[0]);
  run(own, u"BEGIN");
  if (CStr(request->QueryString(u"read")) == u"1") {
    for (const std::u16string& file : {files[1], files[0]}) {
      run(open(file), u"SELECT COUNT(*) FROM T");
    }
  }
  run(own, row);
  if (CStr(request->QueryString(u"only")) != u"1" && CStr(request->QueryString(u"read")) != u"1") {
    ObjectPtr other = open(files[1]);
    run(other, u"BEGIN");
    run(other, row);
    run(other, u"COMMIT");
  }
  run(own, u"COMMIT");
  context.GetResponse()->Write(u"written");
}

// A run-time error that leaves the page.
void Broken(Context& context) {
  context.GetResponse()->Write(u"half a page");
  throw ScriptError(kErrInvalidArgument);
}

// Marks each row of the file named by the query's "db" done as it reads
// it, as a database page does: the query on MdbDo's slot Rs, each update
// on a connection of its own (slot 2). Writes the ids it read, 100 at most.
void MarkDone(Context& context) {
  ObjectPtr wap = context.GetServer()->CreateObject(u"Zorvadel.WAP");
  Invoke(*wap, u"MdbPath", {context.GetRequest()->QueryString(u"db")}, CallKind::kLet);
  Invoke(*wap, u"StrSql", {Variant(u"Select Id From T Where Done=0 Order By Id")}, CallKind::kLet);
  Invoke(*wap, u"MdbDo", {});
  ObjectPtr rs = Invoke(*wap, u"Rs", {}).object();
  std::u16string ids;
  for (int read = 0; read < 100 && !CBool(Invoke(*rs, u"EOF", {})); ++read) {
    ObjectPtr field = Invoke(*rs, u"Fields", {Variant(u"Id")}).object();
    const std::u16string id = CStr(Invoke(*field, u"Value", {}));
    ids += id + u" ";
    Invoke(*wap, u"StrSql", {Variant(u"Update T Set Done=1 Where Id=" + id)}, CallKind::kLet);
    Invoke(*wap, u"MdbDo", {Variant(int16_t{2})});
    Invoke(*rs, u"MoveNext", {});
  }
  context.GetResponse()->SetContentType(u"text/plain");
  context.GetResponse()->Write(u"read " + ids);
}

const serve::PageRegistrar kHello("/cpp/hello.asp", &Hello);
const serve::PageRegistrar kCounter("/cpp/counter.asp", &Counter);
const serve::PageRegistrar kSlow("/cpp/slow.asp", &Slow);
const serve::PageRegistrar kFlood("/cpp/flood.asp", &Flood);
const serve::PageRegistrar kBroken("/cpp/broken.asp", &Broken);
const serve::PageRegistrar kMarkDone("/cpp/mark_done.asp", &MarkDone);
const serve::PageRegistrar kTwoFiles("/cpp/two_files.asp", &TwoFiles);

}  // namespace
}  // namespace zorvadel
