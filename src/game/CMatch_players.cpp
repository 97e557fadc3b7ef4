// CMatch: player motion (facing, gauge and gait, walking, animation, knock-back and its decay,
// slow ground, falling out) and the attacks fired from the virtual keys' buttons.
#include <cmath>

#include "game/CMatch.h"
#include "game/MatchMath.h"
#include "util/CApi.h"

namespace game {

using namespace match_math;

namespace {

// How much of its knock-back a player keeps per step, and on slow ground: more with damage.
double DamageCurve(int32_t damage, double spread, double floor) {
  return std::log10(static_cast<double>(damage) + 1.0) / 3.0 * spread + floor;
}

}  // namespace

void CMatch::MovePlayers() {
  for (int32_t p = 0; p < kPlayerCount; ++p)
    if (players[static_cast<size_t>(p)].alive) MovePlayer(p);
}

void CMatch::MovePlayer(int32_t index) {
  CObject& p = players[static_cast<size_t>(index)];
  const VKey& key = keys[static_cast<size_t>(index)];
  const bool moving = key.Direction != 0;
  if (moving)
    p.direction2 = util::CApi::Math_Homing(0, 0, static_cast<float>(key.x),
                                           static_cast<float>(key.y));

  const int32_t dash = key.Button[4];
  if (!p.gaugeFull) {
    p.gauge += 5;
    if (p.gauge >= gaugeMaximum) {
      p.gauge = gaugeMaximum;
      p.gaugeFull = true;
    }
    p.gait = moving ? 1 : 0;
  } else if (dash > 0) {
    p.gait = 2;
    util::CApi::dec(p.gauge, 10, 0);
    if (p.gauge < 1) p.gaugeFull = false;
  } else {
    // In the step the dash button is let go a standing player keeps its gait.
    if (moving) {
      p.gait = 1;
    } else if (dash == 0) {
      p.gait = 0;
    }
    if (dash < 0) p.gaugeFull = false;
  }

  double walk = p.gait == 2 ? 4.0 : p.gait == 1 ? 2.0 : 0.0;
  if (++p.animation > 9) {
    p.animation = 0;
    if (walk > 0) {
      p.stepFlag = !p.stepFlag;
      const bool left = p.direction2 >= 90.0f && p.direction2 < 270.0f;
      p.frame = left ? (p.stepFlag ? kSpriteL1 : kSpriteL2) : (p.stepFlag ? kSpriteR1 : kSpriteR2);
    }
  }
  if (p.speed > 0.0625f) walk /= static_cast<double>(p.speed) * 16.0;
  p.speed2 = static_cast<float>(walk);

  p.prevX = p.x;
  p.prevY = p.y;
  p.direction = RoundMod360(static_cast<double>(p.direction) + p.turn);
  p.speed = static_cast<float>(DamageCurve(p.damage, 0.39, 0.6) * p.speed + p.acceleration);
  p.x = static_cast<float>(p.x + (CosD(p.direction2) * p.speed2 + CosD(p.direction) * p.speed));
  p.y = static_cast<float>(p.y - (SinD(p.direction2) * p.speed2 + SinD(p.direction) * p.speed));

  if (p.pendingDamage > 0) {
    --p.pendingDamage;
    ++p.damage;
  }
  if (p.cooldown > 0) --p.cooldown;
  util::CApi::inc(p.reload, 1, kReloadMaximum);

  const int32_t ground = StagePixel(RoundI(p.x), RoundI(p.y));
  if (ground == kGroundSlow) p.speed = static_cast<float>(p.speed * DamageCurve(p.damage, 0.89, 0.1));
  if (p.x < 0 || p.x >= kFieldWidth || p.y < 0 || p.y >= kFieldHeight || ground == kGroundDeadly)
    FallOut(index);
}

void CMatch::FallOut(int32_t index) {
  CObject& p = players[static_cast<size_t>(index)];
  p.alive = false;
  CObject& s = shots[static_cast<size_t>(FindShotSlot())];
  s.owner = index;
  s.x = static_cast<float>(p.x + CosD(p.direction2) * 16.0);
  s.y = static_cast<float>(p.y - SinD(p.direction2) * 16.0);
  s.width = s.height = 128;
  s.life = 24;
  s.state = kShotDeathBlast;
  s.power = 150;
  s.alive = true;
  Play("004bom.wav", 1.0, p.x / 800.0 - 0.5);
}

void CMatch::Attacks() {
  for (int32_t p = 0; p < kPlayerCount; ++p)
    if (players[static_cast<size_t>(p)].alive) Attack(p);
}

void CMatch::Attack(int32_t index) {
  CObject& p = players[static_cast<size_t>(index)];
  const VKey& key = keys[static_cast<size_t>(index)];
  const double facing = p.direction2;
  // A shot at `ahead` along the facing, owned by the player.
  auto launch = [&](double ahead, int32_t state, int32_t diameter) -> CObject& {
    CObject& s = shots[static_cast<size_t>(FindShotSlot())];
    s.owner = index;
    s.x = static_cast<float>(p.x + CosD(facing) * ahead);
    s.y = static_cast<float>(p.y - SinD(facing) * ahead);
    s.state = state;
    s.width = s.height = diameter;
    s.alive = true;
    return s;
  };

  if (key.Button[0] == 1 && p.reload > 50) {
    CObject& s = launch(16, kShotBlast, 64);
    s.life = 8;
    s.speed = 0;
    s.launchDirection = RoundI(facing);
    s.direction = static_cast<float>(facing);
    s.power = p.reload;
    p.reload = 0;
    p.cooldown = 10;
  }
  if (key.Button[1] == 1 && p.reload > 50) {
    CObject& s = launch(16, kShotMissile, 32);
    s.direction = static_cast<float>(facing);
    s.power = p.reload;
    s.life = RoundI(s.power / 6.0 + 50.0);
    s.speed = static_cast<float>(s.power / 300.0 + 7.0);
    p.reload = 0;
  }
  if (key.Button[2] == 1 && p.reload > 50) {
    CObject& s = launch(0, kShotBomb, 96);
    s.x = p.x;
    s.y = p.y;
    s.arming = 20;
    s.power = p.reload;
    s.life = s.power * 4 + 100;
    p.reload = 0;
  }
  if (key.Button[3] == 1 && p.reload > 50) {
    CObject& s = launch(8, kShotBarrier, 80);
    s.life = 20;
    s.direction = 0;
    s.power = p.reload;
    p.reload -= 50;
  }
  if (key.Button[5] == 1 && p.reload > 150) {
    for (int32_t n = 0; n < 15; ++n) {
      CObject& s = launch(16, kShotBomblet, 64);
      s.direction = static_cast<float>(facing + R() * 45.0 - 22.5);
      s.acceleration = 0.2f;
      s.direction2 = static_cast<float>(facing + 180.0 + R() * 45.0 - 22.5);
      s.speed2 = static_cast<float>(R() * 2.0 + 2.0);
      s.life = 200;
      s.power = p.reload;
    }
    Play("009bom.wav", 0.6, p.x / 800.0 - 0.5);
    p.reload -= 150;
  }
}

}  // namespace game
