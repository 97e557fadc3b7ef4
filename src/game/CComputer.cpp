// CMatch: the computer players. Each one picks a target, wanders between waypoints on safe
// ground, answers missiles and bombs with its barrier, runs short attack plans, and writes a
// virtual key exactly as a human's keys would (press counters, direction and its count).
// Every chance is one fresh draw, taken each time its rule is reached: conditions joined to a
// chance in one rule never skip its draw, so the draws do not depend on evaluation order.
#include <climits>

#include "game/CMatch.h"
#include "game/MatchMath.h"
#include "input/spLibInput.h"
#include "util/CApi.h"

namespace game {

using namespace match_math;

void CMatch::InitComputers() {
  for (int32_t p = 0; p < kPlayerCount; ++p) {
    if (players[static_cast<size_t>(p)].controller != 2) continue;
    ComputerRecord& c = computers[static_cast<size_t>(p)];
    c.key = VKey{};
    const double r = R();
    c.thinkTimer = RoundI(r * r * 48.0 + 4.0);
    c.target = Rnd(0, playerCount - 2);
    if (c.target >= p) ++c.target;
    c.plan = 0;
    c.aggression = 0;
  }
}

void CMatch::ComputerStep(int32_t index) {
  ComputerRecord& c = computers[static_cast<size_t>(index)];
  const CObject& me = players[static_cast<size_t>(index)];
  bool want[10] = {};

  // 1. Target.
  int32_t nearest = -1;
  float nearestDistance = 0;
  for (int32_t q = 0; q < kPlayerCount; ++q) {
    const CObject& o = players[static_cast<size_t>(q)];
    if (q == index || !o.alive) continue;
    const float d = util::CApi::Math_Length(me.x, me.y, o.x, o.y);
    if (nearest < 0 || d < nearestDistance) {
      nearest = q;
      nearestDistance = d;
    }
  }
  auto valid = [&](int32_t t) { return t >= 0 && t < kPlayerCount && t != index; };
  auto alive = [&](int32_t t) { return valid(t) && players[static_cast<size_t>(t)].alive; };
  {
    const bool lost = !alive(c.target);
    const bool whim = R() < 0.001f;
    if ((lost || whim) && nearest >= 0) c.target = nearest;
  }
  if (R() < 0.001f) {
    int32_t look = Rnd(0, playerCount - 2);
    if (look >= index) ++look;
    const bool human = alive(look) && players[static_cast<size_t>(look)].controller == 1;
    const bool chance = R() < 0.2f;
    if (valid(look) && (human || chance)) c.target = look;
  }
  const CObject& target = players[static_cast<size_t>(valid(c.target) ? c.target : index)];

  // 2, 3. Distance and aggression.
  const float distance = util::CApi::Math_Length(me.x, me.y, target.x, target.y);
  if (c.aggression < INT32_MAX) ++c.aggression;
  if (R() < 0.01f) c.aggression = c.aggression > INT32_MAX - 25 ? INT32_MAX : c.aggression + 25;
  if (R() < 0.01f) c.aggression = 0;

  // 4. Threats.
  for (const CObject& s : shots) {
    if (!s.alive) continue;
    const bool own = s.owner == index;
    if (own && s.state == kShotMissile) {
      if (R() < 0.02f && alive(c.target)) {
        double a = util::CApi::Math_Homing(s.x, s.y, target.x, target.y) + 22.5;
        a -= util::CApi::Math_Remainder(static_cast<float>(a), 45.0f);
        const auto px = static_cast<float>(me.x + CosD(a) * 10.0);
        const auto py = static_cast<float>(me.y - SinD(a) * 10.0);
        if (StagePixel(RoundI(px), RoundI(py)) == kGroundSafe) {
          c.waypointX = px;
          c.waypointY = py;
          c.thinkTimer = 5;
          c.plan = 0;
        }
      }
    } else if (!own && (s.state == kShotMissile || s.state == kShotBomb)) {
      const double reach = s.state == kShotMissile ? 150.0 : 64.0;
      const double chance = s.state == kShotMissile ? 0.03 : 0.05;
      const bool near = util::CApi::Math_Length(me.x, me.y, s.x, s.y) < reach;
      const bool lucky = R() < chance;
      if (c.aggression > 100 && near && lucky) {
        want[3] = true;
        const bool counter = R() < 0.5f;
        if (c.aggression > 150 && counter) {
          c.plan = Rnd(6, 8);
          c.target = s.owner;
        }
        c.aggression = 0;
      }
    }
  }

  // 5. Wandering.
  if (c.thinkTimer < 1) {
    const bool whim = R() < 0.03f;
    if (whim || c.planDone != 0) {
      c.planDone = 0;
      for (int32_t attempt = 0; attempt < 100; ++attempt) {
        const double angle = Rnd(0, 7) * 45.0;
        const double reach = R() * 200.0 + 100.0;
        c.waypointX = static_cast<float>(me.x + CosD(angle) * reach);
        c.waypointY = static_cast<float>(me.y - SinD(angle) * reach);
        if (StagePixel(RoundI(c.waypointX), RoundI(c.waypointY)) == kGroundSafe) break;
      }
    }
    if (R() < 0.008f) c.thinkTimer = RoundI(R() * 20.0);
  } else {
    --c.thinkTimer;
  }

  // 6. Random presses.
  if (c.thinkTimer > 0 && R() < me.reload * 0.0005) {
    static constexpr int32_t kButtonOf[7] = {0, 1, 2, 2, 3, 5, 5};
    want[kButtonOf[Rnd(0, 6)]] = true;
  }

  // 7. Dash.
  if (c.dashTimer > 0) {
    --c.dashTimer;
    want[4] = true;
  }

  // 8. Plan choice.
  if (R() < 0.05f) {
    c.plan = Rnd(0, 8);
    const int32_t s = Rnd(0, 8);
    if (s == 0) c.plan = 1;
    if (s >= 1 && s <= 3) c.plan = 6;
  }
  if (me.reload < 75) c.plan = 0;

  // 9. Plan step (toward the target as it is now; the distance is the one measured above).
  const CObject& chased = players[static_cast<size_t>(valid(c.target) ? c.target : index)];
  auto fired = [&](int32_t button) {
    want[button - 1] = true;
    c.plan = 0;
    c.planDone = 1;
    if (R() < 0.3f) c.dashTimer = RoundI(R() * 20.0 + 5.0);
  };
  switch (c.plan) {
    case 1: case 2: case 3: case 4: {
      c.waypointX = chased.x;
      c.waypointY = chased.y;
      const double r = R();
      const double reach = c.plan == 1 ? r * 60.0 : c.plan == 2 ? r * 128.0 + 40.0
                         : c.plan == 3 ? 40.0 : r * 32.0 + 128.0;
      if (distance < reach) fired(c.plan);
      break;
    }
    case 5:
      c.waypointX = chased.x;
      c.waypointY = chased.y;
      if (distance < 48) {
        c.dashTimer = RoundI(R() * 50.0 + 15.0);
        c.plan = 0;
        c.planDone = 1;
      }
      break;
    case 6: c.dashTimer = RoundI(R() * 70.0 + 5.0); c.plan = 1; break;
    case 7: c.dashTimer = RoundI(R() * 50.0 + 5.0); c.plan = 2; break;
    case 8: c.dashTimer = RoundI(R() * 30.0 + 5.0); c.plan = 3; break;
    default: break;
  }

  // 10. Direction.
  const int32_t dx = RoundI(static_cast<double>(c.waypointX) - me.x);
  const int32_t dy = RoundI(static_cast<double>(c.waypointY) - me.y);
  c.key.x = dx < -2 ? -1 : dx > 2 ? 1 : 0;
  c.key.y = dy < -2 ? -1 : dy > 2 ? 1 : 0;
  const int32_t direction = c.key.x - 3 * c.key.y;
  if (direction != c.key.Direction) {
    c.key.Direction = direction;
    c.key.DirectionCount = 1;
  } else if (c.key.DirectionCount < INT32_MAX) {
    ++c.key.DirectionCount;
  }

  // 11, 12. Buttons, then the copy to the player's virtual key.
  c.key.Trigger = 0;
  for (int32_t b = 0; b < 10; ++b) {
    input::UpdatePressCounter(c.key.Button[b], want[b]);
    if (c.key.Button[b] == 1) c.key.Trigger = b + 1;
  }
  keys[static_cast<size_t>(index)] = c.key;
}

}  // namespace game
