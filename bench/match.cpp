// The match simulation's speed: steps per second in a busy round (39 balls in play, four
// computer players, attacks allowed so shots fly), and the same round's computer players
// alone. There is no outside peer for the game's own rules; the figure is compared with the
// goal of 50 000 steps a second.
#include <benchmark/benchmark.h>

#include "game/CMatch.h"
#include "util/CApi.h"

namespace {

// Every ball released at once, attacks open, everyone at full reload: the busiest round.
void BusyRound(game::CMatch& m) {
  m.modeChosen = 1;
  m.Sub_Init();
  m.InitComputers();
  m.ballsReleased = game::kPoolUpper;
  for (int32_t i = 0; i < game::kPoolUpper; ++i) m.balls[static_cast<size_t>(i)].alive = true;
  m.frameInRound = 200;
  for (game::CObject& p : m.players) p.reload = game::kReloadMaximum;
}

void BM_MatchStepBusy(benchmark::State& state) {
  util::CApi api;
  api.FixSeed(12345);
  game::CMatch m(api);
  m.SetStageChooser([] { return game::Stage{}; });
  BusyRound(m);
  int64_t shots = 0;
  int64_t samples = 0;
  for (auto _ : state) {
    // Refill the round before it thins out, so the load stays the same.
    if (m.AliveCount() < 3 || m.frameInRound > 2200) BusyRound(m);
    m.Step();
    if ((++samples & 63) == 0)
      for (const game::CObject& s : m.shots) shots += s.alive ? 1 : 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["shots_in_flight"] =
      benchmark::Counter(static_cast<double>(shots) / static_cast<double>(std::max<int64_t>(samples / 64, 1)));
}
BENCHMARK(BM_MatchStepBusy);

}  // namespace

BENCHMARK_MAIN();
