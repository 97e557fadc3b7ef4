// CmgBitmapList: the shared, reference-counted image objects.
#include "image/CmgBitmapList.h"

#include <algorithm>
#include <cctype>

namespace image {

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

}  // namespace

CmgBitmapList::CmgBitmapList() : m_items(5), m_counts(5, 0) {}

CmgBitmapList& CmgBitmapList::Shared() {
  static CmgBitmapList list;
  return list;
}

CmgBBI* CmgBitmapList::Add(const std::string& bitmapId) {
  const int32_t index = m_hash.Add(Lower(bitmapId));
  if (index < 0) return nullptr;
  const auto at = static_cast<size_t>(index);
  if (at >= m_items.size()) {
    m_items.resize(at * 2 + 2);
    m_counts.resize(at * 2 + 2, 0);
  }
  m_items[at] = m_spare ? std::move(m_spare) : std::make_unique<CmgBBI>();
  m_counts[at] = 1;
  return m_items[at].get();
}

CmgBBI* CmgBitmapList::BBI(const std::string& bitmapId) const {
  const int32_t index = m_hash.StringTest(Lower(bitmapId));
  if (index < 0 || static_cast<size_t>(index) >= m_items.size()) return nullptr;
  return m_items[static_cast<size_t>(index)].get();
}

void CmgBitmapList::Remove(const std::string& bitmapId) {
  const int32_t index = m_hash.Remove(Lower(bitmapId));
  if (index < 0 || static_cast<size_t>(index) >= m_items.size()) return;
  const auto at = static_cast<size_t>(index);
  if (m_items[at]) m_spare = std::move(m_items[at]);
  m_counts[at] = 0;
}

bool CmgBitmapList::ReferInc(const std::string& bitmapId) {
  const int32_t index = m_hash.StringTest(bitmapId);
  if (index < 0 || static_cast<size_t>(index) >= m_counts.size()) return false;
  ++m_counts[static_cast<size_t>(index)];
  return true;
}

bool CmgBitmapList::ReferDec(const std::string& bitmapId) {
  const int32_t index = m_hash.StringTest(bitmapId);
  if (index < 0 || static_cast<size_t>(index) >= m_counts.size()) return false;
  if (--m_counts[static_cast<size_t>(index)] < 1) {
    Remove(bitmapId);
    return false;
  }
  return true;
}

}  // namespace image
