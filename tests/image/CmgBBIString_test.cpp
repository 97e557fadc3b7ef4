#include "image/CmgBBIString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "image/CmgBBIFunction.h"
#include "image/CmgBitmapList.h"
#include "util/CApi.h"

namespace {

namespace fs = std::filesystem;
using image::CmgBBI;
using image::CmgBBIString;

class TextRenderer : public ::testing::Test {
 protected:
  TextRenderer() : functions(&api), text(&list, &functions, &api) {}
  util::CApi api;
  image::CmgBitmapList list;
  image::CmgBBIFunction functions;
  CmgBBIString text;
};

TEST(CmgBBIStringNames, FontTableNormalisesAndNumbers) {
  struct Case {
    const char* given;
    const char* face;
    int32_t number;
  } cases[] = {
      {"", "ＭＳ ゴシック", 10},           {"A", "ＭＳ ゴシック", 10},
      {"ゴシック", "ＭＳ ゴシック", 10},   {"明朝", "ＭＳ 明朝", 11},
      {"C", "HG行書体", 12},               {"太字", "HG創英角ｺﾞｼｯｸUB", 13},
      {"HG創英角ﾎﾟｯﾌﾟ体", "HG創英角ﾎﾟｯﾌﾟ体", 14}, {"ことり", "ことり文字ふぉんと等幅", 15},
      {"#7 Some Face ", "Some Face", 7},   {"Arial", "Arial", 361},
      {"arial", "arial", 361},             {"a", "a", 65},
  };
  for (const Case& c : cases) {
    std::string face;
    int32_t number = -1;
    CmgBBIString::SplitFontName(CmgBBIString::NormalizeFontName(c.given), face, number);
    EXPECT_EQ(face, c.face) << c.given;
    EXPECT_EQ(number, c.number) << c.given;
  }
}

TEST_F(TextRenderer, SettingsClampAndRebuildThePrefixOnlyOnChange) {
  EXPECT_EQ(text.CachePrefix(), "font_A_20_");
  EXPECT_EQ(text.GlyphName("A"), "font_A_20_41.bbi");
  const int32_t builds = text.PrefixBuilds();
  text.FontSize(20);
  text.FontName("A");
  text.FontBlur(0);
  text.FontAntiAreas(true);
  EXPECT_EQ(text.PrefixBuilds(), builds);
  text.FontSize(200);
  EXPECT_EQ(text.FontSize(), 144);
  text.FontBlur(-3);
  EXPECT_EQ(text.FontBlur(), 0);
  text.FontSize(8);
  EXPECT_EQ(text.CachePrefix(), "font_A_08_");
  text.FontAntiAreas(false);
  EXPECT_EQ(text.CachePrefix(), "fareas_A_08_");
  text.FontBlur(3);
  EXPECT_EQ(text.CachePrefix(), "bareas_03_A_08_");
  text.FontAntiAreas(true);
  text.FontName("Arial");
  EXPECT_EQ(text.CachePrefix(), "blur_03_169_08_");
  // Two-byte characters: a negative 16-bit code, eight hex digits, then the character.
  text.FontName("A");
  text.FontBlur(0);
  text.FontSize(20);
  EXPECT_EQ(text.GlyphName("あい"), "font_A_20_FFFF82A0_あ.bbi");
  EXPECT_EQ(text.GlyphName("ｱ"), "font_A_20_B1.bbi");  // half-width katakana: one byte
  EXPECT_EQ(text.GlyphName("?"), "font_A_20_3F.bbi");
  EXPECT_EQ(text.GlyphName("😀"), "font_A_20_U1F600_😀.bbi");  // not '?''s name
}

TEST_F(TextRenderer, WidthsFollowTheCodePage) {
  text.FontSize(20);
  EXPECT_EQ(text.GetCharWidth("A"), 10);
  EXPECT_EQ(text.GetCharWidth("ｱ"), 10);
  EXPECT_EQ(text.GetCharWidth("あ"), 20);
  EXPECT_EQ(text.GetCharWidth("Ｒ"), 20);
  EXPECT_EQ(text.GetCharHeight(), 20);
}

TEST_F(TextRenderer, LayoutWrapsAlignsAndSkipsControlCharacters) {
  text.FontSize(20);
  util::CRect box;
  box.Create(100, 50, 100, 0);
  // Three half-width characters are 30 wide; centred in 100 they move right by 35.
  util::CRects r = text.MathTextBox("ABC", box, 0, 0, 1);
  ASSERT_EQ(r.Count(), 3);
  EXPECT_EQ(r.Item(0)->Left, 135);
  EXPECT_EQ(r.Item(2)->Left, 155);
  EXPECT_EQ(r.ItemCaption(1), "B");
  // Width 60 of full-width characters (3 x 20) in a box of 100, centred: shifted right by 20.
  r = text.MathTextBox("あいう", box, 0, 0, 1);
  EXPECT_EQ(r.Item(0)->Left, 120);
  // Right alignment.
  r = text.MathTextBox("あいう", box, 0, 0, 2);
  EXPECT_EQ(r.Item(0)->Left, 140);
  // Wrapping at the box's width: six full-width characters, five fit.
  r = text.MathTextBox("ＡＢＣＤＥＦ", box);
  ASSERT_EQ(r.Count(), 6);
  EXPECT_EQ(r.Item(4)->Top, 50);
  EXPECT_EQ(r.Item(5)->Left, 100);
  EXPECT_EQ(r.Item(5)->Top, 70);
  // Width 0 never wraps; CR breaks lines, LF and tab take no place, NUL ends the text.
  box.Create(0, 0, 0, 0);
  r = text.MathTextBox("ＡＢＣＤＥＦＧ", box);
  EXPECT_EQ(r.Item(6)->Left, 120);
  r = text.MathTextBox(std::string("A\r\nB\tC\0D", 8), box, 2, 5);
  ASSERT_EQ(r.Count(), 3);
  EXPECT_EQ(r.Item(1)->Left, 0);
  EXPECT_EQ(r.Item(1)->Top, 25);  // line height 20 + spaceY 5
  EXPECT_EQ(r.Item(2)->Left, 12);  // 10 + spaceX 2
  // Vertical centring in a box of height 100: one line of 20 moves down by 40.
  box.Create(0, 0, 0, 100);
  r = text.MathTextBox("A", box, 0, 0, 0, 1);
  EXPECT_EQ(r.Item(0)->Top, 40);
  // A box too low for the text stops the walk: later characters get no place.
  box.Create(0, 0, 20, 30);
  r = text.MathTextBox("ABCDEFGH", box);
  EXPECT_EQ(r.Item(3)->Top, 20);
  EXPECT_EQ(r.Item(4)->Width, 0);
  // Blur widens each rectangle by the blur on every side.
  text.FontBlur(4);
  box.Create(10, 10, 0, 0);
  r = text.MathTextBox("A", box);
  EXPECT_EQ(r.Item(0)->Left, 6);
  EXPECT_EQ(r.Item(0)->Width, 18);
  EXPECT_EQ(r.Item(0)->Height, 28);
}

// Coverage rows of a glyph: the lowest row with ink.
int32_t LowestInk(const CmgBBI& g) {
  for (int32_t y = g.height() - 1; y >= 0; --y)
    for (int32_t x = 0; x < g.Width(); ++x)
      if ((g.dwGetPixel(x, y) >> 24) > 128) return y;
  return -1;
}
int32_t HighestInk(const CmgBBI& g) {
  for (int32_t y = 0; y < g.height(); ++y)
    for (int32_t x = 0; x < g.Width(); ++x)
      if ((g.dwGetPixel(x, y) >> 24) > 128) return y;
  return -1;
}

TEST_F(TextRenderer, GlyphsShareABaselineAndKeepTheirAscenders) {
  for (const char* font : {"A", "B", "C", "D", "E", "F"}) {
    text.FontName(font);
    for (int32_t size : {20, 48}) {
      text.FontSize(size);
      CmgBBI* x = text.LoadFont("x");
      CmgBBI* h = text.LoadFont("h");
      CmgBBI* kanji = text.LoadFont("漢");
      ASSERT_TRUE(x && h && kanji);
      EXPECT_EQ(x->Width(), size / 2);
      EXPECT_EQ(kanji->Width(), size);
      EXPECT_EQ(x->height(), size);
      // Letters without descenders end on one baseline; the ascender is not cut at the top.
      // (a brush face's strokes wander a little: a tenth of the size)
      EXPECT_NEAR(LowestInk(*x), LowestInk(*h), std::max(1, size / 10)) << font << " " << size;
      EXPECT_GT(HighestInk(*h), 0) << font << " " << size;
      EXPECT_LT(HighestInk(*h), LowestInk(*x) - size / 4) << font << " " << size;
      EXPECT_GT(LowestInk(*kanji), size / 2) << font;
    }
  }
}

// Every face of the table draws every kind of character the game shows; one the face lacks
// (heavy gothic faces often have no full-width Latin) comes from another face, never blank.
TEST_F(TextRenderer, EveryFaceInksEveryKindOfCharacterTheGameShows) {
  for (const char* font : {"A", "B", "C", "D", "E", "F"}) {
    text.FontName(font);
    text.FontSize(40);
    for (const char* c : {"Ｒ", "！", "ｺ", "ﾟ", "ラ", "滅", "←", "┻", "g", "3", "+"}) {
      CmgBBI* glyph = text.LoadFont(c);
      ASSERT_NE(glyph, nullptr);
      EXPECT_GE(HighestInk(*glyph), 0) << font << " " << c;
    }
  }
}

TEST_F(TextRenderer, GlyphFilesAreSavedReusedAndDamagedOnesRenderedAgain) {
  const fs::path dir = fs::temp_directory_path() / "glyph_cache_test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  text.FontFolder(dir.string());
  ASSERT_TRUE(text.FontFolderExists());
  CmgBBI* a = text.LoadFont("A");
  ASSERT_NE(a, nullptr);
  const fs::path file = dir / "font_A_20_41.bbi";
  ASSERT_TRUE(fs::exists(file));
  EXPECT_EQ(text.LoadFont("A"), a);  // the list answers the second time
  const image::Block rendered = a->Data();

  // A new run: the glyph comes from the folder.
  image::CmgBitmapList list2;
  CmgBBIString run2(&list2, &functions, &api);
  run2.FontFolder(dir.string());
  ASSERT_EQ(run2.LoadFont("A")->Data(), rendered);

  // A damaged file is not trusted: the glyph is rendered again and the file replaced.
  std::ofstream(file, std::ios::binary | std::ios::trunc) << "\x89\xE6\x91\x9C\x10\0\0\0garbage";
  image::CmgBitmapList list3;
  CmgBBIString run3(&list3, &functions, &api);
  run3.FontFolder(dir.string());
  EXPECT_EQ(run3.LoadFont("A")->Data(), rendered);
  EXPECT_GT(fs::file_size(file), 100u);

  // Preloading takes every file of the folder into the list.
  image::CmgBitmapList list4;
  CmgBBIString run4(&list4, &functions, &api);
  run4.FontFolder(dir.string());
  run4.LoadFontCash("");
  EXPECT_NE(list4.BBI("font_A_20_41.bbi"), nullptr);
  fs::remove_all(dir);
}

TEST_F(TextRenderer, BlurWidensTheGlyphAndSpreadsItsCoverage) {
  text.FontFolder("/nonexistent/folder");
  EXPECT_FALSE(text.FontFolderExists());
  text.FontBlur(4);
  CmgBBI* g = text.LoadFont("O");
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->Width(), 10 + 8);
  EXPECT_EQ(g->height(), 20 + 8);
  int32_t soft = 0;
  for (int32_t y = 0; y < g->height(); ++y)
    for (int32_t x = 0; x < g->Width(); ++x) {
      const uint32_t a = g->dwGetPixel(x, y) >> 24;
      if (a > 0 && a < 200) ++soft;
    }
  EXPECT_GT(soft, 20);
  EXPECT_EQ(g->dwGetPixel(0, 0) >> 24, 0u);  // the corner stays clear
}

}  // namespace
