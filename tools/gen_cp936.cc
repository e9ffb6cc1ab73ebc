// Writes src/data/cp936_table.cc, the code page 936 table, by asking glibc
// iconv "CP936" about every code. Build and run from the project root:
//
//   g++ -std=c++20 -O2 -o /tmp/gen_cp936 tools/gen_cp936.cc
//   /tmp/gen_cp936 > src/data/cp936_table.cc
//
// The table is the decode direction only (one UTF-16 unit per two-byte code,
// in code order); the library builds the encode direction from it. That is
// only sound if iconv's encoder is the exact inverse of its decoder, so the
// generator checks this for every BMP character and refuses to write a table
// otherwise.
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kLeadFirst = 0x81;
constexpr int kLeadLast = 0xFE;
constexpr int kTrailFirst = 0x40;
constexpr int kTrailLast = 0xFE;
constexpr int kTrailGap = 0x7F;  // never a trail byte
constexpr int kTrailsPerLead = kTrailLast - kTrailFirst;  // 191 values less the gap
constexpr int kCells = (kLeadLast - kLeadFirst + 1) * kTrailsPerLead;
constexpr char16_t kEuro = 0x20AC;

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "gen_cp936: %s\n", why.c_str());
  std::exit(1);
}

// The one UTF-16 unit iconv decodes `bytes` to, if it decodes them whole to
// exactly one BMP character.
std::optional<char16_t> Decode(iconv_t cd, const std::string& bytes) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char in[4];
  for (size_t i = 0; i < bytes.size(); ++i) in[i] = bytes[i];
  char16_t out[4];
  char* in_p = in;
  size_t in_left = bytes.size();
  char* out_p = reinterpret_cast<char*>(out);
  size_t out_left = sizeof(out);
  if (iconv(cd, &in_p, &in_left, &out_p, &out_left) == static_cast<size_t>(-1) ||
      in_left != 0 || sizeof(out) - out_left != sizeof(char16_t)) {
    return std::nullopt;
  }
  return out[0];
}

// The bytes iconv encodes one BMP character to, or nothing.
std::optional<std::string> Encode(iconv_t cd, char16_t c) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char16_t in[1] = {c};
  char out[8];
  char* in_p = reinterpret_cast<char*>(in);
  size_t in_left = sizeof(in);
  char* out_p = out;
  size_t out_left = sizeof(out);
  if (iconv(cd, &in_p, &in_left, &out_p, &out_left) == static_cast<size_t>(-1) ||
      in_left != 0) {
    return std::nullopt;
  }
  return std::string(out, sizeof(out) - out_left);
}

int CellOf(int lead, int trail) {
  return (lead - kLeadFirst) * kTrailsPerLead + (trail - kTrailFirst) -
         (trail > kTrailGap ? 1 : 0);
}

}  // namespace

int main() {
  iconv_t dec = iconv_open("UTF-16LE", "CP936");
  iconv_t enc = iconv_open("CP936", "UTF-16LE");
  if (dec == reinterpret_cast<iconv_t>(-1) || enc == reinterpret_cast<iconv_t>(-1)) {
    Fail("iconv has no CP936");
  }

  // One-byte codes: ASCII, then 0x80 as the euro sign (as the Windows code
  // page has it, whatever this iconv says); 0x81-0xFE only start pairs.
  for (int b = 0; b < 0x80; ++b) {
    if (Decode(dec, std::string(1, static_cast<char>(b))) != static_cast<char16_t>(b)) {
      Fail("iconv CP936 is not ASCII below 0x80");
    }
  }
  const std::optional<char16_t> at_80 = Decode(dec, "\x80");
  if (at_80 && *at_80 != kEuro) Fail("iconv CP936 maps 0x80 to something else than U+20AC");

  std::vector<char16_t> cells(kCells, 0);
  std::map<char16_t, uint16_t> code_of;
  code_of[kEuro] = 0x80;
  int mapped = 0;
  for (int lead = kLeadFirst; lead <= kLeadLast; ++lead) {
    for (int trail = kTrailFirst; trail <= kTrailLast; ++trail) {
      if (trail == kTrailGap) continue;
      const std::string pair = {static_cast<char>(lead), static_cast<char>(trail)};
      const std::optional<char16_t> c = Decode(dec, pair);
      if (!c) continue;
      if (*c == 0 || (*c >= 0xD800 && *c <= 0xDFFF)) Fail("odd character in a pair");
      if (!code_of.emplace(*c, static_cast<uint16_t>(lead << 8 | trail)).second) {
        Fail("two codes for one character");
      }
      cells[CellOf(lead, trail)] = *c;
      ++mapped;
    }
  }

  // The library inverts the table; make sure that agrees with iconv's encoder.
  for (int c = 0x80; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::optional<std::string> bytes = Encode(enc, static_cast<char16_t>(c));
    const auto it = code_of.find(static_cast<char16_t>(c));
    std::optional<std::string> want;
    if (it != code_of.end()) {
      want = it->second < 0x100 ? std::string(1, static_cast<char>(it->second))
                                : std::string{static_cast<char>(it->second >> 8),
                                              static_cast<char>(it->second & 0xFF)};
    }
    if (bytes != want) {
      char msg[64];
      std::snprintf(msg, sizeof(msg), "encoder and decoder disagree on U+%04X", c);
      Fail(msg);
    }
  }
  iconv_close(dec);
  iconv_close(enc);

  std::printf(
      "// Code page 936 table, generated from glibc iconv \"CP936\" (%d two-byte\n"
      "// codes, plus ASCII and 0x80 = U+20AC as one-byte codes). Do not edit;\n"
      "// regenerate from the project root with:\n"
      "//\n"
      "//   g++ -std=c++20 -O2 -o /tmp/gen_cp936 tools/gen_cp936.cc &&"
      " /tmp/gen_cp936 > src/data/cp936_table.cc\n"
      "#include \"data/cp936_table.h\"\n"
      "\n"
      "namespace zorvadel::data {\n"
      "\n"
      "// One row per lead byte; 0 marks a pair that names no character.\n"
      "constexpr char16_t kCp936Pairs[kCp936PairCells] = {\n",
      mapped);
  for (int lead = kLeadFirst; lead <= kLeadLast; ++lead) {
    std::printf("    // %02X\n", lead);
    const int first = CellOf(lead, kTrailFirst);
    for (int i = 0; i < kTrailsPerLead; i += 10) {
      std::printf("   ");
      for (int j = i; j < i + 10 && j < kTrailsPerLead; ++j) {
        const char16_t c = cells[first + j];
        if (c == 0) {
          std::printf(" 0,");
        } else {
          std::printf(" 0x%04X,", c);
        }
      }
      std::printf("\n");
    }
  }
  std::printf("};\n\n}  // namespace zorvadel::data\n");
  return 0;
}
