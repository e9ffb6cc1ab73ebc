// The services' members on a scratch site. Thumbnails: sizes in both
// orientations, the name rule, reuse, the three messages, paths that leave
// the site and pictures too large to decode. The download and photo lists:
// the item grammar, the two renderings, the width of a single picture, and
// thumbnails made beside their pictures. The file members: writing and
// reading back, the one folder level made on the way, sizes, existence, paths
// that leave the site, and the code page of the written bytes. The visit
// counter on a SQLite file: one row per new visitor of a session, the
// terminal filter, the session values, the stored texts, and the page's own
// statement left alone.
#include <gtest/gtest.h>
#include <vips/vips.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "database/database_test_util.h"
#include "platform/fso/file_system.h"
#include "platform/image/jpeg.h"
#include "zorvadel/runtime.h"

namespace zorvadel::test {
namespace {

using Pic = PagePictureMembers;

// A w × h picture of a gradient at `file`: PNG for ".png", else JPEG.
void MakePicture(const std::filesystem::path& file, int w, int h) {
  std::filesystem::create_directories(file.parent_path());
  std::filesystem::path written = file;
  written += file.extension() == ".png" ? ".png" : ".jpg";
  VipsImage* xy = nullptr;
  VipsImage* picture = nullptr;
  ASSERT_EQ(vips_xyz(&xy, w, h, nullptr), 0);
  ASSERT_EQ(vips_cast(xy, &picture, VIPS_FORMAT_UCHAR, nullptr), 0);
  ASSERT_EQ(vips_image_write_to_file(picture, written.c_str(), nullptr), 0);
  std::filesystem::rename(written, file);
  g_object_unref(picture);
  g_object_unref(xy);
}

std::array<int32_t, 2> SizeOf(const std::filesystem::path& file) {
  image::Jpeg jpeg;
  jpeg.Open(U16(file));
  return {jpeg.Width(), jpeg.Height()};
}

uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFF;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}
std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}
// A PNG whose header claims `w` × `h` pixels and that holds no pixel data.
void MakeClaimingPng(const std::filesystem::path& file, uint32_t w, uint32_t h) {
  const std::string ihdr = "IHDR" + Be32(w) + Be32(h) + std::string("\x08\x02\x00\x00\x00", 5);
  std::ofstream out(file, std::ios::binary);
  out << "\x89PNG\r\n\x1a\n" << Be32(13) << ihdr << Be32(Crc32(ihdr));
}

class Thumbnails : public ::testing::Test {
 protected:
  std::u16string Build(std::vector<Variant> args) {
    DbPage page(scratch_.path(), u"EnWAP", "/news/page.asp");
    return CStr(page.Call(u"BuildSmallPic", std::move(args)));
  }
  std::filesystem::path Disk(const std::string& site_path) const {
    return scratch_.path() / site_path;
  }
  ScratchFolder scratch_;
};

TEST_F(Thumbnails, SizesFitTheMaximums) {
  const struct {
    std::string picture;  // under news/
    int w, h;
    int16_t max_w, max_h;
    std::array<int32_t, 2> thumb;
  } kCases[] = {
      {"land.jpg", 800, 600, 120, 120, {120, 90}},   {"port.jpg", 600, 800, 120, 120, {90, 120}},
      {"land.png", 800, 600, 120, 120, {120, 90}},   {"small.jpg", 100, 50, 120, 120, {100, 50}},
      {"edge.jpg", 120, 300, 120, 120, {48, 120}},   {"thin.jpg", 1000, 333, 120, 120, {120, 40}},
      {"zero.jpg", 50, 40, 0, -5, {1, 1}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.picture);
    MakePicture(Disk("news/pics/" + c.picture), c.w, c.h);
    const std::u16string site = u"pics/" + codepage::FromUtf8(c.picture);
    const std::u16string thumb = Build({site, u"", c.max_w, c.max_h, Variant::Missing()});
    ASSERT_EQ(thumb, site.substr(0, site.size() - 4) + u"_small" + site.substr(site.size() - 4));
    EXPECT_EQ(SizeOf(Disk("news/" + codepage::ToUtf8(thumb))), c.thumb);
  }
}

TEST_F(Thumbnails, NamesAndFolders) {
  for (const char* file : {"pics/a.jpg", "a.jpg", "pics/photo", "pics/a.jpg.jpg", "cats/cat"}) {
    MakePicture(Disk(std::string("news/") + file), 200, 100);
  }
  std::filesystem::create_directories(Disk("news/thumbs"));
  const Variant m = Variant::Missing();
  const struct {
    std::vector<Variant> args;
    std::u16string result;
    std::string disk;  // where the thumbnail lands
  } kCases[] = {
      {{u"pics/a.jpg"}, u"pics/a_small.jpg", "news/pics/a_small.jpg"},
      {{u"a.jpg"}, u"/a_small.jpg", "a_small.jpg"},
      {{u"pics/a.jpg", u"thumbs"}, u"thumbs/a_small.jpg", "news/thumbs/a_small.jpg"},
      {{u"pics/photo"}, u"pics/photo_small", "news/pics/photo_small"},
      {{u"pics/a.jpg.jpg", m, m, m, u"_t"}, u"pics/a_t.jpg", "news/pics/a_t.jpg"},
      // Mended: a folder named like the file keeps its name.
      {{u"cats/cat"}, u"cats/cat_small", "news/cats/cat_small"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.disk);
    EXPECT_EQ(Build(c.args), c.result);
    EXPECT_TRUE(std::filesystem::is_regular_file(Disk(c.disk)));
  }
}

TEST_F(Thumbnails, AnExistingThumbnailIsReused) {
  MakePicture(Disk("news/pics/a.jpg"), 400, 300);
  MakePicture(Disk("news/pics/a_small.jpg"), 10, 10);
  const auto stamp = std::filesystem::last_write_time(Disk("news/pics/a_small.jpg"));
  EXPECT_EQ(Build({u"pics/a.jpg"}), u"pics/a_small.jpg");
  EXPECT_EQ(std::filesystem::last_write_time(Disk("news/pics/a_small.jpg")), stamp);
  // With no mark, the picture is its own thumbnail and stays untouched.
  const auto own = std::filesystem::last_write_time(Disk("news/pics/a.jpg"));
  EXPECT_EQ(Build({u"pics/a.jpg", u"", int16_t{120}, int16_t{120}, u""}), u"pics/a.jpg");
  EXPECT_EQ(std::filesystem::last_write_time(Disk("news/pics/a.jpg")), own);
}

TEST_F(Thumbnails, TheThreeMessages) {
  std::filesystem::create_directories(Disk("outside"));
  std::filesystem::create_directories(Disk("site/news/pics"));
  MakePicture(Disk("site/news/pics/a.jpg"), 300, 200);
  MakePicture(Disk("site/news/pics/gone_small.jpg"), 30, 20);
  MakePicture(Disk("outside/o.jpg"), 300, 200);
  std::ofstream(Disk("site/news/pics/bad.jpg")) << "no picture at all";
  MakeClaimingPng(Disk("site/news/pics/huge.png"), 20000, 20000);
  const std::u16string missing(Pic::kMissingPictureMessage), no_save(Pic::kCannotSaveMessage);
  const std::pair<std::vector<Variant>, std::u16string> kCases[] = {
      {{u"pics/gone.jpg"}, missing},  // its thumbnail exists: the picture must open still
      {{u"pics/bad.jpg"}, missing},
      {{u"pics/huge.png"}, missing},  // mended: refused before decoding
      {{u"../../outside/o.jpg"}, missing},
      {{u"pics/a.jpg", u"../../../outside/"}, no_save},  // mended: never saved
      {{u"pics/a.jpg", u"nofolder/"}, no_save},
  };
  for (const auto& [args, result] : kCases) {
    DbPage page(scratch_.path() / "site", u"XML", "/news/page.asp");
    EXPECT_EQ(CStr(page.Call(u"BuildSmallPic", args)), result) << codepage::ToUtf8(CStr(args[0]));
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Disk("outside")), {}), 1);

  DbPage page(scratch_.path() / "site", u"WAP", "/news/page.asp");
  EXPECT_EQ(page.Call(u"IsAspJpeg"), Variant(true));
  RegisterProgId(u"Persits.Jpeg", [] { return ObjectPtr(); });
  EXPECT_EQ(page.Call(u"IsAspJpeg"), Variant(false));
  EXPECT_EQ(CStr(page.Call(u"BuildSmallPic", {u"pics/a.jpg"})), Pic::kCannotCreateMessage);
  RegisterProgId(u"Persits.Jpeg", [] { return ObjectPtr(std::make_shared<image::Jpeg>()); });
}

// ---- The download and photo lists ------------------------------------------------

// The anchor that A makes for an empty title on a phone.
std::u16string Link(const std::u16string& url, const std::u16string& text) {
  return u"<a title=\"&#x786E;&#x5B9A;\" href=\"" + url + u"\">" + text + u"</a><br/>";
}
std::u16string Photo(const std::u16string& path, const std::u16string& src,
                     const std::u16string& tip, const std::u16string& att) {
  return u"<a title=\"" + path + u"\" href=\"" + path + u"\"><img src=\"" + src + u"\" alt=\"" +
         tip + u"\" " + att + u"/></a><br/>";
}

class Lists : public ::testing::Test {
 protected:
  Variant Call(const char16_t* cls, std::u16string_view member, std::vector<Variant> args) {
    DbPage page(scratch_.path(), cls, "/news/page.asp");
    return page.Call(member, std::move(args));
  }
  ScratchFolder scratch_;
};

TEST_F(Lists, DownloadList) {
  const std::u16string pre = u"../Soft/Uploadsoft/";
  const std::pair<std::u16string, Variant> kCases[] = {
      {u"", Variant()}, {u"no bar here", Variant()}, {u"$$$$$$", Variant()},
      {u"Game|g.jar", Variant(Link(pre + u"g.jar", u"Game"))},
      {u"A|a.zip$$$B|b.zip|ignored$$$",
       Variant(Link(pre + u"a.zip", u"A") + Link(pre + u"b.zip", u"B"))},
      {u"|$$$X|", Variant(Link(pre, u"") + Link(pre, u"X"))},
      // Mended: a secure address is a full address too, in any case.
      {u"S|https://x.org/s.zip$$$H|HTTP://y.org/h$$$F|ftp://z/f",
       Variant(Link(u"https://x.org/s.zip", u"S") + Link(u"HTTP://y.org/h", u"H") +
               Link(pre + u"ftp://z/f", u"F"))},
  };
  for (const auto& [list, result] : kCases) {
    for (const char16_t* cls : {u"WAP", u"XML"}) {
      EXPECT_EQ(Call(cls, u"PESoftDown", {list}), result) << codepage::ToUtf8(list + u" " + cls);
    }
  }
  EXPECT_EQ(Call(u"WAP", u"PESoftDown", {u"A|a", u"/files/"}), Variant(Link(u"/files/a", u"A")));
}

TEST_F(Lists, PhotoListWithoutThumbnails) {
  const std::u16string pre = u"../Photo/UploadPhotos/";
  const std::pair<std::vector<Variant>, Variant> kCases[] = {
      {{u""}, Variant()},
      {{u"One|a.jpg"}, Variant(Photo(pre + u"a.jpg", pre + u"a.jpg", u"One", u"Width='150'"))},
      {{u"One|a.jpg$$$Two|b/c.jpg|x"},
       Variant(Photo(pre + u"a.jpg", pre + u"a.jpg", u"One", u"Width='120'") +
               Photo(pre + u"b/c.jpg", pre + u"b/c.jpg", u"Two", u"Width='120'"))},
      {{u"One|a.jpg$$$", u"/p/", false, int16_t{64}},
       Variant(Photo(u"/p/a.jpg", u"/p/a.jpg", u"One", u"Width='64'"))},
  };
  for (const auto& [args, result] : kCases) {
    EXPECT_EQ(Call(u"EnXML", u"PEPhotoShow", args), result) << codepage::ToUtf8(CStr(args[0]));
  }
}

// Mended: each item's thumbnail lies beside its own picture, and a picture
// that gives no thumbnail is shown as it is.
TEST_F(Lists, PhotoListWithThumbnails) {
  for (const char* file : {"news/photos/x/cat.jpg", "news/photos/y/cat.jpg"}) {
    MakePicture(scratch_.path() / file, 300, 200);
  }
  const Variant result = Call(u"WAP", u"PEPhotoShow",
                              {u"X|x/cat.jpg$$$Y|y/cat.jpg$$$Z|z/none.jpg", u"photos/", true});
  EXPECT_EQ(result, Variant(Photo(u"photos/x/cat.jpg", u"photos/x/cat_small.jpg", u"X", u"") +
                            Photo(u"photos/y/cat.jpg", u"photos/y/cat_small.jpg", u"Y", u"") +
                            Photo(u"photos/z/none.jpg", u"photos/z/none.jpg", u"Z",
                                  u"Width='120'")));
  EXPECT_TRUE(std::filesystem::exists(scratch_.path() / "news/photos/x/cat_small.jpg"));
  EXPECT_TRUE(std::filesystem::exists(scratch_.path() / "news/photos/y/cat_small.jpg"));
}

// ---- The file members ------------------------------------------------------------

std::string Slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class FileMembers : public ::testing::Test {
 protected:
  std::unique_ptr<DbPage> Page(const char16_t* class_name = u"WAP") {
    return std::make_unique<DbPage>(scratch_.path(), class_name, "/news/page.asp");
  }
  std::filesystem::path Disk(const std::string& site_path) const {
    return scratch_.path() / site_path;
  }
  ScratchFolder scratch_;
};

TEST_F(FileMembers, WritesReadBackAndProbe) {
  std::filesystem::create_directories(Disk("news/old"));
  const Variant missing = Variant::Missing();
  const struct {
    std::vector<Variant> args;  // FsoWriteFile's arguments
    std::string disk;           // where the file lands ("" for nowhere)
    std::string bytes;
  } kCases[] = {
      {{missing, missing}, "news/Temp.htm", ""},
      {{u"a.htm", u"<p>hi</p>"}, "news/a.htm", "<p>hi</p>"},
      {{u"today/b.htm", u"x"}, "news/today/b.htm", "x"},          // one level made
      {{u"/top.htm", u"root"}, "top.htm", "root"},
      {{u"two/levels/c.htm", u"x"}, "", ""},                      // only one level is made
      {{u"old\\d.htm", u"back"}, "news/old/d.htm", "back"},       // "\" folder exists: written
      {{u"new\\e.htm", u"x"}, "", ""},                            // and is never made
      {{u"中文.htm", u"汉字"}, "news/中文.htm", "\xBA\xBA\xD7\xD6"},  // code page 936
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.disk);
    auto page = Page();
    page->Call(u"FsoWriteFile", c.args);
    if (c.disk.empty()) continue;
    EXPECT_EQ(Slurp(Disk(c.disk)), c.bytes);
    const std::u16string site = c.args[0].IsMissing() ? u"Temp.htm" : CStr(c.args[0]);
    EXPECT_EQ(page->Call(u"IsFileExist", {site}), Variant(true));
    EXPECT_EQ(page->Call(u"GetFileSize", {site}), Variant(static_cast<int32_t>(c.bytes.size())));
  }
  EXPECT_FALSE(std::filesystem::exists(Disk("news/two")));
  EXPECT_FALSE(std::filesystem::exists(Disk("news/new")));
}

TEST_F(FileMembers, ASecondWriteReplacesAndLeavesNoTemporaryFile) {
  std::filesystem::create_directories(Disk("news"));
  auto page = Page(u"XML");
  page->Call(u"FsoWriteFile", {u"r.htm", u"first and longer"});
  page->Call(u"FsoWriteFile", {u"r.htm", u"second"});
  EXPECT_EQ(Slurp(Disk("news/r.htm")), "second");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Disk("news")), {}), 1);
}

// Mended: a character that code page 936 lacks is kept in its GB18030 form.
TEST_F(FileMembers, CharactersBeyondCodePage936StayReadable) {
  EXPECT_EQ(fso::TextFileBytes(u"a\u20AC"), "a\x80");  // the one-byte euro of 936
  EXPECT_EQ(fso::TextFileBytes(u"\U0001F600"), "\x94\x39\xFC\x36");
  EXPECT_EQ(fso::TextFileBytes(u"\u00E9"), "\xA8\xA6");
  EXPECT_EQ(fso::TextFileBytes(u"\u0E01"), "\x81\x32\xCE\x39");  // Thai: four bytes
}

TEST_F(FileMembers, ProbesOfWhatIsNotAFile) {
  std::filesystem::create_directories(Disk("news/dir"));
  std::ofstream(Disk("news/empty.txt")).close();
  const std::pair<std::u16string, bool> kCases[] = {
      {u"never.htm", false}, {u"dir", false}, {u"empty.txt", true}, {u"", false},
      {u"../../etc/passwd", false}};
  auto page = Page(u"EnWAP");
  for (const auto& [path, exists] : kCases) {
    EXPECT_EQ(page->Call(u"IsFileExist", {path}), Variant(exists)) << codepage::ToUtf8(path);
    EXPECT_EQ(page->Call(u"GetFileSize", {path}), Variant(int32_t{0})) << codepage::ToUtf8(path);
  }
}

// Mended: a path that leaves the site ends the member; nothing is written
// outside the root, nor in the page's folder as a fallback.
TEST_F(FileMembers, TraversalIsRefused) {
  std::filesystem::create_directories(Disk("site/news"));
  DbPage page(scratch_.path() / "site", u"WAP", "/news/page.asp");
  for (const char16_t* name : {u"../../outside.htm", u"/../outside.htm", u"../../x/outside.htm",
                               u"..\\..\\outside.htm"}) {
    page.Call(u"FsoWriteFile", {name, u"x"});
  }
  EXPECT_FALSE(std::filesystem::exists(Disk("outside.htm")));
  EXPECT_FALSE(std::filesystem::exists(Disk("x")));
  EXPECT_TRUE(std::filesystem::is_empty(Disk("site/news")));
}

// ---- The visit counter -----------------------------------------------------------

constexpr char kDesktop[] = "Mozilla/5.0 (Windows NT 10.0; Win64; x64) Chrome/120.0";
constexpr char kPhone[] = "Nokia6600/1.0 (4.09.1) SymbianOS/7.0s Series60/2.0";

class VisitCounter : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDatabase(scratch_.path() / "visits.db",
                 {u"CREATE TABLE VisitCount (Id INTEGER PRIMARY KEY, PhoneNumber TEXT, PhoneIp TEXT, "
                  u"PhoneUserAgent TEXT, PhoneAccept TEXT, VisitFile TEXT)",
                  u"CREATE TABLE Log (x INTEGER)"});
  }
  // One page of `session`, from `user_agent` at `address`.
  struct VisitPage {
    VisitPage(const engine::RequestFacts& facts, const std::filesystem::path& root,
              std::shared_ptr<Session> session)
        : page(facts, root, std::move(session), std::make_shared<engine::MemoryApplication>()) {
      object = page.context().GetServer()->CreateObject(u"Zorvadel.WAP");
      state().MdbPath = u"/visits.db";
    }
    ~VisitPage() { page.EndPage(); }
    PageState& state() { return std::dynamic_pointer_cast<PageObject>(object)->state(); }
    void Call(std::u16string_view member, std::vector<Variant> args) {
      Invoke(*object, member, std::move(args));
    }
    engine::MemoryPage page;
    ObjectPtr object;
  };
  std::unique_ptr<VisitPage> Page(const std::shared_ptr<Session>& session, const char* user_agent,
                                  const char* address = "192.0.2.7") {
    engine::RequestFacts facts = DbPage::Facts("/news/index.asp?phonenumber=138");
    facts.headers = {{"User-Agent", user_agent}, {"Accept", "text/vnd.wap.wml"}};
    facts.remote_addr = address;
    return std::make_unique<VisitPage>(facts, scratch_.path(), session);
  }
  int32_t Count(const std::u16string& table = u"VisitCount") {
    auto connection = Connect(AccessString(scratch_.path() / "visits.db"));
    return OpenRecordset(connection, u"SELECT * FROM " + table, 1)->RecordCount();
  }
  static std::shared_ptr<Session> NewSession() {
    return std::make_shared<engine::MemorySession>();
  }
  ScratchFolder scratch_;
};

// Mended: the page's StrSql is not run by the counter.
TEST_F(VisitCounter, OneRowPerNewVisitorOfASession) {
  auto session = NewSession();
  auto first = Page(session, kPhone);
  first->state().StrSql = u"INSERT INTO Log VALUES (1)";
  first->Call(u"VisitCount", {});
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(Count(u"Log"), 0);
  EXPECT_EQ(session->Timeout(), 30);
  Page(session, kPhone)->Call(u"VisitCount", {});
  EXPECT_EQ(Count(), 1);  // returning visitor
  Page(session, kPhone, "192.0.2.8")->Call(u"VisitCount", {});
  EXPECT_EQ(Count(), 2);  // a new address is a new visitor
  EXPECT_EQ(CStr(session->Value(u"CurrentPhoneIp")), u"192.0.2.8");
}

TEST_F(VisitCounter, TheTerminalFilter) {
  const std::tuple<const char*, std::u16string, int32_t> kCases[] = {
      {kDesktop, u"All", 1},  {kPhone, u"ALL", 1},  {kDesktop, u"notie", 0},
      {kPhone, u"NotIE", 1},  {kDesktop, u"WEB", 1}, {kPhone, u"web", 0},
      {kDesktop, u"wap", 0},  {kPhone, u"", 0},      {kPhone, u"phones", 0},
  };
  int32_t total = 0;
  for (const auto& [user_agent, which, rows] : kCases) {
    SCOPED_TRACE(std::string(user_agent) + " " + codepage::ToUtf8(which));
    auto session = NewSession();
    Page(session, user_agent)->Call(u"VisitCount", {which});
    EXPECT_EQ(Count(), total += rows);
    // Filtered or not, the address is stored: the same session is not counted later.
    Page(session, user_agent)->Call(u"VisitCount", {u"All"});
    EXPECT_EQ(Count(), total);
  }
}

// Both kinds store the texts as they came; the server kind binds its values
// through the driver manager.
TEST_F(VisitCounter, StoredTextsAndSessionSettings) {
  const std::u16string agent = u"Nokia'6600 \"quoted\"";
  for (const char16_t* kind : {u"MDB", u"Sql"}) {
    auto session = NewSession();
    auto page = Page(session, codepage::ToUtf8(agent).c_str());
    page->state().SessionTimeOut = 45;
    page->state().VisitFile = u"/a'b.asp";
    page->state().SqlStrConn =
        u"Driver={SQL server};Database=" + U16(scratch_.path() / "visits.db") + u";NoCreat=1";
    page->Call(u"VisitCount", {u"all", kind});
    EXPECT_EQ(session->Timeout(), 45);
    EXPECT_EQ(page->state().Conn, nullptr);
    EXPECT_EQ(page->state().Rs, nullptr);
  }
  auto rs = OpenRecordset(Connect(AccessString(scratch_.path() / "visits.db")),
                          u"SELECT PhoneNumber, PhoneIp, PhoneUserAgent, PhoneAccept, VisitFile "
                          u"FROM VisitCount", 1);
  ASSERT_EQ(rs->RecordCount(), 2);
  const std::u16string want[] = {u"138", u"192.0.2.7", agent, u"text/vnd.wap.wml", u"/a'b.asp"};
  for (int row = 0; row < 2; ++row, rs->MoveNext()) {
    EXPECT_EQ(CStr(rs->FieldValue(0)).substr(0, 3), want[0]);
    for (int i = 1; i < 5; ++i) EXPECT_EQ(CStr(rs->FieldValue(i)), want[i]) << row << " " << i;
  }
}

// No address, an unknown database kind, a dead database: no row, nothing reported.
TEST_F(VisitCounter, NoRowWithoutAnAddressOrAKnownDatabase) {
  auto blank = Page(NewSession(), kPhone);
  blank->state().PhoneIP = u"";
  blank->Call(u"VisitCount", {});
  auto session = NewSession();
  Page(session, kPhone)->Call(u"VisitCount", {u"All", u"mysql"});
  EXPECT_EQ(CStr(session->Value(u"CurrentPhoneIp")), u"192.0.2.7");
  auto missing = Page(NewSession(), kPhone);
  missing->state().MdbPath = u"/none.db";
  missing->Call(u"VisitCount", {});
  EXPECT_EQ(missing->state().Conn, nullptr);
  EXPECT_EQ(Count(), 0);
}

}  // namespace
}  // namespace zorvadel::test
