// The syllable table and the code-to-row index derived from it at compile
// time: 20 KiB that turn the search for a character's run into one read.
#include "langdata/pinyin_table.h"

#include <array>

namespace zorvadel::langdata {
namespace {

constexpr std::array<PinyinRow, kPinyinRowCount> kRows = {{
    {u"a", 0xB0A1}, {u"ai", 0xB0A3}, {u"an", 0xB0B0}, {u"ang", 0xB0B9},
    {u"ao", 0xB0BC},
    {u"ba", 0xB0C5}, {u"bai", 0xB0D7}, {u"ban", 0xB0DF}, {u"bang", 0xB0EE},
    {u"bao", 0xB0FA}, {u"bei", 0xB1AD}, {u"ben", 0xB1BC}, {u"beng", 0xB1C0},
    {u"bi", 0xB1C6}, {u"bian", 0xB1DE}, {u"biao", 0xB1EA}, {u"bie", 0xB1EE},
    {u"bin", 0xB1F2}, {u"bing", 0xB1F8}, {u"bo", 0xB2A3}, {u"bu", 0xB2B8},
    {u"ca", 0xB2C1}, {u"cai", 0xB2C2}, {u"can", 0xB2CD}, {u"cang", 0xB2D4},
    {u"cao", 0xB2D9}, {u"ce", 0xB2DE}, {u"ceng", 0xB2E3}, {u"cha", 0xB2E5},
    {u"chai", 0xB2F0}, {u"chan", 0xB2F3}, {u"chang", 0xB2FD}, {u"chao", 0xB3AC},
    {u"che", 0xB3B5}, {u"chen", 0xB3BB}, {u"cheng", 0xB3C5}, {u"chi", 0xB3D4},
    {u"chong", 0xB3E4}, {u"chou", 0xB3E9}, {u"chu", 0xB3F5}, {u"chuai", 0xB4A7},
    {u"chuan", 0xB4A8}, {u"chuang", 0xB4AF}, {u"chui", 0xB4B5}, {u"chun", 0xB4BA},
    {u"chuo", 0xB4C1}, {u"ci", 0xB4C3}, {u"cong", 0xB4CF}, {u"cou", 0xB4D5},
    {u"cu", 0xB4D6}, {u"cuan", 0xB4DA}, {u"cui", 0xB4DD}, {u"cun", 0xB4E5},
    {u"cuo", 0xB4E8},
    {u"da", 0xB4EE}, {u"dai", 0xB4F4}, {u"dan", 0xB5A2}, {u"dang", 0xB5B1},
    {u"dao", 0xB5B6}, {u"de", 0xB5C2}, {u"deng", 0xB5C5}, {u"di", 0xB5CC},
    {u"dian", 0xB5DF}, {u"diao", 0xB5EF}, {u"die", 0xB5F8}, {u"ding", 0xB6A1},
    {u"diu", 0xB6AA}, {u"dong", 0xB6AB}, {u"dou", 0xB6B5}, {u"du", 0xB6BC},
    {u"duan", 0xB6CB}, {u"dui", 0xB6D1}, {u"dun", 0xB6D5}, {u"duo", 0xB6DE},
    {u"e", 0xB6EA}, {u"en", 0xB6F7}, {u"er", 0xB6F8},
    {u"fa", 0xB7A2}, {u"fan", 0xB7AA}, {u"fang", 0xB7BB}, {u"fei", 0xB7C6},
    {u"fen", 0xB7D2}, {u"feng", 0xB7E1}, {u"fo", 0xB7F0}, {u"fou", 0xB7F1},
    {u"fu", 0xB7F2},
    {u"ga", 0xB8C1}, {u"gai", 0xB8C3}, {u"gan", 0xB8C9}, {u"gang", 0xB8D4},
    {u"gao", 0xB8DD}, {u"ge", 0xB8E7}, {u"gei", 0xB8F8}, {u"gen", 0xB8F9},
    {u"geng", 0xB8FB}, {u"gong", 0xB9A4}, {u"gou", 0xB9B3}, {u"gu", 0xB9BC},
    {u"gua", 0xB9CE}, {u"guai", 0xB9D4}, {u"guan", 0xB9D7}, {u"guang", 0xB9E2},
    {u"gui", 0xB9E5}, {u"gun", 0xB9F5}, {u"guo", 0xB9F8},
    {u"ha", 0xB9FE}, {u"hai", 0xBAA1}, {u"han", 0xBAA8}, {u"hang", 0xBABB},
    {u"hao", 0xBABE}, {u"he", 0xBAC7}, {u"hei", 0xBAD9}, {u"hen", 0xBADB},
    {u"heng", 0xBADF}, {u"hong", 0xBAE4}, {u"hou", 0xBAED}, {u"hu", 0xBAF4},
    {u"hua", 0xBBA8}, {u"huai", 0xBBB1}, {u"huan", 0xBBB6}, {u"huang", 0xBBC4},
    {u"hui", 0xBBD2}, {u"hun", 0xBBE7}, {u"huo", 0xBBED},
    {u"ji", 0xBBF7}, {u"jia", 0xBCCE}, {u"jian", 0xBCDF}, {u"jiang", 0xBDA9},
    {u"jiao", 0xBDB6}, {u"jie", 0xBDD2}, {u"jin", 0xBDED}, {u"jing", 0xBEA3},
    {u"jiong", 0xBEBC}, {u"jiu", 0xBEBE}, {u"ju", 0xBECF}, {u"juan", 0xBEE8},
    {u"jue", 0xBEEF}, {u"jun", 0xBEF9},
    {u"ka", 0xBFA6}, {u"kai", 0xBFAA}, {u"kan", 0xBFAF}, {u"kang", 0xBFB5},
    {u"kao", 0xBFBC}, {u"ke", 0xBFC0}, {u"ken", 0xBFCF}, {u"keng", 0xBFD3},
    {u"kong", 0xBFD5}, {u"kou", 0xBFD9}, {u"ku", 0xBFDD}, {u"kua", 0xBFE4},
    {u"kuai", 0xBFE9}, {u"kuan", 0xBFED}, {u"kuang", 0xBFEF}, {u"kui", 0xBFF7},
    {u"kun", 0xC0A4}, {u"kuo", 0xC0A8},
    {u"la", 0xC0AC}, {u"lai", 0xC0B3}, {u"lan", 0xC0B6}, {u"lang", 0xC0C5},
    {u"lao", 0xC0CC}, {u"le", 0xC0D5}, {u"lei", 0xC0D7}, {u"leng", 0xC0E2},
    {u"li", 0xC0E5}, {u"lia", 0xC1A9}, {u"lian", 0xC1AA}, {u"liang", 0xC1B8},
    {u"liao", 0xC1C3}, {u"lie", 0xC1D0}, {u"lin", 0xC1D5}, {u"ling", 0xC1E1},
    {u"liu", 0xC1EF}, {u"long", 0xC1FA}, {u"lou", 0xC2A5}, {u"lu", 0xC2AB},
    {u"lv", 0xC2BF}, {u"luan", 0xC2CD}, {u"lue", 0xC2D3}, {u"lun", 0xC2D5},
    {u"luo", 0xC2DC},
    {u"ma", 0xC2E8}, {u"mai", 0xC2F1}, {u"man", 0xC2F7}, {u"mang", 0xC3A2},
    {u"mao", 0xC3A8}, {u"me", 0xC3B4}, {u"mei", 0xC3B5}, {u"men", 0xC3C5},
    {u"meng", 0xC3C8}, {u"mi", 0xC3D0}, {u"mian", 0xC3DE}, {u"miao", 0xC3E7},
    {u"mie", 0xC3EF}, {u"min", 0xC3F1}, {u"ming", 0xC3F7}, {u"miu", 0xC3FD},
    {u"mo", 0xC3FE}, {u"mou", 0xC4B1}, {u"mu", 0xC4B4},
    {u"na", 0xC4C3}, {u"nai", 0xC4CA}, {u"nan", 0xC4CF}, {u"nang", 0xC4D2},
    {u"nao", 0xC4D3}, {u"ne", 0xC4D8}, {u"nei", 0xC4D9}, {u"nen", 0xC4DB},
    {u"neng", 0xC4DC}, {u"ni", 0xC4DD}, {u"nian", 0xC4E8}, {u"niang", 0xC4EF},
    {u"niao", 0xC4F1}, {u"nie", 0xC4F3}, {u"nin", 0xC4FA}, {u"ning", 0xC4FB},
    {u"niu", 0xC5A3}, {u"nong", 0xC5A7}, {u"nu", 0xC5AB}, {u"nv", 0xC5AE},
    {u"nuan", 0xC5AF}, {u"nue", 0xC5B0}, {u"nuo", 0xC5B2},
    {u"o", 0xC5B6}, {u"ou", 0xC5B7},
    {u"pa", 0xC5BE}, {u"pai", 0xC5C4}, {u"pan", 0xC5CA}, {u"pang", 0xC5D2},
    {u"pao", 0xC5D7}, {u"pei", 0xC5DE}, {u"pen", 0xC5E7}, {u"peng", 0xC5E9},
    {u"pi", 0xC5F7}, {u"pian", 0xC6AA}, {u"piao", 0xC6AE}, {u"pie", 0xC6B2},
    {u"pin", 0xC6B4}, {u"ping", 0xC6B9}, {u"po", 0xC6C2}, {u"pu", 0xC6CB},
    {u"qi", 0xC6DA}, {u"qia", 0xC6FE}, {u"qian", 0xC7A3}, {u"qiang", 0xC7B9},
    {u"qiao", 0xC7C1}, {u"qie", 0xC7D0}, {u"qin", 0xC7D5}, {u"qing", 0xC7E0},
    {u"qiong", 0xC7ED}, {u"qiu", 0xC7EF}, {u"qu", 0xC7F7}, {u"quan", 0xC8A6},
    {u"que", 0xC8B1}, {u"qun", 0xC8B9},
    {u"ran", 0xC8BB}, {u"rang", 0xC8BF}, {u"rao", 0xC8C4}, {u"re", 0xC8C7},
    {u"ren", 0xC8C9}, {u"reng", 0xC8D3}, {u"ri", 0xC8D5}, {u"rong", 0xC8D6},
    {u"rou", 0xC8E0}, {u"ru", 0xC8E3}, {u"ruan", 0xC8ED}, {u"rui", 0xC8EF},
    {u"run", 0xC8F2}, {u"ruo", 0xC8F4},
    {u"sa", 0xC8F6}, {u"sai", 0xC8F9}, {u"san", 0xC8FD}, {u"sang", 0xC9A3},
    {u"sao", 0xC9A6}, {u"se", 0xC9AA}, {u"sen", 0xC9AD}, {u"seng", 0xC9AE},
    {u"sha", 0xC9AF}, {u"shai", 0xC9B8}, {u"shan", 0xC9BA}, {u"shang", 0xC9CA},
    {u"shao", 0xC9D2}, {u"she", 0xC9DD}, {u"shen", 0xC9E9}, {u"sheng", 0xC9F9},
    {u"shi", 0xCAA6}, {u"shou", 0xCAD5}, {u"shu", 0xCADF}, {u"shua", 0xCBA2},
    {u"shuai", 0xCBA4}, {u"shuan", 0xCBA8}, {u"shuang", 0xCBAA}, {u"shui", 0xCBAD},
    {u"shun", 0xCBB1}, {u"shuo", 0xCBB5}, {u"si", 0xCBB9}, {u"song", 0xCBC9},
    {u"sou", 0xCBD1}, {u"su", 0xCBD4}, {u"suan", 0xCBE1}, {u"sui", 0xCBE4},
    {u"sun", 0xCBEF}, {u"suo", 0xCBF2},
    {u"ta", 0xCBFA}, {u"tai", 0xCCA5}, {u"tan", 0xCCAE}, {u"tang", 0xCCC0},
    {u"tao", 0xCCCD}, {u"te", 0xCCD8}, {u"teng", 0xCCD9}, {u"ti", 0xCCDD},
    {u"tian", 0xCCEC}, {u"tiao", 0xCCF4}, {u"tie", 0xCCF9}, {u"ting", 0xCCFC},
    {u"tong", 0xCDA8}, {u"tou", 0xCDB5}, {u"tu", 0xCDB9}, {u"tuan", 0xCDC4},
    {u"tui", 0xCDC6}, {u"tun", 0xCDCC}, {u"tuo", 0xCDCF},
    {u"wa", 0xCDDA}, {u"wai", 0xCDE1}, {u"wan", 0xCDE3}, {u"wang", 0xCDF4},
    {u"wei", 0xCDFE}, {u"wen", 0xCEC1}, {u"weng", 0xCECB}, {u"wo", 0xCECE},
    {u"wu", 0xCED7},
    {u"xi", 0xCEF4}, {u"xia", 0xCFB9}, {u"xian", 0xCFC6}, {u"xiang", 0xCFE0},
    {u"xiao", 0xCFF4}, {u"xie", 0xD0A8}, {u"xin", 0xD0BD}, {u"xing", 0xD0C7},
    {u"xiong", 0xD0D6}, {u"xiu", 0xD0DD}, {u"xu", 0xD0E6}, {u"xuan", 0xD0F9},
    {u"xue", 0xD1A5}, {u"xun", 0xD1AB},
    {u"ya", 0xD1B9}, {u"yan", 0xD1C9}, {u"yang", 0xD1EA}, {u"yao", 0xD1FB},
    {u"ye", 0xD2AC}, {u"yi", 0xD2BB}, {u"yin", 0xD2F0}, {u"ying", 0xD3A2},
    {u"yo", 0xD3B4}, {u"yong", 0xD3B5}, {u"you", 0xD3C4}, {u"yu", 0xD3D9},
    {u"yuan", 0xD4A7}, {u"yue", 0xD4BB}, {u"yun", 0xD4C5},
    {u"za", 0xD4D1}, {u"zai", 0xD4D4}, {u"zan", 0xD4DB}, {u"zang", 0xD4DF},
    {u"zao", 0xD4E2}, {u"ze", 0xD4F0}, {u"zei", 0xD4F4}, {u"zen", 0xD4F5},
    {u"zeng", 0xD4F6}, {u"zha", 0xD4FA}, {u"zhai", 0xD5AA}, {u"zhan", 0xD5B0},
    {u"zhang", 0xD5C1}, {u"zhao", 0xD5D0}, {u"zhe", 0xD5DA}, {u"zhen", 0xD5E4},
    {u"zheng", 0xD5F4}, {u"zhi", 0xD6A5}, {u"zhong", 0xD6D0}, {u"zhou", 0xD6DB},
    {u"zhu", 0xD6E9}, {u"zhua", 0xD7A5}, {u"zhuai", 0xD7A7}, {u"zhuan", 0xD7A8},
    {u"zhuang", 0xD7AE}, {u"zhui", 0xD7B5}, {u"zhun", 0xD7BB}, {u"zhuo", 0xD7BD},
    {u"zi", 0xD7C8}, {u"zong", 0xD7D7}, {u"zou", 0xD7DE}, {u"zu", 0xD7E2},
    {u"zuan", 0xD7EA}, {u"zui", 0xD7EC}, {u"zun", 0xD7F0}, {u"zuo", 0xD7F2},
}};

constexpr bool RowsAreOrdered() {
  if (kRows.front().start != kLevel1First || kRows.back().start > kLevel1Last) return false;
  for (size_t i = 1; i < kRows.size(); ++i) {
    if (kRows[i].start <= kRows[i - 1].start) return false;
  }
  for (const PinyinRow& row : kRows) {
    if (row.syllable.empty() || row.syllable.size() > 6) return false;
    for (char16_t c : row.syllable) {
      if (c < u'a' || c > u'z') return false;
    }
  }
  return true;
}
static_assert(RowsAreOrdered(), "pinyin rows must ascend from the first level-1 code");

constexpr size_t kIndexSize = kLevel1Last - kLevel1First + 1;

// Row of every code of the level-1 range. The range is contiguous, so it also
// covers the code page 936 characters whose trail byte lies below 0xA1; they
// fall into the run that precedes them, as a downward scan would put them.
constexpr std::array<uint16_t, kIndexSize> BuildIndex() {
  std::array<uint16_t, kIndexSize> index{};
  size_t row = 0;
  for (size_t i = 0; i < kIndexSize; ++i) {
    const size_t code = kLevel1First + i;
    while (row + 1 < kRows.size() && kRows[row + 1].start <= code) ++row;
    index[i] = static_cast<uint16_t>(row);
  }
  return index;
}

constexpr std::array<uint16_t, kIndexSize> kRowOfCode = BuildIndex();

constexpr std::array<PackedSyllable, kPinyinRowCount> BuildPacked() {
  std::array<PackedSyllable, kPinyinRowCount> packed{};
  for (size_t i = 0; i < kRows.size(); ++i) {
    for (size_t j = 0; j < kRows[i].syllable.size(); ++j) packed[i].text[j] = kRows[i].syllable[j];
    packed[i].length = static_cast<uint16_t>(kRows[i].syllable.size());
  }
  return packed;
}

alignas(16) constexpr std::array<PackedSyllable, kPinyinRowCount> kPacked = BuildPacked();

}  // namespace

std::span<const PinyinRow, kPinyinRowCount> PinyinRows() { return kRows; }

std::u16string_view SyllableOfCode(uint16_t code) {
  if (code < kLevel1First || code > kLevel1Last) return {};
  return kRows[kRowOfCode[code - kLevel1First]].syllable;
}

const PackedSyllable* PackedSyllableOfCode(uint16_t code) {
  if (code < kLevel1First || code > kLevel1Last) return nullptr;
  return &kPacked[kRowOfCode[code - kLevel1First]];
}

}  // namespace zorvadel::langdata
