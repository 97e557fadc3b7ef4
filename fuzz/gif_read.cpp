// Arbitrary bytes as a GIF through our own reader alone (the image target reaches it too, but
// slowly, behind the other readers): a refusal leaves the picture alone; a frame that loads is
// the size its descriptor names, within the limit, and the header peek agrees with it.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/CGifReader.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Small enough that a hostile descriptor is refused often, large enough for real frames.
constexpr int64_t kMaxPixels = int64_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  platform::Picture picture;
  picture.width = -1;
  if (!platform::CGifReader::Read(bytes, kMaxPixels, picture)) {
    Check(picture.width == -1 && picture.pixels.empty());
    return 0;
  }
  int64_t width = 0, height = 0;
  Check(platform::CGifReader::Peek(bytes, width, height));
  Check(width == picture.width && height == picture.height);
  Check(width > 0 && height > 0 && width * height <= kMaxPixels);
  Check(picture.pixels.size() == static_cast<size_t>(width * height));
  return 0;
}
