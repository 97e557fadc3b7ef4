// The picture loader reads only headers it understands and checks their sizes before decoding.
#include "platform/CPicture.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using platform::PictureHeader;
using platform::PictureKind;

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  return std::vector<uint8_t>(values.begin(), values.end());
}

// A bitmap whose header names 16 809 903 × 127 pixels in 44 bytes: decoding it once cost
// gigabytes before any pixel was read.
const std::vector<uint8_t> kHugeBitmap =
    Bytes({0x42, 0x4d, 0x3e, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3e, 0x00, 0x00, 0x00, 0x28,
           0x00, 0x00, 0x00, 0xaf, 0x7f, 0x00, 0x01, 0x7f, 0x00, 0x00, 0x00, 0x04, 0x00, 0x02, 0x00,
           0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x7f, 0x00, 0x00, 0x00, 0xfa, 0xff, 0x22, 0xa6});

TEST(PictureHeaders, ReadsEachKindsSize) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    bool known;
    PictureKind kind;
    int64_t width, height;
  };
  const std::vector<Case> cases = {
      {"bitmap", kHugeBitmap, true, PictureKind::kBmp, 16809903, 127},
      {"bitmap top-down", Bytes({'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0,    0,    0,    0,
                                 0,   40,  0, 0, 0, 3, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF}),
       true, PictureKind::kBmp, 3, 2},
      {"bitmap OS/2 core",
       Bytes({'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 12, 0, 0, 0, 5, 0, 7, 0, 1, 0, 8, 0}),
       true, PictureKind::kBmp, 5, 7},
      {"png", Bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0,    13,
                     'I',  'H', 'D', 'R', 0,    1,    0x86, 0xA0, 0, 1, 0x86, 0xA0}),
       true, PictureKind::kPng, 100000, 100000},
      {"png without IHDR first", Bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13,
                                        'I',  'D', 'A', 'T', 0,    0,    0,    1,    0, 0, 0, 1}),
       false, PictureKind::kPng, 0, 0},
      // SOI, an APP0 segment of 4 bytes, fill bytes, then a baseline frame of 0x0200 × 0x0100.
      {"jpeg",
       Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xFF, 0xC0, 0, 17, 8, 0x01, 0x00, 0x02,
              0x00, 3}),
       true, PictureKind::kJpeg, 512, 256},
      {"jpeg with scan before frame", Bytes({0xFF, 0xD8, 0xFF, 0xDA, 0, 4, 0, 0}), false,
       PictureKind::kJpeg, 0, 0},
      {"jpeg segment past the end", Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0x7F, 0xFF, 0, 0}), false,
       PictureKind::kJpeg, 0, 0},
      // A 2 × 2 screen with a 2-entry colour table, an extension, then a frame of 60000 × 3.
      {"gif frame larger than screen",
       Bytes({'G',  'I',  'F', '8', '9', 'a', 2, 0, 2,    0, 0x80, 0, 0, 0,    0,    0, 1, 1, 1,
              0x21, 0xF9, 4,   0,   0,   0,   0, 0, 0x2C, 0, 0,    0, 0, 0x60, 0xEA, 3, 0, 0}),
       true, PictureKind::kGif, 60000, 3},
      {"gif without frame", Bytes({'G', 'I', 'F', '8', '7', 'a', 2, 0, 2, 0, 0, 0, 0, 0x3B}), false,
       PictureKind::kGif, 0, 0},
      {"targa", Bytes({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 4, 0, 32, 0}), false,
       PictureKind::kBmp, 0, 0},
  };
  for (const Case& c : cases) {
    PictureHeader h;
    ASSERT_EQ(platform::PeekPicture(c.bytes, h), c.known) << c.name;
    if (!c.known) continue;
    EXPECT_EQ(h.kind, c.kind) << c.name;
    EXPECT_EQ(h.width, c.width) << c.name;
    EXPECT_EQ(h.height, c.height) << c.name;
  }
}

TEST(PictureDecode, RefusesOversizeHeadersBeforeDecoding) {
  platform::Picture picture;
  EXPECT_FALSE(platform::DecodePicture(kHugeBitmap, int64_t{64} << 20, picture));
  // Sides near 2^32 whose product overflows a signed 64-bit size.
  const auto hugePng = Bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0,    0,    0,    13,
                              'I',  'H', 'D', 'R', 0x9C, 0x0D, 0x3A, 0x32, 0xFF, 0xB6, 0x7A, 0xB6});
  EXPECT_FALSE(platform::DecodePicture(hugePng, int64_t{64} << 20, picture));
  EXPECT_TRUE(picture.pixels.empty());
}

// Its first frame is broken; SDL2_image's reader skipped it and sized a second frame from the
// bytes after it (59017 x 40081), which no header check sees. Ours refuses the broken frame.
const std::vector<uint8_t> kGifWithHugeLaterFrame =
    Bytes({0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x89, 0x26, 0x20, 0x00, 0x3a, 0x2c, 0x2c,
           0x2c, 0x24, 0x2c, 0x89, 0xe6, 0x91, 0x9c, 0x30, 0x00, 0x00, 0x3a, 0x2c, 0x2c,
           0x2c, 0x24, 0x2c, 0x89, 0xe6, 0x91, 0x9c, 0x30, 0x00, 0x00, 0x00, 0x04, 0x00,
           0x18, 0x00, 0x03, 0x00, 0x02, 0x00, 0x0c, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00,
           0x00, 0x00, 0x89, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x8e, 0x75, 0x17, 0x2c});

TEST(PictureDecode, AGifWhoseFirstFrameIsBrokenIsRefused) {
  PictureHeader h;
  ASSERT_TRUE(platform::PeekPicture(kGifWithHugeLaterFrame, h));
  ASSERT_LE(h.width * h.height, int64_t{1} << 24);  // the header alone passes the check
  platform::Picture picture;
  EXPECT_FALSE(platform::DecodePicture(kGifWithHugeLaterFrame, int64_t{1} << 24, picture));
  EXPECT_TRUE(picture.pixels.empty());
}

// The bound on the system decoders: SDL's allocator says no above it on this thread, and only
// while the decoder runs.
TEST(PictureDecode, SdlAllocationsAreBoundedWhileADecoderRuns) {
  constexpr size_t kLimit = size_t{1} << 20;
  void* large = reinterpret_cast<void*>(1);
  void* small = nullptr;
  void* zeroed = reinterpret_cast<void*>(1);
  platform::WithSdlAllocationLimit(kLimit, [&] {
    large = SDL_malloc(kLimit + 1);
    small = SDL_malloc(kLimit);
    zeroed = SDL_calloc(kLimit / 2 + 1, 2);
  });
  EXPECT_EQ(large, nullptr);
  EXPECT_NE(small, nullptr);
  EXPECT_EQ(zeroed, nullptr);
  SDL_free(small);
  void* after = SDL_malloc(kLimit * 4);
  EXPECT_NE(after, nullptr) << "the bound ends with the decoder";
  SDL_free(after);
}

TEST(PictureDecode, DecodesARealPngWithinTheLimitOnly) {
  const auto path =
      std::filesystem::path(TUMBLEROO_TESTDATA) / "bmpsuite" / "expected" / "rgb24.png";
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path;
  const std::vector<uint8_t> png{std::istreambuf_iterator<char>(in), {}};
  PictureHeader h;
  ASSERT_TRUE(platform::PeekPicture(png, h));
  platform::Picture picture;
  ASSERT_TRUE(platform::DecodePicture(png, h.width * h.height, picture));
  EXPECT_EQ(picture.width, h.width);
  EXPECT_EQ(picture.height, h.height);
  EXPECT_EQ(picture.pixels.size(), size_t(h.width * h.height));
  EXPECT_FALSE(platform::DecodePicture(png, h.width * h.height - 1, picture));
}

}  // namespace
