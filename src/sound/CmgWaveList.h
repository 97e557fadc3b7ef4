// CmgWaveList: the wave cache the game plays its effects from. Waves are keyed by file name under
// one base folder, loaded on first use with a buffer ready to play; a file that fails to load
// stays in the list as a silent wave, and the optional message about it is shown at most once
// per name (Cancel silences all later ones).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "sound/CmsWAV.h"

namespace sound {

class CmgWaveList {
 public:
  // Asked with the message text; true for OK, false for Cancel.
  using Ask = std::function<bool(const std::string& text)>;

  CmgWaveList();
  ~CmgWaveList();
  CmgWaveList(const CmgWaveList&) = delete;
  CmgWaveList& operator=(const CmgWaveList&) = delete;

  // Used unchanged as the prefix of every later load; ends with a separator.
  void SetBasePath(std::string path) { m_basePath = std::move(path); }
  void SetErrorMessage(std::string msg) { m_errorMessage = std::move(msg); }
  [[nodiscard]] const std::string& ErrorMessage() const { return m_errorMessage; }
  // Replaces the message box (tests, tools).
  void SetAsk(Ask ask) { m_ask = std::move(ask); }

  // The cached wave for the name, loaded on first use. Never fails: a file that does not load
  // gives a silent wave.
  CmsWAV& DSB(const std::string& filename);
  void ReleaseFile(const std::string& filename);
  // Empty: every wave; otherwise every wave whose name begins with partFileName.
  void ReleaseLikeFiles(const std::string& partFileName);
  [[nodiscard]] int32_t Count() const { return m_count; }
  // Whether the name's wave loaded (false for unknown names).
  [[nodiscard]] bool LoadedOk(const std::string& filename) const;

 private:
  int32_t Find(const std::string& name) const;
  int32_t AddName(const std::string& name);
  void RemoveSlot(int32_t slot);

  std::string m_basePath;
  std::string m_errorMessage;
  Ask m_ask;
  // The name list: slots (empty = free), the lowest slot that may be free, an exact index.
  std::vector<std::string> m_names;
  std::unordered_map<std::string, int32_t> m_index;
  int32_t m_freeHint = 0;
  int32_t m_count = 0;
  std::vector<std::unique_ptr<CmsWAV>> m_waves;
  std::vector<bool> m_loaded;
  std::unique_ptr<CmsWAV> m_none;
};

}  // namespace sound
