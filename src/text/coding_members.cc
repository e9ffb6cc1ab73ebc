// Common's URL, number-base and digest members, the page classes' forwarders
// and own converters, and the member tables of both groups.
#include "zorvadel/coding_members.h"

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/codepage/codepage.h"
#include "platform/fso/read_file.h"
#include "text/md5.h"
#include "text/number_base.h"
#include "text/url_coding.h"
#include "zorvadel/classes.h"
#include "zorvadel/member_table.h"
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

// Common's converters read their argument as text (or a number) and leave
// the result Empty when even that fails.
template <typename F>
Variant ConvertSuppressed(F&& convert) {
  Variant result;
  Step([&] { result = convert(); });
  return result;
}

}  // namespace

// ---- Common: URL coding ---------------------------------------------------------

std::u16string CommonCodingMembers::UrlEncode(const std::u16string& ToDoString, int16_t Mode) {
  if (Mode == kUtf8Dialect) return GoogleUrlEncode(ToDoString);
  if (Mode == kGbDialect) return BaiduUrlEncode(ToDoString);
  return std::u16string();
}

std::u16string CommonCodingMembers::UrlDecode(const std::u16string& ToDoString, int16_t Mode) {
  if (Mode == kUtf8Dialect) return GoogleUrlDecode(ToDoString);
  if (Mode == kGbDialect) return BaiduUrlDecode(ToDoString);
  return std::u16string();
}

std::u16string CommonCodingMembers::GoogleUrlEncode(const std::u16string& ToDoString) {
  return text::GoogleUrlEncode(ToDoString);
}

std::u16string CommonCodingMembers::GoogleUrlDecode(const std::u16string& ToDoString) {
  return text::GoogleUrlDecode(ToDoString);
}

std::u16string CommonCodingMembers::BaiduUrlEncode(const std::u16string& DataStr) {
  return text::BaiduUrlEncode(DataStr);
}

std::u16string CommonCodingMembers::BaiduUrlDecode(const std::u16string& Encodestr) {
  return text::BaiduUrlDecode(Encodestr);
}

// ---- Common: number bases ---------------------------------------------------------

Variant CommonCodingMembers::C2To16(const Variant& ToDoString) {
  return ConvertSuppressed([&] { return Variant(text::BinaryGroupsToHex(CStr(ToDoString))); });
}

Variant CommonCodingMembers::C2To10(const Variant& ToDoString) {
  return ConvertSuppressed([&] {
    const std::u16string digits = CStr(ToDoString);
    if (digits.empty() || digits == u"0") return Variant(int16_t{0});
    return Variant(text::BinaryToNumber(digits));
  });
}

Variant CommonCodingMembers::C16To2(const Variant& ToDoString) {
  return ConvertSuppressed([&] { return Variant(text::HexToBinaryGroups(CStr(ToDoString))); });
}

Variant CommonCodingMembers::C10To2(const Variant& ToDoString) {
  return ConvertSuppressed([&] { return Variant(text::NumberToBinary(CDbl(ToDoString))); });
}

// ---- Common: MD5 ------------------------------------------------------------------

CommonCodingMembers::CommonCodingMembers() : md5_state_(std::make_unique<text::Md5State>()) {}
CommonCodingMembers::~CommonCodingMembers() = default;

void CommonCodingMembers::MD5Init() { text::Md5Init(*md5_state_); }

void CommonCodingMembers::MD5Update(int32_t InputLen, const std::vector<uint8_t>& InputBuffer) {
  if (InputLen < 0) throw ScriptError(kErrInvalidArgument);
  if (static_cast<size_t>(InputLen) > InputBuffer.size()) throw ScriptError(kErrSubscript);
  text::Md5Update(*md5_state_, InputBuffer.data(), static_cast<size_t>(InputLen));
}

void CommonCodingMembers::MD5Final() { text::Md5Final(*md5_state_); }

std::u16string CommonCodingMembers::GetValues() { return text::Md5HexText(*md5_state_); }

std::u16string CommonCodingMembers::DigestStrToHexStr(const std::u16string& SourceString) {
  MD5Init();
  const std::string bytes = DigestBytes(SourceString);
  text::Md5Update(*md5_state_, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  MD5Final();
  return GetValues();
}

std::u16string CommonCodingMembers::DigestFileToHexStr(const std::u16string& FileName) {
  {
    fso::InputFile file(FileName);  // raises before the state is touched
    MD5Init();
    std::vector<uint8_t> block(kFileBlockSize);
    while (const size_t got = file.Read(block.data(), block.size())) {
      text::Md5Update(*md5_state_, block.data(), got);
    }
  }  // closed before the digest is completed
  MD5Final();
  return GetValues();
}

std::u16string CommonCodingMembers::RegisterText(int word) const {
  return CStr(Variant(static_cast<int32_t>(md5_state_->words[word])));
}

std::u16string CommonCodingMembers::RegisterA() const { return RegisterText(0); }
std::u16string CommonCodingMembers::RegisterB() const { return RegisterText(1); }
std::u16string CommonCodingMembers::RegisterC() const { return RegisterText(2); }
std::u16string CommonCodingMembers::RegisterD() const { return RegisterText(3); }

int32_t CommonCodingMembers::LongLeftRotate(int32_t& value, int32_t& bits) {
  bits %= 32;
  if (bits >= 1) value = static_cast<int32_t>(std::rotl(static_cast<uint32_t>(value), bits));
  return value;
}

Common& CommonCodingMembers::self() { return static_cast<Common&>(*this); }

// ---- Page classes --------------------------------------------------------------

PageObject& PageCodingMembers::self() { return static_cast<PageObject&>(*this); }

std::u16string PageCodingMembers::UrlEncode(const std::u16string& ToDoString, int16_t Mode) {
  return self().ForwardToCC([&](Common& cc) { return cc.UrlEncode(ToDoString, Mode); });
}

std::u16string PageCodingMembers::UrlDecode(const std::u16string& ToDoString, int16_t Mode) {
  return self().ForwardToCC([&](Common& cc) { return cc.UrlDecode(ToDoString, Mode); });
}

std::u16string PageCodingMembers::UniCodeToGb(const std::u16string& ToDoString) {
  return self().ForwardToCC([&](Common& cc) { return cc.GoogleUrlDecode(ToDoString); });
}

Variant PageCodingMembers::C2To16(const Variant& ToDoString) {
  return self().ForwardToCC([&](Common& cc) { return cc.C2To16(ToDoString); });
}

Variant PageCodingMembers::C2To10(const Variant& ToDoString) {
  return self().ForwardToCC([&](Common& cc) { return cc.C2To10(ToDoString); });
}

Variant PageCodingMembers::C16To2(const Variant& ToDoString) {
  return self().ForwardToCC([&](Common& cc) { return cc.C16To2(ToDoString); });
}

Variant PageCodingMembers::C10To2(const Variant& ToDoString) {
  return self().ForwardToCC([&](Common& cc) { return cc.C10To2(ToDoString); });
}

std::u16string PageCodingMembers::DEC_to_BIN(int32_t Dec) { return text::IntegerToDigits(Dec, 2); }
std::u16string PageCodingMembers::DEC_to_OCT(int32_t Dec) { return text::IntegerToDigits(Dec, 8); }
std::u16string PageCodingMembers::DEC_to_HEX(int32_t Dec) { return text::IntegerToDigits(Dec, 16); }
int32_t PageCodingMembers::BIN_to_DEC(const std::u16string& Bin) { return text::BinaryToInteger(Bin); }
int32_t PageCodingMembers::HEX_to_DEC(const std::u16string& Hex) {
  return text::DigitsToInteger(Hex, 16);
}
int32_t PageCodingMembers::OCT_to_DEC(const std::u16string& Oct) {
  return text::DigitsToInteger(Oct, 8);
}
std::u16string PageCodingMembers::HEX_to_BIN(const std::u16string& Hex) {
  return text::DigitsToBinary(Hex, 16);
}
std::u16string PageCodingMembers::OCT_to_BIN(const std::u16string& Oct) {
  return text::DigitsToBinary(Oct, 8);
}
std::u16string PageCodingMembers::BIN_to_HEX(const std::u16string& Bin) {
  return text::BinaryToDigits(Bin, 16);
}
std::u16string PageCodingMembers::BIN_to_OCT(const std::u16string& Bin) {
  return text::BinaryToDigits(Bin, 8);
}
std::u16string PageCodingMembers::OCT_to_HEX(const std::u16string& Oct) {
  return BIN_to_HEX(OCT_to_BIN(Oct));
}
std::u16string PageCodingMembers::HEX_to_OCT(const std::u16string& Hex) {
  return BIN_to_OCT(HEX_to_BIN(Hex));
}

namespace {

// XML and PHPXML keep their digests on CC, where a script can read the
// registers afterwards; the other classes digest on a Common of their own.
bool DigestsOnCC(const PageObject& page) {
  return page.family() == Family::kP ||
         (page.family() == Family::kX && page.language() == PageLanguage::kChinese);
}

}  // namespace

Variant PageCodingMembers::Md5(const std::u16string& ToDoString, int16_t ByteType,
                               int16_t CaseStyle) {
  PageObject& page = self();
  std::u16string digest;
  Step([&] {
    std::shared_ptr<Common> own;
    Common& common = DigestsOnCC(page) ? page.UseCC() : *(own = std::make_shared<Common>());
    digest = common.DigestStrToHexStr(Trim(ToDoString));
  });
  Step([&] {
    if (ByteType == 16) digest = Mid(digest, 9, 16);
  });
  Step([&] { digest = CaseStyle != 0 ? UCase(digest) : LCase(digest); });
  return Variant(std::move(digest));
}

// ---- Member tables -------------------------------------------------------------

namespace {

// By name a script has no byte array to pass: the buffer comes as a String
// whose characters are the bytes (each 0 to 255; any other raises 13).
void UpdateByName(CommonCodingMembers& common, int32_t InputLen, const Variant& InputBuffer) {
  if (!InputBuffer.IsString()) throw ScriptError(kErrTypeMismatch);
  std::vector<uint8_t> bytes;
  bytes.reserve(InputBuffer.string().size());
  for (char16_t c : InputBuffer.string()) {
    if (c > 0xFF) throw ScriptError(kErrTypeMismatch);
    bytes.push_back(static_cast<uint8_t>(c));
  }
  common.MD5Update(InputLen, bytes);
}

// By-reference arguments are never written back through a late-bound call.
int32_t RotateByName(CommonCodingMembers& common, int32_t value, int32_t bits) {
  return common.LongLeftRotate(value, bits);
}

}  // namespace

std::vector<MemberInfo> CommonCodingMemberTable() {
  using C = CommonCodingMembers;
  const ParamSpec kText = Req(u"ToDoString");
  const ParamSpec kMode = Opt(u"Mode", int16_t{1});
  return ClassBuilder<C>(u"")
      .Method<&C::UrlEncode>(u"UrlEncode", {kText, kMode})
      .Method<&C::UrlDecode>(u"UrlDecode", {kText, kMode})
      .Method<&C::GoogleUrlEncode>(u"GoogleUrlEncode", {kText})
      .Method<&C::GoogleUrlDecode>(u"GoogleUrlDecode", {kText})
      .Method<&C::BaiduUrlEncode>(u"BaiduUrlEncode", {Req(u"DataStr")})
      .Method<&C::BaiduUrlDecode>(u"BaiduUrlDecode", {Req(u"Encodestr")})
      .Method<&C::C2To16>(u"C2To16", {kText})
      .Method<&C::C2To10>(u"C2To10", {kText})
      .Method<&C::C16To2>(u"C16To2", {kText})
      .Method<&C::C10To2>(u"C10To2", {kText})
      .Method<&C::DigestStrToHexStr>(u"DigestStrToHexStr", {Req(u"SourceString").ByRef()})
      .Method<&C::DigestFileToHexStr>(u"DigestFileToHexStr", {Req(u"FileName").ByRef()})
      .Method<&C::MD5Init>(u"MD5Init")
      .Method<&UpdateByName>(u"MD5Update",
                             {Req(u"InputLen").ByRef(), Req(u"InputBuffer").ByRef()})
      .Method<&C::MD5Final>(u"MD5Final")
      .Method<&C::GetValues>(u"GetValues")
      .Method<&RotateByName>(u"LongLeftRotate", {Req(u"value").ByRef(), Req(u"bits").ByRef()})
      .Getter<&C::RegisterA>(u"RegisterA")
      .Getter<&C::RegisterB>(u"RegisterB")
      .Getter<&C::RegisterC>(u"RegisterC")
      .Getter<&C::RegisterD>(u"RegisterD")
      .BuildMembers();
}

std::vector<MemberInfo> PageCodingMemberTable(const PageClassTraits& traits) {
  using P = PageCodingMembers;
  const ParamSpec kText = Req(u"ToDoString");
  const ParamSpec kMode = Opt(u"Mode", int16_t{1});
  ClassBuilder<P> builder(u"");
  if (traits.family != Family::kP) {
    builder.Method<&P::UrlEncode>(u"UrlEncode", {kText, kMode})
        .Method<&P::UrlDecode>(u"UrlDecode", {kText, kMode})
        .Method<&P::UniCodeToGb>(u"UniCodeToGb", {kText})
        .Method<&P::C2To16>(u"C2To16", {kText})
        .Method<&P::C2To10>(u"C2To10", {kText})
        .Method<&P::C16To2>(u"C16To2", {kText})
        .Method<&P::C10To2>(u"C10To2", {kText});
  }
  if (traits.family == Family::kX) {
    builder.Method<&P::DEC_to_BIN>(u"DEC_to_BIN", {Req(u"Dec")})
        .Method<&P::BIN_to_DEC>(u"BIN_to_DEC", {Req(u"Bin")})
        .Method<&P::HEX_to_BIN>(u"HEX_to_BIN", {Req(u"Hex")})
        .Method<&P::BIN_to_HEX>(u"BIN_to_HEX", {Req(u"Bin")})
        .Method<&P::HEX_to_DEC>(u"HEX_to_DEC", {Req(u"Hex")})
        .Method<&P::DEC_to_HEX>(u"DEC_to_HEX", {Req(u"Dec")})
        .Method<&P::DEC_to_OCT>(u"DEC_to_OCT", {Req(u"Dec")})
        .Method<&P::OCT_to_DEC>(u"OCT_to_DEC", {Req(u"Oct")})
        .Method<&P::BIN_to_OCT>(u"BIN_to_OCT", {Req(u"Bin")})
        .Method<&P::OCT_to_BIN>(u"OCT_to_BIN", {Req(u"Oct")})
        .Method<&P::OCT_to_HEX>(u"OCT_to_HEX", {Req(u"Oct")})
        .Method<&P::HEX_to_OCT>(u"HEX_to_OCT", {Req(u"Hex")});
  }
  return builder
      .Method<&P::Md5>(u"Md5", {Opt(u"ToDoString", u"admin"), Opt(u"ByteType", int16_t{32}),
                                Opt(u"CaseStyle", int16_t{1})})
      .BuildMembers();
}

}  // namespace zorvadel
