// CRects: an indexed list of captioned rectangles with an enabled flag per slot. Answers which
// slot lies under a point and which slot the cursor moves to (in list order or spatially), and
// reads and writes itself as comma-separated lines. Relies on CRect and CApi (numbers, text files).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "util/CRect.h"

namespace util {

class CApi;

class CRects {
 public:
  // Upper bound on the slot count: one text line may name any index, and without a bound it
  // could make the list allocate gigabytes. Indexes at or above it are refused.
  static constexpr int32_t kMaxSlots = 65536;

  CRects() = default;

  [[nodiscard]] int32_t Count() const { return static_cast<int32_t>(m_slots.size()); }
  [[nodiscard]] bool ItemExist(int32_t index) const;
  // The slot's own rectangle (created empty on first use; changes to it change the list);
  // nullptr for a hole or an index out of range.
  [[nodiscard]] std::shared_ptr<CRect> Item(int32_t index);
  [[nodiscard]] std::string ItemCaption(int32_t index) const;
  void ItemCaption(int32_t index, std::string caption);
  [[nodiscard]] bool ItemEnabled(int32_t index) const;
  void ItemEnabled(int32_t index, bool enabled);

  // Claims slot `index` (with `retry`, the first free slot from there on), growing the list as
  // needed; the slot claimed, or -1.
  int32_t Add(int32_t index, bool retry = false);
  // Turns an existing slot back into a hole; 0, or -1 for a hole or an index out of range.
  int32_t Remove(int32_t index);
  // Exactly `size` slots (at most kMaxSlots), every one existing; size < 1 empties the list.
  void Resize(int32_t size);

  // Lowest existing (Ex: existing and enabled) slot whose rectangle holds the point; -1 if none.
  [[nodiscard]] int32_t Point(int32_t x, int32_t y) const;
  [[nodiscard]] int32_t PointEx(int32_t x, int32_t y) const;
  // Next slot after `index` in list order, wrapping (vec < 0: backwards); -1 if none.
  [[nodiscard]] int32_t LinearIndex(int32_t index, int32_t vec = 0) const;
  [[nodiscard]] int32_t LinearIndexEx(int32_t index, int32_t vec = 0) const;
  // Nearest slot from `index` in direction (x, y) by the rectangles' top-left corners; -1 if none.
  [[nodiscard]] int32_t NextIndex(int32_t index, int32_t x, int32_t y) const;
  [[nodiscard]] int32_t NextIndexEx(int32_t index, int32_t x, int32_t y) const;

  // Text form: one slot per "\r\n"-terminated line, "index,Left,Top,Width,Height,enabled,caption".
  void Setting(std::string_view str);
  // Applies one line; 0, or -1 when it is rejected (fewer than 5 fields, index < 0 or >= kMaxSlots).
  int32_t SettingStr(std::string_view str);
  [[nodiscard]] std::string GetSettingStr() const;

  // Reads the file as text (through the pak access layer of `api`, or of a private CApi when
  // none is given). 0 after Setting; 1 for a missing or empty file, leaving the list as it was.
  int32_t Load(const std::string& filename, CApi* api = nullptr);
  void SaveToText(const std::string& filename, CApi* api = nullptr) const;

 private:
  struct Slot {
    bool exists = false;
    bool enabled = false;
    std::string caption;
    std::shared_ptr<CRect> rect;  // null until first touched
  };

  [[nodiscard]] bool InRange(int32_t index) const { return index >= 0 && index < Count(); }
  [[nodiscard]] bool IsCandidate(int32_t index, bool enabledOnly) const;
  CRect& RectOf(int32_t index);
  [[nodiscard]] int32_t FirstCandidate(bool enabledOnly) const;
  [[nodiscard]] int32_t PointImpl(int32_t x, int32_t y, bool enabledOnly) const;
  [[nodiscard]] int32_t LinearImpl(int32_t index, int32_t vec, bool enabledOnly) const;
  [[nodiscard]] int32_t NextImpl(int32_t index, int32_t x, int32_t y, bool enabledOnly) const;

  std::vector<Slot> m_slots;
};

}  // namespace util
