// CMatch: the match state and its simulation step. Round set-up (Sub_Init) with the game modes
// and the ball plan, ball release and motion with the mode events, player motion, attacks,
// shots, collisions, damage and hit-stop, and the computer players' input. Every random draw
// comes from the match's own generator, so one seed and one input sequence give one match.
// Nothing here draws or plays directly: sounds go through IMatchSound, pictures are left to
// the match drawing, which reads the records and the banner state.
// Relies on CApi (maths helpers, the generator, files) and the stage module.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "game/CStage.h"
#include "game/IMatchSound.h"
#include "game/MatchTypes.h"

namespace util {
class CApi;
}

namespace game {

// One computer player's controller.
struct ComputerRecord {
  VKey key;  // the output, copied to the player's virtual key every step
  float waypointX = 0, waypointY = 0;
  int32_t planDone = 0;
  int32_t thinkTimer = 0;
  int32_t dashTimer = 0;
  int32_t aggression = 0;
  int32_t target = 0;
  int32_t plan = 0;
};

class CMatch {
 public:
  // Game mode names by mode (0 chooses one of 1 to 7 every round).
  static const char* const kModeNames[8];

  // `api` supplies the generator and file access; it must outlive the match.
  explicit CMatch(util::CApi& api);

  void SetSound(IMatchSound* sound) { m_sound = sound ? sound : &m_silent; }
  // Chooses the stage of a round; the default reads the stage list (CStageList::Choose).
  using StageChooser = std::function<Stage()>;
  void SetStageChooser(StageChooser chooser) { m_chooseStage = std::move(chooser); }
  // Called after the computer players' input and before anything moves, with every player's
  // virtual key: recording reads them, replaying replaces them.
  using KeyHook = std::function<void(std::array<VKey, kPlayerCount>& keys)>;
  void SetKeyHook(KeyHook hook) { m_keyHook = std::move(hook); }

  // Round set-up.
  void Sub_Init();
  // The computer players' controllers for a new round (JobMatchStep's first frame).
  void InitComputers();
  // One simulation step: computer input, release, balls, players, attacks, banner, shots,
  // collisions; then frame in round + 1.
  void Step();
  // Backspace: every alive player is thrown at speed 300 in a random direction.
  void Backspace();

  void AddDamage(int32_t player, int32_t amount);
  static void Reflect(CObject& object, float axis);
  // The lowest free shot index from 1; all busy: a random one (overwritten). Cleared.
  int32_t FindShotSlot();
  // The stage map's class at (x, y) (kGround*).
  [[nodiscard]] int32_t StagePixel(int32_t x, int32_t y) const { return stage.map.Pixel(x, y); }
  [[nodiscard]] int32_t AliveCount() const;
  // The ball damage table by ball speed.
  static int32_t BallDamage(float speed);

  // CreateBall's optional values.
  struct BallValues {
    std::optional<float> x, y, speed, acceleration, direction, turn;
  };
  void CreateBall(int32_t index, int32_t kind, const BallValues& values);

  // ---- State (read by the drawing, the round controller and the tests) ----
  int32_t modeInPlay = 1;
  int32_t modeChosen = 0;
  int32_t humanPlayers = 0;
  int32_t playerCount = kPlayerCount;
  int32_t gaugeMaximum = kGaugeMaximum;
  int32_t ballsReleased = 0;
  int32_t ballLimit = 9999;
  int32_t frameInRound = 0;
  int32_t roundNumber = 0;
  int32_t winner = -1;
  int32_t hitStop = 0;
  int32_t skipSteps = 0;
  std::array<CObject, kPlayerCount> players{};
  std::array<CObject, kPoolSize> balls{};
  std::array<CObject, kPoolSize> shots{};
  std::array<int32_t, kPlayerCount> wins{};
  int32_t scheduledEnd = 0;
  int32_t freezeTimer = 0;
  int32_t strangeTimer = 0;
  int32_t strangeEvent = 0;  // the mode 4 event timer
  Stage stage;
  CMatchAssets assets;
  BannerState banner;
  std::array<VKey, kPlayerCount> keys{};  // player n reads keys[n]
  std::array<ComputerRecord, kPlayerCount> computers{};

  [[nodiscard]] util::CApi& Api() { return m_api; }
  // A fresh uniform value in [0, 1).
  float R();
  int32_t Rnd(int32_t min, int32_t max);

 private:
  // The per-step mode events, applied to every ball in play.
  struct BallEvents {
    bool freeze = false, thaw = false;
    bool strangeStart = false, strangeEnd = false;
    int32_t push = 0;
    float pushDirection = 0;
  };

  void PlanBalls();
  void PlacePlayers();
  void ReleaseBalls();
  BallEvents ModeEvents();
  void MoveBalls();
  void MovePlayers();
  void MovePlayer(int32_t p);
  void FallOut(int32_t p);
  void Attacks();
  void Attack(int32_t p);
  void BannerStep();
  void UpdateShots();
  void Collisions();
  void CollideBalls();
  void CollideShots();
  void CollidePlayer(int32_t p);
  void CollideBlastsWithBalls();
  void ComputerStep(int32_t p);
  void Play(std::string_view wave, double volume, double pan, double tempo = 0);

  util::CApi& m_api;
  CSilentSound m_silent;
  IMatchSound* m_sound = &m_silent;
  StageChooser m_chooseStage;
  KeyHook m_keyHook;
};

}  // namespace game
