// The wave cache: a slot list of names with reuse of freed slots, and the waves beside it.
#include "sound/CmgWaveList.h"

#include "sound/SoundShared.h"
#include "sound/SoundTypes.h"

namespace sound {

CmgWaveList::CmgWaveList()
    : m_ask([](const std::string& text) { return AskOkCancel(text, ""); }) {}

CmgWaveList::~CmgWaveList() { ReleaseLikeFiles(""); }

int32_t CmgWaveList::Find(const std::string& name) const {
  const auto it = m_index.find(name);
  return it == m_index.end() ? -1 : it->second;
}

int32_t CmgWaveList::AddName(const std::string& name) {
  if (name.empty()) return -1;
  const auto slots = static_cast<int32_t>(m_names.size());
  int32_t slot = slots;
  if (m_freeHint < slots) {
    slot = m_freeHint;
    m_names[static_cast<size_t>(slot)] = name;
    int32_t next = slot + 1;
    while (next < slots && !m_names[static_cast<size_t>(next)].empty()) ++next;
    m_freeHint = next;
  } else {
    m_names.push_back(name);
    m_freeHint = slot + 1;
  }
  m_index[name] = slot;
  ++m_count;
  return slot;
}

void CmgWaveList::RemoveSlot(int32_t slot) {
  if (slot < 0 || static_cast<size_t>(slot) >= m_names.size()) return;
  std::string& name = m_names[static_cast<size_t>(slot)];
  if (name.empty()) return;
  m_index.erase(name);
  name.clear();
  if (slot < m_freeHint) m_freeHint = slot;
  --m_count;
  if (static_cast<size_t>(slot) < m_waves.size()) {
    m_waves[static_cast<size_t>(slot)].reset();
    m_loaded[static_cast<size_t>(slot)] = false;
  }
}

CmsWAV& CmgWaveList::DSB(const std::string& filename) {
  int32_t slot = Find(filename);
  if (slot >= 0 && static_cast<size_t>(slot) < m_waves.size() && m_waves[static_cast<size_t>(slot)])
    return *m_waves[static_cast<size_t>(slot)];
  if (slot < 0) slot = AddName(filename);
  if (slot < 0) {
    // No slot for this name: a fresh silent wave.
    m_none = std::make_unique<CmsWAV>();
    return *m_none;
  }
  const auto index = static_cast<size_t>(slot);
  if (index >= m_waves.size()) {
    m_waves.resize(index + 1);
    m_loaded.resize(index + 1, false);
  }
  m_waves[index] = std::make_unique<CmsWAV>();
  CmsWAV& wave = *m_waves[index];
  m_loaded[index] = wave.Load(m_basePath + filename) == 0;
  wave.BufferCreate(DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME);
  wave.BufferWrite();
  if (!m_loaded[index] && !m_errorMessage.empty()) {
    if (!m_ask(filename + "\r\n" + m_errorMessage)) m_errorMessage.clear();
  }
  return wave;
}

void CmgWaveList::ReleaseFile(const std::string& filename) { RemoveSlot(Find(filename)); }

void CmgWaveList::ReleaseLikeFiles(const std::string& partFileName) {
  if (partFileName.empty()) {
    m_waves.clear();
    m_loaded.clear();
    m_names.clear();
    m_index.clear();
    m_freeHint = 0;
    m_count = 0;
    return;
  }
  for (size_t slot = 0; slot < m_names.size(); ++slot) {
    const std::string& name = m_names[slot];
    if (!name.empty() && name.starts_with(partFileName)) RemoveSlot(static_cast<int32_t>(slot));
  }
}

bool CmgWaveList::LoadedOk(const std::string& filename) const {
  const int32_t slot = Find(filename);
  return slot >= 0 && static_cast<size_t>(slot) < m_loaded.size() &&
         m_loaded[static_cast<size_t>(slot)];
}

}  // namespace sound
