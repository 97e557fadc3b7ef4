// Entry point. Until the engine root opens a window, the program binds the pixel library,
// reports the processor class and checks the library's compressors and generator end to end.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/CBlivoBinding.h"
#include "version.h"

namespace {

// Each method must restore a block of flat runs and a gradient exactly.
bool CheckCompressors(std::string& failure) {
  std::vector<uint8_t> input(64 * 1024);
  for (size_t i = 0; i < input.size(); ++i)
    input[i] = static_cast<uint8_t>(i < input.size() / 2 ? (i / 4096) * 17 : (i >> 3) & 0xFF);
  const int32_t n = static_cast<int32_t>(input.size());

  struct Method {
    const char* name;
    decltype(&::Encoder) encode;
    decltype(&::DecoderEx) decode;
  };
  const Method methods[] = {{"Encoder", BLIVO_FN(Encoder), BLIVO_FN(DecoderEx)},
                            {"iEncoder", BLIVO_FN(iEncoder), BLIVO_FN(iDecoderEx)},
                            {"ioEncoder", BLIVO_FN(ioEncoder), BLIVO_FN(ioDecoderEx)}};
  for (const Method& m : methods) {
    if (m.encode == nullptr || m.decode == nullptr) {
      failure = std::string(m.name) + " is not exported";
      return false;
    }
    std::vector<uint8_t> packed(input.size()), restored(input.size());
    int32_t packedLen = 0;
    if (m.encode(input.data(), packed.data(), n, &packedLen) != 0) {
      failure = std::string(m.name) + " could not compress its check block";
      return false;
    }
    if (m.decode(packed.data(), packedLen, restored.data(), n) != 0 || restored != input) {
      failure = std::string(m.name) + " did not restore its check block";
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--version") == 0)) {
    std::printf("tumbleroo %s\n", TUMBLEROO_VERSION_STRING);
    return 0;
  }
  auto cpuId = BLIVO_FN(GetCpuID);
  if (cpuId == nullptr) {
    std::fprintf(stderr, "起動できません\nBLIVO.DLLがインストールされていません\n(%s)\n",
                 platform::CBlivoBinding::Shared().LastError().c_str());
    return 1;
  }
  std::printf("tumbleroo %s\n", TUMBLEROO_VERSION_STRING);
  std::printf("libblivo: %s\n", platform::CBlivoBinding::Shared().LibraryPath().c_str());
  std::printf("processor class: %d\n", cpuId());

  std::string failure;
  if (!CheckCompressors(failure)) {
    std::fprintf(stderr, "self-check failed: %s\n", failure.c_str());
    return 1;
  }
  auto random = BLIVO_FN(GetRandom);
  if (random == nullptr || random(1) != 0) {
    std::fprintf(stderr, "self-check failed: GetRandom\n");
    return 1;
  }
  std::printf("self-check: compressors and random generator OK\n");
  return 0;
}
