// BuildSmallPic of a 4000 × 3000 JPEG to 120 × 90, beside libvips's own
// vipsthumbnail on the same file in the same run: the command-line tool as
// a process (what a site would otherwise run), and its library call in
// this process (the tool's work without the process start). Each run makes
// the thumbnail anew: the existing one is removed, untimed, before it.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vips/vips.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "zorvadel/classes.h"
#include "zorvadel/memory_page.h"

extern char** environ;

namespace {

using zorvadel::Variant;

// The picture, made once per run in a scratch site: a noise pattern, which
// compresses as poorly as a photograph does.
const std::filesystem::path& Site() {
  static const std::filesystem::path site = [] {
    std::string folder = (std::filesystem::temp_directory_path() / "zorvadel-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr || VIPS_INIT("bench") != 0) std::abort();
    VipsImage* noise = nullptr;
    VipsImage* grey = nullptr;
    VipsImage* colour = nullptr;
    if (vips_perlin(&noise, 4000, 3000, "cell_size", 64, nullptr) != 0 ||
        vips_linear1(noise, &grey, 110, 128, "uchar", TRUE, nullptr) != 0 ||
        vips_falsecolour(grey, &colour, nullptr) != 0 ||
        vips_jpegsave(colour, (folder + "/big.jpg").c_str(), "Q", 85, nullptr) != 0) {
      std::abort();
    }
    g_object_unref(colour);
    g_object_unref(grey);
    g_object_unref(noise);
    std::atexit([] { std::filesystem::remove_all(Site()); });
    return std::filesystem::path(folder);
  }();
  return site;
}

void BM_BuildSmallPic(benchmark::State& state) {
  const std::filesystem::path& site = Site();
  zorvadel::engine::RequestFacts facts;
  facts.url = "/page.asp";
  zorvadel::engine::MemoryPage page(facts, site, std::make_shared<zorvadel::engine::MemorySession>(),
                                    std::make_shared<zorvadel::engine::MemoryApplication>());
  auto w = std::dynamic_pointer_cast<zorvadel::WAP>(
      page.context().GetServer()->CreateObject(u"Zorvadel.WAP"));
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(site / "big_small.jpg");
    state.ResumeTiming();
    benchmark::DoNotOptimize(w->BuildSmallPic(u"big.jpg", u"", 120, 120, u"_small"));
  }
  if (!std::filesystem::exists(site / "big_small.jpg")) state.SkipWithError("no thumbnail");
  page.EndPage();
}
BENCHMARK(BM_BuildSmallPic)->Unit(benchmark::kMillisecond);

void BM_VipsthumbnailTool(benchmark::State& state) {
  const std::string input = (Site() / "big.jpg").string();
  const std::string output = (Site() / "tool_small.jpg").string();
  std::string size = "120x90";
  std::string out_arg = "-o";
  std::string out_name = output + "[Q=85,strip]";
  std::string tool = "vipsthumbnail";
  std::string in_arg = input;
  std::string s_flag = "-s";
  char* argv[] = {tool.data(), in_arg.data(), s_flag.data(), size.data(),
                  out_arg.data(), out_name.data(), nullptr};
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(output);
    state.ResumeTiming();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "vipsthumbnail", nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("vipsthumbnail is missing (bash scripts/install-deps.sh)");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("vipsthumbnail failed");
      break;
    }
  }
}
BENCHMARK(BM_VipsthumbnailTool)->Unit(benchmark::kMillisecond);

void BM_VipsThumbnailCall(benchmark::State& state) {
  const std::string input = (Site() / "big.jpg").string();
  const std::string output = (Site() / "call_small.jpg").string();
  for (auto _ : state) {
    VipsImage* thumb = nullptr;
    if (vips_thumbnail(input.c_str(), &thumb, 120, "height", 90, nullptr) != 0 ||
        vips_jpegsave(thumb, output.c_str(), "Q", 85, "strip", TRUE, nullptr) != 0) {
      state.SkipWithError("vips_thumbnail failed");
      break;
    }
    g_object_unref(thumb);
  }
}
BENCHMARK(BM_VipsThumbnailCall)->Unit(benchmark::kMillisecond);

}  // namespace
