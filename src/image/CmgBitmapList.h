// CmgBitmapList: named, reference-counted image objects. A hash list turns the lower-cased
// identifier into an index of two parallel arrays (objects and counts) that grow to
// 2 x index + 1 when an index reaches their end; the object of the last removal is kept as a
// spare and handed out by the next Add. Relies on engine::CHashList.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/CHashList.h"
#include "image/CmgBBI.h"

namespace image {

class CmgBitmapList {
 public:
  CmgBitmapList();

  // The program's shared list (the text renderer's glyphs live there).
  static CmgBitmapList& Shared();

  // The new object with count 1; null when the identifier is empty or already present.
  CmgBBI* Add(const std::string& bitmapId);
  [[nodiscard]] CmgBBI* BBI(const std::string& bitmapId) const;
  void Remove(const std::string& bitmapId);
  [[nodiscard]] int32_t Count() const { return m_hash.Count(); }
  // The identifier is used exactly as given here (Add lower-cases it).
  bool ReferInc(const std::string& bitmapId);
  bool ReferDec(const std::string& bitmapId);
  // Room in the arrays (upper bound + 1).
  [[nodiscard]] size_t Capacity() const { return m_items.size(); }
  [[nodiscard]] bool HasSpare() const { return m_spare != nullptr; }

 private:
  engine::CHashList m_hash;
  std::vector<std::unique_ptr<CmgBBI>> m_items;
  std::vector<int32_t> m_counts;
  std::unique_ptr<CmgBBI> m_spare;
};

}  // namespace image
