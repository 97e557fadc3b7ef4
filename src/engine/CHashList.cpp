// Hash list buckets and the id table. Buckets grow 4, 9, 19, 39 ... and the id table the same
// way; a removed slot or id is handed out again by the next allocation.
#include "engine/CHashList.h"

#include <algorithm>
#include <vector>

#include "platform/CCodePage.h"

namespace engine {

int32_t CHashList::Bucket(const std::string& key) {
  // CP932 code of every character; one outside the basic plane counts as two, like the
  // UTF-16 pair it would be.
  std::vector<uint16_t> codes;
  codes.reserve(key.size());
  for (size_t pos = 0; pos < key.size();) {
    const char32_t cp = platform::CCodePage::NextCodePoint(key, pos);
    const uint16_t code = platform::CCodePage::Code(cp);
    codes.push_back(code);
    if (cp > 0xFFFF) codes.push_back(code);
  }
  const uint32_t len = static_cast<uint32_t>(codes.size());
  uint32_t h = len;
  uint32_t m = std::min<uint32_t>(len, 32);
  uint32_t w = 0;
  while (m > 0) {
    --m;
    w += m * m + 1;
    const uint32_t c = codes[len - m - 1] & 0x7FFFu;
    h += c * w;
  }
  return static_cast<int32_t>(h & 255u);
}

int32_t CHashList::BucketCapacity(int32_t bucket) const {
  if (bucket < 0 || bucket >= kBuckets) return 0;
  return static_cast<int32_t>(m_buckets[bucket].slots.size());
}

int32_t CHashList::Find(const BucketData& bucket, const std::string& key) const {
  for (size_t i = 0; i < bucket.slots.size(); ++i) {
    const Slot& s = bucket.slots[i];
    if (!s.key.empty() && s.key == key) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t CHashList::Add(const std::string& key, std::any itemData) {
  if (key.empty()) return -1;
  BucketData& b = m_buckets[Bucket(key)];
  const auto capacity = static_cast<int32_t>(b.slots.size());
  if (capacity == 0) {
    b.slots.resize(4);
  } else if (b.insertPoint >= capacity ||
             std::none_of(b.slots.begin() + b.insertPoint, b.slots.end(),
                          [](const Slot& s) { return s.key.empty(); })) {
    b.slots.resize(static_cast<size_t>(capacity) * 2 + 1);
  }
  if (Find(b, key) >= 0) return -1;

  int32_t slot = b.insertPoint;
  while (!b.slots[static_cast<size_t>(slot)].key.empty()) ++slot;
  Slot& s = b.slots[static_cast<size_t>(slot)];
  s.key = key;
  s.id = AllocateId();
  s.item = std::move(itemData);
  b.insertPoint = slot + 1;
  ++m_count;
  return s.id;
}

int32_t CHashList::Remove(const std::string& key) {
  if (key.empty()) return -1;
  BucketData& b = m_buckets[Bucket(key)];
  const int32_t slot = Find(b, key);
  if (slot < 0) return -1;
  Slot& s = b.slots[static_cast<size_t>(slot)];
  const int32_t id = s.id;
  s.key.clear();
  s.item.reset();
  ReleaseId(id);
  // Only ever lowered: a higher free slot would otherwise hide a lower one from the next Add.
  b.insertPoint = std::min(b.insertPoint, slot);
  --m_count;
  return id;
}

int32_t CHashList::StringTest(const std::string& key) const {
  if (key.empty()) return -1;
  const BucketData& b = m_buckets[Bucket(key)];
  const int32_t slot = Find(b, key);
  return slot < 0 ? -1 : b.slots[static_cast<size_t>(slot)].id;
}

std::any CHashList::Item(const std::string& key) const {
  if (key.empty()) return {};
  const BucketData& b = m_buckets[Bucket(key)];
  const int32_t slot = Find(b, key);
  return slot < 0 ? std::any{} : b.slots[static_cast<size_t>(slot)].item;
}

void CHashList::SetItem(const std::string& key, std::any itemData) {
  if (key.empty()) return;
  BucketData& b = m_buckets[Bucket(key)];
  const int32_t slot = Find(b, key);
  if (slot >= 0) b.slots[static_cast<size_t>(slot)].item = std::move(itemData);
}

std::vector<std::string> CHashList::List() const {
  std::vector<std::string> keys;
  if (m_count < 1) return keys;
  keys.reserve(static_cast<size_t>(m_count) + 1);
  for (const BucketData& b : m_buckets)
    for (const Slot& s : b.slots)
      if (!s.key.empty()) keys.push_back(s.key);
  keys.emplace_back();
  return keys;
}

void CHashList::GrowIds() {
  const size_t capacity = m_idUsed.size();
  m_idUsed.resize(capacity == 0 ? 4 : capacity * 2 + 1, 0);
}

int32_t CHashList::AllocateId() {
  if (m_idUsed.empty()) GrowIds();
  if (static_cast<size_t>(m_idHint) >= m_idUsed.size()) GrowIds();
  size_t id = static_cast<size_t>(m_idHint);
  while (id < m_idUsed.size() && m_idUsed[id] != 0) ++id;
  if (id == m_idUsed.size()) GrowIds();
  m_idUsed[id] = 1;
  m_idHint = static_cast<int32_t>(id) + 1;
  return static_cast<int32_t>(id);
}

void CHashList::ReleaseId(int32_t id) {
  if (id < 0 || static_cast<size_t>(id) >= m_idUsed.size()) return;
  m_idUsed[static_cast<size_t>(id)] = 0;
  m_idHint = id;
}

}  // namespace engine
