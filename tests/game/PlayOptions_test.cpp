// The device, frame-saving and seed options: taken out of argv, the rest left in order, and
// every malformed value reported.
#include "game/PlayOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using game::PlayOptions;

struct Args {
  std::vector<std::string> text;
  std::vector<char*> argv;
  int argc = 0;
  explicit Args(std::vector<std::string> t) : text(std::move(t)) {
    text.insert(text.begin(), "tumbleroo");
    for (std::string& s : text) argv.push_back(s.data());
    argv.push_back(nullptr);
    argc = static_cast<int>(text.size());
  }
  std::vector<std::string> Rest() const {
    std::vector<std::string> r;
    for (int i = 1; i < argc; ++i) r.emplace_back(argv[i]);
    return r;
  }
};

TEST(PlayOptions, TakesItsOptionsAndLeavesTheRest) {
  Args a({"--frames", "30", "--device", "rgb", "--shot", "5:a.png", "--seed", "4294967295",
          "--shot", "12:dir/b.BMP", "--version"});
  const PlayOptions o = game::ParsePlayOptions(a.argc, a.argv.data());
  EXPECT_EQ(o.error, "");
  EXPECT_EQ(o.device, PlayOptions::Device::Rgb);
  ASSERT_EQ(o.shots.size(), 2u);
  EXPECT_EQ(o.shots[0].frame, 5);
  EXPECT_EQ(o.shots[0].file, "a.png");
  EXPECT_EQ(o.shots[1].frame, 12);
  EXPECT_EQ(o.shots[1].file, "dir/b.BMP");
  ASSERT_TRUE(o.seed.has_value());
  EXPECT_EQ(*o.seed, 4294967295u);
  EXPECT_EQ(a.Rest(), (std::vector<std::string>{"--frames", "30", "--version"}));
  EXPECT_EQ(a.argv[static_cast<size_t>(a.argc)], nullptr);

  Args none({});
  const PlayOptions d = game::ParsePlayOptions(none.argc, none.argv.data());
  EXPECT_EQ(d.device, PlayOptions::Device::Settings);
  EXPECT_FALSE(d.seed.has_value());
  EXPECT_TRUE(d.shots.empty());
}

TEST(PlayOptions, MalformedValuesAreReported) {
  const std::vector<std::vector<std::string>> bad = {
      {"--device", "gl"},   {"--device"},           {"--shot", "5"},      {"--shot", "0:a.png"},
      {"--shot", ":a.png"}, {"--shot", "x:a.png"},  {"--shot", "5:"},     {"--seed", "-1"},
      {"--seed", "4294967296"}, {"--seed", "12abc"}, {"--seed"},           {"--shot", "-3:a.png"}, {"--shot", "3:a.gif"}, {"--shot", "3:dir.png/a"}};
  for (const auto& args : bad) {
    Args a(args);
    const PlayOptions o = game::ParsePlayOptions(a.argc, a.argv.data());
    EXPECT_NE(o.error, "") << args[0] << " " << (args.size() > 1 ? args[1] : "");
    EXPECT_TRUE(a.Rest().empty()) << "the option and its value are consumed";
  }
}

}  // namespace
