// CMatch: round set-up, the ball plan, release and ball motion, the banner step and the step
// order. Players and attacks live in CMatch_players.cpp, shots and collisions in
// CMatch_shots.cpp, the computer players in CComputer.cpp.
#include "game/CMatch.h"

#include <algorithm>

#include "game/MatchMath.h"
#include "util/CApi.h"

namespace game {

using namespace match_math;

const char* const CMatch::kModeNames[8] = {
    "ランダムにステージを選びます", "フリーファイト", "フリージング", "ダメージ+300",
    "不可思議",                     "追尾ストリーム", "シンプル",     "ストレート"};

CMatch::CMatch(util::CApi& api) : m_api(api) {}

float CMatch::R() { return m_api.NextUniform(); }

int32_t CMatch::Rnd(int32_t min, int32_t max) { return m_api.Math_Rnd(min, max); }

void CMatch::Play(std::string_view wave, double volume, double pan, double tempo) {
  m_sound->Play(wave, static_cast<float>(volume), static_cast<float>(pan),
                static_cast<float>(tempo));
}

int32_t CMatch::AliveCount() const {
  int32_t n = 0;
  for (const CObject& p : players) n += p.alive ? 1 : 0;
  return n;
}

// ---- Round set-up --------------------------------------------------------------------------

void CMatch::Sub_Init() {
  modeInPlay = modeChosen;
  if (modeInPlay == 0) modeInPlay = RoundI(static_cast<double>(R()) * 6.0 + 1.0);
  gaugeMaximum = kGaugeMaximum;
  ballsReleased = 0;
  ballLimit = modeInPlay == 6 ? 1 : modeInPlay == 4 ? 20 : 9999;
  ballLimit = std::min(ballLimit, kPoolUpper);
  frameInRound = 0;
  hitStop = 0;
  skipSteps = 0;
  scheduledEnd = 0;
  freezeTimer = strangeTimer = strangeEvent = 0;
  banner = BannerState{};

  if (m_chooseStage) {
    stage = m_chooseStage();
  } else {
    stage = CStageList::Choose(m_api, {});
  }
  PlanBalls();
  PlacePlayers();
  for (int32_t i = 0; i < kPlayerCount; ++i) {
    CObject& p = players[static_cast<size_t>(i)];
    p.controller = i < humanPlayers ? 1 : 2;
    p.alive = true;
  }
  for (CObject& s : shots) s = CObject{};
}

void CMatch::PlacePlayers() {
  for (int32_t i = 0; i < kPlayerCount; ++i) {
    CObject& p = players[static_cast<size_t>(i)];
    p = CObject{};
    p.width = assets.characterWidth;
    p.height = assets.characterHeight;
    p.x = static_cast<float>(stage.startX + 20 * i);
    p.y = static_cast<float>(stage.startY - 20 * i);
    p.prevX = p.x;
    p.prevY = p.y;
    p.gauge = gaugeMaximum;
    p.gaugeFull = true;
    if (modeInPlay == 3) p.pendingDamage = 300;
  }
}

void CMatch::PlanBalls() {
  for (CObject& b : balls) b = CObject{};
  const int32_t straightRow = modeInPlay == 7 ? RoundI(static_cast<double>(R()) * 4.0) : 0;
  for (int32_t i = 0; i <= kPoolUpper; ++i) {
    int32_t r = Rnd(0, 100);
    if (modeInPlay == 5 || modeInPlay == 6) r = 99;
    const auto fi = static_cast<float>(i);
    BallValues v;
    if (modeInPlay == 4) {
      v.speed = r <= 50 ? 1.5f : 2.5f;
      v.turn = 0.0f;
      CreateBall(i, r <= 50 ? kBallSmall : kBallLarge, v);
      continue;
    }
    if (modeInPlay == 7) {
      int32_t kind = kBallSmall;
      v.speed = 2.5f;
      switch (straightRow) {
        case 0: v.x = 20 * fi; v.y = 10.0f; v.direction = 270.0f; break;
        case 1:
          v.x = i % 2 == 0 ? 780.0f : 20.0f;
          v.y = 15 * fi;
          v.direction = i % 2 == 0 ? 180.0f : 0.0f;
          break;
        case 2: v.x = 20 * fi; v.y = 590.0f; v.direction = 90.0f; break;
        case 3: kind = kBallLarge; v.x = 20 * fi; v.y = 10.0f; v.direction = 270.0f; break;
        default: kind = kBallLarge; v.x = 20 * fi; v.y = 590.0f; v.direction = 90.0f; break;
      }
      CreateBall(i, kind, v);
      continue;
    }
    if (r <= 50) {
      CreateBall(i, kBallSmall, v);
    } else if (r <= 90) {
      v.direction = 45.0f;
      v.turn = 0.0f;
      CreateBall(i, kBallLarge, v);
    } else {
      const double s = R() < 0.5f ? 1.0 : -1.0;
      v.speed = 0.8f;
      if (modeInPlay == 6) {
        v.turn = 6.0f;
      } else if (modeInPlay == 5) {
        v.turn = static_cast<float>(5.0 + 0.8 * Rnd(1, 3) * s);
      } else {
        v.turn = static_cast<float>(0.8 * Rnd(1, 3) * s);
      }
      CreateBall(i, kBallHoming, v);
    }
  }
}

void CMatch::CreateBall(int32_t index, int32_t kind, const BallValues& values) {
  if (index < 0 || index > kPoolUpper || kind < 0 || kind >= kBallKinds) return;
  CObject& b = balls[static_cast<size_t>(index)];
  b = CObject{};
  const std::vector<BallImage>& images = assets.Balls(kind);
  const int32_t pick = Rnd(0, static_cast<int32_t>(images.size()) - 1);
  const BallImage& image = images[static_cast<size_t>(std::clamp<int32_t>(
      pick, 0, static_cast<int32_t>(images.size()) - 1))];
  b.image = assets.StandIn(kind) ? -1 : pick;
  b.width = image.width;
  b.height = image.height;
  b.kind = kind;
  b.speed = values.speed ? *values.speed : static_cast<float>(Rnd(20, 80) * 0.05);
  b.acceleration = values.acceleration.value_or(0.0f);
  b.direction = values.direction ? *values.direction : static_cast<float>(Rnd(0, 359));
  b.turn = values.turn ? *values.turn : static_cast<float>(Rnd(-2, 2) * 0.7);
  if (!values.x && !values.y) {
    const int32_t corner = modeInPlay == 5 ? 3 : Rnd(0, 3);
    b.x = corner >= 2 ? 800.0f : 0.0f;
    b.y = corner % 2 == 1 ? 600.0f : 0.0f;
  } else {
    b.x = values.x.value_or(0.0f);
    b.y = values.y.value_or(0.0f);
  }
  b.prevX = b.x;
  b.prevY = b.y;
  b.alive = false;
}

// ---- The step ------------------------------------------------------------------------------

void CMatch::Step() {
  for (int32_t p = 0; p < kPlayerCount; ++p)
    if (players[static_cast<size_t>(p)].controller == 2) ComputerStep(p);
  if (m_keyHook) m_keyHook(keys);
  ReleaseBalls();
  MoveBalls();
  MovePlayers();
  if (frameInRound >= kAttackFrame) Attacks();
  if (frameInRound < kBannerFrames) BannerStep();
  UpdateShots();
  Collisions();
  if (frameInRound < INT32_MAX) ++frameInRound;
}

void CMatch::ReleaseBalls() {
  const int32_t interval =
      (modeInPlay == 4 || modeInPlay == 5) ? 15 : modeInPlay == 7 ? 1 : 60;
  if (ballsReleased < kPoolUpper && ballsReleased < ballLimit && frameInRound % interval == 0) {
    balls[static_cast<size_t>(ballsReleased)].alive = true;
    util::CApi::inc(ballsReleased, 1, kPoolUpper);
  }
}

CMatch::BallEvents CMatch::ModeEvents() {
  BallEvents e;
  if (modeInPlay == 2) {
    if (freezeTimer <= 0) {
      if (R() < 0.004f) {
        e.freeze = true;
        freezeTimer = RoundI(static_cast<double>(R()) * 150.0 + 150.0);
      }
    } else {
      if (freezeTimer == 1) e.thaw = true;
      --freezeTimer;
    }
  }
  if (modeInPlay == 4) {
    if (strangeTimer > 0) {
      if (strangeTimer == 1) e.strangeEnd = true;
      --strangeTimer;
    } else if (strangeEvent <= 0) {
      if (R() < 0.004f) {
        e.strangeStart = true;
        strangeTimer = 500;
        strangeEvent = 120;
      } else if (R() < 0.008f) {
        e.push = RoundI(static_cast<double>(R()) * 2.0 + 1.0);
        e.pushDirection = static_cast<float>(static_cast<double>(R()) * 360.0);
        strangeEvent = 120;
      }
    } else {
      --strangeEvent;
    }
  }
  return e;
}

void CMatch::MoveBalls() {
  const BallEvents e = ModeEvents();
  for (CObject& b : balls) {
    if (!b.alive) break;
    b.prevX = b.x;
    b.prevY = b.y;
    if (b.kind != kBallHoming) {
      b.direction = RoundMod360(static_cast<double>(b.direction) + b.turn);
    } else {
      const CObject* target = nullptr;
      float nearest = 0;
      for (const CObject& p : players) {
        if (!p.alive) continue;
        const float d = util::CApi::Math_Length(b.x, b.y, p.x, p.y);
        if (target == nullptr || d < nearest) {
          target = &p;
          nearest = d;
        }
      }
      // With nobody left to chase, a homing ball keeps its course.
      if (target != nullptr) {
        const auto t = static_cast<float>(
            static_cast<double>(util::CApi::Math_HomingRadian(b.x, b.y, target->x, target->y)) *
            57.2957914);
        int32_t diff = RoundI(static_cast<double>(t) - b.direction + 720.0) % 360;
        if (diff >= 180) diff -= 360;
        if (static_cast<float>(diff) > b.turn) {
          b.direction = static_cast<float>(static_cast<double>(b.direction) + b.turn);
        } else if (static_cast<float>(diff) < -b.turn) {
          b.direction = static_cast<float>(static_cast<double>(b.direction) - b.turn);
        } else {
          b.direction = t;
        }
      }
    }
    b.speed = static_cast<float>(static_cast<double>(b.speed) + b.acceleration);
    b.x = static_cast<float>(b.x + CosD(b.direction) * b.speed);
    b.y = static_cast<float>(b.y - SinD(b.direction) * b.speed);
    if (e.freeze) {
      b.speed2 = static_cast<float>(b.speed * 0.88);
      b.speed = static_cast<float>(b.speed * 0.12);
    }
    if (e.thaw) b.speed = static_cast<float>(static_cast<double>(b.speed2) + b.speed);
    if (e.strangeStart) {
      b.direction2 = b.turn;
      b.turn = R() < 0.5f ? 6.0f : -6.0f;
      b.acceleration = 0.006f;
      b.speed = static_cast<float>(b.speed / 2.0);
    }
    if (e.strangeEnd) {
      b.turn = b.direction2;
      b.acceleration = 0;
    }
    if (e.push == 1) {
      b.direction = e.pushDirection;
      b.speed = static_cast<float>(static_cast<double>(R()) * 3.0);
    } else if (e.push == 2) {
      b.direction = static_cast<float>(util::CApi::Math_Homing(b.x, b.y, 400, 300) + 180.0);
    } else if (e.push == 3) {
      b.direction = util::CApi::Math_Homing(b.x, b.y, 400, 300);
    }
    bool bounced = false;
    if (b.x <= 0) {
      b.x = 1;
      Reflect(b, 90);
      bounced = true;
    }
    if (b.x >= kFieldWidth) {
      b.x = kFieldWidth - 1;
      Reflect(b, 90);
      bounced = true;
    }
    if (b.y <= 0) {
      b.y = 1;
      Reflect(b, 180);
      bounced = true;
    }
    if (b.y >= kFieldHeight) {
      b.y = kFieldHeight - 1;
      Reflect(b, 180);
      bounced = true;
    }
    if (bounced) {
      if (b.speed > 7) {
        b.speed = static_cast<float>(b.speed * 0.7);
      } else if (b.speed > 4) {
        b.speed = static_cast<float>(Rnd(20, 80) * 0.05);
      }
    }
  }
}

void CMatch::Reflect(CObject& object, float axis) {
  object.direction = static_cast<float>(2.0 * axis - object.direction);
}

// ---- Banner, Backspace ---------------------------------------------------------------------

void CMatch::BannerStep() {
  const int32_t f = frameInRound;
  BannerState& b = banner;
  if (f == 1) b.modeText = 1;
  if (f == 2) b.roundItemLife = 80;
  if (f == 3 || f == 6 || f == 9 || f == 12) ++b.roundItemRefresh;
  if (f == 18) b.numberItemLife = 80;
  if (f == 60) {
    b.readyGoIsGo = false;
    b.roundItemLife = 1;
    b.numberItemLife = 1;
    Play("060Ready.wav", 0.7, 0.0);
    b.modeText = 0;
  }
  if (f >= 61 && f <= 139) {
    b.readyGo = 1;
    b.readyGoColorPos = static_cast<float>(0.7 + 0.3 * ((f - 61) / 78.0));
  }
  if (f == 140) b.readyGoIsGo = true;
  if (f >= 141 && f <= 159) {
    b.readyGoColor = 0xFFE0FFE0u;
    b.readyGo = 2;
  }
  if (f == 160) {
    b.readyGoReleased = true;
    b.readyGo = 0;
    b.modeText = 0;
  }
}

void CMatch::Backspace() {
  for (CObject& p : players) {
    if (!p.alive) continue;
    p.speed = 300;
    p.direction = static_cast<float>(static_cast<double>(R()) * 360.0);
  }
}

}  // namespace game
