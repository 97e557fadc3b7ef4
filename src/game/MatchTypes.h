// The match's records: one object record for players, balls and shots (fields a kind does not
// use stay 0), the shot states, the ball kinds, and the banner state the match drawing reads.
// Plain data; relies on the engine's virtual key record only.
#pragma once

#include <array>
#include <cstdint>

#include "engine/IInputDevice.h"

namespace game {

using VKey = engine::VKeyState;

inline constexpr int32_t kPlayerCount = 4;
inline constexpr int32_t kPoolUpper = 39;  // balls and shots: indices 0 to 39
inline constexpr int32_t kPoolSize = kPoolUpper + 1;
inline constexpr int32_t kFieldWidth = 800;
inline constexpr int32_t kFieldHeight = 600;
inline constexpr int32_t kGaugeMaximum = 1000;
inline constexpr int32_t kReloadMaximum = 300;
inline constexpr int32_t kAttackFrame = 140;   // attacks from this frame in round ("Ｇｏ！")
inline constexpr int32_t kBannerFrames = 200;  // the banner step runs below this frame

// The players' colours for the drawing: dark tones, then light ones (0x00RRGGBB).
inline constexpr std::array<uint32_t, kPlayerCount> kPlayerColors = {0x101090, 0x801010, 0x106020,
                                                                     0x404000};
inline constexpr std::array<uint32_t, kPlayerCount> kPlayerLightColors = {0x8080FF, 0xFF8080,
                                                                          0x80FF80, 0xFFFF80};

enum BallKind : int32_t { kBallLarge = 0, kBallSmall = 1, kBallHoming = 2 };
inline constexpr int32_t kBallKinds = 3;

enum ShotState : int32_t {
  kShotNone = 0,
  kShotBlast = 1,
  kShotMissile = 2,
  kShotBomb = 3,
  kShotBarrier = 4,
  kShotBomblet = 11,
  kShotCancelled = 96,
  kShotMissileExplosion = 97,
  kShotBombExplosion = 98,
  kShotDeathBlast = 99,
};

// Player sprites in the order of the character set: facing left / right, step 1 / 2.
enum Sprite : int32_t { kSpriteL1 = 0, kSpriteL2 = 1, kSpriteR1 = 2, kSpriteR2 = 3 };

struct CObject {
  float x = 0, y = 0;
  float prevX = 0, prevY = 0;
  int32_t width = 0, height = 0;  // shots: width = height = diameter
  float speed = 0;                // players: knock-back speed
  float acceleration = 0;
  float speed2 = 0;      // players: walking speed; balls: speed saved while frozen; shots: sideways
  float direction = 0;   // degrees; players: knock-back direction
  float turn = 0;        // players: knock-back spin; balls: turn rate
  float direction2 = 0;  // players: facing; balls: turn saved while strange; shots: sideways
  int32_t owner = 0;
  int32_t state = 0;
  int32_t life = 0;
  int32_t arming = 0;
  bool detonate = false;
  int32_t power = 0;
  int32_t launchDirection = 0;
  int32_t controller = 0;  // 1 human, 2 computer
  int32_t cooldown = 0;
  int32_t reload = 0;
  int32_t hits = 0;
  int32_t damage = 0;
  int32_t pendingDamage = 0;
  bool gaugeFull = false;
  int32_t gauge = 0;
  int32_t gait = 0;   // 0 stand, 1 walk, 2 dash
  int32_t frame = 0;  // the sprite shown (Sprite)
  int32_t animation = 0;  // steps since the last walk frame
  bool stepFlag = false;
  int32_t kind = 0;
  int32_t image = -1;  // index in the kind's image set; -1 for a stand-in without a picture
  bool alive = false;  // players alive, balls and shots in play
};

// What the round banner shows; the match drawing counts the item lives down.
struct BannerState {
  int32_t modeText = 0;     // 0 hidden, 1 shown pulsing, 2 shown at scale 1
  int32_t readyGo = 0;      // the same states for the Ready/Go image
  bool readyGoIsGo = false; // false "Ｒｅａｄｙ", true "Ｇｏ！"
  bool readyGoReleased = false;
  float readyGoColorPos = 0;     // 0.7 + 0.3 t while Ready shows
  uint32_t readyGoColor = 0;     // 0 while the ramp is in use
  int32_t roundItemLife = 0;     // "ラウンド"
  int32_t roundItemRefresh = 0;  // frames at which it was refreshed (count)
  int32_t numberItemLife = 0;    // the round number
};

}  // namespace game
