// Fuzz target: the bounded decoder ioDecoderEx on arbitrary streams and lengths.
#include "codec_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return RunBoundedDecoder(ioDecoderEx, data, size);
}
