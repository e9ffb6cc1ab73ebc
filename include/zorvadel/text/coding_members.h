// Member groups of Common and of the page classes: URL encoding in both
// dialects, number-base conversions and MD5 digests.
// Common takes in CommonCodingMembers and CommonMd5Members, the page
// classes PageCodingMembers; each group's member table is merged into its
// classes' interfaces.
//
// URL dialects: the UTF-8 one (GoogleUrlEncode/GoogleUrlDecode, Mode 0) and
// the GB2312 one (BaiduUrlEncode/BaiduUrlDecode, Mode 1, the default).
// Digests are RFC 1321 MD5 of the text's code page 936 bytes (one byte per
// ASCII character, two per double-byte character) or of a file's bytes.
//
// Which class has which member by name:
//
//   UrlEncode, UrlDecode, C2To16,   Common, XML, EnXML, WAP, EnWAP (the page
//   C2To10, C16To2, C10To2          classes forward to CC)
//   GoogleUrlEncode/-Decode,        Common
//   BaiduUrlEncode/-Decode
//   UniCodeToGb                     XML, EnXML, WAP, EnWAP
//   DEC_to_BIN and the other base   XML, EnXML
//   conversions between names
//   Md5                             every page class
//   MD5Init ... RegisterD           Common (CommonMd5Members)
#ifndef ZORVADEL_CODING_MEMBERS_H_
#define ZORVADEL_CODING_MEMBERS_H_

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "zorvadel/dispatch.h"
#include "zorvadel/member_group.h"
#include "zorvadel/variant.h"

namespace zorvadel {

namespace text {
struct Md5State;
}  // namespace text

template <typename Core>
class CodingMembers : public MemberGroup<CodingMembers<Core>, Core> {
 public:
  // ---- URL coding (never raise; on a page "" when the call fails) ----
  // Mode 0: the UTF-8 dialect, 1: the GB2312 dialect; any other Mode gives "".
  std::u16string UrlEncode(const std::u16string& ToDoString, int16_t Mode = 1);
  std::u16string UrlDecode(const std::u16string& ToDoString, int16_t Mode = 1);
  std::u16string GoogleUrlEncode(const std::u16string& ToDoString);
  std::u16string GoogleUrlDecode(const std::u16string& ToDoString);
  std::u16string BaiduUrlEncode(const std::u16string& DataStr);
  std::u16string BaiduUrlDecode(const std::u16string& Encodestr);
  // The pages' name for GoogleUrlDecode. (Page-only members are constrained
  // on Core itself: clang before 16 matches no out-of-line definition whose
  // constraint names the class.)
  std::u16string UniCodeToGb(const std::u16string& ToDoString)
    requires std::is_same_v<Core, PageCore>;

  // ---- Number bases (never raise; an argument that cannot be read gives
  // Empty) ----
  // Binary digits in groups of four from the left, each as one hex digit.
  Variant C2To16(const Variant& ToDoString);
  // Binary digits to a number (Double); "0" and "" give the Integer 0.
  Variant C2To10(const Variant& ToDoString);
  // Hex digits (either case, blanks around trimmed) to four binary digits each.
  Variant C16To2(const Variant& ToDoString);
  // A number (or numeric text) to binary digits, "-" for a negative one.
  Variant C10To2(const Variant& ToDoString);

  // ---- The pages' own base conversions ----
  // Errors reach the caller (6 when a value exceeds 2,147,483,647). Results
  // strip leading zeros; zero and negative numbers give "".
  std::u16string DEC_to_BIN(int32_t Dec) const;
  int32_t BIN_to_DEC(const std::u16string& Bin) const;
  std::u16string HEX_to_BIN(const std::u16string& Hex) const;
  std::u16string BIN_to_HEX(const std::u16string& Bin) const;
  int32_t HEX_to_DEC(const std::u16string& Hex) const;
  std::u16string DEC_to_HEX(int32_t Dec) const;
  std::u16string DEC_to_OCT(int32_t Dec) const;
  int32_t OCT_to_DEC(const std::u16string& Oct) const;
  std::u16string BIN_to_OCT(const std::u16string& Bin) const;
  std::u16string OCT_to_BIN(const std::u16string& Oct) const;
  std::u16string OCT_to_HEX(const std::u16string& Oct) const;
  std::u16string HEX_to_OCT(const std::u16string& Hex) const;

  // The digest of ToDoString trimmed of blanks: 32 hex digits, or with
  // ByteType 16 the 9th to 24th; upper case unless CaseStyle is 0. XML and
  // PHPXML digest on CC, the others on a Common of their own for the call.
  // Any failure gives "".
  Variant Md5(const std::u16string& ToDoString = u"admin", int16_t ByteType = 32,
              int16_t CaseStyle = 1)
    requires std::is_same_v<Core, PageCore>;

  static std::vector<MemberInfo> MemberTable(const TableHost& host);
};

ZORVADEL_SHARED_GROUP(CodingMembers, Coding);

// Common's MD5 engine: a digest state that lives as long as the object, so
// that a script can feed it in parts and read the registers afterwards.
// Every failure raises.
class CommonMd5Members : public MemberGroup<CommonMd5Members, Common> {
 public:
  void MD5Init();
  // Adds the first InputLen bytes of InputBuffer. InputLen below 0 raises 5,
  // above the buffer's size 9, both before the state changes.
  void MD5Update(int32_t InputLen, const std::vector<uint8_t>& InputBuffer);
  // Pads and appends the 64-bit bit count; does not reset the state.
  void MD5Final();
  // The four words as 32 upper-case hex digits (the digest after MD5Final).
  std::u16string GetValues() const;
  // Digest of the text's code page 936 bytes; a character without a code
  // page 936 form raises 5 (after MD5Init has reset the state).
  std::u16string DigestStrToHexStr(const std::u16string& SourceString);
  // Digest of the file's bytes. A relative name is taken from the site root
  // when the object has a page context (one that leaves the site raises 5),
  // else from the working folder. A file that cannot be opened raises 53 or
  // 70, anything but a regular file (a folder, a device, a FIFO) 75, before
  // the state is touched; a read error 57.
  std::u16string DigestFileToHexStr(const std::u16string& FileName);
  // The chaining words as signed 32-bit decimal texts ("0" before MD5Init).
  std::u16string RegisterA() const;
  std::u16string RegisterB() const;
  std::u16string RegisterC() const;
  std::u16string RegisterD() const;
  // bits = bits mod 32 (sign of bits); when that is 1 or more, value is
  // rotated left by it. Returns value; both arguments are updated.
  int32_t LongLeftRotate(int32_t& value, int32_t& bits) const;

  static std::vector<MemberInfo> MemberTable();

 protected:
  CommonMd5Members();
  ~CommonMd5Members();

 private:
  std::u16string RegisterText(int word) const;

  std::unique_ptr<text::Md5State> md5_state_;
};

}  // namespace zorvadel

#endif  // ZORVADEL_CODING_MEMBERS_H_
