// CClosingWipe: the five effects and the frame loop.
#include "game/CClosingWipe.h"

#include "engine/spLib.h"
#include "util/CApi.h"

namespace game {

CClosingWipe::CClosingWipe(engine::spLib* root, util::CApi* api)
    : m_api(api != nullptr ? api : (root != nullptr ? &root->Api() : nullptr)),
      m_quad(root, m_api) {}

CClosingWipe::~CClosingWipe() = default;

util::CApi& CClosingWipe::Api() {
  if (m_api == nullptr) {
    static util::CApi own;
    return own;
  }
  return *m_api;
}

void CClosingWipe::Start(uint32_t* pixels, int32_t width, int32_t height, int32_t stride,
                         std::optional<int32_t> choice) {
  m_quad.Target(pixels, width, height, stride);
  m_choice = choice ? *choice : Api().Math_Rnd(0, kEffects - 1);
  m_counter = 0;
  switch (m_choice) {
    case 0: m_quad.SplitRgnAngle(kCellsX, kCellsY, 1.0f, 1.0f, 40.0f, 1.57f, 1.57f, 0.0f, 0.5f); break;
    case 1: m_quad.SplitRgnRand(kCellsX, kCellsY, 1.0f, 1.0f, 30.0f); break;
    case 2: m_quad.SplitRgnRing(kCellsX, kCellsY, 1.0f, 1.0f, 40.0f, 0.5f, 0.5f, 0.0f, 0.0f); break;
    case 3: {
      const float r = Api().NextUniform();
      m_quad.SplitRgnAngle(kCellsX, kCellsY, 1.0f, 1.0f, 30.0f, r * 6.289f, 1.57f, 0.0f, 0.0f);
      break;
    }
    default: {
      m_choice = 4;
      const float r1 = Api().NextUniform();
      const float r2 = Api().NextUniform();
      m_quad.SplitRgnRing(kCellsX, kCellsY, 1.0f, 1.0f, 40.0f, r1, r2, 0.0f, 0.0f);
      break;
    }
  }
}

bool CClosingWipe::Frame() {
  if (m_counter >= m_quad.EndCount()) return false;
  m_quad.DoCompose(false);
  ++m_counter;
  return true;
}

}  // namespace game
