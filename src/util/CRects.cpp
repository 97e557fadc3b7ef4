// CRects: hit tests, list-order and spatial cursor moves, and the comma-separated text form.
// Distances are single precision like the rest of the cursor code; numbers are read with
// CApi::LVal and files go through CApi's text helpers.
#include "util/CRects.h"

#include "util/CApi.h"

namespace util {
namespace {

CApi& PrivateApi() {
  static CApi api;
  return api;
}

std::vector<std::string_view> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, end - start));
    start = end + separator.size();
  }
}

}  // namespace

bool CRects::ItemExist(int32_t index) const { return InRange(index) && m_slots[index].exists; }

CRect& CRects::RectOf(int32_t index) {
  Slot& slot = m_slots[static_cast<size_t>(index)];
  if (!slot.rect) slot.rect = std::make_shared<CRect>();
  return *slot.rect;
}

std::shared_ptr<CRect> CRects::Item(int32_t index) {
  if (!ItemExist(index)) return nullptr;
  RectOf(index);
  return m_slots[static_cast<size_t>(index)].rect;
}

std::string CRects::ItemCaption(int32_t index) const {
  return ItemExist(index) ? m_slots[static_cast<size_t>(index)].caption : std::string();
}

void CRects::ItemCaption(int32_t index, std::string caption) {
  if (ItemExist(index)) m_slots[static_cast<size_t>(index)].caption = std::move(caption);
}

bool CRects::ItemEnabled(int32_t index) const {
  return ItemExist(index) && m_slots[static_cast<size_t>(index)].enabled;
}

void CRects::ItemEnabled(int32_t index, bool enabled) {
  if (ItemExist(index)) m_slots[static_cast<size_t>(index)].enabled = enabled;
}

int32_t CRects::Add(int32_t index, bool retry) {
  if (index < 0) return -1;
  int32_t i = index;
  while (i < Count()) {
    if (!m_slots[static_cast<size_t>(i)].exists) {
      m_slots[static_cast<size_t>(i)].exists = true;
      return i;
    }
    if (!retry) return -1;
    ++i;
  }
  if (i >= kMaxSlots) return -1;
  m_slots.resize(static_cast<size_t>(i) + 1);
  m_slots[static_cast<size_t>(i)].exists = true;
  return i;
}

int32_t CRects::Remove(int32_t index) {
  if (!ItemExist(index)) return -1;
  Slot& slot = m_slots[static_cast<size_t>(index)];
  slot.exists = false;
  slot.enabled = false;
  slot.caption.clear();
  RectOf(index).Delete();
  return 0;
}

void CRects::Resize(int32_t size) {
  if (size < 1) {
    m_slots.clear();
    return;
  }
  m_slots.resize(static_cast<size_t>(std::min(size, kMaxSlots)));
  for (Slot& slot : m_slots) slot.exists = true;
}

bool CRects::IsCandidate(int32_t index, bool enabledOnly) const {
  const Slot& slot = m_slots[static_cast<size_t>(index)];
  return slot.exists && (!enabledOnly || slot.enabled);
}

int32_t CRects::FirstCandidate(bool enabledOnly) const {
  for (int32_t i = 0; i < Count(); ++i) {
    if (IsCandidate(i, enabledOnly)) return i;
  }
  return -1;
}

int32_t CRects::PointImpl(int32_t x, int32_t y, bool enabledOnly) const {
  for (int32_t i = 0; i < Count(); ++i) {
    const Slot& slot = m_slots[static_cast<size_t>(i)];
    if (IsCandidate(i, enabledOnly) && slot.rect && slot.rect->PointIn(x, y)) return i;
  }
  return -1;
}

int32_t CRects::Point(int32_t x, int32_t y) const { return PointImpl(x, y, false); }
int32_t CRects::PointEx(int32_t x, int32_t y) const { return PointImpl(x, y, true); }

int32_t CRects::LinearImpl(int32_t index, int32_t vec, bool enabledOnly) const {
  if (!InRange(index)) return FirstCandidate(enabledOnly);
  const int32_t count = Count();
  for (int32_t k = 0; k < count; ++k) {
    // index + 1 + k < 2 * count and index - 1 - k > -count - 1, so neither leaves int32.
    const int32_t j = vec >= 0 ? (index + 1 + k) % count : ((index - 1 - k) % count + count) % count;
    if (IsCandidate(j, enabledOnly)) return j;
  }
  return -1;
}

int32_t CRects::LinearIndex(int32_t index, int32_t vec) const {
  return LinearImpl(index, vec, false);
}
int32_t CRects::LinearIndexEx(int32_t index, int32_t vec) const {
  return LinearImpl(index, vec, true);
}

int32_t CRects::NextImpl(int32_t index, int32_t x, int32_t y, bool enabledOnly) const {
  if (!InRange(index)) return FirstCandidate(enabledOnly);
  if (x == 0 && y == 0) return LinearImpl(index, 0, enabledOnly);
  auto corner = [this](int32_t i) {
    const Slot& slot = m_slots[static_cast<size_t>(i)];
    return slot.rect ? std::pair<int64_t, int64_t>{slot.rect->Left, slot.rect->Top}
                     : std::pair<int64_t, int64_t>{0, 0};
  };
  auto [cx, cy] = corner(index);
  const float kPenalty = static_cast<float>(1.3);
  int32_t best = -1;
  float bestDist = 99999.0f;
  for (int pass = 0; pass < 2 && best < 0; ++pass) {
    if (pass == 1) {
      // Nothing ahead: look again from 1000 units behind, so the cursor wraps around.
      if (x != 0) cx -= int64_t{1000} * x;
      if (y != 0) cy -= int64_t{1000} * y;
    }
    const auto fcx = static_cast<float>(cx);
    const auto fcy = static_cast<float>(cy);
    for (int32_t j = 0; j < Count(); ++j) {
      if (!IsCandidate(j, enabledOnly) || (pass == 0 && j == index)) continue;
      const auto [jx, jy] = corner(j);
      if ((x < 0 && !(jx < cx)) || (x > 0 && !(jx > cx)) || (y < 0 && !(jy < cy)) ||
          (y > 0 && !(jy > cy))) {
        continue;
      }
      const auto fjx = static_cast<float>(jx);
      const auto fjy = static_cast<float>(jy);
      float d = CApi::Math_Length(fcx, fcy, fjx, fjy);
      if (pass == 0) {
        // Off-axis distance counts extra, so a move prefers slots in line with the cursor.
        if (x == 0) {
          d = CApi::Math_Length(fcx, fcy, fcx + kPenalty * (fjx - fcx), fjy);
        } else if (y == 0) {
          d = CApi::Math_Length(fcx, fcy, fjx, fcy + kPenalty * (fjy - fcy));
        }
      }
      if (d < bestDist) {
        best = j;
        bestDist = d;
      }
    }
  }
  return best;
}

int32_t CRects::NextIndex(int32_t index, int32_t x, int32_t y) const {
  return NextImpl(index, x, y, false);
}
int32_t CRects::NextIndexEx(int32_t index, int32_t x, int32_t y) const {
  return NextImpl(index, x, y, true);
}

int32_t CRects::SettingStr(std::string_view str) {
  const std::vector<std::string_view> fields = Split(str, ",");
  if (fields.size() < 5) return -1;
  auto field = [&fields](size_t i) { return i < fields.size() ? fields[i] : std::string_view(); };
  const int32_t index = CApi::LVal(fields[0]);
  if (index < 0 || index >= kMaxSlots) return -1;
  if (index >= Count()) m_slots.resize(static_cast<size_t>(index) + 1);
  Slot& slot = m_slots[static_cast<size_t>(index)];
  slot.exists = true;
  RectOf(index).Create(CApi::LVal(fields[1]), CApi::LVal(fields[2]), CApi::LVal(fields[3]),
                       CApi::LVal(fields[4]));
  slot.enabled = CApi::LVal(field(5)) != 0;
  slot.caption = std::string(field(6));
  return 0;
}

void CRects::Setting(std::string_view str) {
  m_slots.clear();
  for (std::string_view line : Split(str, "\r\n")) (void)SettingStr(line);
}

std::string CRects::GetSettingStr() const {
  std::string out;
  for (int32_t i = 0; i < Count(); ++i) {
    const Slot& slot = m_slots[static_cast<size_t>(i)];
    if (!slot.exists) continue;
    const CRect rect = slot.rect ? *slot.rect : CRect{};
    out += std::to_string(i) + "," + std::to_string(rect.Left) + "," + std::to_string(rect.Top) +
           "," + std::to_string(rect.Width) + "," + std::to_string(rect.Height) + "," +
           (slot.enabled ? "1" : "0") + "," + slot.caption + "\r\n";
  }
  return out;
}

int32_t CRects::Load(const std::string& filename, CApi* api) {
  CApi& files = api != nullptr ? *api : PrivateApi();
  const std::string text = files.LoadText(filename);
  if (text.empty()) return 1;
  Setting(text);
  return 0;
}

void CRects::SaveToText(const std::string& filename, CApi* api) const {
  CApi& files = api != nullptr ? *api : PrivateApi();
  (void)files.SaveText(filename, GetSettingStr());
}

}  // namespace util
