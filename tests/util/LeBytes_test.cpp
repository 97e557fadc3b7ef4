// The byte layer: writers and loads agree, the reader never passes the end, and an array head
// may not claim more elements than the bytes left could hold.
#include "util/LeBytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(LeBytes, WritersAndLoadsAgree) {
  std::vector<uint8_t> out;
  util::PutLe16(out, 0xBEEF);
  util::PutLe32(out, 0x01020304u);
  ASSERT_EQ(out, (std::vector<uint8_t>{0xEF, 0xBE, 0x04, 0x03, 0x02, 0x01}));
  EXPECT_EQ(util::LoadLe16(out.data()), 0xBEEF);
  EXPECT_EQ(util::LoadLe32(out.data() + 2), 0x01020304u);
  uint8_t word[4] = {};
  util::StoreLe32(word, 0xA1B2C3D4u);
  EXPECT_EQ(util::LoadLe32(word), 0xA1B2C3D4u);
  EXPECT_EQ(word[0], 0xD4);
}

TEST(LeBytes, ShortReadsFailAndKeepTheValue) {
  const std::vector<uint8_t> bytes = {1, 2, 3};
  util::LeReader reader(bytes);
  uint32_t v32 = 77;
  EXPECT_FALSE(reader.U32(v32));
  EXPECT_EQ(v32, 77u);
  EXPECT_EQ(reader.Left(), 3u);
  uint16_t v16 = 0;
  ASSERT_TRUE(reader.U16(v16));
  EXPECT_EQ(v16, 0x0201);
  EXPECT_FALSE(reader.U16(v16));
  std::vector<uint8_t> rest;
  EXPECT_FALSE(reader.Bytes(2, rest));
  ASSERT_TRUE(reader.Bytes(1, rest));
  EXPECT_EQ(rest, std::vector<uint8_t>{3});
  EXPECT_EQ(reader.Left(), 0u);
}

TEST(LeBytes, ArrayHeadChecksShapeAndCount) {
  struct Case {
    uint16_t dims;
    uint32_t count, lowerBound;
    size_t payload, minElement;
    bool ok;
  } const cases[] = {
      {1, 3, 0, 3, 1, true},   // exactly enough bytes
      {1, 4, 0, 3, 1, false},  // one element more than could be present
      {1, 2, 0, 7, 4, false},  // 4-byte elements: 7 bytes hold only one
      {2, 1, 0, 9, 1, false},  // two dimensions
      {1, 1, 5, 9, 1, false},  // a lower bound other than 0
      {1, 0, 0, 0, 1, true},   // empty
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes;
    util::PutLe16(bytes, c.dims);
    util::PutLe32(bytes, c.count);
    util::PutLe32(bytes, c.lowerBound);
    ASSERT_EQ(bytes.size(), util::kArrayHeadBytes);
    bytes.resize(bytes.size() + c.payload, 0xAA);
    util::LeReader reader(bytes);
    uint32_t count = 0;
    EXPECT_EQ(reader.ArrayHead(c.minElement, count), c.ok) << c.count << " of " << c.payload;
  }
  std::vector<uint8_t> written;
  util::PutArrayHead(written, 9);
  util::LeReader reader(written);
  uint32_t count = 0;
  EXPECT_FALSE(reader.ArrayHead(1, count));  // nine elements claimed, none present
  EXPECT_EQ(count, 9u);
}

}  // namespace
