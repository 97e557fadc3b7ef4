// The older pixel families are exported under their plain names like the rest of the library,
// and their descriptor-taking calls work through the run-time binding.
#include <gtest/gtest.h>

#include "platform/CBlivoBinding.h"

namespace {

using platform::CBlivoBinding;

TEST(BindingFamilies, EveryFamilyExportIsFound) {
  CBlivoBinding::Shared().Rebind("");
  const char* const names[] = {"UsdADD",
                               "UsdSUB",
                               "UsdXORADD",
                               "UsdXORSUB",
                               "UsdBrendADD",
                               "UsdBrendSUB",
                               "UsdBrendXORADD",
                               "UsdBrendXORSUB",
                               "UsdBrendALTADD",
                               "UsdBrendALTSUB",
                               "UsdCopy",
                               "UsdCopyPentium",
                               "UsdAlpha",
                               "UsdAlphaFast",
                               "UsdRGBAlpha",
                               "UsdSTDAlpha",
                               "UsdColorDown",
                               "UsdColorFill",
                               "UsdPaletteBlt",
                               "UsdMosaic",
                               "UsdMosaicBlt",
                               "UsdXOR",
                               "UsdShiftXOR",
                               "UsdSwapTopBottom",
                               "UsdAreas",
                               "UsdAntiAreas16",
                               "UsdAlphaBump",
                               "RastaRizeCopyMMX",
                               "RastaRizeCopyPentium",
                               "RastaRizeAddMMX",
                               "RastaRizeAddPentium",
                               "RastaRizeSubMMX",
                               "RastaRizeSubPentium",
                               "RastaRizeBrendADD",
                               "RastaRizeBrendSUB",
                               "RastaRizeBrendALTADD",
                               "RastaRizeBrendALTSUB",
                               "RastaRizeCopyFour",
                               "BvMov",
                               "BvZro",
                               "BvAdd",
                               "BvLow",
                               "BvRid",
                               "BvMusic",
                               "BvAlphaDown16From16",
                               "BvAlphaDown16From32",
                               "BvColorDown16From32",
                               "BvAlphaShift32From32",
                               "BvBltTo32From24",
                               "BvAlphaMask",
                               "BvSwapTopAndBottom",
                               "BvCreateAlphaPalette",
                               "BvAntiAreas2",
                               "BvAntiAreas4",
                               "BvTrueLine",
                               "AuFormatPixel",
                               "AuFormatMap",
                               "AuFormatFromDIB",
                               "AuDDSWrite",
                               "AuDDSBrend",
                               "GrLiBlt",
                               "GrLiBlt32",
                               "TrueLine",
                               "TrueLines",
                               "SuperBump",
                               "ExpandAlphaMMX",
                               "ExpandAlphaMMXCluc",
                               "ExpandAlphaSTDMMX",
                               "ExpandTableMMX",
                               "LibTrUAreas",
                               "LibTrVAreas",
                               "LibTrDoubleUAreas",
                               "LibTrDoubleVAreas",
                               "SeFormat",
                               "TrimRgn"};
  for (const char* name : names)
    EXPECT_EQ(CBlivoBinding::Shared().Probe(name), CBlivoBinding::Status::kOk) << name;
  const char* const members[] = {"Mov",     "MovAdd",    "MovSub",       "MovHalf",   "CMP",
                                 "CMPHalf", "ColorFill", "ColorRect",    "ColorTile", "Feed",
                                 "Sted",    "Stencil",   "ColorStencil", "Palette"};
  for (const char* family : {"Hi", "Tr"})
    for (const char* member : members) {
      const std::string name = std::string(family) + member;
      EXPECT_EQ(CBlivoBinding::Shared().Probe(name.c_str()), CBlivoBinding::Status::kOk) << name;
    }
  // Internal kernels stay hidden.
  EXPECT_EQ(CBlivoBinding::Shared().Probe("_ZN5blivo4rowk8Copy_RefEPvPKvl"),
            CBlivoBinding::Status::kNoExport);
}

TEST(BindingFamilies, DescriptorCallThroughTheBinding) {
  auto fill = BLIVO_FN(TrColorFill);
  ASSERT_NE(fill, nullptr);
  uint32_t pixels[2][3] = {};
  BlivoDescriptor desc{2, 12, 0, 2, 0xFF102030u, 0, 0, 0, nullptr};
  EXPECT_EQ(fill(pixels, nullptr, 0, &desc), 0);
  EXPECT_EQ(pixels[1][1], 0xFF102030u);
  EXPECT_EQ(pixels[1][2], 0u);
  desc.dstStride = 4;  // shorter than a row of two pixels
  EXPECT_EQ(fill(pixels, nullptr, 0, &desc), 1);
}

}  // namespace
