// Simplified/traditional conversion of 1 MiB of Chinese text (512 Ki UTF-16
// units) by JToF and FToJ, beside OpenCC converting the same characters in
// the same run with its character dictionaries alone (STCharacters one way,
// TSCharacters the other; no phrase dictionaries), which is the same job.
// OpenCC reads UTF-8, so its input is converted before the timing starts;
// both sides count characters, so items/s compare directly.
#include <benchmark/benchmark.h>
#include <opencc/opencc.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "platform/codepage/codepage.h"
#include "text/charset_forms.h"

namespace {

namespace fs = std::filesystem;
namespace cp = zorvadel::codepage;

constexpr size_t kTextUnits = size_t{512} << 10;  // 1 MiB as UTF-16

// Everyday simplified prose with punctuation, figures and a little Latin:
// many of its characters have a traditional form, many do not.
constexpr std::u16string_view kPassage =
    u"新华社北京电 国务院新闻办公室今天举行发布会，介绍今年前三个季度国民经济运行情况。"
    u"国家统计局有关负责人表示，前三季度国内生产总值同比增长5.2%，就业形势总体稳定，"
    u"居民消费价格温和上涨，进出口规模继续扩大。随着一系列稳增长政策持续发力，"
    u"市场需求逐步恢复，企业经营状况有所改善，产业结构不断优化升级。"
    u"他说，当前外部环境依然复杂严峻，国内经济恢复的基础还不牢固，"
    u"要坚持稳中求进工作总基调，完整、准确、全面贯彻新发展理念，加快构建新发展格局，"
    u"着力推动高质量发展，巩固和增强经济回升向好态势。记者了解到，"
    u"各地区各部门正在认真落实党中央决策部署，扎实做好民生保障、乡村振兴、"
    u"城市更新和生态环境保护等重点工作。网友纷纷在手机网站和论坛上留言讨论，"
    u"有人关心房价与教育，有人关注医疗与养老，也有人期待更多优质的文化产品和体育赛事。"
    u"（责任编辑：张晓东 Email: news@example.com）\n";

std::u16string Simplified() {
  std::u16string text;
  text.reserve(kTextUnits + kPassage.size());
  while (text.size() < kTextUnits) text.append(kPassage);
  text.resize(kTextUnits);
  return text;
}

const std::u16string& SimplifiedText() {
  static const std::u16string text = Simplified();
  return text;
}

const std::u16string& TraditionalText() {
  static const std::u16string text = zorvadel::text::JToF(SimplifiedText());
  return text;
}

// Two OpenCC configurations in a temporary folder, removed at exit: the
// character dictionary alone, for segmentation and conversion alike.
class OpenCCConfigs {
 public:
  OpenCCConfigs() {
    folder_ = fs::temp_directory_path() /
              ("zorvadel-bench-opencc-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
    s2t_ = Write("s2t_chars.json", "/usr/share/opencc/STCharacters.ocd2");
    t2s_ = Write("t2s_chars.json", "/usr/share/opencc/TSCharacters.ocd2");
  }
  ~OpenCCConfigs() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  OpenCCConfigs(const OpenCCConfigs&) = delete;
  OpenCCConfigs& operator=(const OpenCCConfigs&) = delete;

  const std::string& s2t() const { return s2t_; }
  const std::string& t2s() const { return t2s_; }

 private:
  std::string Write(const char* name, const std::string& dictionary) {
    const fs::path path = folder_ / name;
    std::ofstream out(path);
    out << "{\n  \"name\": \"characters only\",\n"
           "  \"segmentation\": {\"type\": \"mmseg\",\n"
           "    \"dict\": {\"type\": \"ocd2\", \"file\": \""
        << dictionary
        << "\"}},\n"
           "  \"conversion_chain\": [{\"dict\": {\"type\": \"group\",\n"
           "    \"dicts\": [{\"type\": \"ocd2\", \"file\": \""
        << dictionary << "\"}]}}]\n}\n";
    if (!out) std::abort();
    return path.string();
  }

  fs::path folder_;
  std::string s2t_;
  std::string t2s_;
};

const OpenCCConfigs& Configs() {
  static const OpenCCConfigs configs;
  return configs;
}

void BM_JToF(benchmark::State& state) {
  const std::u16string& text = SimplifiedText();
  for (auto _ : state) benchmark::DoNotOptimize(zorvadel::text::JToF(text));
  state.SetItemsProcessed(state.iterations() * text.size());
  state.SetBytesProcessed(state.iterations() * text.size() * sizeof(char16_t));
}

void BM_FToJ(benchmark::State& state) {
  const std::u16string& text = TraditionalText();
  for (auto _ : state) benchmark::DoNotOptimize(zorvadel::text::FToJ(text));
  state.SetItemsProcessed(state.iterations() * text.size());
  state.SetBytesProcessed(state.iterations() * text.size() * sizeof(char16_t));
}

// OpenCC on the UTF-8 form of `text`; a converter that changes nothing
// would measure the wrong thing, so that ends the run.
void RunOpenCC(benchmark::State& state, const std::string& config, const std::u16string& text,
               const std::u16string& expected) {
  opencc_t od = opencc_open(config.c_str());
  if (od == reinterpret_cast<opencc_t>(-1)) {
    state.SkipWithError(opencc_error());
    return;
  }
  const std::string utf8 = cp::ToUtf8(text);
  char* check = opencc_convert_utf8(od, utf8.data(), utf8.size());
  const std::u16string converted = cp::FromUtf8(check);
  opencc_convert_utf8_free(check);
  if (converted == text || converted.size() != text.size()) {
    state.SkipWithError("OpenCC did not convert the text");
    opencc_close(od);
    return;
  }
  size_t differ = 0;
  for (size_t i = 0; i < text.size(); ++i) differ += converted[i] != expected[i];
  for (auto _ : state) {
    char* out = opencc_convert_utf8(od, utf8.data(), utf8.size());
    benchmark::DoNotOptimize(out);
    opencc_convert_utf8_free(out);
  }
  opencc_close(od);
  state.SetItemsProcessed(state.iterations() * text.size());
  state.SetBytesProcessed(state.iterations() * utf8.size());
  // Characters where OpenCC's first candidate and our table part ways.
  state.counters["differ"] = static_cast<double>(differ);
}

void BM_OpenCCCharactersS2T(benchmark::State& state) {
  RunOpenCC(state, Configs().s2t(), SimplifiedText(), TraditionalText());
}

void BM_OpenCCCharactersT2S(benchmark::State& state) {
  RunOpenCC(state, Configs().t2s(), TraditionalText(),
            zorvadel::text::FToJ(TraditionalText()));
}

BENCHMARK(BM_JToF)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenCCCharactersS2T)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FToJ)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenCCCharactersT2S)->Unit(benchmark::kMicrosecond);

}  // namespace
