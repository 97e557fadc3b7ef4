// The stage list, the stage map and the ball sets' sizes.
#include "game/CStage.h"

#include <algorithm>

#include "image/CmgBBI.h"
#include "util/CApi.h"

namespace game {

// ---- Stage map -----------------------------------------------------------------------------

int32_t CStageMap::ClassOf(uint32_t pixel) {
  switch (pixel & 0xFFFFFFu) {
    case 0x0000FFu: return kGroundSlow;
    case 0x00FF00u: return kGroundSafe;
    case 0xFF0000u: return kGroundDeadly;
    default: return kGroundNone;
  }
}

void CStageMap::Clear() {
  m_width = m_height = 0;
  m_cells.clear();
}

void CStageMap::Assign(int32_t width, int32_t height, const uint32_t* pixels, int32_t stride) {
  Clear();
  if (width <= 0 || height <= 0 || pixels == nullptr || stride < width) return;
  m_width = width;
  m_height = height;
  m_cells.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
    int8_t* out = m_cells.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    for (int32_t x = 0; x < width; ++x) out[x] = static_cast<int8_t>(ClassOf(row[x]));
  }
}

void CStageMap::Fill(int32_t width, int32_t height, int32_t groundClass) {
  Clear();
  if (width <= 0 || height <= 0) return;
  m_width = width;
  m_height = height;
  m_cells.assign(static_cast<size_t>(width) * static_cast<size_t>(height),
                 static_cast<int8_t>(groundClass));
}

void CStageMap::Set(int32_t x, int32_t y, int32_t groundClass) {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
  m_cells[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)] =
      static_cast<int8_t>(groundClass);
}

// ---- Ball sets -----------------------------------------------------------------------------

const char* const CMatchAssets::kBallFolders[kBallKinds] = {"LargeBall", "SmallBall",
                                                            "HomingBall"};

CMatchAssets::CMatchAssets() {
  for (int32_t kind = 0; kind < kBallKinds; ++kind) SetBalls(kind, {});
}

void CMatchAssets::SetBalls(int32_t kind, std::vector<BallImage> images) {
  if (kind < 0 || kind >= kBallKinds) return;
  const auto k = static_cast<size_t>(kind);
  m_standIn[k] = images.empty();
  if (images.empty()) images.push_back({"", kStandInBall[k], kStandInBall[k]});
  m_balls[k] = std::move(images);
}

void CMatchAssets::Load(util::CApi& api, const Message& message, const SizeReader& reader) {
  for (int32_t kind = 0; kind < kBallKinds; ++kind) {
    const std::string folder = kBallFolders[kind];
    const std::vector<std::string> names = api.GetFiles(
        "\\Res\\Graphic\\" + folder + "\\", "bmp", 0, folder + "\\", true);
    std::vector<BallImage> images;
    for (const std::string& name : names) {
      BallImage image{name, 0, 0};
      // An image that cannot be read stays empty, as the drawing side leaves it.
      if (auto size = reader("\\Res\\Graphic\\" + name)) {
        image.width = (*size)[0];
        image.height = (*size)[1];
      }
      images.push_back(std::move(image));
    }
    if (images.empty() && message) message(folder + " が見つかりません");
    SetBalls(kind, std::move(images));
  }
  characterWidth = characterHeight = kStandInCharacter;
  if (auto size = reader("\\Res\\Graphic\\Chara\\L1.bmp")) {
    characterWidth = (*size)[0];
    characterHeight = (*size)[1];
  }
}

CMatchAssets::SizeReader CMatchAssets::ImageSizeReader(util::CApi& api) {
  return [&api](const std::string& file) -> std::optional<std::array<int32_t, 2>> {
    image::CmgBBI picture(&api);
    if (picture.Load(file) != 0) return std::nullopt;
    return std::array<int32_t, 2>{picture.Width(), picture.GetHeight()};
  };
}

// ---- Stage list ----------------------------------------------------------------------------

std::vector<std::string> CStageList::Lines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find("\r\n", start);
    const std::string_view line =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    const bool blank = line.find_first_not_of(" \t") == std::string_view::npos;
    if (!blank && line.front() != '\'') lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    start = end + 2;
  }
  return lines;
}

StageLine CStageList::Parse(std::string line) {
  StageLine out;
  out.map = util::CApi::Divide(line, ",");
  out.backdrop = util::CApi::Divide(line, ",");
  out.startX = util::CApi::LVal(util::CApi::Divide(line, ","));
  out.startY = util::CApi::LVal(util::CApi::Divide(line, ","));
  return out;
}

Stage CStageList::ChooseFrom(util::CApi& api, std::string_view listText,
                             const CMatchAssets::Message& message,
                             const std::function<void(const std::string&, CStageMap&)>& loadMap) {
  Stage stage;
  std::vector<std::string> lines = Lines(listText);
  if (lines.empty()) {
    if (message) message(kNoStageMessage);
    return stage;
  }
  api.Shuffle(lines);
  stage.found = true;
  stage.line = Parse(lines.front());
  stage.startX = stage.line.startX;
  stage.startY = stage.line.startY;
  if (loadMap) loadMap(stage.line.map, stage.map);
  return stage;
}

Stage CStageList::Choose(util::CApi& api, const CMatchAssets::Message& message) {
  const std::string text = api.LoadText(kListFile);
  return ChooseFrom(api, text, message, [&api](const std::string& name, CStageMap& map) {
    image::CmgBBI picture(&api);
    // A map that cannot be read leaves the map empty: no ground class anywhere.
    if (name.empty() || picture.Load(std::string(kStageFolder) + name) != 0) {
      map.Clear();
      return;
    }
    map.Assign(picture.Width(), picture.GetHeight(), picture.Pixels(), picture.XLen() / 4);
  });
}

}  // namespace game
