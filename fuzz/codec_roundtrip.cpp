// Fuzz target: every compressor on arbitrary input. A success must stay below the method's
// limit and both decoder forms must give the input back from a stream of exactly that length.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "blivo.h"

namespace {

struct Method {
  decltype(&::Encoder) encode;
  decltype(&::Decoder) decode;
  decltype(&::DecoderEx) decodeEx;
  int32_t margin;
};

constexpr Method kMethods[] = {{Encoder, Decoder, DecoderEx, 48},
                               {iEncoder, iDecoder, iDecoderEx, 48},
                               {ioEncoder, ioDecoder, ioDecoderEx, 64}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  const int32_t n = static_cast<int32_t>(size);
  const std::vector<uint8_t> input(data, data + size);
  for (const Method& m : kMethods) {
    std::vector<uint8_t> packed(size + 1);
    int32_t len = -1;
    if (m.encode(input.data(), packed.data(), n, &len) != 0) continue;
    const int64_t limit = n >= m.margin ? n - m.margin : n;
    if (len < 0 || len >= limit) std::abort();
    const std::vector<uint8_t> stream(packed.begin(), packed.begin() + len);
    std::vector<uint8_t> out(size, 0xCC);
    if (m.decodeEx(stream.data(), len, out.data(), n) != 0 || out != input) std::abort();
    std::fill(out.begin(), out.end(), 0xCC);
    if (m.decode(stream.data(), out.data(), n) != 0 || out != input) std::abort();
  }
  return 0;
}
