// CApi encoded data blocks: header checks and length bounds with stand-in coders, and round
// trips through the pixel library's three encoders and bounded decoders.
#include "util/CApi.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>

namespace {

using util::CApi;

std::vector<uint8_t> Header(uint32_t id, uint32_t mode, uint32_t length) {
  std::vector<uint8_t> out;
  for (uint32_t v : {id, mode, length})
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  return out;
}

// A stand-in "stream": the bytes themselves. Fails when the stream is short, like the bounded
// decoders do.
int g_decodeCalls = 0;
int32_t CopyDecoder(const void* src, int32_t srcLen, void* dst, int32_t n) {
  ++g_decodeCalls;
  if (n <= 0) return 1;
  const int32_t take = std::min(srcLen, n);
  std::memcpy(dst, src, static_cast<size_t>(take));
  std::memset(static_cast<uint8_t*>(dst) + take, 0, static_cast<size_t>(n - take));
  return srcLen < n ? 1 : 0;
}

int32_t HalvingEncoder(const void* src, void* dst, int32_t n, int32_t* outLen) {
  if (n <= 16) return 1;
  std::memcpy(dst, src, static_cast<size_t>(n / 2));
  *outLen = n / 2;
  return 0;
}

CApi::BlockDecoders CopyDecoders() {
  CApi::BlockDecoders d;
  for (auto& fn : d.mode) fn = &CopyDecoder;
  return d;
}

TEST(CApiCodec, BlockHeaderIsChecked) {
  std::vector<uint8_t> payload(40);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i * 7);
  auto block = [&](uint32_t id, uint32_t mode, uint32_t length) {
    std::vector<uint8_t> b = Header(id, mode, length);
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
  };
  std::vector<uint8_t> out{0xAA};
  EXPECT_EQ(CApi::DecodeBlock(block(CApi::kBlockIdentifier, 1, 40), CopyDecoders(), out), 0);
  EXPECT_EQ(out, payload);

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"wrong identifier", block(0x6B8FB389u, 0, 40)},
      {"mode 3", block(CApi::kBlockIdentifier, 3, 40)},
      {"negative mode", block(CApi::kBlockIdentifier, 0xFFFFFFFFu, 40)},
      {"length 0", block(CApi::kBlockIdentifier, 0, 0)},
      {"negative length", block(CApi::kBlockIdentifier, 0, 0x80000000u)},
      {"stream too short for the length", block(CApi::kBlockIdentifier, 0, 41)},
      {"header cut", [] {
         std::vector<uint8_t> h = Header(CApi::kBlockIdentifier, 0, 40);
         h.resize(8);
         return h;
       }()},
      {"header without stream", Header(CApi::kBlockIdentifier, 1, 2)},
      {"eleven bytes", std::vector<uint8_t>(11, 0)},
      {"nothing", {}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> dst{0x55};
    EXPECT_EQ(CApi::DecodeBlock(c.bytes, CopyDecoders(), dst), 1) << c.what;
    EXPECT_EQ(dst, std::vector<uint8_t>{0x55}) << c.what;  // untouched on failure
  }
}

TEST(CApiCodec, ClaimedLengthIsBoundedBeforeAllocating) {
  // 40 stream bytes can honestly give at most 40 * 9 + 144, 40 * 6 + 16 and 40 * 32 + 4 bytes.
  const std::vector<uint8_t> stream(40, 0);
  const int64_t limits[3] = {40 * 9 + 144, 40 * 6 + 16, 40 * 32 + 4};
  for (uint32_t mode = 0; mode < 3; ++mode) {
    EXPECT_EQ(CApi::MaxDecodedLength(static_cast<int32_t>(mode), stream.size()), limits[mode]);
    std::vector<uint8_t> b = Header(CApi::kBlockIdentifier, mode, static_cast<uint32_t>(limits[mode] + 1));
    b.insert(b.end(), stream.begin(), stream.end());
    g_decodeCalls = 0;
    std::vector<uint8_t> dst;
    EXPECT_EQ(CApi::DecodeBlock(b, CopyDecoders(), dst), 1);
    EXPECT_EQ(g_decodeCalls, 0) << "mode " << mode;  // refused before the decoder ran
  }
  // Whatever the stream, nothing beyond the absolute cap.
  std::vector<uint8_t> big = Header(CApi::kBlockIdentifier, 2, static_cast<uint32_t>(CApi::kMaxDecodedBytes) + 1);
  big.resize(big.size() + static_cast<size_t>(CApi::kMaxDecodedBytes / 32) + 8);
  g_decodeCalls = 0;
  std::vector<uint8_t> dst;
  EXPECT_EQ(CApi::DecodeBlock(big, CopyDecoders(), dst), 1);
  EXPECT_EQ(g_decodeCalls, 0);
}

TEST(CApiCodec, MissingCoderIsAFailure) {
  std::vector<uint8_t> block;
  EXPECT_EQ(CApi::EncodeBlock(std::vector<uint8_t>(100, 1), 0, CApi::BlockEncoders{}, block), 1);
  std::vector<uint8_t> b = Header(CApi::kBlockIdentifier, 0, 4);
  b.resize(20);
  EXPECT_EQ(CApi::DecodeBlock(b, CApi::BlockDecoders{}, block), 1);
}

TEST(CApiCodec, EncodeBlockWritesTheHeader) {
  CApi::BlockEncoders enc;
  enc.mode[2] = &HalvingEncoder;
  std::vector<uint8_t> src(100);
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i);
  std::vector<uint8_t> block;
  ASSERT_EQ(CApi::EncodeBlock(src, 2, enc, block), 0);
  ASSERT_EQ(block.size(), 12u + 50u);
  EXPECT_EQ(std::vector<uint8_t>(block.begin(), block.begin() + 12), Header(0x6B8FB388u, 2, 100));
  EXPECT_EQ(CApi::EncodeBlock(src, 3, enc, block), 1);
  EXPECT_EQ(CApi::EncodeBlock(src, -1, enc, block), 1);
  EXPECT_EQ(CApi::EncodeBlock(std::vector<uint8_t>(16), 2, enc, block), 1);
}

// ---- Through the library --------------------------------------------------------------------

bool LibraryCodersPresent() {
  const auto e = CApi::LibraryEncoders();
  const auto d = CApi::LibraryDecoders();
  for (int m = 0; m < 3; ++m)
    if (e.mode[m] == nullptr || d.mode[m] == nullptr) return false;
  return true;
}

// Data the three methods all compress: runs of repeated 4-byte groups and short repeats.
std::vector<uint8_t> Compressible(std::mt19937& rng, size_t size) {
  std::vector<uint8_t> v;
  while (v.size() < size) {
    const uint32_t pixel = rng() % 4 == 0 ? rng() : 0xFF000000u;
    const uint32_t run = 1 + rng() % 24;
    for (uint32_t k = 0; k < run && v.size() < size; ++k)
      for (int b = 0; b < 4 && v.size() < size; ++b) v.push_back(static_cast<uint8_t>(pixel >> (8 * b)));
  }
  return v;
}

TEST(CApiCodec, EncoderThenDecoderRoundTripsEveryMode) {
  if (!LibraryCodersPresent()) GTEST_SKIP() << "libblivo.so lacks the encoders or bounded decoders";
  for (uint32_t seed = 1; seed <= 30; ++seed) {
    std::mt19937 rng(seed);
    const std::vector<uint8_t> original = Compressible(rng, 200 + rng() % 20000);
    for (int32_t mode = 0; mode < 3; ++mode) {
      std::vector<uint8_t> data = original;
      ASSERT_EQ(CApi::Encoder(data, mode), 0) << "seed " << seed << " mode " << mode;
      ASSERT_EQ(std::vector<uint8_t>(data.begin(), data.begin() + 12),
                Header(0x6B8FB388u, static_cast<uint32_t>(mode), static_cast<uint32_t>(original.size())));
      EXPECT_LT(data.size(), original.size());
      std::vector<uint8_t> viaProg;
      int32_t err = -1;
      CApi::DecoderByProg(viaProg, data, err);
      EXPECT_EQ(err, 0);
      EXPECT_EQ(viaProg, original) << "seed " << seed << " mode " << mode;
      ASSERT_EQ(CApi::Decoder(data), 0) << "seed " << seed << " mode " << mode;
      ASSERT_EQ(data, original) << "seed " << seed << " mode " << mode;
    }
  }
}

TEST(CApiCodec, LibraryRefusesWhatItCannotShrink) {
  if (!LibraryCodersPresent()) GTEST_SKIP() << "libblivo.so lacks the encoders or bounded decoders";
  std::mt19937 rng(3);
  std::vector<uint8_t> noise(500);
  for (uint8_t& b : noise) b = static_cast<uint8_t>(rng());
  for (int32_t mode = 0; mode < 3; ++mode) {
    std::vector<uint8_t> data = noise;
    EXPECT_EQ(CApi::Encoder(data, mode), 1);
    EXPECT_EQ(data, noise);  // left as it was
  }
  std::vector<uint8_t> tiny(16, 0);
  EXPECT_EQ(CApi::Encoder(tiny, 0), 1);
}

TEST(CApiCodec, DamagedBlocksAreRefusedAndLeftAlone) {
  if (!LibraryCodersPresent()) GTEST_SKIP() << "libblivo.so lacks the encoders or bounded decoders";
  std::mt19937 rng(11);
  const std::vector<uint8_t> original = Compressible(rng, 8000);
  for (int32_t mode = 0; mode < 3; ++mode) {
    std::vector<uint8_t> block = original;
    ASSERT_EQ(CApi::Encoder(block, mode), 0);
    // Cut short: the decoder runs out of stream before the stated length.
    std::vector<uint8_t> cut(block.begin(), block.begin() + 12 + (block.size() - 12) / 3);
    const std::vector<uint8_t> before = cut;
    EXPECT_EQ(CApi::Decoder(cut), 1) << "mode " << mode;
    EXPECT_EQ(cut, before);
    std::vector<uint8_t> dst{1, 2, 3};
    int32_t err = 0;
    CApi::DecoderByProg(dst, cut, err);
    EXPECT_EQ(err, 1);
    EXPECT_TRUE(dst.empty());
    // Random damage anywhere never reads or writes out of bounds (the sanitizers watch).
    for (int k = 0; k < 200; ++k) {
      std::vector<uint8_t> bad = block;
      bad[12 + rng() % (bad.size() - 12)] = static_cast<uint8_t>(rng());
      std::vector<uint8_t> out;
      (void)CApi::DecodeBlock(bad, CApi::LibraryDecoders(), out);
      EXPECT_TRUE(out.empty() || out.size() == original.size());
    }
  }
}

}  // namespace
