// Arbitrary bytes as a wave file: the scan either refuses them or gives a playable header whose
// samples all came from the input (or its decoded block), and what it gives saves and scans
// back the same.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "blivo.h"
#include "sound/WaveFile.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  util::CApi::BlockDecoders decoders;
  decoders.mode[0] = &DecoderEx;
  decoders.mode[1] = &iDecoderEx;
  decoders.mode[2] = &ioDecoderEx;
  const std::span<const uint8_t> file(data, size);

  sound::WaveScan head;
  const bool headerOk = sound::ScanWaveBytes(file, true, head, &decoders);
  sound::WaveScan full;
  const bool fullOk = sound::ScanWaveBytes(file, false, full, &decoders);
  if (!fullOk) {
    Check(full.samples.empty());
    return 0;
  }
  const sound::WaveHeader& h = full.header;
  Check(h.bits == 8 || h.bits == 16);
  Check(h.channels == 1 || h.channels == 2);
  Check(h.hz >= sound::kMinHz && h.hz <= sound::kMaxHz);
  Check(h.blockSize == h.bits / 8 * h.channels);
  Check(h.dataSize > 0 && h.dataSize % h.blockSize == 0 && h.blocks * h.blockSize == h.dataSize);
  Check(full.samples.size() == static_cast<size_t>(h.dataSize));
  if (full.source != sound::WaveSource::kW2) {
    Check(headerOk && head.header == h && head.dataOffset == full.dataOffset);
    Check(full.dataOffset >= 0 && static_cast<size_t>(full.dataOffset) + full.samples.size() <= size);
  }
  const auto bytes = h.ToBytes();
  Check(sound::WaveHeader::FromBytes(bytes) == h);

  bool encoded = false;
  const std::vector<uint8_t> saved = sound::BuildContainer(h, full.samples, false, encoded);
  sound::WaveScan back;
  Check(sound::ScanWaveBytes(saved, false, back, &decoders));
  Check(back.header == h && back.samples == full.samples);
  return 0;
}
