// CmgBBI: one image object owning its block.
#include "image/CmgBBI.h"

namespace image {

CmgBBI::CmgBBI(util::CApi* api) : m_base(api) { m_base.CreateBBI(m_block, 1, 1, 0); }

uint32_t* CmgBBI::Pixels() {
  if (!CmgBBIBase::Valid(m_block)) return nullptr;
  return reinterpret_cast<uint32_t*>(m_block.data() + CmgBBIBase::GetBBIPict(m_block));
}

const uint32_t* CmgBBI::Pixels() const {
  if (!CmgBBIBase::Valid(m_block)) return nullptr;
  return reinterpret_cast<const uint32_t*>(m_block.data() + CmgBBIBase::GetBBIPict(m_block));
}

}  // namespace image
