// CApi maths: random draws, counters, angles with the program's own constants, distances,
// hit tests, intersections, colour ramps and the ring buffer.
#include "util/CApi.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <set>
#include <string>

namespace {

using util::CApi;
using util::RingBuffer;

// ---- Random numbers and counters ----------------------------------------------------------

TEST(CApiMath, MathRndStaysInRangeAndReachesBothEnds) {
  CApi api;
  api.Randomize(12345);
  std::set<int32_t> seen;
  for (int i = 0; i < 6000; ++i) {
    const int32_t v = api.Math_Rnd(1, 6);
    ASSERT_GE(v, 1);
    ASSERT_LE(v, 6);
    seen.insert(v);
  }
  EXPECT_EQ(seen.size(), 6u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(api.Math_Rnd(3, 3), 3);
  for (int i = 0; i < 1000; ++i) {
    const int32_t v = api.Math_Rnd(-5, -2);
    ASSERT_GE(v, -5);
    ASSERT_LE(v, -2);
  }
}

TEST(CApiMath, MathRndFullRangeScalesTheSameDraw) {
  // Neither overflow nor clamping: a full-range draw is the 16-bit draw of the same uniform
  // value, widened, and both halves of the range come up.
  CApi wide;
  CApi narrow;
  wide.Randomize(7);
  narrow.Randomize(7);
  bool negative = false, positive = false;
  for (int i = 0; i < 1000; ++i) {
    const int64_t v = wide.Math_Rnd(INT32_MIN, INT32_MAX);
    ASSERT_EQ((v - INT32_MIN) >> 16, narrow.Math_Rnd(0, 65535)) << "draw " << i;
    negative = negative || v < 0;
    positive = positive || v > 0;
  }
  EXPECT_TRUE(negative);
  EXPECT_TRUE(positive);
}

TEST(CApiMath, RandomizeMakesDrawsReproducible) {
  CApi a;
  CApi b;
  a.Randomize(99);
  b.Randomize(99);
  for (int i = 0; i < 50; ++i) ASSERT_EQ(a.Math_Rnd(0, 1000000), b.Math_Rnd(0, 1000000)) << i;
  for (int i = 0; i < 1000; ++i) {
    const float r = a.NextUniform();
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
  }
}

TEST(CApiMath, RndUsesTheLibraryGeneratorWithinRange) {
  std::set<int32_t> seen;
  for (int i = 0; i < 3000; ++i) {
    const int32_t v = CApi::Rnd(10, 13);
    ASSERT_GE(v, 10);
    ASSERT_LE(v, 13);
    seen.insert(v);
  }
  EXPECT_EQ(seen.size(), 4u);
  EXPECT_EQ(CApi::Rnd(5, 5), 5);
  EXPECT_EQ(CApi::Rnd(INT32_MIN, INT32_MAX), INT32_MIN);  // range not expressible: min
}

TEST(CApiMath, IncAndDecClampAtTheBound) {
  int32_t v = 5;
  EXPECT_EQ(CApi::inc(v, 3, 7), 7);
  EXPECT_EQ(v, 7);
  v = 1;
  EXPECT_EQ(CApi::inc(v, 3), 4);
  EXPECT_EQ(CApi::dec(v, 10, 0), 0);
  float f = 1.5f;
  EXPECT_EQ(CApi::dec(f, 0.25f), 1.25f);
  EXPECT_EQ(CApi::inc(f, 1, 2), 2.0f);
  CApi::Math_Bound(f, 0, 1);
  EXPECT_EQ(f, 1.0f);
  std::vector<int32_t> many{1, 6};
  EXPECT_EQ(CApi::inc(many, 3, 7), 7);
  EXPECT_EQ(many, (std::vector<int32_t>{4, 7}));
  EXPECT_EQ(CApi::dec(many, 5, 0), 2);
  EXPECT_EQ(many, (std::vector<int32_t>{0, 2}));
}

TEST(CApiMath, MathBoundLetsMaxWin) {
  struct Case {
    int32_t a, min, max, expected;
  };
  const Case cases[] = {{5, 0, 10, 5}, {-1, 0, 10, 0}, {11, 0, 10, 10}, {5, 8, 3, 3}, {0, 0, 0, 0}};
  for (const Case& c : cases) {
    int32_t a = c.a;
    CApi::Math_Bound(a, c.min, c.max);
    EXPECT_EQ(a, c.expected) << c.a << " " << c.min << " " << c.max;
  }
}

TEST(CApiMath, MathRemainderTakesTheSignOfTheDivisor) {
  EXPECT_EQ(CApi::Math_Remainder(-1.0f, 4.0f), 3.0f);
  EXPECT_EQ(CApi::Math_Remainder(5.0f, 3.0f), 2.0f);
  EXPECT_EQ(CApi::Math_Remainder(5.0f, -3.0f), -1.0f);
  EXPECT_EQ(CApi::Math_Remainder(7.5f, 2.0f), 1.5f);
}

TEST(CApiMath, MathMaxDivFollowsTheRemainderChain) {
  struct Case {
    int32_t a, b, expected;
  };
  const Case cases[] = {
      {12, 18, 6}, {7, 0, 0},  {0, 7, 0},   {1, 9, 1},     {9, 1, 1},
      {9, 3, 3},   {17, 5, 1}, {-12, 18, 6}, {48, 36, 12}, {INT32_MIN, -1, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(CApi::Math_MaxDiv(c.a, c.b), c.expected) << c.a << "," << c.b;
}

// ---- Interpolation and colour ---------------------------------------------------------------

TEST(CApiMath, MathLineInterpolatesAndExtrapolates) {
  EXPECT_EQ(CApi::Math_Line(5, 0, 10, 0, 10), 5.0f);
  EXPECT_EQ(CApi::Math_Line(20, 0, 10, 0, 10), 20.0f);
  EXPECT_EQ(CApi::Math_Line(3, 4, 8, 2, 2), 6.0f);  // t1 = t2: the middle
  EXPECT_EQ(CApi::Math_Line(1, 100, 200, 1, 3), 100.0f);
  EXPECT_EQ(CApi::Math_Line(3, 100, 200, 1, 3), 200.0f);
}

TEST(CApiMath, MathColorRampsThroughTheColours) {
  const std::vector<int32_t> none;
  const std::vector<int32_t> one{0x123456};
  const std::vector<int32_t> two{0x000000, 0x0000FF};
  const std::vector<int32_t> three{0x000000, 0x0000FF, 0x00FF00};
  EXPECT_EQ(CApi::Math_Color(0.5f, none), 0);
  for (float pos : {-1.0f, 0.0f, 0.3f, 1.0f, 5.0f}) EXPECT_EQ(CApi::Math_Color(pos, one), 0x123456);
  EXPECT_EQ(CApi::Math_Color(1.0f, three), 0x00FF00);
  EXPECT_EQ(CApi::Math_Color(7.0f, three), 0x00FF00);
  EXPECT_EQ(CApi::Math_Color(-3.0f, three), 0x000000);
  EXPECT_EQ(CApi::Math_Color(std::nanf(""), three), 0x000000);
  // Half way: weight trunc(0.5 * 256) = 128, 255 * 128 >> 8 = 127.
  EXPECT_EQ(CApi::Math_Color(0.5f, two), 0x00007F);
  // 0.75 of two steps lands half way between the second and third colour.
  EXPECT_EQ(CApi::Math_Color(0.75f, three), 0x007F7F);
}

TEST(CApiMath, MathFlipColorSwapsRedAndBlue) {
  EXPECT_EQ(CApi::Math_FlipColor(0x00123456), 0x00563412);
  EXPECT_EQ(CApi::Math_FlipColor(0x7F123456), 0x00563412);  // top byte dropped
  EXPECT_EQ(CApi::Math_FlipColor(0x000000FF), 0x00FF0000);
  // Truncating division keeps the sign of a negative colour in its lowest byte: -1 mod 256 is
  // -1, the other two bytes are 0.
  EXPECT_EQ(CApi::Math_FlipColor(-1), -65536);
  EXPECT_EQ(CApi::Math_FlipColor(INT32_MIN), 0);
}

// ---- Angles and vectors ---------------------------------------------------------------------

TEST(CApiMath, HomingUsesTheProgramsRadianConstants) {
  EXPECT_EQ(CApi::Homing(1, 0), 0.0f);
  EXPECT_EQ(CApi::Homing(0, -1), static_cast<float>(1.5707963));
  EXPECT_EQ(std::bit_cast<uint32_t>(CApi::Homing(-1, 0)), 0x40490FDAu);  // not float pi
  EXPECT_EQ(CApi::Homing(0, 1), static_cast<float>(4.7123889));
  EXPECT_EQ(CApi::Homing(0, 0), 0.0f);
  // Diagonals: up-right an eighth, up-left three eighths, down-right seven eighths of a turn.
  EXPECT_NEAR(CApi::Homing(1, -1), 0.7853981, 1e-6);
  EXPECT_NEAR(CApi::Homing(-1, -1), 2.3561944, 1e-6);
  EXPECT_NEAR(CApi::Homing(1, 1), 5.4977870, 1e-6);
}

TEST(CApiMath, MathHomingRadianMatchesHomingOfTheDifference) {
  const float pts[][4] = {{0, 0, 3, -4}, {2, 2, -1, 7}, {5, 1, 5, -3}, {-2, 3, 4, 3}, {4, 3, -4, 3}};
  for (const auto& p : pts) {
    EXPECT_NEAR(CApi::Math_HomingRadian(p[0], p[1], p[2], p[3]),
                CApi::Homing(p[2] - p[0], p[3] - p[1]), 1e-6);
  }
  EXPECT_EQ(std::bit_cast<uint32_t>(CApi::Math_HomingRadian(4, 3, -4, 3)), 0x40490FDAu);
}

TEST(CApiMath, MathHomingInDegrees) {
  EXPECT_EQ(CApi::Math_Homing(0, 0, 0, -10), 90.0f);
  EXPECT_EQ(CApi::Math_Homing(0, 0, 10, 0), 0.0f);
  EXPECT_EQ(CApi::Math_Homing(10, 0, 0, 0), 180.0f);
  EXPECT_EQ(CApi::Math_Homing(0, 0, 0, 10), 270.0f);
  // 57.2957914 is about 1.2e-5 above 180 / pi, so an eighth turn is 45 minus about 9.3e-6.
  const float upRight = CApi::Math_Homing(0, 0, 10, -10);
  EXPECT_NE(upRight, 45.0f);
  EXPECT_NEAR(upRight, 44.9999907, 2.5e-6);
  EXPECT_NEAR(CApi::Math_Homing(0, 0, -10, 10), 225.0, 1e-4);
}

TEST(CApiMath, MathSinAndCosUseDegrees) {
  EXPECT_NEAR(CApi::Math_Sin(90), 1.0, 1e-6);
  EXPECT_NEAR(CApi::Math_Cos(90), 0.0, 1e-5);
  EXPECT_NEAR(CApi::Math_Sin(30), 0.5, 1e-6);
  EXPECT_NEAR(CApi::Math_Cos(180), -1.0, 1e-6);
  // 0.01745328 is about 1.3e-8 below pi / 180: sin(180 degrees) is a little above 0.
  EXPECT_GT(CApi::Math_Sin(180), 0.0f);
  EXPECT_NEAR(CApi::Math_Sin(180), 180 * (3.14159265358979 / 180 - 0.01745328), 1e-7);
}

TEST(CApiMath, MathFanFoldsIntoHalfATurn) {
  EXPECT_EQ(CApi::Math_Fan(0, 1), 1.0f);
  EXPECT_EQ(CApi::Math_Fan(1, 0), -1.0f);
  EXPECT_NEAR(CApi::Math_Fan(0.5f, 6.0f), -0.7831852, 1e-6);
  EXPECT_NEAR(CApi::Math_Fan(6.0f, 0.5f), 0.7831852, 1e-6);
  // Exactly half a turn folds to the negative side.
  EXPECT_NEAR(CApi::Math_Fan(0, 3.1415925f), 3.1415925 - 6.2831852, 1e-6);
  EXPECT_LT(CApi::Math_Fan(0, 3.1415925f), 0.0f);
}

TEST(CApiMath, MathVectorAddComposesPolarVectors) {
  float angle = 0.0f;
  float length = 1.0f;
  CApi::Math_Vector_Add(angle, length, 1.5707963f, 1.0f);  // right plus up
  EXPECT_NEAR(angle, 0.7853981, 1e-6);
  EXPECT_NEAR(length, std::sqrt(2.0), 1e-6);

  angle = 0.0f;
  length = 2.0f;
  CApi::Math_Vector_Add(angle, length, 3.1415925f, 2.0f);  // opposite: nearly nothing left
  EXPECT_NEAR(length, 0.0, 1e-6);

  angle = 4.7123889f;  // down
  length = 3.0f;
  CApi::Math_Vector_Add(angle, length, 4.7123889f, 2.0f);
  EXPECT_NEAR(angle, 4.7123889, 1e-6);
  EXPECT_NEAR(length, 5.0, 1e-5);
}

TEST(CApiMath, MathLengthIsEuclidean) {
  EXPECT_EQ(CApi::Math_Length(0, 0, 3, 4), 5.0f);
  EXPECT_EQ(CApi::Math_Length(3, 4, 0, 0), 5.0f);
  EXPECT_EQ(CApi::Math_Length(-1, -1, -1, -1), 0.0f);
  EXPECT_EQ(CApi::Math_Length(0, 0, 5, 12), 13.0f);
}

// ---- Hit tests ------------------------------------------------------------------------------

TEST(CApiMath, PointAndBoxTestsIncludeEveryEdge) {
  struct Case {
    float x, y;
    bool hit;
  };
  const Case points[] = {{0, 0, true},   {10, 10, true}, {0, 10, true},      {5, 5, true},
                         {10.001f, 5, false}, {-0.001f, 5, false}, {5, 10.5f, false}};
  for (const Case& c : points)
    EXPECT_EQ(CApi::Math_Hit_PointRect(c.x, c.y, 0, 0, 10, 10), c.hit) << c.x << "," << c.y;

  struct Box {
    float x1, y1, x2, y2;
    bool hit;
  };
  const Box boxes[] = {{10, 0, 20, 10, true},     {10, 10, 20, 20, true}, {10.5f, 0, 20, 10, false},
                       {-5, -5, -0.1f, 3, false}, {2, 2, 3, 3, true},     {-5, 4, 15, 6, true}};
  for (const Box& b : boxes)
    EXPECT_EQ(CApi::Math_Hit_RectRect(0, 0, 10, 10, b.x1, b.y1, b.x2, b.y2), b.hit) << b.x1;
}

TEST(CApiMath, MathSideSignTellsTheSide) {
  EXPECT_EQ(CApi::Math_Side(5, 0, 0, 0, 10, 0), 0.0f);
  const float above = CApi::Math_Side(5, -1, 0, 0, 10, 0);
  const float below = CApi::Math_Side(5, 1, 0, 0, 10, 0);
  EXPECT_NE(above, 0.0f);
  EXPECT_LT(above * below, 0.0f);
  // (5 - 0) * (-1 - 0) - (-1 - 0) * (5 - 10) = -5 - 5.
  EXPECT_EQ(above, -10.0f);
}

TEST(CApiMath, SegmentCrossingIsProperOnly) {
  struct Case {
    float s[8];
    bool hit;
    const char* what;
  };
  const Case cases[] = {
      {{0, 0, 10, 10, 0, 10, 10, 0}, true, "cross"},
      {{0, 0, 5, 5, 5, 5, 10, 0}, false, "shared end point"},
      {{0, 0, 10, 0, 5, 0, 15, 0}, false, "collinear overlap"},
      {{0, 0, 10, 0, 0, 1, 10, 1}, false, "parallel"},
      {{0, 0, 10, 0, 5, 0, 5, 5}, false, "T touching"},
      {{0, 0, 10, 0, 5, -1, 5, 5}, true, "T through"},
      {{0, 0, 1, 1, 3, 0, 0, 3}, false, "lines meet beyond the segment"},
  };
  for (const Case& c : cases) {
    const float* s = c.s;
    EXPECT_EQ(CApi::Math_Hit_LineLine(s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7]), c.hit) << c.what;
  }
}

TEST(CApiMath, SegmentAgainstBox) {
  struct Case {
    float s[4];
    bool hit;
    const char* what;
  };
  const Case cases[] = {
      {{-5, 5, 15, 5}, true, "through left and right"},
      {{5, -5, 5, 15}, true, "through top and bottom"},
      {{-5, -5, -1, 20}, false, "beside"},
      {{3, 3, 50, 50}, true, "first end inside"},
      {{50, 50, 10, 10}, true, "second end on the corner"},
      {{-5, 12, 12, -5}, true, "cutting a corner"},
      {{20, 0, 30, 10}, false, "far right"},
  };
  for (const Case& c : cases) {
    const float* s = c.s;
    EXPECT_EQ(CApi::Math_Hit_LineRect(s[0], s[1], s[2], s[3], 0, 0, 10, 10), c.hit) << c.what;
  }
}

TEST(CApiMath, MathIntersectionReportsWhereTheLinesMeet) {
  float x = -99;
  float y = -99;
  EXPECT_EQ(CApi::Math_Intersection(x, y, 0, 0, 10, 10, 0, 10, 10, 0), 0);
  EXPECT_EQ(x, 5.0f);
  EXPECT_EQ(y, 5.0f);
  EXPECT_EQ(CApi::Math_Intersection(x, y, 0, 0, 1, 1, 0, 10, 10, 0), 1);  // beyond segment one
  EXPECT_EQ(x, 5.0f);
  EXPECT_EQ(y, 5.0f);
  EXPECT_EQ(CApi::Math_Intersection(x, y, 0, 0, 0, 10, -5, 5, 5, 5), 0);  // vertical first line
  EXPECT_EQ(x, 0.0f);
  EXPECT_EQ(y, 5.0f);
  x = 42;
  y = 43;
  EXPECT_EQ(CApi::Math_Intersection(x, y, 0, 0, 1, 1, 0, 1, 1, 2), 2);  // parallel
  EXPECT_EQ(x, 42.0f);
  EXPECT_EQ(y, 43.0f);
  EXPECT_EQ(CApi::Math_Intersection(x, y, 3, 3, 3, 3, 0, 0, 5, 1), 2);  // a point is no line
  EXPECT_EQ(x, 42.0f);
}

TEST(CApiMath, MathCrossLengthGivesDistanceAndFoot) {
  struct Case {
    float px, py;
    int32_t result;
    float dist;
  };
  const Case cases[] = {{5, 3, 0, 3}, {-2, 4, 1, 4}, {12, -1, 2, 1}, {0, 7, 0, 7}, {10, 0, 0, 0}};
  for (const Case& c : cases) {
    float dist = -1;
    EXPECT_EQ(CApi::Math_CrossLength(dist, 0, 0, 10, 0, c.px, c.py), c.result) << c.px;
    EXPECT_FLOAT_EQ(dist, c.dist) << c.px;
  }
  float dist = -1;
  EXPECT_EQ(CApi::Math_CrossLength(dist, 0, 0, 3, 4, 3, 0), 0);
  EXPECT_FLOAT_EQ(dist, 12.0f / 5.0f);  // twice the triangle's area over the base
  dist = 77;
  EXPECT_EQ(CApi::Math_CrossLength(dist, 3, 3, 3, 3, 0, 0), 3);
  EXPECT_EQ(dist, 77.0f);
}

// ---- Ring buffer ----------------------------------------------------------------------------

TEST(CApiMath, RingKeepsTheLastWrites) {
  RingBuffer<std::string> ring;
  std::optional<std::string> v;
  EXPECT_FALSE(CApi::RingGet(ring, v, 0));
  CApi::RingSet(ring, std::string("A"), 3);
  CApi::RingSet(ring, std::string("B"), 99);  // the size is only read once
  EXPECT_EQ(ring.capacity, 3);
  EXPECT_TRUE(CApi::RingGet(ring, v, 0));
  EXPECT_EQ(v, "B");
  EXPECT_TRUE(CApi::RingGet(ring, v, 1));
  EXPECT_EQ(v, "A");
  EXPECT_FALSE(CApi::RingGet(ring, v, 2));  // never written
  EXPECT_FALSE(v.has_value());
  EXPECT_FALSE(CApi::RingGet(ring, v, 3));  // equal to the capacity
  EXPECT_FALSE(CApi::RingGet(ring, v, -1));
  CApi::RingSet(ring, std::string("C"), 3);
  CApi::RingSet(ring, std::string("D"), 3);  // overwrites A
  const char* expected[] = {"D", "C", "B"};
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(CApi::RingGet(ring, v, i));
    EXPECT_EQ(v, expected[i]);
  }
}

TEST(CApiMath, RingCurStepsBackAndClears) {
  RingBuffer<int> ring;
  for (int i = 1; i <= 4; ++i) CApi::RingSet(ring, i, 3);  // slots: 4, 2, 3; cursor 1
  CApi::RingCur(ring, 1);  // clears the slot under the cursor (2), cursor back to 0
  std::optional<int> v;
  EXPECT_TRUE(CApi::RingGet(ring, v, 0));
  EXPECT_EQ(v, 3);
  EXPECT_FALSE(CApi::RingGet(ring, v, 1));
  CApi::RingCur(ring, -1);  // nothing
  EXPECT_TRUE(CApi::RingGet(ring, v, 0));
  CApi::RingCur(ring, 3);  // at least the capacity: everything cleared
  for (int32_t i = 0; i < 3; ++i) EXPECT_FALSE(CApi::RingGet(ring, v, i));
  EXPECT_EQ(ring.cursor, 0);
}

TEST(CApiMath, RingOfNoCapacityStaysEmpty) {
  RingBuffer<int> ring;
  CApi::RingSet(ring, 5, 0);
  CApi::RingSet(ring, 6, -3);
  std::optional<int> v;
  EXPECT_FALSE(CApi::RingGet(ring, v, 0));
  EXPECT_FALSE(ring.created);
  CApi::RingCur(ring, 2);
  EXPECT_FALSE(ring.created);
}

}  // namespace
