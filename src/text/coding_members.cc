// The URL, number-base and digest members of Common and the page classes,
// Common's MD5 engine, and the member tables of both groups.
#include "zorvadel/text/coding_members.h"

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "component/group_calls.h"
#include "platform/codepage/codepage.h"
#include "platform/fso/read_file.h"
#include "text/md5.h"
#include "text/number_base.h"
#include "text/url_coding.h"
#include "zorvadel/member_table.h"
#include "zorvadel/page_core.h"
#include "zorvadel/runtime.h"

namespace zorvadel {
namespace {

constexpr int16_t kUtf8Dialect = 0;
constexpr int16_t kGbDialect = 1;

// Files are digested in blocks this large: few reads, a bounded buffer.
constexpr size_t kFileBlockSize = size_t{1} << 20;

// The bytes a digest of text covers: each character's code page 936 code,
// one byte or two. A character that has none cannot be digested faithfully,
// and digesting a stand-in would make different texts collide.
std::string DigestBytes(const std::u16string& text) {
  for (char16_t c : text) {
    if (!codepage::HasGbk(c)) throw ScriptError(kErrInvalidArgument);
  }
  return codepage::ToGbk(text);
}

// The converters read their argument as text (or a number) and leave the
// result Empty when even that fails.
template <typename F>
Variant ConvertSuppressed(F&& convert) {
  Variant result;
  Step([&] { result = convert(); });
  return result;
}

}  // namespace

// ---- URL coding -------------------------------------------------------------------

template <typename Core>
std::u16string CodingMembers<Core>::UrlEncode(const std::u16string& ToDoString, int16_t Mode) {
  return this->Shared([&](Common&) {
    if (Mode == kUtf8Dialect) return text::GoogleUrlEncode(ToDoString);
    if (Mode == kGbDialect) return text::BaiduUrlEncode(ToDoString);
    return std::u16string();
  });
}

template <typename Core>
std::u16string CodingMembers<Core>::UrlDecode(const std::u16string& ToDoString, int16_t Mode) {
  return this->Shared([&](Common&) {
    if (Mode == kUtf8Dialect) return text::GoogleUrlDecode(ToDoString);
    if (Mode == kGbDialect) return text::BaiduUrlDecode(ToDoString);
    return std::u16string();
  });
}

template <typename Core>
std::u16string CodingMembers<Core>::GoogleUrlEncode(const std::u16string& ToDoString) {
  return this->Shared([&](Common&) { return text::GoogleUrlEncode(ToDoString); });
}

template <typename Core>
std::u16string CodingMembers<Core>::GoogleUrlDecode(const std::u16string& ToDoString) {
  return this->Shared([&](Common&) { return text::GoogleUrlDecode(ToDoString); });
}

template <typename Core>
std::u16string CodingMembers<Core>::BaiduUrlEncode(const std::u16string& DataStr) {
  return this->Shared([&](Common&) { return text::BaiduUrlEncode(DataStr); });
}

template <typename Core>
std::u16string CodingMembers<Core>::BaiduUrlDecode(const std::u16string& Encodestr) {
  return this->Shared([&](Common&) { return text::BaiduUrlDecode(Encodestr); });
}

template <typename Core>
std::u16string CodingMembers<Core>::UniCodeToGb(const std::u16string& ToDoString)
  requires std::is_same_v<Core, PageCore>
{
  return GoogleUrlDecode(ToDoString);
}

// ---- Number bases through Common ----------------------------------------------------

template <typename Core>
Variant CodingMembers<Core>::C2To16(const Variant& ToDoString) {
  return this->Shared([&](Common&) {
    return ConvertSuppressed([&] { return Variant(text::BinaryGroupsToHex(CStr(ToDoString))); });
  });
}

template <typename Core>
Variant CodingMembers<Core>::C2To10(const Variant& ToDoString) {
  return this->Shared([&](Common&) {
    return ConvertSuppressed([&] {
      const std::u16string digits = CStr(ToDoString);
      if (digits.empty() || digits == u"0") return Variant(int16_t{0});
      return Variant(text::BinaryToNumber(digits));
    });
  });
}

template <typename Core>
Variant CodingMembers<Core>::C16To2(const Variant& ToDoString) {
  return this->Shared([&](Common&) {
    return ConvertSuppressed([&] { return Variant(text::HexToBinaryGroups(CStr(ToDoString))); });
  });
}

template <typename Core>
Variant CodingMembers<Core>::C10To2(const Variant& ToDoString) {
  return this->Shared([&](Common&) {
    return ConvertSuppressed([&] { return Variant(text::NumberToBinary(CDbl(ToDoString))); });
  });
}

// ---- The pages' own base conversions ------------------------------------------------

template <typename Core>
std::u16string CodingMembers<Core>::DEC_to_BIN(int32_t Dec) const {
  return text::IntegerToDigits(Dec, 2);
}

template <typename Core>
std::u16string CodingMembers<Core>::DEC_to_OCT(int32_t Dec) const {
  return text::IntegerToDigits(Dec, 8);
}

template <typename Core>
std::u16string CodingMembers<Core>::DEC_to_HEX(int32_t Dec) const {
  return text::IntegerToDigits(Dec, 16);
}

template <typename Core>
int32_t CodingMembers<Core>::BIN_to_DEC(const std::u16string& Bin) const {
  return text::BinaryToInteger(Bin);
}

template <typename Core>
int32_t CodingMembers<Core>::HEX_to_DEC(const std::u16string& Hex) const {
  return text::DigitsToInteger(Hex, 16);
}

template <typename Core>
int32_t CodingMembers<Core>::OCT_to_DEC(const std::u16string& Oct) const {
  return text::DigitsToInteger(Oct, 8);
}

template <typename Core>
std::u16string CodingMembers<Core>::HEX_to_BIN(const std::u16string& Hex) const {
  return text::DigitsToBinary(Hex, 16);
}

template <typename Core>
std::u16string CodingMembers<Core>::OCT_to_BIN(const std::u16string& Oct) const {
  return text::DigitsToBinary(Oct, 8);
}

template <typename Core>
std::u16string CodingMembers<Core>::BIN_to_HEX(const std::u16string& Bin) const {
  return text::BinaryToDigits(Bin, 16);
}

template <typename Core>
std::u16string CodingMembers<Core>::BIN_to_OCT(const std::u16string& Bin) const {
  return text::BinaryToDigits(Bin, 8);
}

template <typename Core>
std::u16string CodingMembers<Core>::OCT_to_HEX(const std::u16string& Oct) const {
  return BIN_to_HEX(OCT_to_BIN(Oct));
}

template <typename Core>
std::u16string CodingMembers<Core>::HEX_to_OCT(const std::u16string& Hex) const {
  return BIN_to_OCT(HEX_to_BIN(Hex));
}

// ---- The pages' digest ----------------------------------------------------------------

namespace {

// XML and PHPXML keep their digests on CC, where a script can read the
// registers afterwards; the other classes digest on a Common of their own.
bool DigestsOnCC(const PageCore& page) {
  return page.family() == Family::kP ||
         (page.family() == Family::kX && page.language() == PageLanguage::kChinese);
}

}  // namespace

template <typename Core>
Variant CodingMembers<Core>::Md5(const std::u16string& ToDoString, int16_t ByteType,
                                 int16_t CaseStyle)
  requires std::is_same_v<Core, PageCore>
{
  std::u16string digest;
  // Only ever true here; but clang before 16 compiles the body for Common as
  // well when the class is instantiated, constraint or not.
  if constexpr (std::is_same_v<Core, PageCore>) {
    PageCore& page = this->self();
    Step([&] {
      std::shared_ptr<Common> own;
      Common& common = DigestsOnCC(page) ? page.UseCC() : *(own = calls::NewCommon());
      digest = calls::DigestStrToHexStr(common, Trim(ToDoString));
    });
  }
  Step([&] {
    if (ByteType == 16) digest = Mid(digest, 9, 16);
  });
  Step([&] { digest = CaseStyle != 0 ? UCase(digest) : LCase(digest); });
  return Variant(std::move(digest));
}

// ---- Table of the shared group --------------------------------------------------------

template <typename Core>
std::vector<MemberInfo> CodingMembers<Core>::MemberTable(const TableHost& host) {
  using G = CodingMembers;
  using H = TableHost;
  const ParamSpec kText = Req(u"ToDoString");
  const ParamSpec kMode = Opt(u"Mode", int16_t{1});
  ClassBuilder<G> b(u"");
  if (host.In(H::kCommon | H::kXW)) {
    b.template Method<&G::UrlEncode>(u"UrlEncode", {kText, kMode})
        .template Method<&G::UrlDecode>(u"UrlDecode", {kText, kMode});
  }
  if (host.In(H::kCommon)) {
    b.template Method<&G::GoogleUrlEncode>(u"GoogleUrlEncode", {kText})
        .template Method<&G::GoogleUrlDecode>(u"GoogleUrlDecode", {kText})
        .template Method<&G::BaiduUrlEncode>(u"BaiduUrlEncode", {Req(u"DataStr")})
        .template Method<&G::BaiduUrlDecode>(u"BaiduUrlDecode", {Req(u"Encodestr")});
  }
  if constexpr (G::kOnPage) {
    if (host.In(H::kXW)) b.template Method<&G::UniCodeToGb>(u"UniCodeToGb", {kText});
  }
  if (host.In(H::kCommon | H::kXW)) {
    b.template Method<&G::C2To16>(u"C2To16", {kText})
        .template Method<&G::C2To10>(u"C2To10", {kText})
        .template Method<&G::C16To2>(u"C16To2", {kText})
        .template Method<&G::C10To2>(u"C10To2", {kText});
  }
  if constexpr (G::kOnPage) {
    if (host.In(H::kX)) {
      b.template Method<&G::DEC_to_BIN>(u"DEC_to_BIN", {Req(u"Dec")})
          .template Method<&G::BIN_to_DEC>(u"BIN_to_DEC", {Req(u"Bin")})
          .template Method<&G::HEX_to_BIN>(u"HEX_to_BIN", {Req(u"Hex")})
          .template Method<&G::BIN_to_HEX>(u"BIN_to_HEX", {Req(u"Bin")})
          .template Method<&G::HEX_to_DEC>(u"HEX_to_DEC", {Req(u"Hex")})
          .template Method<&G::DEC_to_HEX>(u"DEC_to_HEX", {Req(u"Dec")})
          .template Method<&G::DEC_to_OCT>(u"DEC_to_OCT", {Req(u"Dec")})
          .template Method<&G::OCT_to_DEC>(u"OCT_to_DEC", {Req(u"Oct")})
          .template Method<&G::BIN_to_OCT>(u"BIN_to_OCT", {Req(u"Bin")})
          .template Method<&G::OCT_to_BIN>(u"OCT_to_BIN", {Req(u"Oct")})
          .template Method<&G::OCT_to_HEX>(u"OCT_to_HEX", {Req(u"Oct")})
          .template Method<&G::HEX_to_OCT>(u"HEX_to_OCT", {Req(u"Hex")});
    }
    b.template Method<&G::Md5>(u"Md5", {Opt(u"ToDoString", u"admin"),
                                        Opt(u"ByteType", int16_t{32}),
                                        Opt(u"CaseStyle", int16_t{1})});
  }
  return b.BuildMembers();
}

template class CodingMembers<Common>;
template class CodingMembers<PageCore>;

// ---- Common's MD5 engine ----------------------------------------------------------------

CommonMd5Members::CommonMd5Members() : md5_state_(std::make_unique<text::Md5State>()) {}
CommonMd5Members::~CommonMd5Members() = default;

void CommonMd5Members::MD5Init() { text::Md5Init(*md5_state_); }

void CommonMd5Members::MD5Update(int32_t InputLen, const std::vector<uint8_t>& InputBuffer) {
  if (InputLen < 0) throw ScriptError(kErrInvalidArgument);
  if (static_cast<size_t>(InputLen) > InputBuffer.size()) throw ScriptError(kErrSubscript);
  text::Md5Update(*md5_state_, InputBuffer.data(), static_cast<size_t>(InputLen));
}

void CommonMd5Members::MD5Final() { text::Md5Final(*md5_state_); }

std::u16string CommonMd5Members::GetValues() const { return text::Md5HexText(*md5_state_); }

std::u16string CommonMd5Members::DigestStrToHexStr(const std::u16string& SourceString) {
  MD5Init();
  const std::string bytes = DigestBytes(SourceString);
  text::Md5Update(*md5_state_, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  MD5Final();
  return GetValues();
}

std::u16string CommonMd5Members::DigestFileToHexStr(const std::u16string& FileName) {
  std::u16string path = FileName;
  // A server's working folder is nobody's business: in a page, a relative
  // name is one of the site's files, and the mapping keeps it inside.
  if (!path.empty() && path.front() != u'/') {
    if (Server* server = calls::PageServer(self())) path = server->MapPath(u"/" + path);
  }
  {
    fso::InputFile file(path);  // raises before the state is touched
    MD5Init();
    std::vector<uint8_t> block(kFileBlockSize);
    while (const size_t got = file.Read(block.data(), block.size())) {
      text::Md5Update(*md5_state_, block.data(), got);
    }
  }  // closed before the digest is completed
  MD5Final();
  return GetValues();
}

std::u16string CommonMd5Members::RegisterText(int word) const {
  return CStr(Variant(static_cast<int32_t>(md5_state_->words[word])));
}

std::u16string CommonMd5Members::RegisterA() const { return RegisterText(0); }
std::u16string CommonMd5Members::RegisterB() const { return RegisterText(1); }
std::u16string CommonMd5Members::RegisterC() const { return RegisterText(2); }
std::u16string CommonMd5Members::RegisterD() const { return RegisterText(3); }

int32_t CommonMd5Members::LongLeftRotate(int32_t& value, int32_t& bits) const {
  bits %= 32;
  if (bits >= 1) value = static_cast<int32_t>(std::rotl(static_cast<uint32_t>(value), bits));
  return value;
}

namespace {

// By name a script has no byte array to pass: the buffer comes as a String
// whose characters are the bytes (each 0 to 255; any other raises 13).
void UpdateByName(CommonMd5Members& md5, int32_t InputLen, const Variant& InputBuffer) {
  if (!InputBuffer.IsString()) throw ScriptError(kErrTypeMismatch);
  std::vector<uint8_t> bytes;
  bytes.reserve(InputBuffer.string().size());
  for (char16_t c : InputBuffer.string()) {
    if (c > 0xFF) throw ScriptError(kErrTypeMismatch);
    bytes.push_back(static_cast<uint8_t>(c));
  }
  md5.MD5Update(InputLen, bytes);
}

// By-reference arguments are never written back through a late-bound call.
int32_t RotateByName(CommonMd5Members& md5, int32_t value, int32_t bits) {
  return md5.LongLeftRotate(value, bits);
}

}  // namespace

std::vector<MemberInfo> CommonMd5Members::MemberTable() {
  using G = CommonMd5Members;
  return ClassBuilder<G>(u"")
      .Method<&G::DigestStrToHexStr>(u"DigestStrToHexStr", {Req(u"SourceString").ByRef()})
      .Method<&G::DigestFileToHexStr>(u"DigestFileToHexStr", {Req(u"FileName").ByRef()})
      .Method<&G::MD5Init>(u"MD5Init")
      .Method<&UpdateByName>(u"MD5Update",
                             {Req(u"InputLen").ByRef(), Req(u"InputBuffer").ByRef()})
      .Method<&G::MD5Final>(u"MD5Final")
      .Method<&G::GetValues>(u"GetValues")
      .Method<&RotateByName>(u"LongLeftRotate", {Req(u"value").ByRef(), Req(u"bits").ByRef()})
      .Getter<&G::RegisterA>(u"RegisterA")
      .Getter<&G::RegisterB>(u"RegisterB")
      .Getter<&G::RegisterC>(u"RegisterC")
      .Getter<&G::RegisterD>(u"RegisterD")
      .BuildMembers();
}

}  // namespace zorvadel
