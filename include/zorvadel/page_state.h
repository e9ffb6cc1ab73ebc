// The page state: every public property of the five page classes as one
// record of plain data. Members read it when they run and some write it; the
// script reaches it by name through the class's member table, where each
// family (XML/EnXML, WAP/EnWAP, PHPXML) lists the properties it has, in its
// own order. A field that a family lacks stays at its creation value and is
// out of the script's reach.
#ifndef ZORVADEL_PAGE_STATE_H_
#define ZORVADEL_PAGE_STATE_H_

#include <cstdint>
#include <memory>
#include <string>

#include "zorvadel/engine.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class Common;
class WAPXHTML;
class WAPWML;

namespace ado {
class Connection;
class Command;
class Recordset;
}  // namespace ado

// The three families of page classes; they share code and differ by data.
enum class Family : uint8_t {
  kX,  // XML, EnXML
  kW,  // WAP, EnWAP
  kP,  // PHPXML
};

// Fixed per class: selects the texts members write and some defaults.
enum class PageLanguage : uint8_t { kChinese, kEnglish };

// Field names are the property names scripts use. Creation values: "",
// 0, False, unset.
struct PageState {
  PageState() = default;
  PageState(const PageState&) = default;
  PageState(PageState&&) = default;
  PageState& operator=(const PageState&) = default;
  PageState& operator=(PageState&&) = default;
  // Leaves the buffers of its default texts to the next page start on this
  // thread (component/page_properties.cc).
  ~PageState();

  // Companion objects, created on first use.
  std::shared_ptr<Common> CC;
  std::shared_ptr<WAPWML> WW;
  std::shared_ptr<WAPXHTML> WX;

  // The page context, taken at page start.
  std::shared_ptr<zorvadel::Response> Response;
  std::shared_ptr<zorvadel::Request> Request;
  std::shared_ptr<zorvadel::Application> Application;
  std::shared_ptr<zorvadel::Server> Server;
  std::shared_ptr<zorvadel::Session> Session;
  std::shared_ptr<ado::Command> Command;

  // WML card and navigation images.
  bool IsShowImage = false;
  std::u16string CardTitle;
  std::u16string NextPage;
  std::u16string PrePage;
  std::u16string IndexImage;

  // Site texts, conversion and guard settings.
  std::u16string SiteTitle;
  std::u16string SiteWebUrl;
  std::u16string SiteWapUrl;
  std::u16string SiteLogo;
  std::u16string ChineseType;
  std::u16string KeyWord;
  std::u16string SQLInjData;

  // Data connection and recordset slots.
  std::shared_ptr<ado::Connection> Conn;
  std::shared_ptr<ado::Recordset> Rs;
  std::shared_ptr<ado::Recordset> Rs1;
  std::shared_ptr<ado::Recordset> Rs2;
  std::shared_ptr<ado::Recordset> Rs3;
  std::shared_ptr<ado::Recordset> Rs4;
  std::shared_ptr<ado::Recordset> Rs5;

  // Listing and paging.
  std::u16string RsInfoPlace;
  int32_t IPageSize = 0;
  int32_t IRecordsShown = 0;
  int32_t I = 0;
  int32_t IPageCurrent = 0;
  int32_t IPageCount = 0;
  int32_t RecordCount = 0;
  std::u16string StrSql;
  std::u16string RedirectPath;
  int16_t EveryPageSize = 0;
  std::u16string FieldShow;
  std::u16string FieldUrl;
  std::u16string FieldFooter;
  std::u16string FieldHeader;
  std::u16string FieldId;
  std::u16string GoFileName;
  bool DBIsShowImage = false;
  std::u16string DBListSymbol;
  bool DBListNumber = false;
  bool DBOrderNumber = false;
  std::u16string DbListSplitChar;
  int16_t DbCursorType = 0;
  int16_t DbLockType = 0;
  int16_t DbListTypeMode = 0;
  std::u16string DbListImgPath;
  std::u16string DblistPreString;
  std::u16string ErrorPagePath;

  // Database settings.
  std::u16string MdbPath;
  std::u16string SqlServerName;
  std::u16string SqlUserId;
  std::u16string SqlUserPwd;
  std::u16string SqlDBName;
  std::u16string SqlOtherConnInfo;
  std::u16string SqlStrConn;
  std::u16string MySqlDSN;
  std::u16string MySqlServerName;
  std::u16string MySqlUserId;
  std::u16string MySqlUserPwd;
  std::u16string MySqlDBName;
  std::u16string MySqlOtherConnInfo;
  std::u16string OracleServerName;
  std::u16string OracleUserId;
  std::u16string OracleUserPwd;
  std::u16string OracleDBName;
  std::u16string OracleOtherConnInfo;

  // Terminal and request facts.
  std::u16string Terminal;
  std::u16string PhoneAccept;
  std::u16string PhoneNumber;
  std::u16string PhoneUserAgent;
  std::u16string VisitFile;
  std::u16string PhoneIP;
  std::u16string ServerIP;
  std::u16string DisplayerInfo;
  std::u16string DisplayerUA;
  std::u16string ErrorMessage;
  int32_t ToDoId = 0;

  // Mail and site.
  ObjectPtr Mail;
  std::u16string MailServerUserName;
  std::u16string MailServerPassword;
  std::u16string MailSmtp;
  std::u16string MailResultFileName;
  std::u16string MailContent;
  std::u16string MailSiteName;
  std::u16string MailWapUrl;
  std::u16string MailWebUrl;
  std::u16string SiteName;
  std::u16string WapUrl;
  std::u16string WebUrl;

  // The page's own address.
  std::u16string ThisFileName;
  std::u16string ThisFileAllName;
  std::u16string FileName;
  std::u16string WapPath;
  std::u16string DiskPath;
  std::u16string WapHomePage;

  // Record parameters passed between list pages.
  std::u16string TransFirstFieldName;
  std::u16string TransSecondFieldName;
  std::u16string TransThirdFieldName;
  std::u16string DbToTransParameters;
  std::u16string WmlGoPage;

  // Forms, version and session.
  bool OnlyOne = false;
  std::u16string PostFileName;
  std::u16string Version;
  std::u16string About;
  int16_t SessionTimeOut = 0;

  // Long-text paging labels.
  std::u16string NextPageTitle;
  std::u16string PrePageTitle;
  std::u16string ResidualString;
  bool IsShowPinYin = false;

  // Output filter settings.
  std::u16string WapEnCoding;
  std::u16string TheStopWords;
  std::u16string ThePassWords;
  std::u16string DBListKeyWord;
  std::u16string FontKeyWords;
  std::u16string PreFontText;
  std::u16string LastFontText;
};

}  // namespace zorvadel

#endif  // ZORVADEL_PAGE_STATE_H_
