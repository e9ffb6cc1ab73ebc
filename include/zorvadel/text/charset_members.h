// Member group of Common and of the page classes: character references,
// code pages and character forms (numeric references back to characters,
// simplified/traditional and full-width/half-width conversion, GB2312
// zone/position codes).
//
// Which page class has which member (by name and in C++ alike; a C++ call of
// a member the class lacks runs the same code as the classes that have it):
//
//   UtfToGb                 XML EnXML WAP EnWAP   forward to CC
//   JToF, FToJ              XML EnXML WAP EnWAP   forward to CC
//                           PHPXML                own mapping, then Uni
//   Uni                     PHPXML
//   StrToWide, StrToNarrow  XML EnXML WAP EnWAP
//   QWMEnCode, QWMDeCode    XML EnXML             forward to CC
//
// No member raises: a failure gives "".
#ifndef ZORVADEL_CHARSET_MEMBERS_H_
#define ZORVADEL_CHARSET_MEMBERS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

template <typename Core>
class CharsetMembers : public MemberGroup<CharsetMembers<Core>, Core> {
 public:
  // "&#x" + hexadecimal digits + ";" turned back into characters; other text
  // (also "&#X", decimal references and named entities) is kept.
  std::u16string UtfToGb(const std::u16string& to_do_string);
  // Simplified to traditional characters and back, through the code page
  // 936 form: characters without one come back as "?", U+0000 ends the text.
  // PHPXML maps by itself (its CC is not involved) and hands back Uni of
  // the result, since its output filter expects references.
  std::u16string JToF(const std::u16string& to_do_string);
  std::u16string FToJ(const std::u16string& to_do_string);
  // GB2312 zone/position codes: "中:5448," per character; and back. By
  // name: SplitMark defaults to ",", and QWMDeCode's ToDoString to 1614.
  std::u16string QWMEnCode(const std::u16string& to_do_string,
                           const std::u16string& split_mark = u",");
  std::u16string QWMDeCode(int16_t to_do_string = 1614);
  // Ampersands that open no kept entity become "&amp;", and every unit
  // outside 32-255 becomes "&#xHEX;" (U+0000 is dropped).
  std::u16string Uni(const std::u16string& to_do_string);
  // U+0021-U+007E <-> U+FF01-U+FF5E, blank <-> U+3000.
  std::u16string StrToWide(const std::u16string& to_do_string);
  std::u16string StrToNarrow(const std::u16string& to_do_string);

  static std::vector<MemberInfo> MemberTable(const TableHost& host);
};

ZORVADEL_SHARED_GROUP(CharsetMembers, Charset);

}  // namespace zorvadel

#endif  // ZORVADEL_CHARSET_MEMBERS_H_
