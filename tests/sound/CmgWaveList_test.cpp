// The wave cache: loads on first use, keeps failures silent with at most one message per name,
// and releases by name or by the start of names.
#include "sound/CmgWaveList.h"

#include <gtest/gtest.h>

#include "SoundFakes.h"
#include "sound/spLibSound.h"

namespace {

struct ListRig {
  soundtest::OutputState out;
  soundtest::FakeClock clock;
  sound::spLibSound device{[this] { return std::make_unique<soundtest::FakeOutput>(out); },
                           &clock};
  soundtest::TempDir dir;
  sound::CmgWaveList list;
  std::vector<std::string> asked;
  bool answer = true;
  ListRig() {
    device.Start(44100, 16, 2);
    list.SetBasePath(dir.path.string() + "/");
    list.SetAsk([this](const std::string& text) {
      asked.push_back(text);
      return answer;
    });
    soundtest::WavShape shape;
    for (const char* name : {"se_hit.wav", "se_jump.wav", "bgm.wav"})
      dir.Write(name, soundtest::MakeWav(shape, soundtest::Pattern(400)));
  }
};

TEST(WaveList, LoadsOnceAndPlaysFromTheCache) {
  ListRig rig;
  sound::CmsWAV& hit = rig.list.DSB("se_hit.wav");
  EXPECT_TRUE(hit.Loaded());
  EXPECT_TRUE(hit.BufferValid());
  EXPECT_TRUE(rig.list.LoadedOk("se_hit.wav"));
  EXPECT_EQ(&rig.list.DSB("se_hit.wav"), &hit);
  EXPECT_EQ(rig.list.Count(), 1);
  hit.PlaySE(0.7f, 0, 0);
  EXPECT_TRUE(hit.GetState());
  int32_t flags = static_cast<int32_t>(hit.Buffer()->Flags());
  EXPECT_EQ(flags & 0xE8, 0xE8);  // static, frequency, pan and volume controls
}

TEST(WaveList, MissingFilesAreSilentAndReportedOncePerName) {
  ListRig rig;
  rig.list.SetErrorMessage("効果音が読み込めません");
  for (int i = 0; i < 3; ++i) {
    sound::CmsWAV& gone = rig.list.DSB("gone.wav");
    EXPECT_FALSE(gone.Loaded());
    gone.PlaySE(1, 0, 0);
    EXPECT_FALSE(gone.GetState());
  }
  ASSERT_EQ(rig.asked.size(), 1u);
  EXPECT_EQ(rig.asked[0], "gone.wav\r\n効果音が読み込めません");
  EXPECT_EQ(rig.list.Count(), 1);
  EXPECT_FALSE(rig.list.LoadedOk("gone.wav"));
  // Cancel silences every later failure.
  rig.answer = false;
  rig.list.DSB("gone2.wav");
  rig.list.DSB("gone3.wav");
  EXPECT_EQ(rig.asked.size(), 2u);
  EXPECT_TRUE(rig.list.ErrorMessage().empty());
  // An empty name gets no slot, only a silent wave.
  EXPECT_FALSE(rig.list.DSB("").Loaded());
  EXPECT_EQ(rig.list.Count(), 3);
}

TEST(WaveList, ReleasesByNameAndByTheStartOfNames) {
  ListRig rig;
  rig.list.DSB("se_hit.wav");
  rig.list.DSB("se_jump.wav");
  rig.list.DSB("bgm.wav");
  EXPECT_EQ(rig.list.Count(), 3);
  rig.list.ReleaseFile("se_jump.wav");
  rig.list.ReleaseFile("never.wav");
  EXPECT_EQ(rig.list.Count(), 2);
  EXPECT_FALSE(rig.list.LoadedOk("se_jump.wav"));
  // The freed slot is taken again and the wave loads anew.
  EXPECT_TRUE(rig.list.DSB("se_jump.wav").Loaded());
  rig.list.ReleaseLikeFiles("se_");
  EXPECT_EQ(rig.list.Count(), 1);
  EXPECT_TRUE(rig.list.LoadedOk("bgm.wav"));
  EXPECT_FALSE(rig.list.LoadedOk("se_hit.wav"));
  rig.list.ReleaseLikeFiles("");
  EXPECT_EQ(rig.list.Count(), 0);
  EXPECT_FALSE(rig.list.LoadedOk("bgm.wav"));
}

}  // namespace
