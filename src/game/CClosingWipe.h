// CClosingWipe: the program's closing wipe. It takes the last frame of the screen and plays one
// of five cell transitions on it, a frame per call, until the transition's end count.
// Relies on present::CQuadrangle and the engine root (random choice, resource events).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "present/CQuadrangle.h"

namespace engine {
class spLib;
}
namespace util {
class CApi;
}

namespace game {

class CClosingWipe {
 public:
  static constexpr int32_t kEffects = 5;
  static constexpr int32_t kCellsX = 24;
  static constexpr int32_t kCellsY = 18;

  // root: the engine root whose events drop the wipe's picture (none when null); api: the
  // random numbers (the root's, else a private generator).
  explicit CClosingWipe(engine::spLib* root = nullptr, util::CApi* api = nullptr);
  ~CClosingWipe();
  CClosingWipe(const CClosingWipe&) = delete;
  CClosingWipe& operator=(const CClosingWipe&) = delete;

  // Sets one effect up on the screen picture (choice 0..4, drawn at random when omitted).
  void Start(uint32_t* pixels, int32_t width, int32_t height, int32_t stride,
             std::optional<int32_t> choice = {});
  // Draws the next frame; false (drawing nothing) once the frame counter reached EndCount.
  bool Frame();

  [[nodiscard]] int32_t Choice() const { return m_choice; }
  [[nodiscard]] int32_t EndCount() const { return m_quad.EndCount(); }
  [[nodiscard]] int32_t Counter() const { return m_counter; }
  [[nodiscard]] const present::CQuadrangle& Quadrangle() const { return m_quad; }

 private:
  util::CApi& Api();

  util::CApi* m_api = nullptr;
  present::CQuadrangle m_quad;
  int32_t m_choice = -1;
  int32_t m_counter = 0;
};

}  // namespace game
