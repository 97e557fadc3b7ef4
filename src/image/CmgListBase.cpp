// CmgListBase: slots, free-slot hint and the lazily sorted index.
#include "image/CmgListBase.h"

#include <cmath>

namespace image {

int32_t CmgListBase::Add(const std::string& item) {
  if (item.empty()) return -1;
  int32_t slot = 0;
  if (m_freeHint < SlotCount()) {
    slot = m_freeHint;
    m_slots[static_cast<size_t>(slot)] = item;
    m_freeHint = slot + 1;
    while (m_freeHint < SlotCount() && !m_slots[static_cast<size_t>(m_freeHint)].empty())
      ++m_freeHint;
  } else {
    slot = SlotCount();
    m_slots.push_back(item);
    m_freeHint = SlotCount();
  }
  m_keys.push_back(item);
  m_keySlots.push_back(slot);
  ++m_count;
  if (m_state < 1) m_state = 1;
  return slot;
}

int32_t CmgListBase::AddExactly(const std::string& item) {
  return StringTest(item) == -1 ? Add(item) : -1;
}

void CmgListBase::Remove(int32_t index) {
  if (index < 0 || index >= SlotCount()) return;
  std::string& slot = m_slots[static_cast<size_t>(index)];
  if (slot.empty()) return;
  slot.clear();
  if (index < m_freeHint) m_freeHint = index;
  m_state = 2;
  --m_count;
}

void CmgListBase::RemoveAll() {
  m_slots.clear();
  m_keys.clear();
  m_keySlots.clear();
  m_freeHint = 0;
  m_state = 0;
  m_count = 0;
}

void CmgListBase::sort() {
  if (m_state == 0) return;
  if (m_state == 2) {
    m_keys.clear();
    m_keySlots.clear();
    for (int32_t i = 0; i < SlotCount(); ++i) {
      if (m_slots[static_cast<size_t>(i)].empty()) continue;
      m_keys.push_back(m_slots[static_cast<size_t>(i)]);
      m_keySlots.push_back(i);
    }
  }
  ShellSort();
  m_state = 0;
}

void CmgListBase::ShellSort() {
  const auto n = static_cast<int64_t>(m_keys.size());
  if (n < 2) return;
  const int64_t last = n - 1;
  int64_t h = 1;
  while (3 * h + 1 <= last) h = 3 * h + 1;
  while (h > 0) {
    for (int64_t i = h; i < n; ++i) {
      std::string key = std::move(m_keys[static_cast<size_t>(i)]);
      const int32_t slot = m_keySlots[static_cast<size_t>(i)];
      int64_t j = i;
      while (j >= h && m_keys[static_cast<size_t>(j - h)].compare(key) > 0) {
        m_keys[static_cast<size_t>(j)] = std::move(m_keys[static_cast<size_t>(j - h)]);
        m_keySlots[static_cast<size_t>(j)] = m_keySlots[static_cast<size_t>(j - h)];
        j -= h;
      }
      m_keys[static_cast<size_t>(j)] = std::move(key);
      m_keySlots[static_cast<size_t>(j)] = slot;
    }
    if (h == 1) break;
    // The next gap: a third, to the nearest whole number.
    h = static_cast<int64_t>(std::nearbyint(static_cast<double>(h) / 3.0));
  }
}

int32_t CmgListBase::StringTest(const std::string& item) {
  sort();
  size_t lo = 0, hi = m_keys.size();
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    const int c = m_keys[mid].compare(item);
    if (c == 0) return m_keySlots[mid];
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return -1;
}

bool CmgListBase::LikeStringTest(const std::string& item, std::vector<int32_t>& result) const {
  result.clear();
  for (size_t i = 0; i < m_keys.size(); ++i)
    if (m_keys[i].compare(0, item.size(), item) == 0) result.push_back(m_keySlots[i]);
  return !result.empty();
}

std::vector<std::string> CmgListBase::GetSortedStrings() {
  sort();
  return m_slots;
}

}  // namespace image
