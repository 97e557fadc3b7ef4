// The run-time binding against the real library and against a missing one.
#include "platform/CBlivoBinding.h"

#include <gtest/gtest.h>

namespace {

using platform::CBlivoBinding;

// One call site, so that its cached lookup is what the tests exercise.
decltype(&::GetCpuID) CpuIdSite() { return BLIVO_FN(GetCpuID); }

class BindingTest : public ::testing::Test {
 protected:
  void TearDown() override { CBlivoBinding::Shared().Rebind(""); }
};

TEST_F(BindingTest, FindsTheLibraryBesideTheExecutable) {
  CBlivoBinding::Shared().Rebind("");
  EXPECT_EQ(CBlivoBinding::Shared().LibraryPath(), platform::ExecutableFolder() + "libblivo.so");
  ASSERT_EQ(CBlivoBinding::Shared().Open(), CBlivoBinding::Status::kOk)
      << CBlivoBinding::Shared().LastError();
  auto cpuId = CpuIdSite();
  ASSERT_NE(cpuId, nullptr);
  EXPECT_EQ(cpuId(), 28);
  auto add = BLIVO_FN(dllAdd);
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add(40, 2), 42);
}

TEST_F(BindingTest, ExportsArePlainCNames) {
  for (const char* name : {"BBI", "Get_ptr", "MMX", "GetCpuID", "SHR", "SHL", "dllAdd", "GetWORD", "GetInt",
                           "SetWORD", "SetInt", "GetDWORD", "SetDWORD", "GetIntByByte",
                           "SetIntToByte", "TestBuffer", "GetRandom", "HitTestWall", "Encoder",
                           "Decoder", "DecoderEx", "iEncoder", "iDecoder", "iDecoderEx",
                           "ioEncoder", "ioDecoder", "ioDecoderEx"})
    EXPECT_EQ(CBlivoBinding::Shared().Probe(name), CBlivoBinding::Status::kOk) << name;
  // Internal symbols stay hidden.
  EXPECT_EQ(CBlivoBinding::Shared().Probe("_ZN5blivo8CpuClassEv"),
            CBlivoBinding::Status::kNoExport);
  EXPECT_EQ(CBlivoBinding::Shared().Probe("NoSuchExport"), CBlivoBinding::Status::kNoExport);
  EXPECT_FALSE(CBlivoBinding::Shared().LastError().empty());
}

TEST_F(BindingTest, MissingLibraryIsAResult) {
  CBlivoBinding::Shared().Rebind("/nonexistent/libblivo.so");
  EXPECT_EQ(CBlivoBinding::Shared().Open(), CBlivoBinding::Status::kNoLibrary);
  EXPECT_EQ(CpuIdSite(), nullptr);
  EXPECT_EQ(CBlivoBinding::Shared().Probe("GetCpuID"), CBlivoBinding::Status::kNoLibrary);
  EXPECT_NE(CBlivoBinding::Shared().LastError().find("libblivo.so"), std::string::npos);
  // A call site that was resolved against the missing library picks up the real one later.
  CBlivoBinding::Shared().Rebind("");
  auto cpuId = CpuIdSite();
  ASSERT_NE(cpuId, nullptr);
  EXPECT_EQ(cpuId(), 28);
}

}  // namespace
