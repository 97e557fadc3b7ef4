// Image files from outside through every reader the image objects try (block file, bitmap,
// picture loader). Whatever loads must be a sound block, and must survive a save and a reload
// as a 32-bit bitmap unchanged.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "image/CmgBBIBase.h"

// The system picture loader asks for whatever size a hostile header names and copes with a
// failed allocation; in the program malloc says no, so here it must too instead of aborting.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  image::Block block;
  if (image::CmgBBIBase::LoadFromBytes(block, std::span<const uint8_t>(data, size)) != 0) {
    if (!block.empty()) std::abort();  // a failed load leaves the image alone
    return 0;
  }
  if (!image::CmgBBIBase::Valid(block)) std::abort();
  std::vector<uint8_t> bitmap;
  if (!image::CmgBBIBase::EncodeBitmap(block, true, bitmap)) std::abort();
  image::Block again;
  if (image::CmgBBIBase::ReadBitmap(again, bitmap) != 0) std::abort();
  if (image::CmgBBIBase::GetWidth(again) != image::CmgBBIBase::GetWidth(block) ||
      image::CmgBBIBase::GetHeight(again) != image::CmgBBIBase::GetHeight(block))
    std::abort();
  return 0;
}
