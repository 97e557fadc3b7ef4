// Encoded data blocks from outside through the wrapper and the library's bounded decoders:
// header, mode and claimed length are all hostile. A block that decodes re-encodes and decodes
// to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "blivo.h"
#include "util/CApi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  util::CApi::BlockDecoders decoders;
  decoders.mode[0] = &DecoderEx;
  decoders.mode[1] = &iDecoderEx;
  decoders.mode[2] = &ioDecoderEx;
  std::vector<uint8_t> out;
  const std::span<const uint8_t> block(data, size);
  if (util::CApi::DecodeBlock(block, decoders, out) != 0) {
    if (!out.empty()) std::abort();
    return 0;
  }
  const size_t streamBytes = size - util::CApi::kBlockHeaderBytes;
  const int32_t mode = data[4];
  if (static_cast<int64_t>(out.size()) > util::CApi::MaxDecodedLength(mode, streamBytes)) std::abort();
  util::CApi::BlockEncoders encoders;
  encoders.mode[0] = &Encoder;
  encoders.mode[1] = &iEncoder;
  encoders.mode[2] = &ioEncoder;
  std::vector<uint8_t> again;
  if (util::CApi::EncodeBlock(out, mode, encoders, again) == 0) {
    std::vector<uint8_t> back;
    if (util::CApi::DecodeBlock(again, decoders, back) != 0 || back != out) std::abort();
  }
  return 0;
}
