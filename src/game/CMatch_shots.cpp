// CMatch: shot slots, the shot update (life, detonation, steering, motion) and the collisions in
// their order: ball against ball, barriers and missiles against shots, each player against
// balls, players and shots, and blasts against balls. Damage and hit-stop come from AddDamage.
#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "game/CMatch.h"
#include "game/MatchMath.h"
#include "util/CApi.h"

namespace game {

using namespace match_math;

namespace {

double Pan(float x) { return x / 800.0 - 0.5; }

}  // namespace

int32_t CMatch::BallDamage(float speed) {
  const double s = speed;
  if (s < 0) return 36;
  if (s <= 4) return 1;
  if (s <= 5) return 3;
  if (s <= 6) return 6;
  if (s <= 7) return 9;
  if (s <= 8) return 12;
  if (s <= 9) return 15;
  if (s <= 10) return 32;
  return 36;  // above 10, and NaN
}

void CMatch::AddDamage(int32_t player, int32_t amount) {
  if (player < 0 || player >= kPlayerCount) return;
  CObject& p = players[static_cast<size_t>(player)];
  p.pendingDamage = static_cast<int32_t>(
      std::clamp<int64_t>(static_cast<int64_t>(p.pendingDamage) + amount, INT32_MIN, INT32_MAX));
  hitStop = RoundI(amount / 2.0);
}

int32_t CMatch::FindShotSlot() {
  int32_t slot = -1;
  for (int32_t i = 1; i <= kPoolUpper && slot < 0; ++i)
    if (!shots[static_cast<size_t>(i)].alive) slot = i;
  if (slot < 0) slot = Rnd(1, kPoolUpper);
  shots[static_cast<size_t>(slot)] = CObject{};
  return slot;
}

// ---- Shot update ---------------------------------------------------------------------------

void CMatch::UpdateShots() {
  for (CObject& s : shots) {
    if (s.arming > 0) --s.arming;
    if (s.life > 0) --s.life;
    if (s.life == 0) s.alive = false;
    if (s.detonate) {
      s.alive = false;
      if (s.state == kShotMissile) {
        s.state = kShotMissileExplosion;
        s.alive = true;
        s.speed = 0;
        s.life = 16;
      } else if (s.state == kShotBomb) {
        s.state = kShotBombExplosion;
        s.alive = true;
        s.speed = 0;
        s.width = s.height = 112;
        s.life = 16;
        Play("002bom.wav", s.power / 300.0 + 0.5, Pan(s.x));
      } else if (s.state == kShotBomblet) {
        s.state = kShotBlast;
        s.alive = true;
        s.speed = s.acceleration = s.speed2 = 0;
        s.direction2 = 0;
        s.power = 60;
        s.width = s.height = 64;
        s.life = 16;
      }
      s.detonate = false;
    }
    if (!s.alive) continue;
    if (s.state == kShotMissile) {
      s.direction = players[static_cast<size_t>(std::clamp(s.owner, 0, kPlayerCount - 1))].direction2;
    } else if (s.state == kShotBomblet) {
      const float r1 = R();
      const float r2 = R();
      if (s.life < 150 && r1 < r2) s.detonate = true;
    }
    s.speed = static_cast<float>(static_cast<double>(s.speed) + s.acceleration);
    s.x = static_cast<float>(s.x + CosD(s.direction) * s.speed + CosD(s.direction2) * s.speed2);
    s.y = static_cast<float>(s.y - SinD(s.direction) * s.speed - SinD(s.direction2) * s.speed2);
    if (s.x <= 0 || s.x >= kFieldWidth || s.y <= 0 || s.y >= kFieldHeight) s.alive = false;
  }
}

// ---- Collisions ----------------------------------------------------------------------------

void CMatch::Collisions() {
  CollideBalls();
  CollideShots();
  for (int32_t p = 0; p < kPlayerCount; ++p)
    if (players[static_cast<size_t>(p)].alive) CollidePlayer(p);
  CollideBlastsWithBalls();
}

void CMatch::CollideBalls() {
  for (int32_t i = 0; i < ballsReleased; ++i) {
    CObject& a = balls[static_cast<size_t>(i)];
    if (!a.alive) continue;
    for (int32_t j = i + 1; j < ballsReleased; ++j) {
      CObject& b = balls[static_cast<size_t>(j)];
      if (!b.alive) continue;
      const float d = util::CApi::Math_Length(a.x, a.y, b.x, b.y);
      if (!(d < a.width / 2.0 + b.width / 2.0)) continue;
      const double angle = util::CApi::Math_HomingRadian(a.x, a.y, b.x, b.y);
      const double reach = static_cast<double>(d) + 1.0;
      b.x = static_cast<float>(a.x + std::cos(angle) * reach);
      b.y = static_cast<float>(a.y - std::sin(angle) * reach);
      std::swap(a.speed, b.speed);
      std::swap(a.direction, b.direction);
    }
  }
}

void CMatch::CollideShots() {
  for (CObject& a : shots) {
    if (!a.alive || (a.state != kShotBarrier && a.state != kShotMissile)) continue;
    for (CObject& b : shots) {
      if (!a.alive) break;
      if (!b.alive) continue;
      const float d = util::CApi::Math_Length(a.x, a.y, b.x, b.y);
      if (!(d < a.width / 2.0)) continue;
      if (a.state == kShotBarrier && (b.state == kShotMissile || b.state == kShotBomb)) {
        const int32_t power = b.power;
        b.alive = false;
        b.speed = b.acceleration = b.speed2 = 0;
        b.direction2 = 0;
        b.power = 0;
        b.width = b.height = 64;
        b.life = 16;
        b.state = kShotCancelled;
        Play("zio18.wav", power / 1500.0 + 0.4, Pan(b.x));
      } else if (a.state == kShotMissile && b.state == kShotBomb) {
        b.detonate = true;
        a.power = RoundI(a.power / 2.0);
      }
    }
  }
}

void CMatch::CollidePlayer(int32_t index) {
  CObject& p = players[static_cast<size_t>(index)];
  if (p.cooldown == 0) {
    for (int32_t i = 0; i < ballsReleased; ++i) {
      CObject& b = balls[static_cast<size_t>(i)];
      if (!b.alive) continue;
      const float d = util::CApi::Math_Length(p.x, p.y, b.x, b.y);
      const double reach = p.width / 2.0 + b.width / 2.0;
      if (!(d < reach)) continue;
      p.speed = static_cast<float>(b.speed * 4.0 + p.speed * 0.5);
      p.direction = b.direction;
      Reflect(b, static_cast<float>(util::CApi::Math_Homing(b.x, b.y, p.x, p.y) + 90.0));
      util::CApi::inc(p.hits, 1, 9999);
      p.pendingDamage += BallDamage(b.speed);
      const double angle = util::CApi::Math_HomingRadian(b.x, b.y, p.x, p.y);
      p.x = static_cast<float>(b.x + std::cos(angle) * (reach + 1.0));
      p.y = static_cast<float>(b.y - std::sin(angle) * (reach + 1.0));
      Play("050punch.wav", b.speed / 4.0 + 0.3, Pan(b.x), R() - 0.5);
    }
  }
  for (int32_t q = index + 1; q < kPlayerCount; ++q) {
    CObject& o = players[static_cast<size_t>(q)];
    if (!o.alive) continue;
    const double pw = p.width / 2.0, ph = p.height / 2.0, ow = o.width / 2.0, oh = o.height / 2.0;
    if (!util::CApi::Math_Hit_RectRect(
            static_cast<float>(p.x - pw), static_cast<float>(p.y - ph), static_cast<float>(p.x + pw),
            static_cast<float>(p.y + ph), static_cast<float>(o.x - ow), static_cast<float>(o.y - oh),
            static_cast<float>(o.x + ow), static_cast<float>(o.y + oh)))
      continue;
    o.x = static_cast<float>(o.prevX + CosD(p.direction2) * p.speed2);
    o.y = static_cast<float>(o.prevY - SinD(p.direction2) * p.speed2);
    p.x = static_cast<float>(p.prevX + CosD(o.direction2) * o.speed2);
    p.y = static_cast<float>(p.prevY - SinD(o.direction2) * o.speed2);
    const auto speed = static_cast<float>((static_cast<double>(p.speed) + o.speed) / 2.0);
    const auto direction = static_cast<float>((static_cast<double>(p.direction) + o.direction) / 2.0);
    p.speed = o.speed = speed;
    p.direction = o.direction = direction;
  }
  for (CObject& s : shots) {
    if (!s.alive) continue;
    if (s.owner == index && s.state != kShotDeathBlast) continue;
    const float d = util::CApi::Math_Length(p.x, p.y, s.x, s.y);
    if (!(d < s.width / 2.0)) continue;
    switch (s.state) {
      case kShotBlast:
        s.detonate = true;
        p.speed = static_cast<float>(p.speed + s.power / 5.0);
        p.direction = static_cast<float>(s.launchDirection);
        AddDamage(index, RoundI(s.power / 15.0));
        Play("003bom.wav", s.power / 300.0 + 0.5, Pan(s.x));
        break;
      case kShotMissile:
        s.detonate = true;
        p.speed = static_cast<float>(p.speed + s.power / 6.0);
        p.direction = s.direction;
        AddDamage(index, RoundI(s.power / 15.0));
        Play("007bom.wav", s.power / 1500.0 + 0.6, Pan(s.x), 6.0 - s.power / 50.0);
        break;
      case kShotBomb:
        if (s.arming == 0) s.detonate = true;
        break;
      case kShotBombExplosion:
      case kShotDeathBlast:
        s.detonate = true;
        p.speed = static_cast<float>(p.speed + s.power / 5.0);
        p.direction = util::CApi::Math_Homing(s.x, s.y, p.x, p.y);
        AddDamage(index, RoundI(s.power / 15.0));
        if (s.state == kShotDeathBlast) Play("003bom.wav", s.power / 300.0 + 0.3, Pan(s.x));
        break;
      default:
        break;
    }
  }
}

void CMatch::CollideBlastsWithBalls() {
  for (CObject& s : shots) {
    if (!s.alive || s.state != kShotBlast) continue;
    for (int32_t i = 0; i < ballsReleased; ++i) {
      CObject& b = balls[static_cast<size_t>(i)];
      if (!b.alive) continue;
      const float d = util::CApi::Math_Length(s.x, s.y, b.x, b.y);
      if (!(d < s.width / 2.0)) continue;
      s.detonate = true;
      const double k = 1.0 - std::fabs(static_cast<double>(b.direction) - s.launchDirection) / 90.0 > 0 ? 1.0 : 0.0;
      b.speed = static_cast<float>(b.speed * k + s.power / 30.0);
      b.direction = static_cast<float>(s.launchDirection);
      Play("003bom.wav", s.power / 300.0 + 0.5, Pan(s.x));
    }
  }
}

}  // namespace game
