// The photo page: a photo list whose thumbnails are made on the first view
// (PEPhotoShow with BuildSmallPic, each beside its picture under Photos/),
// and the site's visit counter (VisitCount), which records each new visitor
// of a session in the SQLite file MyDatabase/Visits.db.
//
// The visit table belongs to the site, not to the library: the page makes
// the file (FsoWriteFile of an empty text is an empty SQLite database) and
// the table on first use. The file and the thumbnails are made while the
// site runs and are not part of the sources.
#include <memory>
#include <string>

#include "demo_site.h"
#include "serve/page_registry.h"
#include "zorvadel/classes.h"
#include "zorvadel/engine.h"
#include "zorvadel/runtime.h"

namespace zorvadel::demo {
namespace {

constexpr char16_t kVisitsFile[] = u"MyDatabase/Visits.db";
constexpr char16_t kPhotos[] =
    u"Sunrise|sunrise.jpg$$$Tide|tide.jpg$$$Cliffs|cliffs/cliff.jpg";

void CountVisit(WAP& w) {
  PageState& s = w.state();
  s.MdbPath = kVisitsFile;
  if (!w.IsFileExist(kVisitsFile)) w.FsoWriteFile(kVisitsFile, u"");
  s.StrSql =
      u"Create Table If Not Exists VisitCount (Id Integer Primary Key, PhoneNumber Text, "
      u"PhoneIp Text, PhoneUserAgent Text, PhoneAccept Text, VisitFile Text)";
  w.MdbDo(1);
  w.VisitCount(u"All", u"Mdb");
  s.StrSql = u"Select Id From VisitCount";
  w.MdbDo(0);
  w.WriteRow(u"Visitors counted: " + CStr(Variant(s.RecordCount)));
  w.CloseData();
}

void Photos(Context& context) {
  std::shared_ptr<WAP> w = OpenDeck(context, u"Photos");
  CountVisit(*w);
  const Variant list = w->PEPhotoShow(kPhotos, u"Photos/", true, 120, 120, u"_small");
  context.GetResponse()->Write(CStr(list));
  CloseDeck(context, *w);
}

const serve::PageRegistrar kPhotoPage("/photos.asp", &Photos);

}  // namespace
}  // namespace zorvadel::demo
