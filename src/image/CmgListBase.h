// CmgListBase: a slot list of strings (an empty string marks a free slot) with a sorted index
// for name look-ups. The index is brought up to date lazily: appended keys are sorted in, and
// after a removal it is rebuilt from the live slots. Sorting is a Shell sort (gaps 1, 4, 13, ...)
// by binary string comparison.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace image {

class CmgListBase {
 public:
  // The slot used; -1 for an empty item.
  int32_t Add(const std::string& item);
  // Add when the item is not there yet; otherwise -1.
  int32_t AddExactly(const std::string& item);
  // Empties a slot; an already empty slot leaves the count alone.
  void Remove(int32_t index);
  void RemoveAll();
  [[nodiscard]] int32_t Count() const { return m_count; }
  void sort();
  // The slot holding the item exactly, or -1.
  int32_t StringTest(const std::string& item);
  // Slots of every index key that begins with item, in index order; false and empty when none.
  bool LikeStringTest(const std::string& item, std::vector<int32_t>& result) const;
  // After sorting, the slots themselves (empty strings for free ones).
  std::vector<std::string> GetSortedStrings();

  [[nodiscard]] int32_t IndexState() const { return m_state; }
  [[nodiscard]] int32_t SlotCount() const { return static_cast<int32_t>(m_slots.size()); }

 private:
  void ShellSort();

  std::vector<std::string> m_slots;
  int32_t m_freeHint = 0;
  std::vector<std::string> m_keys;
  std::vector<int32_t> m_keySlots;
  int32_t m_state = 0;  // 0 sorted, 1 appended since the last sort, 2 removed since then
  int32_t m_count = 0;
};

}  // namespace image
