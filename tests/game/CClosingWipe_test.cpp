#include "game/CClosingWipe.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "present/CScreenshot.h"
#include "util/CApi.h"

namespace {

constexpr int32_t kW = 800, kH = 600;

// A last frame with something to recognise: diagonal bands, a grid and a bright disc.
std::vector<uint32_t> LastFrame() {
  std::vector<uint32_t> p(static_cast<size_t>(kW) * kH);
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) {
      uint32_t c = ((x + y) / 40) % 2 == 0 ? 0xFF2050A0u : 0xFF3070C0u;
      if (x % 100 == 0 || y % 100 == 0) c = 0xFFE0E0E0u;
      const int32_t dx = x - 400, dy = y - 300;
      if (dx * dx + dy * dy < 120 * 120) c = 0xFFF0B030u;
      p[static_cast<size_t>(y) * kW + x] = c;
    }
  return p;
}

uint32_t Fnv(const std::vector<uint32_t>& p) {
  uint32_t h = 2166136261u;
  for (uint32_t v : p)
    for (int i = 0; i < 4; ++i) h = (h ^ ((v >> (8 * i)) & 0xFF)) * 16777619u;
  return h;
}

// Checksums of frames looked at once as pictures (TUMBLEROO_WIPE_PNG=<folder> writes them).
TEST(CClosingWipe, FramesOfEachEffectMatchTheirGoldenChecksums) {
  const uint32_t golden[5][4] = {
      {150051813u, 4199481285u, 3235742149u, 2365877493u},
      {1658914373u, 1433600453u, 567167797u, 2033563285u},
      {40972101u, 1119397525u, 3820081749u, 4008702501u},
      {712555045u, 3953903637u, 3858265125u, 6927141u},
      {944534005u, 2022055397u, 2369097205u, 2419404517u},
  };
  const int32_t at[4] = {1, 8, 20, 30};
  const char* dump = std::getenv("TUMBLEROO_WIPE_PNG");
  for (int32_t choice = 0; choice < 5; ++choice) {
    util::CApi api;
    api.Randomize(1234);
    std::vector<uint32_t> screen = LastFrame();
    game::CClosingWipe wipe(nullptr, &api);
    wipe.Start(screen.data(), kW, kH, kW * 4, choice);
    EXPECT_EQ(wipe.Choice(), choice);
    EXPECT_EQ(wipe.EndCount(), 35);
    int32_t k = 0;
    for (int32_t frame = 1; wipe.Frame(); ++frame) {
      if (k < 4 && frame == at[k]) {
        const uint32_t sum = Fnv(screen);
        EXPECT_EQ(sum, golden[choice][k]) << "effect " << choice << " frame " << frame;
        if (dump != nullptr) {
          std::string error;
          const std::string path = std::string(dump) + "/wipe" + std::to_string(choice) + "_" +
                                   std::to_string(frame) + ".png";
          EXPECT_TRUE(present::CScreenshot::Save(screen.data(), kW, kH, kW * 4, path, error))
              << error;
        }
        ++k;
      }
    }
    EXPECT_EQ(k, 4);
    EXPECT_EQ(wipe.Counter(), 35);
    // Every cell has shrunk to nothing: the screen is black.
    for (uint32_t p : screen) ASSERT_EQ(p, 0xFF000000u) << "effect " << choice;
    EXPECT_FALSE(wipe.Frame());
  }
}

TEST(CClosingWipe, TheEffectIsDrawnFromZeroToFour) {
  util::CApi api;
  api.Randomize(99);
  std::vector<int32_t> seen(5, 0);
  for (int i = 0; i < 60; ++i) {
    std::vector<uint32_t> screen(64 * 48, 0xFF808080u);
    game::CClosingWipe wipe(nullptr, &api);
    wipe.Start(screen.data(), 64, 48, 256);
    ASSERT_GE(wipe.Choice(), 0);
    ASSERT_LE(wipe.Choice(), 4);
    ++seen[static_cast<size_t>(wipe.Choice())];
  }
  for (int32_t n : seen) EXPECT_GT(n, 0);
}

TEST(CClosingWipe, WithoutAPictureItEndsAtOnce) {
  util::CApi api;
  game::CClosingWipe wipe(nullptr, &api);
  wipe.Start(nullptr, kW, kH, kW * 4, 2);
  EXPECT_FALSE(wipe.Frame());
}

}  // namespace
