// A match on an empty stage with a fixed seed, for the rule tests.
#pragma once

#include <memory>

#include "game/CMatch.h"
#include "util/CApi.h"

namespace game_test {

struct MatchOnEmptyStage {
  std::unique_ptr<util::CApi> api = std::make_unique<util::CApi>();
  std::unique_ptr<game::CMatch> match;
  game::CStageMap map;  // the map each round gets (empty unless a test fills it)

  explicit MatchOnEmptyStage(uint32_t seed = 1, int32_t mode = 1, int32_t humans = 4) {
    api->FixSeed(seed);
    match = std::make_unique<game::CMatch>(*api);
    match->modeChosen = mode;
    match->humanPlayers = humans;
    match->SetStageChooser([this] {
      game::Stage stage;
      stage.map = map;
      return stage;
    });
  }
  game::CMatch& operator*() { return *match; }
  game::CMatch* operator->() { return match.get(); }
};

}  // namespace game_test
