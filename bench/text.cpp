// The text renderer's glyph cache on the game's own texts: every distinct character at the size
// it is shown, rendered and saved (cold: the first run on a machine) and loaded back from the
// glyph folder (warm: every later run). Beside it, the same glyphs rasterised straight by
// FreeType with no cache, as a program without one would do at each start.
#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "image/CmgBBIFunction.h"
#include "image/CmgBBIString.h"
#include "image/CmgBitmapList.h"
#include "platform/CCodePage.h"
#include "platform/CFontRaster.h"
#include "util/CApi.h"

namespace {

namespace fs = std::filesystem;

// The game's texts with the sizes it shows them at.
const std::vector<std::pair<std::string, int32_t>> kTexts = {
    {"ランダムにステージを選びます", 30}, {"フリーファイト", 30}, {"フリージング", 30},
    {"ダメージ+300", 30}, {"不可思議", 30}, {"追尾ストリーム", 30}, {"シンプル", 30},
    {"ストレート", 30}, {"人間 01234人ｺﾝﾋﾟｭｰﾀ←→", 40}, {"ラウンド", 100}, {"Ｒｅａｄｙ", 100},
    {"0123456789", 128}, {"Ｇｏ！", 144}, {"0123456789", 40}, {"0123456789", 30},
    {"FPS:0123456789", 20}, {"おつかれー工事中", 144}, {"全滅！引き分けＤｒａｗＧａｍｅ！Win!負け", 40},
    {"こんてぃにゅー", 40}, {"Enter : めにゅーにもどる", 27}, {"メインメニューに戻ります", 30},
    {"┻ Destroy ╋", 40},
};

// (character, size) pairs, each once.
std::vector<std::pair<std::string, int32_t>> Glyphs() {
  std::set<std::pair<std::string, int32_t>> seen;
  std::vector<std::pair<std::string, int32_t>> out;
  for (const auto& [text, size] : kTexts) {
    size_t pos = 0;
    while (pos < text.size()) {
      const size_t start = pos;
      (void)platform::CCodePage::NextCodePoint(text, pos);
      auto g = std::make_pair(text.substr(start, pos - start), size);
      if (seen.insert(g).second) out.push_back(g);
    }
  }
  return out;
}

void LoadAll(image::CmgBBIString& text, const std::vector<std::pair<std::string, int32_t>>& glyphs) {
  for (const auto& [c, size] : glyphs) {
    text.FontSize(size);
    benchmark::DoNotOptimize(text.LoadFont(c));
  }
}

// The game's text renderer as one start of the game sees it: an empty bitmap list over the
// glyph folder, in the game's font.
struct Start {
  Start(util::CApi& api, image::CmgBBIFunction& functions, const fs::path& dir) : text(&list, &functions, &api) {
    text.FontFolder(dir.string() + "/");
    text.FontName("ことり");
  }
  image::CmgBitmapList list;
  image::CmgBBIString text;
};

// Cold: the folder is emptied before each start; warm: it was filled once beforehand.
void RunStarts(benchmark::State& state, bool warm) {
  const auto glyphs = Glyphs();
  const fs::path dir = fs::temp_directory_path() / (warm ? "tumbleroo_bench_glyphs_warm" : "tumbleroo_bench_glyphs_cold");
  util::CApi api;
  image::CmgBBIFunction functions(&api);
  fs::remove_all(dir);
  fs::create_directories(dir);
  if (warm) {
    Start first(api, functions, dir);
    LoadAll(first.text, glyphs);
  }
  for (auto _ : state) {
    state.PauseTiming();
    if (!warm) {
      fs::remove_all(dir);
      fs::create_directories(dir);
    }
    Start start(api, functions, dir);
    state.ResumeTiming();
    LoadAll(start.text, glyphs);
  }
  state.counters["glyphs"] = static_cast<double>(glyphs.size());
  fs::remove_all(dir);
}

void BM_GlyphsCold(benchmark::State& state) { RunStarts(state, false); }
BENCHMARK(BM_GlyphsCold)->Unit(benchmark::kMillisecond);

void BM_GlyphsWarm(benchmark::State& state) { RunStarts(state, true); }
BENCHMARK(BM_GlyphsWarm)->Unit(benchmark::kMillisecond);

// The peer: FreeType renders each glyph anti-aliased at its size, every time.
void BM_FreeTypeUncached(benchmark::State& state) {
  const auto glyphs = Glyphs();
  const platform::CFontRaster::Face face = platform::CFontRaster::FindFace("kiloji - B");
  FT_Library library = nullptr;
  FT_Face ft = nullptr;
  if (face.path.empty() || FT_Init_FreeType(&library) != 0 ||
      FT_New_Face(library, face.path.c_str(), face.index, &ft) != 0) {
    state.SkipWithError("no face");
    return;
  }
  for (auto _ : state) {
    for (const auto& [c, size] : glyphs) {
      size_t pos = 0;
      const char32_t cp = platform::CCodePage::NextCodePoint(c, pos);
      FT_Set_Pixel_Sizes(ft, 0, static_cast<FT_UInt>(size));
      FT_Load_Char(ft, cp, FT_LOAD_RENDER);
      benchmark::DoNotOptimize(ft->glyph->bitmap.buffer);
    }
  }
  state.counters["glyphs"] = static_cast<double>(glyphs.size());
  FT_Done_Face(ft);
  FT_Done_FreeType(library);
}
BENCHMARK(BM_FreeTypeUncached)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
