// The menu bar's glue: what it hands the display is well-formed triangle data over a font atlas,
// and a press and release that arrive between two frames still click a menu command.
#include "platform/CMenuGui.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/CMenuBar.h"

namespace {

using platform::CMenuBar;
using platform::CMenuGui;
using platform::MenuFrame;

constexpr int32_t kWidth = 400, kHeight = 300, kBar = 22;

SDL_Event MouseEvent(uint32_t type, int32_t x, int32_t y) {
  SDL_Event e{};
  e.type = type;
  if (type == SDL_MOUSEMOTION) {
    e.motion.x = x;
    e.motion.y = y;
  } else {
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = x;
    e.button.y = y;
  }
  return e;
}

TEST(CMenuGui, FrameIsIndexedTrianglesInsideTheWindowOverTheAtlas) {
  CMenuBar menu;
  const int32_t file = menu.AddMenu("ファイル");
  menu.AddItem(file, "開く");
  menu.AddMenu("終了");
  CMenuGui gui;
  MenuFrame frame;
  gui.BuildFrame(menu, kWidth, kHeight, kBar, frame);
  EXPECT_EQ(frame.width, kWidth);
  ASSERT_NE(frame.atlas, nullptr);
  EXPECT_GT(frame.atlasWidth, 0);
  EXPECT_GT(frame.atlasHeight, 0);
  ASSERT_FALSE(frame.batches.empty());
  float maxY = 0;
  for (const auto& b : frame.batches) {
    EXPECT_EQ(b.indexCount % 3, 0u);
    ASSERT_LE(b.firstIndex + b.indexCount, frame.indexes.size());
    for (uint32_t i = 0; i < b.indexCount; ++i)
      EXPECT_LT(b.vertexOffset + frame.indexes[b.firstIndex + i], frame.vertices.size());
  }
  for (const auto& v : frame.vertices) {
    EXPECT_GE(v.u, 0.0f);
    EXPECT_LE(v.u, 1.0f);
    maxY = std::max(maxY, v.y);
  }
  EXPECT_LE(maxY, static_cast<float>(kBar) + 1) << "a closed menu draws only the bar";
  const uint32_t version = frame.atlasVersion;
  gui.BuildFrame(menu, kWidth, kHeight, kBar, frame);
  EXPECT_EQ(frame.atlasVersion, version) << "the atlas is built again only for new captions";
  menu.AddMenu("ヘルプ");
  gui.BuildFrame(menu, kWidth, kHeight, kBar, frame);
  EXPECT_NE(frame.atlasVersion, version);
}

TEST(CMenuGui, QuickClickBetweenFramesRunsTheCommand) {
  CMenuBar menu;
  int clicks = 0;
  menu.AddMenu("Quit", [&] { ++clicks; });
  CMenuGui gui;
  MenuFrame frame;
  gui.BuildFrame(menu, kWidth, kHeight, kBar, frame);
  const SDL_Event move = MouseEvent(SDL_MOUSEMOTION, 15, 10);
  gui.ProcessEvent(&move);
  gui.BuildFrame(menu, kWidth, kHeight, kBar, frame);
  EXPECT_TRUE(gui.WantsMouse()) << "the pointer is over the bar";
  const SDL_Event down = MouseEvent(SDL_MOUSEBUTTONDOWN, 15, 10);
  const SDL_Event up = MouseEvent(SDL_MOUSEBUTTONUP, 15, 10);
  gui.ProcessEvent(&down);
  gui.ProcessEvent(&up);
  for (int i = 0; i < 3; ++i) gui.BuildFrame(menu, kWidth, kHeight, kBar, frame);
  menu.RunPending();
  EXPECT_EQ(clicks, 1);

  // Away from the bar nothing is clicked and the window keeps the mouse.
  const SDL_Event away = MouseEvent(SDL_MOUSEMOTION, 200, 200);
  const SDL_Event down2 = MouseEvent(SDL_MOUSEBUTTONDOWN, 200, 200);
  const SDL_Event up2 = MouseEvent(SDL_MOUSEBUTTONUP, 200, 200);
  gui.ProcessEvent(&away);
  gui.BuildFrame(menu, kWidth, kHeight, kBar, frame);
  gui.ProcessEvent(&down2);
  gui.ProcessEvent(&up2);
  for (int i = 0; i < 3; ++i) gui.BuildFrame(menu, kWidth, kHeight, kBar, frame);
  menu.RunPending();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(gui.WantsMouse());
}

}  // namespace
