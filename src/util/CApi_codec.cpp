// CApi's encoded data blocks: identifier 0x6B8FB388, mode, unencoded length (little-endian
// 32-bit each), then the stream of the library's encoder for that mode. Decoding uses the
// library's bounded decoders and refuses a claimed length that the stream could not produce.
#include "util/CApi.h"

#include <climits>

#include "platform/CBlivoBinding.h"
#include "util/LeBytes.h"

namespace util {

namespace {

}  // namespace

CApi::BlockEncoders CApi::LibraryEncoders() {
  BlockEncoders encoders;
  encoders.mode[0] = BLIVO_FN(Encoder);
  encoders.mode[1] = BLIVO_FN(iEncoder);
  encoders.mode[2] = BLIVO_FN(ioEncoder);
  return encoders;
}

CApi::BlockDecoders CApi::LibraryDecoders() {
  BlockDecoders decoders;
  decoders.mode[0] = BLIVO_FN(DecoderEx);
  decoders.mode[1] = BLIVO_FN(iDecoderEx);
  decoders.mode[2] = BLIVO_FN(ioDecoderEx);
  return decoders;
}

int64_t CApi::MaxDecodedLength(int32_t mode, size_t encodedBytes) {
  const auto s = static_cast<int64_t>(std::min<size_t>(encodedBytes, INT32_MAX));
  switch (mode) {
    case 0:  // a flag byte and eight 2-byte references of 18 bytes: 17 bytes give 144
      return s * 9 + 144;
    case 1:  // the shortest code, 3 bits, gives a pair of bytes
      return s * 6 + 16;
    case 2:  // one bit repeats a 4-byte group
      return s * 32 + 4;
    default:
      return 0;
  }
}

int32_t CApi::EncodeBlock(std::span<const uint8_t> src, int32_t mode,
                          const BlockEncoders& encoders, std::vector<uint8_t>& block) {
  if (mode < 0 || mode > 2) return 1;
  if (src.size() > static_cast<size_t>(INT32_MAX) - kBlockHeaderBytes) return 1;
  const EncoderFn encode = encoders.mode[mode];
  if (encode == nullptr) return 1;
  const auto n = static_cast<int32_t>(src.size());
  // The encoders write at most n bytes.
  std::vector<uint8_t> out(kBlockHeaderBytes + src.size());
  int32_t outLen = 0;
  if (encode(src.data(), out.data() + kBlockHeaderBytes, n, &outLen) != 0) return 1;
  if (outLen < 0 || outLen > n) return 1;
  StoreLe32(out.data(), kBlockIdentifier);
  StoreLe32(out.data() + 4, static_cast<uint32_t>(mode));
  StoreLe32(out.data() + 8, static_cast<uint32_t>(n));
  out.resize(kBlockHeaderBytes + static_cast<size_t>(outLen));
  block = std::move(out);
  return 0;
}

int32_t CApi::DecodeBlock(std::span<const uint8_t> block, const BlockDecoders& decoders,
                          std::vector<uint8_t>& dst) {
  if (block.size() < kBlockHeaderBytes) return 1;
  if (LoadLe32(block.data()) != kBlockIdentifier) return 1;
  const auto mode = static_cast<int32_t>(LoadLe32(block.data() + 4));
  const auto n = static_cast<int32_t>(LoadLe32(block.data() + 8));
  if (mode < 0 || mode > 2) return 1;
  const std::span<const uint8_t> stream = block.subspan(kBlockHeaderBytes);
  if (stream.size() > static_cast<size_t>(INT32_MAX)) return 1;
  if (n <= 0 || n > kMaxDecodedBytes || n > MaxDecodedLength(mode, stream.size())) return 1;
  const BoundedDecoderFn decode = decoders.mode[mode];
  if (decode == nullptr) return 1;
  std::vector<uint8_t> out(static_cast<size_t>(n));
  if (decode(stream.data(), static_cast<int32_t>(stream.size()), out.data(), n) != 0) return 1;
  dst = std::move(out);
  return 0;
}

int32_t CApi::Encoder(std::vector<uint8_t>& src, int32_t mode) {
  std::vector<uint8_t> block;
  if (EncodeBlock(src, mode, LibraryEncoders(), block) != 0) return 1;
  src = std::move(block);
  return 0;
}

int32_t CApi::Decoder(std::vector<uint8_t>& src) {
  std::vector<uint8_t> decoded;
  if (DecodeBlock(src, LibraryDecoders(), decoded) != 0) return 1;
  src = std::move(decoded);
  return 0;
}

void CApi::DecoderByProg(std::vector<uint8_t>& dst, std::span<const uint8_t> src, int32_t& err) {
  err = DecodeBlock(src, LibraryDecoders(), dst);
  if (err != 0) dst.clear();
}

}  // namespace util
