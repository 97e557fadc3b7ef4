// Stages and ball kinds as the simulation sees them: the stage list (comments, shuffling, the
// four fields of a line), the stage map as a grid of ground classes, the start point, and per
// ball kind the sizes of its images from the folder listing. Pictures themselves belong to the
// drawing side, which can attach its loaders here. Relies on CApi (files, text, random) and
// CmgBBI (the map's pixels).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/MatchTypes.h"

namespace util {
class CApi;
}

namespace game {

// Ground classes of the stage map (StagePixel).
inline constexpr int32_t kGroundSafe = 0;    // 0x00FF00
inline constexpr int32_t kGroundDeadly = 1;  // 0xFF0000
inline constexpr int32_t kGroundSlow = 2;    // 0x0000FF
inline constexpr int32_t kGroundNone = -1;   // any other colour, or outside the map

// Where the players start when no stage could be chosen: the middle of the field.
inline constexpr int32_t kNoStageStartX = 400;
inline constexpr int32_t kNoStageStartY = 300;

class CStageMap {
 public:
  // The class of one 0xAARRGGBB pixel (alpha ignored).
  static int32_t ClassOf(uint32_t pixel);
  void Clear();
  // Rows of 0xAARRGGBB pixels, `stride` pixels apart.
  void Assign(int32_t width, int32_t height, const uint32_t* pixels, int32_t stride);
  // A map of one class everywhere (tests).
  void Fill(int32_t width, int32_t height, int32_t groundClass);
  void Set(int32_t x, int32_t y, int32_t groundClass);
  [[nodiscard]] int32_t Pixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return kGroundNone;
    return m_cells[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
  }
  [[nodiscard]] bool Empty() const { return m_width == 0 || m_height == 0; }
  [[nodiscard]] int32_t Width() const { return m_width; }
  [[nodiscard]] int32_t Height() const { return m_height; }

 private:
  int32_t m_width = 0;
  int32_t m_height = 0;
  std::vector<int8_t> m_cells;
};

struct StageLine {
  std::string map;
  std::string backdrop;
  int32_t startX = 0;
  int32_t startY = 0;
};

// The stage chosen for a round.
struct Stage {
  bool found = false;  // false: the list had no stage line
  StageLine line;
  CStageMap map;
  int32_t startX = kNoStageStartX;
  int32_t startY = kNoStageStartY;
};

struct BallImage {
  std::string file;  // below \Res\Graphic\ ; empty for a stand-in
  int32_t width = 0;
  int32_t height = 0;
};

class CMatchAssets {
 public:
  using Message = std::function<void(const std::string& text)>;
  // The size of an image file; nullopt when it cannot be read.
  using SizeReader = std::function<std::optional<std::array<int32_t, 2>>(const std::string&)>;

  // Sizes used when a kind's folder holds no bitmap, or the character image cannot be read.
  static constexpr std::array<int32_t, kBallKinds> kStandInBall = {64, 32, 32};
  static constexpr int32_t kStandInCharacter = 32;
  static const char* const kBallFolders[kBallKinds];

  // Every kind gets one stand-in image and the character its stand-in size.
  CMatchAssets();

  // Lists the three ball folders (with archive members) and reads each image's size; an empty
  // folder shows "<Folder> が見つかりません" and leaves the kind one stand-in. The character
  // size is read from "Chara\L1.bmp".
  void Load(util::CApi& api, const Message& message, const SizeReader& reader);

  // The image sizes through CmgBBI (the reader Load uses in the program).
  static SizeReader ImageSizeReader(util::CApi& api);

  [[nodiscard]] const std::vector<BallImage>& Balls(int32_t kind) const {
    return m_balls[static_cast<size_t>(kind)];
  }
  void SetBalls(int32_t kind, std::vector<BallImage> images);
  [[nodiscard]] bool StandIn(int32_t kind) const { return m_standIn[static_cast<size_t>(kind)]; }
  int32_t characterWidth = kStandInCharacter;
  int32_t characterHeight = kStandInCharacter;

 private:
  std::array<std::vector<BallImage>, kBallKinds> m_balls;
  std::array<bool, kBallKinds> m_standIn{};
};

class CStageList {
 public:
  static constexpr const char* kListFile = "\\Res\\Stage\\■StageData.txt";
  static constexpr const char* kStageFolder = "\\Res\\Stage\\";
  static constexpr const char* kNoStageMessage = "ステージデータが見つかりません";

  // The stage lines of a list text: split at "\r\n", comment lines (first character "'")
  // removed. Blank lines are dropped too: a list that ends in a line break would otherwise
  // offer an empty stage whose start point (0, 0) puts three players off the field.
  static std::vector<std::string> Lines(std::string_view text);
  // The four fields, split at ","; missing names are empty, missing numbers 0.
  static StageLine Parse(std::string line);

  // Reads the list, shuffles it with the match's generator and loads the first stage's map.
  // No stage line: the message, and a stage with an empty map (no ground class anywhere) and
  // the start point in the middle of the field.
  static Stage Choose(util::CApi& api, const CMatchAssets::Message& message);
  // The same from a list text already read (tests); `loadMap` fills the map from a file name.
  static Stage ChooseFrom(util::CApi& api, std::string_view listText,
                          const CMatchAssets::Message& message,
                          const std::function<void(const std::string&, CStageMap&)>& loadMap);
};

}  // namespace game
