// CGifReader: our own reader of a GIF's first frame (GIF87a and GIF89a), for the picture loader.
// It replaces the system reader, which is not safe with hostile bytes. Needs nothing but the C++
// library; every read is bounded by the bytes given and every allocation by the caller's limit.
//
// The frame comes out at its own size (its place on the logical screen is ignored), opaque,
// the graphic control extension's transparent index with alpha 0. An index past the colour
// table (or with no table at all) reads as opaque white, as the system reader gave it. Refused:
// a truncated header, colour table or extension, anything but extensions before the first image
// descriptor, a frame of no pixels or more than the limit, a minimum
// code size outside 2..8 (the format asks for 2 even for two colours, and readers disagree on
// when the code width grows from 1), a code not yet in the table, and pixel data that ends
// before the frame is full. Data after a full frame (an end code or trailer, or none) is ignored.
#pragma once

#include <cstdint>
#include <span>

#include "platform/CPicture.h"

namespace platform {

class CGifReader {
 public:
  // False when the bytes begin no GIF with an image descriptor that can be reached; else the
  // first frame's size, unchecked.
  static bool Peek(std::span<const uint8_t> bytes, int64_t& width, int64_t& height);

  // False (and out untouched) when the first frame does not decode whole within maxPixels.
  static bool Read(std::span<const uint8_t> bytes, int64_t maxPixels, Picture& out);
};

}  // namespace platform
