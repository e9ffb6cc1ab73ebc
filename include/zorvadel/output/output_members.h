// Member group of the page classes: the output filter, the response settings
// and the output primitives, the last stretch of the road from a member's
// text to Response.Write.
// The page classes take in PageOutputMembers; its member table is merged
// into their interfaces.
//
// Which page class has which member by name:
//
//   Ascii                          every page class (PHPXML names its
//                                  argument Content, the others ToDoString)
//   WriteOut, WriteRow             XML EnXML WAP EnWAP write; PHPXML returns
//                                  the text instead (WriteOutText and
//                                  WriteRowText in C++)
//   WriteLine, WriteTo             XML EnXML WAP EnWAP
//   TransWmlFile                   WAP EnWAP
//
// SetUtf8Response and PutWmlContentType are for the page headers only: they
// are C++ methods outside every member table, so no script reaches them.
#ifndef ZORVADEL_OUTPUT_MEMBERS_H_
#define ZORVADEL_OUTPUT_MEMBERS_H_

#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

class PageOutputMembers : public MemberGroup<PageOutputMembers, PageCore> {
 public:
  // The output filter; never raises. XML, EnXML, WAP, EnWAP: the
  // simplified/traditional conversion that ChineseType picks ("complex",
  // "simple"), every occurrence of each of TheStopWords replaced by
  // ThePassWords (in one pass from left to right, taking at each place the
  // first listed word that starts there), FontKeyWords wrapped in
  // PreFontText/LastFontText, and unless WapEnCoding is "gb2312" bare "&"
  // as "&amp;" and every unit outside 32-255 as "&#xHEX;" (U+0000
  // dropped; in XML and EnXML with IsShowPinYin, a Chinese character's
  // reference is followed by "(syllable )"). PHPXML: its own JToF for
  // "complex", else its own FToJ, both of which escape.
  std::u16string Ascii(const std::u16string& to_do_string);
  // Ascii(to_do_string) appended to `out` (which must not hold the text),
  // for a caller that writes the result into a larger text. C++ only.
  void AppendAscii(const std::u16string& to_do_string, std::u16string* out);

  // Response.Charset "utf-8", Session.CodePage 65001, Response.Expires 0;
  // each step on its own, a failing one skipped.
  void SetUtf8Response();
  // Content type "text/vnd.wap.wml" unless Displayer() answers "Web", then
  // SetUtf8Response. Never raises.
  void PutWmlContentType();
  // The same for a header that has just asked Displayer, `web` when it
  // answered "Web": the terminal is not asked twice.
  void PutWmlContentType(bool web);

  // One Response.Write each. WriteOut and WriteRow write Ascii(Content),
  // WriteRow then "<br/>"; WriteLine and WriteTo only convert as ChineseType
  // says, WriteTo then "<br/>". All but WriteOut of WAP and EnWAP swallow
  // their errors; that one raises, e.g. 91 without a page context. On a
  // PHPXML object they write nothing.
  void WriteOut(const std::u16string& content);
  void WriteRow(const std::u16string& content);
  void WriteLine(const std::u16string& content);
  void WriteTo(const std::u16string& content);
  // PHPXML's WriteOut and WriteRow: the text the writing classes would
  // write, returned; never raises.
  std::u16string WriteOutText(const std::u16string& content);
  std::u16string WriteRowText(const std::u16string& content);

  // A whole WML text between its forms: with `gb2312_to_utf8`, Ascii of it
  // with "&#x9;" removed, "&#xD;&#xA;" as CR LF and encoding="gb2312" as
  // encoding="utf-8"; without, UtfToGb of it with the XML prolog declaring
  // encoding="gb2312". Never raises. By name: Gb2312ToUtf8 defaults to
  // True.
  Variant TransWmlFile(const std::u16string& wml_code, bool gb2312_to_utf8 = true);

  static std::vector<MemberInfo> MemberTable(const PageClassTraits& traits);

 private:
  // Content as WriteLine and WriteTo write it.
  std::u16string Converted(const std::u16string& content);
};

}  // namespace zorvadel

#endif  // ZORVADEL_OUTPUT_MEMBERS_H_
