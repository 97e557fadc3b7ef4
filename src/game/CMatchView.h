// CMatchView: the drawing of a match frame (JobMatchDraw) and the pictures it needs: the base
// images of a game cycle (explosion strips, bomblet, effects, character frames, charge bars,
// ball images), the round's backdrop, the banner's text pictures and the digit sets. It reads the
// match's records and banner state and draws through present::CGraphics onto the back buffer.
// Relies on CMatch, CStage (the asset lists) and the picture object.
//
// Shots and explosions come from 64-pixel frame strips, the frame chosen from the remaining
// life. The looks, by shot state:
//   1 blast              "Bakuha1" (quick pop), played once over life 8 (frame 8 - life)
//   2 missile            "ani01" (twinkle) in the owner's colour, cycling frames 1 to 3 by
//                        life / 2, over a white-hot core ("Bakuha6" frame 1) and three
//                        smoke puffs ("Bakuha6" frames 5 to 7) back along its course
//   3 bomb               "ball_Red3" at the bomb's diameter, cycling by life / 3, over an
//                        "ani02" ring in the owner's colour that marks the trigger area (faint
//                        while arming)
//   4 barrier            "Bakuha4" (electric burst) at the barrier's diameter, once by life / 3
//   11 bomblet           "ball_Red3" at 64, cycling by life / 2 (the fuse blinks)
//   96 cancelled         "Bakuha5" (shock ring), once by life / 2
//   97 missile explosion "Bakuha2" (fireball), once by life / 2
//   98 bomb explosion    "Bakuha3" (big blast) at its diameter, once by life / 2
//   99 death blast       "Bakuha7" (great blast) at its diameter, once by life / 3
// "Once" runs the strip from its first frame to its last as the life runs out:
// frame = 7 - min(7, (life - 1) / k); "cycling" repeats it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "game/CMatch.h"
#include "present/CGraphics.h"

namespace engine {
class spLib;
}
namespace present {
class CIMDevice;
}

namespace game {

class CMatchView {
 public:
  static constexpr int32_t kStripFrame = 64;  // the side of one strip frame
  static constexpr int32_t kStripFrames = 8;
  // The effect set, in the order of its files.
  enum Effect : int32_t {
    kBakuha1 = 0,
    kBakuha2,
    kBakuha3,
    kBakuha4,
    kBakuha5,
    kBakuha6,
    kBakuha7,
    kBallRed3,
    kAni01,
    kAni02,
    kEffectCount
  };
  static const char* const kEffectFiles[kEffectCount];
  static const char* const kCharacterFiles[4];

  // How one shot is drawn: which strip, which frame, at what size; strip -1 draws nothing.
  struct ShotLook {
    int32_t strip = -1;
    int32_t frame = 0;
    int32_t size = 0;        // the side of the drawn frame
    bool ownerTint = false;  // tinted with the owner's light colour
  };
  [[nodiscard]] static ShotLook LookOf(const CObject& shot);

  // The charge bars' fill: full × value / maximum rounded to nearest (halves to even); a result
  // below 2 gives 1 (the bar never vanishes while it charges).
  [[nodiscard]] static int32_t BarWidth(int32_t full, int32_t value, int32_t maximum);

  // Which banner pictures exist and which are shown (what the next frame would draw).
  struct BannerPictures {
    bool modeText = false, modeTextShown = false;
    bool roundItem = false, numberItem = false;
    bool readyGo = false, readyGoShown = false, readyGoIsGo = false;
  };
  [[nodiscard]] BannerPictures Banner() const;
  // The colour the Ready/Go picture is drawn in (0xAARRGGBB).
  [[nodiscard]] uint32_t ReadyGoColor() const { return m_readyGoColor; }

  explicit CMatchView(engine::spLib* root = nullptr);
  ~CMatchView();
  CMatchView(const CMatchView&) = delete;
  CMatchView& operator=(const CMatchView&) = delete;

  // Sub_LoadBaseImage's pictures: explosion strips, bomblet, the two effects, the character
  // frames, the charge bars, and the ball images that `assets` lists (a stand-in kind gets a
  // picture drawn here, as does any base picture that cannot be read). Failures go to `message`
  // once per file: "ファイルの読み込みに失敗" and the file.
  void LoadBaseImages(const CMatchAssets& assets,
                      const std::function<void(const std::string&)>& message);
  // framecount 1: the round's first frame (pre-renders the digits); > 1: draws the frame of
  // `match` on the back buffer (the caller presents) and counts the banner items' lives down;
  // < 0: releases the round's pictures. fps: the frame controller's rate, shown at most 60.
  void Frame(int32_t framecount, CMatch& match, int32_t fps);
  // The 3-D device whose filter turns linear while the effect frames are drawn scaled; by
  // default the root's display device (tests that draw elsewhere hand theirs).
  void SmoothWith(present::CIMDevice* device) { m_device = device; }

 private:
  using Picture = present::CGraphics;

  [[nodiscard]] std::unique_ptr<Picture> NewPicture() const;
  bool LoadPicture(Picture& picture, const std::string& file);
  void Report(const std::string& file);
  void StandInStrip(Picture& picture, int32_t index);
  void StandInCharacter(Picture& picture, int32_t width, int32_t height, bool left);
  static void StandInBall(Picture& picture, int32_t kind, int32_t width, int32_t height);
  void MakePlainBackdrop();
  void MakeMarkers();

  void PrepareDigits();
  void ReleaseRound();
  void UpdateBackdrop(const CMatch& match);
  void UpdateBanner(CMatch& match);
  void DrawBackdrop();
  void DrawBalls(const CMatch& match);
  void DrawPlayers(const CMatch& match);
  void DrawBars(const CObject& player);
  void DrawShots(const CMatch& match);
  void DrawBanner(const CMatch& match);
  void DrawCounters(const CMatch& match);
  void DrawFps(int32_t fps);
  static void DrawNumber(std::array<std::unique_ptr<Picture>, 10>& digits, int32_t value,
                         float lastX, float y, float spacing, uint32_t color, int32_t outline);
  static void DrawTextPicture(Picture& picture, float cx, float cy, float scale, uint32_t color);
  static void DrawOutlined(Picture& picture, float cx, float cy, float scale, uint32_t color,
                           int32_t radius);
  void DrawStrip(int32_t strip, int32_t frame, float cx, float cy, float size, uint32_t color,
                 uint32_t mode);

  [[nodiscard]] present::CIMDevice* Device() const;

  engine::spLib* m_root = nullptr;
  present::CIMDevice* m_device = nullptr;
  std::function<void(const std::string&)> m_message;
  std::set<std::string> m_reported;

  // Base images (one game cycle).
  std::array<std::unique_ptr<Picture>, kEffectCount> m_effects;
  std::array<std::unique_ptr<Picture>, 4> m_characters;
  std::unique_ptr<Picture> m_barBack, m_gaugeBar, m_reloadBar;
  std::array<std::vector<std::unique_ptr<Picture>>, kBallKinds> m_balls;
  std::array<std::unique_ptr<Picture>, kBallKinds> m_standInBalls;
  std::unique_ptr<Picture> m_shadow;                          // the ground mark under a player
  std::unique_ptr<Picture> m_plate;                           // behind a player's counters
  std::array<std::unique_ptr<Picture>, kPlayerCount> m_tags;  // "1P" to "4P"

  // The round's pictures.
  std::unique_ptr<Picture> m_backdrop;
  std::string m_backdropFile;
  bool m_backdropChosen = false;
  std::unique_ptr<Picture> m_plainBackdrop;
  std::array<std::unique_ptr<Picture>, 10> m_digitsLarge, m_digitsMedium, m_digitsSmall,
      m_digitsGlow;
  std::unique_ptr<Picture> m_fpsText;
  int32_t m_fpsShown = -1;

  // The banner's pictures and what they show.
  std::unique_ptr<Picture> m_modeText, m_roundItem, m_numberItem, m_readyGo;
  int32_t m_modeTextState = 0, m_readyGoState = 0;
  bool m_readyGoIsGo = false;
  uint32_t m_readyGoColor = 0;
  int32_t m_roundRefreshSeen = 0;
  int32_t m_bannerRound = -1;
  int32_t m_bannerFrame = -1;  // the last banner frame the pictures follow
};

}  // namespace game
