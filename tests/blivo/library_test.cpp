// Library-level exports, the processor class and the shared clipping rules.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "bbi.h"
#include "blivo.h"
#include "cpu.h"

namespace {

TEST(Library, HandlesAreIdentity) {
  int block = 0;
  EXPECT_EQ(BBI(&block), &block);
  EXPECT_EQ(Get_ptr(&block), &block);
}

TEST(Library, IntegerHelpers) {
  EXPECT_EQ(SHR(0x80000000u, 31), 1u);
  EXPECT_EQ(SHR(0x80000000u, 32), 0x80000000u);  // count & 31
  EXPECT_EQ(SHL(1u, 32), 1u);
  EXPECT_EQ(SHL(3u, 31), 0x80000000u);
  EXPECT_EQ(SHL(0xF0000001u, 4), 0x00000010u);
  EXPECT_EQ(dllAdd(INT32_MAX, 1), INT32_MIN);
  EXPECT_EQ(dllAdd(-5, 3), -2);
  EXPECT_EQ(HitTestWall(1, 2, 3, 4), 0);
}

TEST(Library, MmxSwitchStoresValue) {
  EXPECT_EQ(MMX(1), 1);
  EXPECT_EQ(blivo::MmxSwitch(), 1);
  EXPECT_EQ(MMX(0), 0);
  EXPECT_EQ(blivo::MmxSwitch(), 0);
}

TEST(ProcessorClass, FromFeatureWord) {
  constexpr uint32_t cmov = 1u << 15, mmx = 1u << 23, sse = 1u << 25, sse2 = 1u << 26;
  struct Case {
    bool cpuid;
    uint32_t edx;
    int32_t cls;
  } const cases[] = {
      {false, 0xFFFFFFFFu, 1}, {true, 0, 2},           {true, cmov, 3},
      {true, mmx, 4},          {true, mmx | sse, 12},  {true, mmx | sse2, 20},
      {true, mmx | sse | sse2 | cmov, 28},
      {true, sse | sse2, 2},  // without MMX the SSE bits are not looked at
  };
  for (const Case& c : cases)
    EXPECT_EQ(blivo::ClassifyFeatures(c.cpuid, c.edx), c.cls) << std::hex << c.edx;
}

TEST(ProcessorClass, ThisMachineIsX8664) {
  // Every x86-64 processor has MMX, SSE and SSE2.
  EXPECT_EQ(GetCpuID(), 28);
}

TEST(Isa, DisableSwitchForcesFallbacks) {
  setenv("BLIVO_DISABLE", "avx2,sse2", 1);
  blivo::ReloadIsa();
  EXPECT_FALSE(blivo::HostIsa().sse2);
  EXPECT_FALSE(blivo::HostIsa().avx2);
  setenv("BLIVO_DISABLE", "avx2", 1);
  blivo::ReloadIsa();
  EXPECT_TRUE(blivo::HostIsa().sse2);
  EXPECT_FALSE(blivo::HostIsa().avx2);
  unsetenv("BLIVO_DISABLE");
  blivo::ReloadIsa();
  EXPECT_TRUE(blivo::HostIsa().sse2);
}

// ClipRect on a 10 x 8 image: {x, y, w, h, ox, oy} in, the same out (or empty).
struct ClipCase {
  int32_t in[6];
  bool ok;
  int32_t out[6];
};

TEST(Clip, OneRectangleRule) {
  const ClipCase cases[] = {
      {{0, 0, 10, 8, 0, 0}, true, {0, 0, 10, 8, 0, 0}},
      {{-3, 0, 5, 2, 7, 1}, true, {0, 0, 2, 2, 10, 1}},  // left edge shifts the paired origin
      {{0, -2, 4, 4, 0, 5}, true, {0, 0, 4, 2, 0, 7}},
      {{8, 6, 5, 5, 0, 0}, true, {8, 6, 2, 2, 0, 0}},    // right and bottom edges cut the size
      {{10, 0, 1, 1, 0, 0}, false, {}},                  // entirely to the right
      {{0, 0, 0, 5, 0, 0}, false, {}},
      {{0, 0, 5, -1, 0, 0}, false, {}},
      {{-20, 0, 15, 1, 0, 0}, false, {}},
      {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0}, false, {}},
      {{INT32_MAX, 0, INT32_MAX, 1, 0, 0}, false, {}},
      {{-5, -5, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX}, false, {}},  // paired value overflows
      {{0, 0, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}, true, {0, 0, 10, 8, INT32_MIN, INT32_MIN}},
  };
  for (const ClipCase& c : cases) {
    int32_t x = c.in[0], y = c.in[1], w = c.in[2], h = c.in[3], ox = c.in[4], oy = c.in[5];
    const bool ok = blivo::ClipRect(10, 8, x, y, w, h, ox, oy);
    ASSERT_EQ(ok, c.ok) << c.in[0] << "," << c.in[1] << "," << c.in[2] << "," << c.in[3];
    if (!ok) continue;
    const int32_t got[6] = {x, y, w, h, ox, oy};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(got[i], c.out[i]) << "field " << i;
  }
}

TEST(Clip, TwoImageRuleStaysInsideBoth) {
  // dst 10 x 8, src 6 x 4: every clipped rectangle lies inside both images.
  std::vector<uint8_t> dstBlock(blivo::BlockSize(10, 8, 0)), srcBlock(blivo::BlockSize(6, 4, 1));
  blivo::WriteHeader(dstBlock.data(), 10, 8, 0);
  blivo::WriteHeader(srcBlock.data(), 6, 4, 1);
  const blivo::Image dst = blivo::View(dstBlock.data()), src = blivo::View(srcBlock.data());
  ASSERT_EQ(src.stride, 28);
  srand(7);
  int nonEmpty = 0;
  for (int i = 0; i < 20000; ++i) {
    blivo::BlitRect r{rand() % 30 - 15, rand() % 30 - 15, rand() % 30 - 5,
                      rand() % 30 - 5, rand() % 30 - 15, rand() % 30 - 15};
    const blivo::BlitRect before = r;
    if (!blivo::ClipBlit(dst, src, r)) continue;
    ++nonEmpty;
    ASSERT_GT(r.w, 0);
    ASSERT_GT(r.h, 0);
    ASSERT_TRUE(r.dx >= 0 && r.dx + r.w <= 10 && r.dy >= 0 && r.dy + r.h <= 8);
    ASSERT_TRUE(r.sx >= 0 && r.sx + r.w <= 6 && r.sy >= 0 && r.sy + r.h <= 4);
    // Source and destination move together.
    ASSERT_EQ(r.dx - before.dx, r.sx - before.sx);
    ASSERT_EQ(r.dy - before.dy, r.sy - before.sy);
  }
  EXPECT_GT(nonEmpty, 300);
}

TEST(Bbi, HeaderLayout) {
  std::vector<uint8_t> block(blivo::BlockSize(3, 2, 2));
  ASSERT_EQ(block.size(), 5u * 2 * 4 + 24);
  blivo::WriteHeader(block.data(), 3, 2, 2);
  const int16_t expect[] = {4, 24, 3, 2, 20, 32, 8, 0, 0, 12851, 26978, 29556};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(GetWORD(block.data(), i), expect[i]) << "word " << i;
  const blivo::Image img = blivo::View(block.data());
  EXPECT_EQ(img.pixels, block.data() + 24);
  EXPECT_EQ(img.width, 3);
  EXPECT_EQ(img.height, 2);
  EXPECT_EQ(img.stride, 20);
}

TEST(Bbi, OffsetsLocateHeaderAndPixelsAnywhere) {
  std::vector<uint8_t> block(200, 0);
  blivo::StoreI16(block.data(), 40);
  blivo::StoreI16(block.data() + 2, 100);
  blivo::StoreI16(block.data() + 40, 2);
  blivo::StoreI16(block.data() + 42, 3);
  blivo::StoreI16(block.data() + 44, 12);
  const blivo::Image img = blivo::View(block.data());
  EXPECT_EQ(img.pixels, block.data() + 100);
  EXPECT_EQ(img.width, 2);
  EXPECT_EQ(img.height, 3);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(&img.At(1, 2)), block.data() + 100 + 2 * 12 + 4);
}

}  // namespace
