// The anti-aliased line of BBIDrawAlphaLine on any image view, so that routines over raw
// buffers can draw it too.
#pragma once

#include <cstdint>

#include "bbi.h"

namespace blivo::draw {

int32_t AlphaLine(const Image& img, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                  uint32_t startColour, uint32_t endColour);

}  // namespace blivo::draw
