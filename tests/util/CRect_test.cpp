// CRect: the worked examples of union, intersection, aspect fitting and hit testing, plus the
// extreme fields where edge sums leave the 32-bit range.
#include "util/CRect.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using util::CRect;

CRect Box(int32_t x, int32_t y, int32_t w, int32_t h) {
  CRect r;
  r.Create(x, y, w, h);
  return r;
}

// Expected values are written as (Left, Top, Width, Height).
void ExpectBox(const CRect& r, int32_t x, int32_t y, int32_t w, int32_t h) {
  EXPECT_EQ(r.Left, x);
  EXPECT_EQ(r.Top, y);
  EXPECT_EQ(r.Width, w);
  EXPECT_EQ(r.Height, h);
}

TEST(CRect, NewIsAllZerosAndEmpty) {
  const CRect r;
  ExpectBox(r, 0, 0, 0, 0);
  EXPECT_TRUE(r.IsZero());
}

TEST(CRect, FieldsAreDeclaredTopLeftWidthHeight) {
  CRect r;
  r.Create(1, 2, 3, 4);
  const auto* fields = reinterpret_cast<const int32_t*>(&r);
  static_assert(sizeof(CRect) == 4 * sizeof(int32_t));
  EXPECT_EQ(fields[0], 2);  // Top
  EXPECT_EQ(fields[1], 1);  // Left
  EXPECT_EQ(fields[2], 3);  // Width
  EXPECT_EQ(fields[3], 4);  // Height
}

TEST(CRect, CreateLineIsTheInclusiveBoundingBox) {
  struct Case {
    int32_t x1, y1, x2, y2, left, top, width, height;
  };
  const std::vector<Case> cases = {
      {5, 5, 5, 5, 5, 5, 1, 1},      {10, 0, 2, 0, 2, 0, 9, 1},
      {0, 10, 3, -2, 0, -2, 4, 13},  {-4, -4, -1, -8, -4, -8, 4, 5},
  };
  for (const Case& c : cases) {
    CRect r;
    r.CreateLine(c.x1, c.y1, c.x2, c.y2);
    SCOPED_TRACE(std::to_string(c.x1) + "," + std::to_string(c.y1));
    ExpectBox(r, c.left, c.top, c.width, c.height);
  }
}

TEST(CRect, ScaleExpandGrowsAndShrinksOnEverySide) {
  CRect r = Box(10, 20, 30, 40);
  r.ScaleExpand(5);
  ExpectBox(r, 5, 15, 40, 50);
  r.ScaleExpand(-7);
  ExpectBox(r, 12, 22, 26, 36);
}

TEST(CRect, ExpandIsTheUnion) {
  struct Case {
    CRect start;
    int32_t x, y, w, h;
    CRect expected;
  };
  const std::vector<Case> cases = {
      {CRect{}, 1, 2, 3, 4, Box(1, 2, 3, 4)},                // empty takes the box as is
      {Box(0, 0, 10, 10), 5, 5, 0, 7, Box(0, 0, 10, 10)},    // zero width changes nothing
      {Box(0, 0, 10, 10), 5, 5, 7, 0, Box(0, 0, 10, 10)},    // zero height changes nothing
      {Box(0, 0, 10, 10), 20, 30, 5, 5, Box(0, 0, 25, 35)},  // disjoint: the hull
      {Box(10, 10, 5, 5), 0, 0, 3, 3, Box(0, 0, 15, 15)},    // box to the upper left
      {Box(0, 0, 10, 10), 2, 2, 3, 3, Box(0, 0, 10, 10)},    // contained box
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    CRect r = cases[i].start;
    r.Expand(cases[i].x, cases[i].y, cases[i].w, cases[i].h);
    EXPECT_EQ(r, cases[i].expected) << "case " << i;
  }
}

TEST(CRect, TrimIsTheIntersection) {
  struct Case {
    CRect start;
    int32_t x, y, w, h;
    CRect expected;
  };
  const std::vector<Case> cases = {
      {Box(0, 0, 10, 10), 20, 20, 5, 5, Box(20, 20, 0, 0)},  // disjoint: corner kept, size 0
      {Box(0, 0, 10, 10), 3, 3, 0, 5, CRect{}},              // zero-size box clears
      {CRect{}, 3, 3, 5, 5, CRect{}},                        // empty stays as it is
      {Box(0, 0, 10, 10), 5, -5, 10, 10, Box(5, 0, 5, 5)},   // partial overlap
      {Box(0, 0, 10, 10), 2, 3, 4, 5, Box(2, 3, 4, 5)},      // contained box
      {Box(0, 0, 10, 10), 12, 0, 5, 5, Box(12, 0, 0, 5)},    // only x is disjoint
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    CRect r = cases[i].start;
    r.Trim(cases[i].x, cases[i].y, cases[i].w, cases[i].h);
    EXPECT_EQ(r, cases[i].expected) << "case " << i;
  }
}

TEST(CRect, ZoomFitsTheAspectAndCentresWithinTheOldSize) {
  struct Case {
    CRect start;
    int32_t w, h;
    CRect expected;
  };
  const std::vector<Case> cases = {
      {Box(7, 9, 100, 50), 1, 1, Box(25, 0, 50, 50)},   // wider than 1:1
      {Box(7, 9, 50, 100), 1, 1, Box(0, 25, 50, 50)},   // taller than 1:1
      {Box(0, 0, 80, 60), 4, 3, Box(0, 0, 80, 60)},     // same aspect: r <= a branch
      {Box(0, 0, 5, 10), 5, 4, Box(0, 3, 5, 4)},        // (10 - 4) / 2 = 3, height 5/1.25 = 4
      {Box(0, 0, 3, 1), 1, 1, Box(1, 0, 1, 1)},         // (3 - 1) / 2 = 1
      {Box(0, 0, 4, 1), 1, 1, Box(2, 0, 1, 1)},         // (4 - 1) / 2 = 1.5 rounds to 2
      {Box(0, 0, 6, 1), 1, 1, Box(2, 0, 1, 1)},         // (6 - 1) / 2 = 2.5 rounds to 2
      {Box(0, 0, 10, 10), 0, 3, CRect{}},               // zero aspect clears
      {CRect{}, 3, 4, CRect{}},                         // empty stays empty
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    CRect r = cases[i].start;
    r.Zoom(123, 456, cases[i].w, cases[i].h);
    EXPECT_EQ(r, cases[i].expected) << "case " << i;
  }
}

TEST(CRect, RectFormsUseTheOtherRectanglesFields) {
  const CRect other = Box(3, 4, 5, 6);
  CRect a;
  a.CreateCopy(other);
  EXPECT_EQ(a, other);
  CRect b = Box(0, 0, 4, 4);
  b.ExpandRect(other);
  EXPECT_EQ(b, Box(0, 0, 8, 10));
  CRect c = Box(0, 0, 4, 5);
  c.TrimRect(other);
  EXPECT_EQ(c, Box(3, 4, 1, 1));
  CRect d = Box(0, 0, 100, 50);
  d.ZoomRect(Box(0, 0, 1, 1));
  EXPECT_EQ(d, Box(25, 0, 50, 50));
}

TEST(CRect, PointInExcludesRightAndBottomEdges) {
  const CRect r = Box(10, 20, 5, 3);
  struct Case {
    int32_t x, y;
    bool in;
  };
  const std::vector<Case> cases = {{10, 20, true},  {14, 22, true},  {15, 20, false},
                                   {10, 23, false}, {9, 20, false},  {10, 19, false}};
  for (const Case& c : cases) EXPECT_EQ(r.PointIn(c.x, c.y), c.in) << c.x << "," << c.y;
  EXPECT_FALSE(CRect{}.PointIn(0, 0));
}

TEST(CRect, ExtremeFieldsDoNotOverflow) {
  CRect r = Box(INT32_MAX - 1, INT32_MAX - 1, INT32_MAX, INT32_MAX);
  EXPECT_TRUE(r.PointIn(INT32_MAX, INT32_MAX));
  r.Expand(INT32_MIN, INT32_MIN, 1, 1);
  EXPECT_EQ(r.Left, INT32_MIN);
  r = Box(INT32_MIN, 0, INT32_MAX, 1);
  r.Trim(0, 0, INT32_MAX, 1);
  EXPECT_EQ(r.Width, 0);
  r.CreateLine(INT32_MIN, 0, INT32_MAX, 0);  // the width wraps, but nothing is undefined
  EXPECT_EQ(r.Left, INT32_MIN);
}

std::vector<std::string>* g_traceLines = nullptr;

TEST(CRect, DebugPrintGoesToTheAttachedTraceOnly) {
  std::vector<std::string> lines;
  g_traceLines = &lines;
  const CRect r = Box(1, -2, 30, 40);
  r.DebugPrint();  // no trace attached: nothing happens
  CRect::SetDebugTrace([](const std::string& line) { g_traceLines->push_back(line); });
  r.DebugPrint();
  CRect::SetDebugTrace(nullptr);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "1 -2 30 40");
}

}  // namespace
