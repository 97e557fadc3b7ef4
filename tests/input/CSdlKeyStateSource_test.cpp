// The SDL keyboard source: a key tapped between two reads is not lost.
#include "input/CSdlKeyStateSource.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "input/ScanCodeTable.h"

namespace {

SDL_Event Key(uint32_t type, SDL_Scancode code, uint8_t repeat = 0) {
  SDL_Event e{};
  e.type = type;
  e.key.keysym.scancode = code;
  e.key.repeat = repeat;
  return e;
}

TEST(SdlKeyStateSource, ATapBetweenReadsReadsDownOnce) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
  {
    input::CSdlKeyStateSource source;
    const uint8_t z = input::ScanCodeFromSdl(SDL_SCANCODE_Z);
    const uint8_t x = input::ScanCodeFromSdl(SDL_SCANCODE_X);
    ASSERT_NE(z, 0);
    input::KeyBytes keys{};
    ASSERT_EQ(source.Read(keys), input::KeyReadResult::kOk);
    EXPECT_EQ(keys[z], 0);
    // Pressed and released before the next read; X only repeats (no new press).
    SDL_Event down = Key(SDL_KEYDOWN, SDL_SCANCODE_Z), up = Key(SDL_KEYUP, SDL_SCANCODE_Z);
    SDL_Event repeat = Key(SDL_KEYDOWN, SDL_SCANCODE_X, 1);
    SDL_PushEvent(&down);
    SDL_PushEvent(&up);
    SDL_PushEvent(&repeat);
    SDL_PumpEvents();
    ASSERT_EQ(source.Read(keys), input::KeyReadResult::kOk);
    EXPECT_NE(keys[z], 0);
    EXPECT_EQ(keys[x], 0);
    ASSERT_EQ(source.Read(keys), input::KeyReadResult::kOk);
    EXPECT_EQ(keys[z], 0) << "down for one read only";
  }
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

}  // namespace
