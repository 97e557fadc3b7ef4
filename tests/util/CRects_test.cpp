// CRects: slots and holes, the slot cap, hit tests, list-order and spatial cursor moves (cases
// worked out by hand from the corner positions), the text format and its round trip, files.
#include "util/CRects.h"

#include <gtest/gtest.h>

#include <random>

#include "PakTestSupport.h"
#include "util/CApi.h"
#include "util/CPakArchive.h"

namespace {

using util::CRects;

// Slots given as {Left, Top} corners, each 10 x 10, existing and enabled.
CRects Layout(const std::vector<std::pair<int32_t, int32_t>>& corners) {
  CRects list;
  for (size_t i = 0; i < corners.size(); ++i) {
    EXPECT_EQ(list.SettingStr(std::to_string(i) + "," + std::to_string(corners[i].first) + "," +
                              std::to_string(corners[i].second) + ",10,10,1"),
              0);
  }
  return list;
}

TEST(CRects, NewListIsEmpty) {
  CRects list;
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.ItemExist(0));
  EXPECT_EQ(list.Item(0), nullptr);
  EXPECT_EQ(list.Point(0, 0), -1);
  EXPECT_EQ(list.LinearIndex(-1), -1);
  EXPECT_EQ(list.NextIndex(0, 1, 0), -1);
  EXPECT_EQ(list.GetSettingStr(), "");
}

TEST(CRects, AddClaimsSlotsAndGrowsWithHoles) {
  CRects list;
  struct Step {
    int32_t index;
    bool retry;
    int32_t expected;
    int32_t count;
  };
  const std::vector<Step> steps = {
      {-1, false, -1, 0},  // negative index
      {3, false, 3, 4},    // grows; 0..2 are holes
      {3, false, -1, 4},   // taken, no retry
      {3, true, 4, 5},     // taken, retry walks on and grows
      {0, false, 0, 5},    // a hole is claimed in place
      {0, true, 1, 5},     // retry finds the next hole
  };
  for (const Step& s : steps) {
    EXPECT_EQ(list.Add(s.index, s.retry), s.expected) << s.index << " retry " << s.retry;
    EXPECT_EQ(list.Count(), s.count);
  }
  EXPECT_TRUE(list.ItemExist(1));
  EXPECT_FALSE(list.ItemExist(2));
  EXPECT_FALSE(list.ItemEnabled(1));
  EXPECT_EQ(list.ItemCaption(1), "");
  ASSERT_NE(list.Item(1), nullptr);
  EXPECT_TRUE(list.Item(1)->IsZero());
  EXPECT_EQ(list.Item(2), nullptr);  // a hole has no rectangle
}

TEST(CRects, SlotCountIsCapped) {
  CRects list;
  EXPECT_EQ(list.Add(CRects::kMaxSlots - 1), CRects::kMaxSlots - 1);
  EXPECT_EQ(list.Count(), CRects::kMaxSlots);
  EXPECT_EQ(list.Add(CRects::kMaxSlots), -1);
  EXPECT_EQ(list.Add(CRects::kMaxSlots - 1, true), -1);  // retry would pass the cap
  EXPECT_EQ(list.Count(), CRects::kMaxSlots);

  CRects text;
  EXPECT_EQ(text.SettingStr("65536,0,0,1,1,1,x"), -1);
  EXPECT_EQ(text.SettingStr("2147483647,0,0,1,1"), -1);
  EXPECT_EQ(text.SettingStr("99999999999999,0,0,1,1"), -1);
  EXPECT_EQ(text.Count(), 0);
  text.Setting("4000000000,0,0,1,1,1,huge\r\n1,2,3,4,5,1,kept\r\n");
  EXPECT_EQ(text.Count(), 2);
  EXPECT_EQ(text.ItemCaption(1), "kept");
  text.Resize(INT32_MAX);
  EXPECT_EQ(text.Count(), CRects::kMaxSlots);
}

TEST(CRects, RemoveTurnsASlotIntoAHoleAndEmptiesItsRectangle) {
  CRects list;
  ASSERT_EQ(list.SettingStr("0,5,6,7,8,1,Start"), 0);
  const std::shared_ptr<util::CRect> held = list.Item(0);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(list.Remove(0), 0);
  EXPECT_FALSE(list.ItemExist(0));
  EXPECT_EQ(list.Item(0), nullptr);
  EXPECT_TRUE(held->IsZero());  // the caller's reference sees the emptied rectangle
  EXPECT_EQ(held->Left, 0);
  EXPECT_EQ(list.Remove(0), -1);
  EXPECT_EQ(list.Remove(7), -1);
  EXPECT_EQ(list.Add(0), 0);
  EXPECT_EQ(list.ItemCaption(0), "");
  EXPECT_FALSE(list.ItemEnabled(0));
}

TEST(CRects, ItemIsTheListsOwnRectangle) {
  CRects list;
  ASSERT_EQ(list.Add(0), 0);
  list.Item(0)->Create(1, 2, 3, 4);
  list.ItemCaption(0, "Go");
  list.ItemEnabled(0, true);
  EXPECT_EQ(list.GetSettingStr(), "0,1,2,3,4,1,Go\r\n");
  list.ItemCaption(5, "ignored");  // out of range: nothing happens
  list.ItemEnabled(-1, true);
  EXPECT_EQ(list.Count(), 1);
}

TEST(CRects, ResizeKeepsSurvivorsAndMarksEverySlotExisting) {
  CRects list;
  ASSERT_EQ(list.SettingStr("1,10,10,5,5,1,one"), 0);
  ASSERT_EQ(list.SettingStr("3,20,20,5,5,0,three"), 0);
  list.Resize(3);
  EXPECT_EQ(list.Count(), 3);
  for (int32_t i = 0; i < 3; ++i) EXPECT_TRUE(list.ItemExist(i));
  EXPECT_EQ(list.ItemCaption(1), "one");
  EXPECT_EQ(list.GetSettingStr(), "0,0,0,0,0,0,\r\n1,10,10,5,5,1,one\r\n2,0,0,0,0,0,\r\n");
  list.Resize(0);
  EXPECT_EQ(list.Count(), 0);
}

TEST(CRects, PointFindsTheLowestSlotUnderThePoint) {
  CRects list;
  list.Setting("0,0,0,10,10,0,\r\n1,5,5,10,10,1,\r\n2,0,0,100,100,1,\r\n");
  struct Case {
    int32_t x, y, plain, enabledOnly;
  };
  const std::vector<Case> cases = {
      {6, 6, 0, 1},     // all three overlap here
      {2, 2, 0, 2},     // slot 0 is disabled
      {12, 12, 1, 1},   // only 1 and 2
      {50, 50, 2, 2},   // only 2
      {100, 5, -1, -1}, // right edge is outside
  };
  for (const Case& c : cases) {
    EXPECT_EQ(list.Point(c.x, c.y), c.plain) << c.x << "," << c.y;
    EXPECT_EQ(list.PointEx(c.x, c.y), c.enabledOnly) << c.x << "," << c.y;
  }
  ASSERT_EQ(list.Remove(0), 0);
  EXPECT_EQ(list.Point(2, 2), 2);
}

TEST(CRects, LinearIndexWalksInListOrderAndWraps) {
  // 0 enabled, 1 hole, 2 disabled, 3 enabled, 4 hole.
  CRects list;
  list.Setting("0,0,0,1,1,1\r\n2,0,0,1,1,0\r\n3,0,0,1,1,1\r\n");
  ASSERT_EQ(list.Add(4), 4);
  ASSERT_EQ(list.Remove(4), 0);
  struct Case {
    int32_t index, vec, plain, enabledOnly;
  };
  const std::vector<Case> cases = {
      {0, 0, 2, 3},   {0, 1, 2, 3},   {2, 0, 3, 3},   {3, 0, 0, 0},   {4, 0, 0, 0},
      {0, -1, 3, 3},  {2, -1, 0, 0},  {3, -1, 2, 0},  {1, -5, 0, 0},
      {-1, 0, 0, 0},  {5, 0, 0, 0},   {-1, -1, 0, 0},  // out of range: lowest candidate
  };
  for (const Case& c : cases) {
    EXPECT_EQ(list.LinearIndex(c.index, c.vec), c.plain) << c.index << " vec " << c.vec;
    EXPECT_EQ(list.LinearIndexEx(c.index, c.vec), c.enabledOnly) << c.index << " vec " << c.vec;
  }
  CRects single;
  single.Setting("2,0,0,1,1,0\r\n");
  EXPECT_EQ(single.LinearIndex(2), 2);  // the slot itself is looked at last
  EXPECT_EQ(single.LinearIndexEx(2), -1);
}

TEST(CRects, NextIndexMovesToTheNearestSlotInTheDirection) {
  // A 3 x 2 grid of corners 100 apart:  0 1 2 / 3 4 5.
  const CRects grid = Layout({{0, 0}, {100, 0}, {200, 0}, {0, 100}, {100, 100}, {200, 100}});
  struct Case {
    int32_t index, x, y, expected;
  };
  const std::vector<Case> cases = {
      {0, 1, 0, 1},    // right: 1 at 100 beats 4 (off-axis, penalised)
      {1, -1, 0, 0},   {0, 0, 1, 3},  {4, 0, -1, 1},
      {0, 1, 1, 4},    // diagonal: 4 at 141 beats 5 at 224
      {2, 1, 0, 0},    // wraps: from 800 left of slot 2, slot 0 (800) beats 3 (806)
      {5, 0, 1, 2},    // wraps: from (200, -900), 2 is nearest
      {3, -1, 0, 5},   // from (-1000, 100): 3 is skipped in pass 0 only, 5 at 1200 vs ...
      {0, 0, 0, 1},    // no direction: the next slot in list order
      {-1, 1, 0, 0},   // out of range: lowest candidate
      {9, 0, 1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(grid.NextIndex(c.index, c.x, c.y), c.expected)
        << "from " << c.index << " dir " << c.x << "," << c.y;
  }
}

TEST(CRects, NextIndexPenalisesOffAxisOffsetsInTheFirstPassOnly) {
  // From (0,0) moving right: slot 1 at (100,50) is nearer in plain distance (111.8) than slot 2
  // at (115,0) (115), but with the off-axis offset counted 1.3 times it is 119.3.
  const CRects list = Layout({{0, 0}, {100, 50}, {115, 0}});
  EXPECT_EQ(list.NextIndex(0, 1, 0), 2);
  // The diagonal move has no penalty: slot 1 lies down-right, slot 2 does not (jy > 0 fails).
  EXPECT_EQ(list.NextIndex(0, 1, 1), 1);
  // Wrap from slot 2: origin (-885, 0); plain distances 885 (0), 986 (1), 1000 (2 itself).
  EXPECT_EQ(list.NextIndex(2, 1, 0), 0);
}

TEST(CRects, NextIndexTiesKeepTheLowerIndexAndMayReturnTheSlotItself) {
  const CRects ties = Layout({{0, 0}, {100, -50}, {100, 50}});
  EXPECT_EQ(ties.NextIndex(0, 1, 0), 1);
  const CRects alone = Layout({{10, 10}});
  EXPECT_EQ(alone.NextIndex(0, 1, 0), 0);
  EXPECT_EQ(alone.NextIndex(0, 0, -1), 0);
}

TEST(CRects, NextIndexExSkipsDisabledSlots) {
  CRects grid = Layout({{0, 0}, {100, 0}, {200, 0}, {0, 100}, {100, 100}, {200, 100}});
  grid.ItemEnabled(1, false);
  // Right from 0 without slot 1: 4 at penalised 164 beats 2 at 200.
  EXPECT_EQ(grid.NextIndexEx(0, 1, 0), 4);
  EXPECT_EQ(grid.NextIndex(0, 1, 0), 1);
  EXPECT_EQ(grid.NextIndexEx(-1, 1, 0), 0);
  grid.ItemEnabled(0, false);
  EXPECT_EQ(grid.NextIndexEx(-1, 1, 0), 2);
}

TEST(CRects, SettingStrReadsOneLine) {
  CRects list;
  EXPECT_EQ(list.SettingStr("3,40,120,200,24,1,Start"), 0);
  EXPECT_EQ(list.Count(), 4);
  ASSERT_NE(list.Item(3), nullptr);
  EXPECT_EQ(list.Item(3)->Left, 40);
  EXPECT_EQ(list.Item(3)->Top, 120);
  EXPECT_EQ(list.Item(3)->Width, 200);
  EXPECT_EQ(list.Item(3)->Height, 24);
  EXPECT_TRUE(list.ItemEnabled(3));
  EXPECT_EQ(list.ItemCaption(3), "Start");
  EXPECT_EQ(list.GetSettingStr(), "3,40,120,200,24,1,Start\r\n");

  EXPECT_EQ(list.SettingStr("2,1,1,1"), -1);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_FALSE(list.ItemExist(2));
  EXPECT_EQ(list.SettingStr("5,0,0,8,8"), 0);
  EXPECT_EQ(list.Count(), 6);
  EXPECT_TRUE(list.ItemExist(5));
  EXPECT_FALSE(list.ItemEnabled(5));
  EXPECT_EQ(list.ItemCaption(5), "");
  EXPECT_EQ(list.SettingStr("-1,0,0,8,8"), -1);
  EXPECT_EQ(list.SettingStr(""), -1);
}

TEST(CRects, SettingStrFieldsAreReadAsNumbers) {
  struct Case {
    const char* line;
    const char* written;  // what GetSettingStr gives back for the slot
  };
  const std::vector<Case> cases = {
      {"0,2.5,3.5,x,-4,2,Cap,tail", "0,2,4,0,-4,1,Cap\r\n"},  // halves to even; after a comma dropped
      {" 1,&H10, 7,12abc,0,0", "1,16,7,12,0,0,\r\n"},
      {"0,1,1,1,1,abc,日本語", "0,1,1,1,1,0,日本語\r\n"},
  };
  for (const Case& c : cases) {
    CRects list;
    ASSERT_EQ(list.SettingStr(c.line), 0) << c.line;
    EXPECT_EQ(list.GetSettingStr(), c.written) << c.line;
  }
}

TEST(CRects, SettingReplacesTheListLineByLine) {
  CRects list;
  ASSERT_EQ(list.SettingStr("7,0,0,1,1,1,old"), 0);
  list.Setting("1,0,0,5,5,1,first\r\n\r\nnot a line\r\n1,1,1,6,6,0,second\r\n0,9,9,9,9,1,zero");
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetSettingStr(), "0,9,9,9,9,1,zero\r\n1,1,1,6,6,0,second\r\n");
  list.Setting("");
  EXPECT_EQ(list.Count(), 0);
}

TEST(CRects, TextFormRoundTripsRandomLists) {
  const std::string alphabet = "abcXYZ 09_-+!あ日";
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    CRects list;
    const int slots = static_cast<int>(rng() % 12);
    for (int i = 0; i < slots; ++i) {
      const int32_t index = static_cast<int32_t>(rng() % 20);
      if (list.Add(index) < 0) continue;
      list.Item(index)->Create(static_cast<int32_t>(rng()), static_cast<int32_t>(rng() % 2000) - 1000,
                               static_cast<int32_t>(rng() % 900), static_cast<int32_t>(rng() % 900));
      std::string caption;
      for (int k = static_cast<int>(rng() % 6); k > 0; --k) caption += alphabet[rng() % alphabet.size()];
      list.ItemCaption(index, caption);
      list.ItemEnabled(index, rng() % 2 == 0);
    }
    CRects copy;
    copy.Setting(list.GetSettingStr());
    EXPECT_EQ(copy.GetSettingStr(), list.GetSettingStr()) << "seed " << seed;
    for (int32_t i = 0; i < list.Count(); ++i) {
      ASSERT_EQ(copy.ItemExist(i), list.ItemExist(i)) << "seed " << seed << " slot " << i;
      if (!list.ItemExist(i)) continue;
      EXPECT_EQ(*copy.Item(i), *list.Item(i)) << "seed " << seed << " slot " << i;
      EXPECT_EQ(copy.ItemCaption(i), list.ItemCaption(i));
      EXPECT_EQ(copy.ItemEnabled(i), list.ItemEnabled(i));
    }
  }
}

TEST(CRects, SaveToTextAndLoad) {
  paktest::ScratchDir dir;
  util::CApi api;
  CRects list;
  list.Setting("0,40,120,200,24,1,Start\r\n2,40,160,200,24,0,Exit\r\n");
  list.SaveToText(dir / "menu.txt", &api);
  EXPECT_EQ(paktest::ReadAll(dir / "menu.txt"),
            std::vector<uint8_t>({'0', ',', '4', '0', ',', '1', '2', '0', ',', '2', '0', '0', ',',
                                  '2', '4', ',', '1', ',', 'S', 't', 'a', 'r', 't', '\r', '\n', '2',
                                  ',', '4', '0', ',', '1', '6', '0', ',', '2', '0', '0', ',', '2',
                                  '4', ',', '0', ',', 'E', 'x', 'i', 't', '\r', '\n'}));
  CRects loaded;
  EXPECT_EQ(loaded.Load(dir / "menu.txt", &api), 0);
  EXPECT_EQ(loaded.GetSettingStr(), list.GetSettingStr());
  CRects withoutApi;  // falls back to a private utility object
  EXPECT_EQ(withoutApi.Load(dir / "menu.txt"), 0);
  EXPECT_EQ(withoutApi.GetSettingStr(), list.GetSettingStr());
  // A missing or empty file leaves the list as it was.
  EXPECT_EQ(loaded.Load(dir / "missing.txt", &api), 1);
  paktest::WriteText(dir.Path() / "empty.txt", "");
  EXPECT_EQ(loaded.Load(dir / "empty.txt", &api), 1);
  EXPECT_EQ(loaded.GetSettingStr(), list.GetSettingStr());
}

TEST(CRects, LoadReadsFromAPackedFolder) {
  paktest::ScratchDir dir;
  paktest::WriteText(dir.Path() / "Menu" / "KeyConfig.txt", "4,1,2,3,4,1,Key\r\n");
  ASSERT_NE(util::CPakArchive::Create(dir / "Menu").archive, "");
  std::filesystem::remove_all(dir.Path() / "Menu");
  util::CApi api;
  CRects list;
  ASSERT_EQ(list.Load(dir / "Menu/KeyConfig.txt", &api), 0);
  EXPECT_EQ(list.ItemCaption(4), "Key");
}

}  // namespace
