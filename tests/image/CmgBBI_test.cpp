#include "image/CmgBBI.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "blivo/bbi_record.h"
#include "platform/CPicture.h"
#include "util/CApi.h"

namespace {

namespace fs = std::filesystem;
using image::Block;
using image::CmgBBI;
using image::CmgBBIBase;
using image::LoadInfo;

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A test picture with every channel different in every pixel.
void Paint(CmgBBI& img, int32_t w, int32_t h, bool alpha) {
  img.CreateBBI(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      img.dwSetPixel(x, y, (alpha ? uint32_t(x * 7 + y) << 24 : 0) | uint32_t(x * 13) << 16 |
                               uint32_t(y * 29) << 8 | uint32_t((x + y) * 3));
}

class ImageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() /
            ("cmgbbi_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(m_dir);
    image::ImageMessages::Current().askOkCancel = [this](const std::string& text,
                                                         const std::string&) {
      m_messages.push_back(text);
      return true;
    };
    image::ImageMessages::Current().tell = [this](const std::string& text, const std::string&) {
      m_messages.push_back(text);
    };
  }
  void TearDown() override {
    image::ImageMessages::Current() = image::ImageMessages::Defaults();
    fs::remove_all(m_dir);
  }
  std::string Path(const std::string& name) const { return (m_dir / name).string(); }

  util::CApi m_api;
  fs::path m_dir;
  std::vector<std::string> m_messages;
};

TEST(CmgBBI, CreationSizesHeaderAndKeptBlock) {
  CmgBBI img(nullptr);
  EXPECT_EQ(img.Width(), 1);
  EXPECT_EQ(img.height(), 1);
  EXPECT_TRUE(img.CreateBBI(0, -3));  // sizes below 1 make the 1 x 1 block it already has
  EXPECT_EQ(img.Width(), 1);
  EXPECT_FALSE(img.CreateBBI(20, 10, 3));
  EXPECT_EQ(img.Data().size(), size_t{(20 + 3) * 10 * 4 + 24});
  EXPECT_EQ(img.XLen(), 92);
  EXPECT_EQ(CmgBBIBase::GetDataLen(img.Data()), 12);
  EXPECT_EQ(CmgBBIBase::GetXFormat(img.Data()), 32);
  EXPECT_EQ(CmgBBIBase::GetBBIHead(img.Data()), 4);
  EXPECT_EQ(CmgBBIBase::GetBBIPict(img.Data()), 24);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(img.Data().data()) + 18, 6), "32bits");
  img.dwSetPixel(5, 5, 0x12345678);
  EXPECT_TRUE(img.CreateBBI(20, 10, 3));  // same size: kept, contents too
  EXPECT_EQ(img.dwGetPixel(5, 5), 0x12345678u);
  EXPECT_FALSE(img.CreateBBI(21, 10, 3));
  EXPECT_EQ(img.dwGetPixel(5, 5), 0u);
  // A row the 16-bit stride cannot hold is not wrapped: the size stops at the largest that fits.
  img.CreateBBI(9000, 2);
  EXPECT_EQ(img.Width(), BLIVO_BBI_MAX_WIDTH);
  EXPECT_EQ(img.XLen(), BLIVO_BBI_MAX_WIDTH * 4);
  util::CRect r;
  img.GetBBIRect(r);
  EXPECT_EQ(r.Width, BLIVO_BBI_MAX_WIDTH);
  EXPECT_EQ(r.Height, 2);
}

TEST(CmgBBI, PixelAccessInsideOnlyWithClampedComponents) {
  CmgBBI img;
  img.CreateBBI(4, 3);
  img.SetPixel(1, 2, 300, -5, 128);
  EXPECT_EQ(img.dwGetPixel(1, 2), 0xFFFF0080u);  // alpha omitted: opaque
  img.SetPixel(3, 0, 1, 2, 3, 4);
  uint8_t r = 9, g = 9, b = 9, a = 9;
  img.GetPixel(3, 0, r, g, b, a);
  EXPECT_EQ((std::array<int, 4>{r, g, b, a}), (std::array<int, 4>{1, 2, 3, 4}));
  for (auto [x, y] : {std::pair{-1, 0}, {4, 0}, {0, 3}, {0, -1}}) {
    img.dwSetPixel(x, y, 0xFFFFFFFF);
    r = g = b = a = 9;
    img.GetPixel(x, y, r, g, b, a);
    EXPECT_EQ(r + g + b + a, 36) << x << "," << y;  // untouched
    EXPECT_EQ(img.dwGetPixel(x, y), 0u);
  }
  EXPECT_EQ(img.dwGetPixel(0, 1), 0u);  // the writes outside went nowhere
  // A foreign block whose header lies is never read or written past its end.
  Block liar = img.Data();
  BlivoStoreI16(liar.data() + 4 + BLIVO_BBI_HEIGHT, 30000);
  img.SetBBI(liar);
  img.dwSetPixel(0, 2000, 1);
  EXPECT_EQ(img.dwGetPixel(0, 2000), 0u);
  EXPECT_EQ(img.Pixels(), nullptr);
}

TEST(CmgBBI, BlockValidationRefusesHeadersThatPointOutside) {
  CmgBBI img;
  img.CreateBBI(8, 4);
  const Block good = img.Data();
  EXPECT_TRUE(CmgBBIBase::Valid(good));
  struct Case {
    const char* what;
    int32_t at, value;
  } cases[] = {
      {"negative header offset", 0, -4},     {"header past the end", 0, 32000},
      {"pixels past the end", 2, 200},       {"negative pixel offset", 2, -24},
      {"zero width", 4, 0},                  {"negative height", 6, -1},
      {"taller than the block", 6, 5},       {"stride shorter than a row", 8, 28},
      {"stride running past the end", 8, 40},
  };
  for (const Case& c : cases) {
    Block bad = good;
    BlivoStoreI16(bad.data() + c.at, c.value);
    EXPECT_FALSE(CmgBBIBase::Valid(bad)) << c.what;
  }
  Block cut(good.begin(), good.end() - 1);
  EXPECT_FALSE(CmgBBIBase::Valid(cut));
  EXPECT_FALSE(CmgBBIBase::Valid(Block(10, 0)));
}

TEST_F(ImageFiles, BlockFilesRoundTripInEveryMode) {
  CmgBBI img(&m_api);
  Paint(img, 37, 23, true);
  for (int32_t mode : {-1, 0, 1, 2, 3, 7}) {
    const std::string path = Path("m" + std::to_string(mode) + ".bbi");
    ASSERT_EQ(img.SaveToBBI(path, mode != -1, "", mode), 0) << mode;
    const auto bytes = ReadAll(path);
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t(bytes[3]) << 24,
              CmgBBIBase::kBlockFileMagic);
    if (mode == -1 || mode == 7) {  // stored: magic, length, the block itself
      ASSERT_EQ(bytes.size(), img.Data().size() + 8);
      EXPECT_TRUE(std::equal(img.Data().begin(), img.Data().end(), bytes.begin() + 8));
    }
    CmgBBI back(&m_api);
    LoadInfo info;
    ASSERT_EQ(back.CreateBBIfromFile(path, "", &info), 0) << mode;
    EXPECT_EQ(back.Data(), img.Data()) << mode;
    EXPECT_EQ(info.reader, LoadInfo::Reader::kBlockFile);
  }
  // A picture the encoders can shrink says which method stored it.
  CmgBBI flat(&m_api);
  flat.CreateBBI(64, 32);
  flat.dwSetPixel(10, 10, 0xFF00FF00);
  for (int32_t mode = 1; mode <= 3; ++mode) {
    ASSERT_EQ(flat.SaveToBBI(Path("flat.bbi"), true, "", mode), 0);
    EXPECT_LT(ReadAll(Path("flat.bbi")).size(), flat.Data().size());
    LoadInfo info;
    CmgBBI back(&m_api);
    ASSERT_EQ(back.CreateBBIfromFile(Path("flat.bbi"), "", &info), 0);
    EXPECT_EQ(info.compression, mode - 1);
    EXPECT_EQ(back.Data(), flat.Data());
  }
  // Mode 0 keeps the shortest method's output.
  std::vector<uint8_t> best, each;
  ASSERT_TRUE(CmgBBIBase::EncodeBlockFile(img.Data(), 0, best));
  for (int32_t mode = 1; mode <= 3; ++mode) {
    ASSERT_TRUE(CmgBBIBase::EncodeBlockFile(img.Data(), mode, each));
    EXPECT_LE(best.size(), each.size()) << mode;
  }
  // Saving with Compress false ignores the mode.
  ASSERT_EQ(img.SaveToBBI(Path("plain.bbi"), false, "", 2), 0);
  EXPECT_EQ(ReadAll(Path("plain.bbi")).size(), img.Data().size() + 8);
}

TEST_F(ImageFiles, DamagedBlockFilesAreRefusedAndTheImageKept) {
  CmgBBI img(&m_api);
  Paint(img, 9, 5, true);
  std::vector<uint8_t> stored;
  ASSERT_TRUE(CmgBBIBase::EncodeBlockFile(img.Data(), -1, stored));
  std::vector<uint8_t> packed;
  ASSERT_TRUE(CmgBBIBase::EncodeBlockFile(img.Data(), 1, packed));
  auto patch16 = [](std::vector<uint8_t> b, size_t at, int32_t v) {
    BlivoStoreI16(b.data() + at, v);
    return b;
  };
  auto patch32 = [](std::vector<uint8_t> b, size_t at, uint32_t v) {
    std::memcpy(b.data() + at, &v, 4);
    return b;
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"length past the end", patch32(stored, 4, uint32_t(stored.size()))},
      {"length zero", patch32(stored, 4, 0)},
      {"huge length", patch32(stored, 4, 0xFFFFFFF0u)},
      {"header width past the block", patch16(stored, 8 + 4, 4000)},
      {"pixel offset past the block", patch16(stored, 8 + 2, 30000)},
      {"stride below a row", patch16(stored, 8 + 8, 8)},
      {"cut encoded stream", std::vector<uint8_t>(packed.begin(), packed.end() - 20)},
      {"encoded block with a wrong length", patch32(packed, 8 + 8, 100000)},
  };
  for (const Case& c : cases) {
    CmgBBI target(&m_api);
    target.CreateBBI(3, 3);
    target.dwSetPixel(1, 1, 0xABCDEF01);
    const Block before = target.Data();
    WriteAll(Path("bad.bbi"), c.bytes);
    EXPECT_EQ(target.CreateBBIfromFile(Path("bad.bbi")), 1) << c.what;
    EXPECT_EQ(target.Data(), before) << c.what;
  }
  EXPECT_TRUE(m_messages.empty());  // no message without a message text
}

TEST_F(ImageFiles, BitmapsSaveAndLoadIn24And32Bits) {
  CmgBBI img(&m_api);
  Paint(img, 13, 7, true);  // 13 * 3 = 39: rows padded to 40
  ASSERT_EQ(img.SaveToBitmap(Path("a24.bmp")), 0);
  ASSERT_EQ(img.SaveToBitmap(Path("a32.bmp"), true), 0);
  const auto b24 = ReadAll(Path("a24.bmp"));
  ASSERT_EQ(b24.size(), 54u + 40 * 7);
  EXPECT_EQ(b24[28], 24);
  EXPECT_EQ(b24[10], 54);
  EXPECT_EQ(b24[2] | b24[3] << 8, int(b24.size()));
  // Bottom to top: the file's first row is the image's last.
  EXPECT_EQ(b24[54] | b24[55] << 8 | b24[56] << 16, int(img.dwGetPixel(0, 6) & 0xFFFFFF));

  CmgBBI back(&m_api);
  LoadInfo info;
  ASSERT_EQ(back.CreateBBIfromFile(Path("a24.bmp"), "", &info), 0);
  EXPECT_EQ(info.reader, LoadInfo::Reader::kBitmap);
  EXPECT_EQ(info.fileBits, 24);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x)  // 24 bits: colours kept, alpha 0
      ASSERT_EQ(back.dwGetPixel(x, y), img.dwGetPixel(x, y) & 0xFFFFFF) << x << "," << y;
  ASSERT_EQ(back.CreateBBIfromFile(Path("a32.bmp"), "", &info), 0);
  EXPECT_EQ(info.fileBits, 32);
  EXPECT_EQ(back.Data(), img.Data());  // 32 bits: alpha kept
}

TEST_F(ImageFiles, TopDownBitmapsAndPalettes) {
  CmgBBI img(&m_api);
  Paint(img, 5, 4, false);
  std::vector<uint8_t> file;
  ASSERT_TRUE(CmgBBIBase::EncodeBitmap(img.Data(), false, file));
  // The same rows stored top to bottom: negative height, rows reversed.
  std::vector<uint8_t> topDown(file.begin(), file.begin() + 54);
  const int32_t negative = -4;
  std::memcpy(topDown.data() + 22, &negative, 4);
  for (int y = 3; y >= 0; --y)
    topDown.insert(topDown.end(), file.begin() + 54 + 16 * y, file.begin() + 54 + 16 * (y + 1));
  Block b;
  ASSERT_EQ(CmgBBIBase::ReadBitmap(b, topDown), 0);
  EXPECT_EQ(b, img.Data());

  // An 8-bit bitmap: 3 x 2, palette of 3, bottom-up, rows padded to 4.
  std::vector<uint8_t> pal8(54, 0);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(pal8.data() + at, &v, 4); };
  pal8[0] = 'B';
  pal8[1] = 'M';
  put32(10, 54 + 12);
  put32(14, 40);
  put32(18, 3);
  put32(22, 2);
  pal8[26] = 1;
  pal8[28] = 8;
  put32(46, 3);
  for (uint32_t c : {0x00112233u, 0x00445566u, 0x00778899u})
    for (int i = 0; i < 4; ++i) pal8.push_back(static_cast<uint8_t>(c >> (8 * i)));
  for (uint8_t v : {0, 1, 2, 0, 2, 2, 1, 0}) pal8.push_back(v);  // bottom row, then top row
  put32(2, uint32_t(pal8.size()));
  ASSERT_EQ(CmgBBIBase::ReadBitmap(b, pal8), 0);
  EXPECT_EQ(CmgBBIBase::GetWidth(b), 3);
  CmgBBIBase base(&m_api);
  EXPECT_EQ(base.dwGetPixel(b, 0, 1), 0x00112233u);
  EXPECT_EQ(base.dwGetPixel(b, 2, 1), 0x00778899u);
  EXPECT_EQ(base.dwGetPixel(b, 0, 0), 0x00778899u);
  EXPECT_EQ(base.dwGetPixel(b, 1, 0), 0x00778899u);
  EXPECT_EQ(base.dwGetPixel(b, 2, 0), 0x00445566u);
  // An index past the palette is damage, not black.
  pal8[pal8.size() - 4] = 3;
  EXPECT_EQ(CmgBBIBase::ReadBitmap(b, pal8), 1);
}

TEST_F(ImageFiles, BitmapHeadersThatLieAreRefusedBeforeAllocating) {
  CmgBBI img(&m_api);
  Paint(img, 6, 5, false);
  std::vector<uint8_t> good;
  ASSERT_TRUE(CmgBBIBase::EncodeBitmap(img.Data(), false, good));
  auto with = [&](size_t at, uint32_t v, int bytes = 4) {
    std::vector<uint8_t> b = good;
    std::memcpy(b.data() + at, &v, size_t(bytes));
    return b;
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"60000 x 60000", with(18, 60000), },
      {"huge height", with(22, 60000)},
      {"height INT32_MIN", with(22, 0x80000000u)},
      {"zero width", with(18, 0)},
      {"negative width", with(18, uint32_t(-6))},
      {"run-length compression", with(30, 1)},
      {"odd bit fields", with(30, 3)},
      {"palette count past 256", with(46, 300)},
      {"two planes", with(26, 2, 2)},
      {"bit count 30000", with(28, 30000, 2)},
      {"small information header", with(14, 20)},
      {"data offset past the end", with(10, 100000)},
      {"rows cut short", std::vector<uint8_t>(good.begin(), good.end() - 3)},
      {"file size claimed larger", with(2, 1u << 30)},
  };
  for (const Case& c : cases) {
    Block b;
    EXPECT_EQ(CmgBBIBase::LoadFromBytes(b, c.bytes), 1) << c.what;
    EXPECT_TRUE(b.empty()) << c.what;
  }
}

TEST_F(ImageFiles, PicturesLoadWithAlphaClearedAndMissingFilesSayTheMessage) {
  // The picture loader takes what the bitmap reader leaves: a 16-bit bitmap here.
  const std::string suite = std::string(TUMBLEROO_TESTDATA) + "/bmpsuite/g/";
  CmgBBI img(&m_api);
  LoadInfo info;
  ASSERT_EQ(img.CreateBBIfromFile(suite + "rgb16.bmp", "", &info), 0);
  EXPECT_EQ(info.reader, LoadInfo::Reader::kPicture);
  EXPECT_EQ(img.Width(), 127);
  EXPECT_EQ(img.height(), 64);
  for (int y = 0; y < 64; y += 7)
    for (int x = 0; x < 127; x += 5) ASSERT_EQ(img.dwGetPixel(x, y) >> 24, 0u);

  const Block before = img.Data();
  EXPECT_EQ(img.CreateBBIfromFile(Path("missing.png"), "画像がありません"), 1);
  EXPECT_EQ(img.Data(), before);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0], "画像がありません");
  // Cancel ends the program.
  int ended = -1;
  image::ImageMessages::Current().askOkCancel = [](const std::string&, const std::string&) {
    return false;
  };
  image::ImageMessages::Current().endProgram = [&](int code) { ended = code; };
  EXPECT_EQ(img.CreateBBIfromFile(Path("missing.png"), "x"), 1);
  EXPECT_EQ(ended, 0);
}

// The public BMP corpus: good files load and look like their renderings, bad files are refused,
// questionable files never crash.
TEST_F(ImageFiles, BmpSuite) {
  const fs::path suite = fs::path(TUMBLEROO_TESTDATA) / "bmpsuite";
  // Renderings of the good files whose picture is another file's.
  const std::map<std::string, std::string> sameAs = {
      {"pal1wb", "pal1"},          {"pal4rle", "pal4"},     {"pal8-0", "pal8"},
      {"pal8os2", "pal8"},         {"pal8rle", "pal8"},     {"pal8topdown", "pal8"},
      {"pal8v4", "pal8"},          {"pal8v5", "pal8"},      {"pal8nonsquare", "(stretched)"},
      {"rgb16-565pal", "rgb16-565"}, {"rgb16bfdef", "rgb16"}, {"rgb24pal", "rgb24"},
      {"rgb32", "rgb24"},          {"rgb32bf", "rgb24"},    {"rgb32bfdef", "rgb24"},
  };
  // pal8nonsquare's renderings are stretched to square pixels; it is only loaded.
  int compared = 0;
  for (const auto& entry : fs::directory_iterator(suite / "g")) {
    const std::string stem = entry.path().stem().string();
    CmgBBI img(&m_api);
    ASSERT_EQ(img.CreateBBIfromFile(entry.path().string()), 0) << stem;
    const auto it = sameAs.find(stem);
    const fs::path expected = suite / "expected" / ((it == sameAs.end() ? stem : it->second) + ".png");
    if (!fs::exists(expected)) continue;
    platform::Picture want;
    ASSERT_TRUE(platform::DecodePicture(ReadAll(expected), 1 << 24, want)) << expected;
    ASSERT_EQ(img.Width(), want.width) << stem;
    ASSERT_EQ(img.height(), want.height) << stem;
    int worst = 0;
    for (int y = 0; y < want.height; ++y)
      for (int x = 0; x < want.width; ++x) {
        const uint32_t a = img.dwGetPixel(x, y), b = want.pixels[size_t(y * want.width + x)];
        for (int s = 0; s < 24; s += 8)
          worst = std::max(worst, std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)));
      }
    EXPECT_LE(worst, 8) << stem;  // 5- and 6-bit channels widen a little differently
    ++compared;
  }
  EXPECT_GE(compared, 20);
  for (const auto& entry : fs::directory_iterator(suite / "b")) {
    CmgBBI img(&m_api);
    EXPECT_EQ(img.CreateBBIfromFile(entry.path().string()), 1) << entry.path().filename();
    EXPECT_EQ(img.Width(), 1);
  }
  for (const auto& entry : fs::directory_iterator(suite / "q")) {
    CmgBBI img(&m_api);
    if (img.CreateBBIfromFile(entry.path().string()) == 0) {
      EXPECT_TRUE(CmgBBIBase::Valid(img.Data()));
    }
  }
}

// Surfaces of the five layouts (and one other) receive the same picture.
TEST(CmgBBISurfaces, CopiesToEveryLayoutWithClipping) {
  CmgBBI img;
  Paint(img, 10, 6, true);
  struct Case {
    engine::PixelFormat format;
    uint32_t keep;  // bits that survive the layout
  } cases[] = {
      {engine::PixelFormat::Argb8888(), 0xFFFFFFFF}, {engine::PixelFormat::Rgb888(), 0x00FFFFFF},
      {engine::PixelFormat::Rgb565(), 0x00F8FCF8},   {engine::PixelFormat::Rgb555(), 0x00F8F8F8},
      {engine::PixelFormat::Argb4444(), 0xF0F0F0F0},
      {{32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0}, 0x00FFFFFF},  // other: device-context path
  };
  for (const Case& c : cases) {
    engine::CSurface s(8, 5, c.format);
    // Placed at (-2, 1) with the source from (1, 0): clipped on the left and at the bottom.
    img.BltToDDS(s, -2, 1, 0, 0, 1, 0);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 8; ++x) {
        const bool inside = y >= 1;
        const uint32_t want = inside ? img.dwGetPixel(x + 3, y - 1) & c.keep : 0;
        ASSERT_EQ(s.ReadPixel(x, y) & c.keep, want)
            << "code " << engine::FormatCode(c.format) << " at " << x << "," << y;
      }
    // And back into an image.
    CmgBBI back;
    back.CreateBBI(8, 5);
    back.BltToBBIGetDDS(s);
    EXPECT_EQ(back.dwGetPixel(4, 3) & c.keep, img.dwGetPixel(7, 2) & c.keep);
  }
  // A lost surface takes nothing.
  engine::CSurface lost(4, 4, engine::PixelFormat::Argb8888());
  lost.Lose();
  img.BltToDDS(lost);
  EXPECT_TRUE(lost.Lost());
}

TEST(CmgBBISurfaces, CompatibleSurfaceAndFadedCopies) {
  CmgBBI img;
  Paint(img, 6, 4, true);
  std::unique_ptr<engine::CSurface> dds;
  ASSERT_EQ(img.CreateCompatibleDDS(dds, 0, 0, true), 0);
  ASSERT_TRUE(dds);
  EXPECT_EQ(dds->Width(), 6);
  EXPECT_TRUE(dds->IsTexture());
  EXPECT_EQ(dds->ReadPixel(5, 3), img.dwGetPixel(5, 3));
  // Fraction 0 leaves only the colour; 1 the picture.
  engine::CSurface s(6, 4, engine::PixelFormat::Argb8888());
  img.BltToDDSColor(s, 0, 0, 0, 0, 0, 0, 0.0f, 0xFF204060);
  EXPECT_EQ(s.ReadPixel(2, 2), 0xFF204060u);
  img.BltToDDSColor(s, 0, 0, 0, 0, 0, 0, 1.0f, 0xFF204060);
  EXPECT_EQ(s.ReadPixel(2, 2) & 0xFFFFFF, img.dwGetPixel(2, 2) & 0xFFFFFF);
  util::CRect dirt;
  dirt.Create(1, 1, 2, 2);
  engine::CSurface d(6, 4, engine::PixelFormat::Argb8888());
  img.BltToDDSRect(d, dirt);
  EXPECT_EQ(d.ReadPixel(2, 2), img.dwGetPixel(2, 2));
  EXPECT_EQ(d.ReadPixel(0, 0), 0u);
  EXPECT_EQ(d.ReadPixel(3, 3), 0u);
}

TEST(CmgBBISurfaces, DeviceContextsStretchAndReadBack) {
  CmgBBI img;
  img.CreateBBI(2, 2);
  img.dwSetPixel(0, 0, 0xFF0000FF);
  img.dwSetPixel(1, 0, 0xFF00FF00);
  img.dwSetPixel(0, 1, 0xFFFF0000);
  img.dwSetPixel(1, 1, 0xFFFFFFFF);
  engine::CSurface dc(8, 8, engine::PixelFormat::Xrgb8888());
  img.BltToDIBStretch(dc, 2, 2, 4, 4);  // doubled: each source pixel covers 2 x 2
  EXPECT_EQ(dc.ReadPixel(2, 2), 0x000000FFu);
  EXPECT_EQ(dc.ReadPixel(3, 3), 0x000000FFu);
  EXPECT_EQ(dc.ReadPixel(4, 2), 0x0000FF00u);
  EXPECT_EQ(dc.ReadPixel(5, 5), 0x00FFFFFFu);
  EXPECT_EQ(dc.ReadPixel(2, 5), 0x00FF0000u);
  EXPECT_EQ(dc.ReadPixel(6, 6), 0u);
  img.BltToDIBStretch(dc, -1000000, 0, 2000000, 1);  // far off: only the visible part is visited
  // Reading a rectangle back: the rest of the image comes back black.
  CmgBBI back;
  back.CreateBBI(4, 4);
  back.dwSetPixel(0, 0, 0xFFFFFFFF);
  back.BltToBBIGetDIB(dc, 1, 1, 2, 2, 4, 4);
  EXPECT_EQ(back.dwGetPixel(0, 0), 0u);
  EXPECT_EQ(back.dwGetPixel(1, 1), 0x00FFFFFFu);
  EXPECT_EQ(back.dwGetPixel(3, 3), 0u);
  CmgBBI small;
  small.CreateBBI(3, 3);
  engine::CSurface target(3, 3, engine::PixelFormat::Xrgb8888());
  small.dwSetPixel(1, 1, 0xFF123456);
  small.BltToDIB(target);
  EXPECT_EQ(target.ReadPixel(1, 1), 0x00123456u);
}

}  // namespace
