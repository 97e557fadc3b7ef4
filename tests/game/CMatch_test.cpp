// The match rules: falling out at the field's edges and on deadly ground, ball release by
// mode, the ball damage table and hit-stop, attacks only from frame 140 with their reload
// needs, the dash's drain and refill, knock-back decay, wall bounces and the mode draw.
#include "game/CMatch.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

#include "MatchTestSupport.h"

namespace {

using game::CMatch;
using game::CObject;
using game_test::MatchOnEmptyStage;

// A round with humans only (neutral keys) and no ball ever released.
MatchOnEmptyStage QuietRound(int32_t mode = 1) {
  MatchOnEmptyStage m(1, mode, 4);
  m->Sub_Init();
  m->ballLimit = 0;
  return m;
}

TEST(MatchRules, PlayerOutsideTheFieldFallsOut) {
  struct Case {
    float x, y;
    bool out;
  };
  const Case cases[] = {{800.0f, 300.0f, true},  {799.9f, 300.0f, false}, {0.0f, 300.0f, false},
                        {-0.01f, 300.0f, true},  {400.0f, 600.0f, true},  {400.0f, 599.9f, false},
                        {400.0f, 0.0f, false},   {400.0f, -0.1f, true}};
  for (const Case& c : cases) {
    MatchOnEmptyStage m = QuietRound();
    CObject& p = m->players[0];
    p.x = p.prevX = c.x;
    p.y = p.prevY = c.y;
    m->Step();
    EXPECT_EQ(!p.alive, c.out) << "x " << c.x << " y " << c.y;
    int blasts = 0;
    for (const CObject& s : m->shots) blasts += s.alive || s.state == game::kShotDeathBlast;
    EXPECT_EQ(blasts > 0, c.out) << "a death blast comes with the fall, x " << c.x;
    EXPECT_FALSE(m->shots[0].alive) << "shot 0 is never handed out";
  }
}

TEST(MatchRules, DeadlyGroundKillsAndSlowGroundBrakes) {
  MatchOnEmptyStage m(1, 1, 4);
  m.map.Fill(800, 600, game::kGroundNone);
  m.map.Set(100, 100, game::kGroundDeadly);
  m.map.Set(300, 300, game::kGroundSlow);
  m->Sub_Init();
  m->ballLimit = 0;
  m->players[0].x = m->players[0].prevX = 100.2f;
  m->players[0].y = m->players[0].prevY = 99.8f;
  CObject& slow = m->players[1];
  slow.x = 300.0f;
  slow.y = 300.0f;
  slow.speed = 0.01f;  // too slow to leave the pixel, so only the decay and the brake apply
  m->Step();
  EXPECT_FALSE(m->players[0].alive);
  EXPECT_TRUE(slow.alive);
  // 0.6 per step for a fresh player, then the slow ground's 0.1.
  EXPECT_NEAR(slow.speed, 0.01f * 0.6f * 0.1f, 1e-7f);
}

TEST(MatchRules, KnockBackDecayGrowsWithDamage) {
  for (auto [damage, kept] : std::array<std::pair<int32_t, double>, 2>{{{0, 0.6}, {999, 0.99}}}) {
    MatchOnEmptyStage m = QuietRound();
    CObject& p = m->players[0];
    p.x = p.prevX = 100.0f;  // away from the others: touching players share their knock-back
    p.damage = damage;
    p.speed = 0.5f;
    m->Step();
    EXPECT_NEAR(p.speed, 0.5 * kept, 1e-6) << "damage " << damage;
  }
}

TEST(MatchRules, BallReleaseByMode) {
  struct Case {
    int32_t mode, steps, released;
  };
  const Case cases[] = {{1, 1, 1},  {1, 60, 1},    {1, 61, 2},  {6, 2000, 1}, {7, 39, 39},
                        {7, 90, 39}, {4, 15 * 30, 20}, {5, 16, 2}, {2, 121, 3}};
  for (const Case& c : cases) {
    MatchOnEmptyStage m(3, c.mode, 4);
    m->Sub_Init();
    for (int32_t i = 0; i < c.steps; ++i) m->Step();
    EXPECT_EQ(m->ballsReleased, c.released) << "mode " << c.mode << " steps " << c.steps;
    int inPlay = 0;
    for (const CObject& b : m->balls) inPlay += b.alive ? 1 : 0;
    EXPECT_EQ(inPlay, c.released) << "mode " << c.mode;
  }
}

TEST(MatchRules, ModeSixPlansHomingBallsOnly) {
  MatchOnEmptyStage m(5, 6, 4);
  m->Sub_Init();
  EXPECT_EQ(m->ballLimit, 1);
  for (const CObject& b : m->balls) {
    EXPECT_EQ(b.kind, game::kBallHoming);
    EXPECT_FLOAT_EQ(b.turn, 6.0f);
    EXPECT_FLOAT_EQ(b.speed, 0.8f);
  }
}

TEST(MatchRules, BallDamageTable) {
  const std::pair<float, int32_t> cases[] = {
      {0.0f, 1},   {4.0f, 1},  {4.001f, 3}, {5.0f, 3},   {5.5f, 6},  {6.0f, 6},
      {7.0f, 9},   {8.0f, 12}, {9.0f, 15},  {9.5f, 32},  {10.0f, 32}, {10.01f, 36},
      {300.0f, 36}, {-0.5f, 36}};
  for (auto [speed, damage] : cases) EXPECT_EQ(CMatch::BallDamage(speed), damage) << speed;
}

TEST(MatchRules, AddDamageSetsHitStopRoundedToEven) {
  MatchOnEmptyStage m = QuietRound();
  const std::array<std::pair<int32_t, int32_t>, 4> cases{{{5, 2}, {7, 4}, {10, 5}, {1, 0}}};
  for (auto [amount, stop] : cases) {
    const int32_t before = m->players[2].pendingDamage;
    m->AddDamage(2, amount);
    EXPECT_EQ(m->players[2].pendingDamage, before + amount);
    EXPECT_EQ(m->hitStop, stop) << amount;
  }
}

TEST(MatchRules, PendingDamageMovesOnePerStep) {
  MatchOnEmptyStage m(1, 3, 4);  // mode 3: every player starts with 300 pending
  m->Sub_Init();
  m->ballLimit = 0;
  EXPECT_EQ(m->players[1].pendingDamage, 300);
  for (int i = 0; i < 10; ++i) m->Step();
  EXPECT_EQ(m->players[1].pendingDamage, 290);
  EXPECT_EQ(m->players[1].damage, 10);
}

int32_t CountShots(const CMatch& m, int32_t state) {
  int32_t n = 0;
  for (const CObject& s : m.shots) n += s.alive && s.state == state ? 1 : 0;
  return n;
}

TEST(MatchRules, AttacksOnlyFromFrame140AndWithReload) {
  struct Case {
    int32_t button;  // 1-based
    int32_t state;
    int32_t count;
    int32_t needs;   // the reload must exceed this
    int32_t reloadAfter;  // from a reload of `needs` + 1, before this step's +1
  };
  const Case cases[] = {{1, game::kShotBlast, 1, 50, 0},
                        {2, game::kShotMissile, 1, 50, 0},
                        {3, game::kShotBomb, 1, 50, 0},
                        {4, game::kShotBarrier, 1, 50, 1},
                        {6, game::kShotBomblet, 15, 150, 1}};
  for (const Case& c : cases) {
    for (int32_t frame : {139, 140}) {
      for (int32_t reload : {c.needs, c.needs + 1}) {
        MatchOnEmptyStage m = QuietRound();
        m->frameInRound = frame;
        // The step adds one to the reload before the attack reads it.
        m->players[0].reload = reload - 1;
        m->keys[0].Button[c.button - 1] = 1;
        m->Step();
        const bool fires = frame >= 140 && reload > c.needs;
        EXPECT_EQ(CountShots(*m, c.state), fires ? c.count : 0)
            << "button " << c.button << " frame " << frame << " reload " << reload;
        if (fires) {
          EXPECT_EQ(m->players[0].reload, c.reloadAfter) << "button " << c.button;
        }
      }
    }
  }
}

TEST(MatchRules, HeldButtonFiresOnlyOnItsFirstStep) {
  MatchOnEmptyStage m = QuietRound();
  m->frameInRound = 200;
  m->players[0].reload = 299;
  m->keys[0].Button[1] = 2;  // held since the step before
  m->Step();
  EXPECT_EQ(CountShots(*m, game::kShotMissile), 0);
}

TEST(MatchRules, DashDrainsTenPerStepAndRefillsFivePerStep) {
  MatchOnEmptyStage m = QuietRound();
  CObject& p = m->players[0];
  p.x = p.prevX = 20.0f;  // a dash runs 400 pixels along the facing
  m->keys[0].Button[4] = 1;
  for (int i = 1; i <= 100; ++i) {
    m->Step();
    EXPECT_EQ(p.gait, 2) << "step " << i;
    EXPECT_EQ(p.gauge, 1000 - 10 * i);
    m->keys[0].Button[4] = i + 1;
  }
  EXPECT_FALSE(p.gaugeFull) << "an empty gauge ends the dash";
  m->Step();  // still held, but the gauge is empty: no dash, the refill runs
  EXPECT_EQ(p.gait, 0);
  EXPECT_EQ(p.gauge, 5);
  m->keys[0].Button[4] = 0;
  int steps = 1;
  while (!p.gaugeFull && steps < 1000) {
    m->Step();
    ++steps;
  }
  EXPECT_EQ(steps, 200) << "200 steps from empty to full";
  EXPECT_EQ(p.gauge, 1000);
}

TEST(MatchRules, EarlyDashReleaseStillNeedsAFullRefill) {
  MatchOnEmptyStage m = QuietRound();
  CObject& p = m->players[0];
  for (int i = 1; i <= 10; ++i) {
    m->keys[0].Button[4] = i;
    m->Step();
  }
  EXPECT_EQ(p.gauge, 900);
  m->keys[0].Button[4] = -10;
  m->Step();
  EXPECT_FALSE(p.gaugeFull);
  EXPECT_EQ(p.gait, 2) << "a standing player keeps its gait in the release step";
  m->keys[0].Button[4] = 1;  // pressed again at once: no dash until the gauge is full
  m->Step();
  EXPECT_EQ(p.gait, 0);
  EXPECT_EQ(p.gauge, 905);
  for (int i = 0; i < 19; ++i) m->Step();
  EXPECT_TRUE(p.gaugeFull);
  EXPECT_EQ(p.gauge, 1000);
}

TEST(MatchRules, WallBounceReflectsAndCapsSpeed) {
  struct Case {
    float speed;
    bool capped;  // above 7: times 0.7; 4..7: a fresh speed of 1 to 4
  };
  for (const Case& c : {Case{8.0f, true}, Case{5.0f, true}, Case{3.0f, false}}) {
    MatchOnEmptyStage m(1, 1, 4);
    m->Sub_Init();
    m->ballLimit = 1;
    CObject& b = m->balls[0];
    b.kind = game::kBallLarge;
    b.x = 798.0f;
    b.y = 300.0f;
    b.direction = 0;
    b.turn = 0;
    b.speed = c.speed;
    m->Step();
    EXPECT_FLOAT_EQ(b.x, 799.0f);
    EXPECT_FLOAT_EQ(b.direction, 180.0f);
    if (c.speed > 7) {
      EXPECT_FLOAT_EQ(b.speed, c.speed * 0.7f);
    } else if (c.speed > 4) {
      EXPECT_GE(b.speed, 1.0f);
      EXPECT_LE(b.speed, 4.0f);
    } else {
      EXPECT_FLOAT_EQ(b.speed, c.speed);
    }
  }
}

TEST(MatchRules, ModeZeroDrawsOneToSevenWithTheEndsHalfAsLikely) {
  MatchOnEmptyStage m(11, 0, 4);
  std::map<int32_t, int32_t> seen;
  const int32_t rounds = 6000;
  for (int i = 0; i < rounds; ++i) {
    m->Sub_Init();
    ++seen[m->modeInPlay];
  }
  ASSERT_EQ(seen.size(), 7u);
  EXPECT_EQ(seen.begin()->first, 1);
  EXPECT_EQ(seen.rbegin()->first, 7);
  for (auto [mode, n] : seen) {
    const double expected = rounds * ((mode == 1 || mode == 7) ? 1.0 / 12 : 1.0 / 6);
    EXPECT_NEAR(n, expected, expected * 0.15) << "mode " << mode;
  }
}

TEST(MatchRules, FindShotSlotSkipsZeroAndReusesWhenFull) {
  MatchOnEmptyStage m = QuietRound();
  EXPECT_EQ(m->FindShotSlot(), 1);
  for (CObject& s : m->shots) s.alive = true;
  m->shots[0].alive = false;
  for (int i = 0; i < 50; ++i) {
    const int32_t slot = m->FindShotSlot();
    EXPECT_GE(slot, 1);
    EXPECT_LE(slot, 39);
    EXPECT_FALSE(m->shots[static_cast<size_t>(slot)].alive) << "the chosen record is cleared";
    m->shots[static_cast<size_t>(slot)].alive = true;
  }
}

TEST(MatchRules, NoStageMeansCentreStartAndNoGround) {
  MatchOnEmptyStage m(2, 1, 4);
  m->Sub_Init();
  EXPECT_FLOAT_EQ(m->players[0].x, 400.0f);
  EXPECT_FLOAT_EQ(m->players[3].x, 460.0f);
  EXPECT_FLOAT_EQ(m->players[3].y, 240.0f);
  EXPECT_EQ(m->StagePixel(400, 300), game::kGroundNone);
  m->ballLimit = 0;
  for (int i = 0; i < 300; ++i) m->Step();
  EXPECT_EQ(m->AliveCount(), 4) << "standing still on no ground is safe";
}

}  // namespace

namespace {

TEST(BallMotion, HomingTurnsAtMostItsTurnTowardTheNearestPlayer) {
  MatchOnEmptyStage m = QuietRound();
  m->players[0].x = 100.0f;
  m->players[0].y = 300.0f;
  CObject& b = m->balls[0];
  b = CObject{};
  b.kind = game::kBallHoming;
  b.x = 100.0f;
  b.y = 100.0f;
  b.speed = 0.5f;
  b.turn = 6.0f;
  b.width = b.height = 32;
  b.alive = true;
  m->ballsReleased = 1;
  m->Step();
  EXPECT_FLOAT_EQ(b.direction, -6.0f) << "the target lies at 270: the short way round is down";
  m->Step();
  EXPECT_FLOAT_EQ(b.direction, -12.0f);
}

TEST(BallMotion, OverlappingBallsSwapAndDriftApart) {
  MatchOnEmptyStage m = QuietRound();
  CObject& a = m->balls[0];
  CObject& b = m->balls[1];
  for (CObject* o : {&a, &b}) {
    *o = CObject{};
    o->kind = game::kBallLarge;
    o->width = o->height = 64;
    o->y = 200.0f;
    o->alive = true;
  }
  a.x = 200.0f;
  a.speed = 1.0f;
  a.direction = 0.0f;
  b.x = 210.0f;
  b.speed = 2.0f;
  b.direction = 180.0f;
  m->ballsReleased = 2;
  m->Step();
  EXPECT_FLOAT_EQ(a.x, 201.0f);
  EXPECT_NEAR(b.x, 201.0f + 8.0f, 1e-4f) << "one unit beyond the measured distance of 7";
  EXPECT_FLOAT_EQ(a.speed, 2.0f);
  EXPECT_FLOAT_EQ(a.direction, 180.0f);
  EXPECT_FLOAT_EQ(b.speed, 1.0f);
  EXPECT_FLOAT_EQ(b.direction, 0.0f);
}

TEST(BallMotion, BlastPushesABallAlongItsLaunchDirection) {
  struct Case {
    float direction;
    float speedAfter;  // the ball's speed after its move, times k, plus power / 30
  };
  // k is 1 only when the ball already runs within 90 degrees of the launch direction.
  for (const Case& c : {Case{0.0f, 2.0f + 10.0f}, Case{45.0f, 2.0f + 10.0f},
                        Case{90.0f, 10.0f}, Case{180.0f, 10.0f}}) {
    MatchOnEmptyStage m = QuietRound();
    CObject& b = m->balls[0];
    b = CObject{};
    b.kind = game::kBallLarge;
    b.width = b.height = 32;
    b.x = b.y = 100.0f;
    b.speed = 2.0f;
    b.direction = c.direction;
    b.alive = true;
    m->ballsReleased = 1;
    CObject& s = m->shots[1];
    s.state = game::kShotBlast;
    s.alive = true;
    s.x = s.y = 101.0f;
    s.width = s.height = 64;
    s.life = 8;
    s.power = 300;
    s.launchDirection = 0;
    s.owner = 0;
    m->Step();
    EXPECT_FLOAT_EQ(b.speed, c.speedAfter) << "ball direction " << c.direction;
    EXPECT_FLOAT_EQ(b.direction, 0.0f);
    EXPECT_TRUE(s.detonate);
  }
}

}  // namespace
