// CFontRaster: a font that cannot be found or opened is said once on stderr, not left to show
// as missing text.
#include "platform/CFontRaster.h"

#include <gtest/gtest.h>

#include <string>

namespace {

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(CFontRaster, AnUnreadableFontIsReportedOnceAndDrawsNothing) {
  const bool reportedBefore = platform::CFontRaster::MissingFontReported();
  platform::CFontRaster font;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(font.OpenFace({"/nonexistent/font.ttf", 0}, 14));
  EXPECT_FALSE(font.OpenFace({"/nonexistent/other.ttf", 0}, 14));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(font.IsOpen());
  EXPECT_EQ(font.Measure("text"), 0);
  EXPECT_TRUE(platform::CFontRaster::MissingFontReported());
  // Once per process: a test run earlier in this process may already have said it.
  EXPECT_EQ(Count(err, "tumbleroo: "), reportedBefore ? 0u : 1u) << err;
  if (!reportedBefore) {
    EXPECT_NE(err.find("/nonexistent/font.ttf cannot be opened"), std::string::npos) << err;
  }
}

}  // namespace
