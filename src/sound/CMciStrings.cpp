// Parses the command strings word by word; the file name of "open" is the quoted part.
#include "sound/CMciStrings.h"

#include <sstream>
#include <vector>

#include "sound/SoundTypes.h"

namespace sound {

namespace {

std::vector<std::string> Words(const std::string& s) {
  std::istringstream in(s);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

}  // namespace

int32_t CMciStrings::SendString(const std::string& command, std::string* answer) {
  if (answer != nullptr) answer->clear();
  if (command.starts_with("open ")) {
    const size_t q1 = command.find('"');
    const size_t q2 = q1 == std::string::npos ? q1 : command.find('"', q1 + 1);
    if (q2 == std::string::npos) return 1;
    const std::string file = command.substr(q1 + 1, q2 - q1 - 1);
    const std::vector<std::string> rest = Words(command.substr(q2 + 1));
    if (rest.size() != 2 || rest[0] != "alias" || !m_alias.empty()) return 1;
    auto wave = std::make_unique<CmsWAV>();
    if (wave->Load(file) != 0) return 1;
    wave->BufferCreate(DSBCAPS_CTRLVOLUME);
    wave->BufferWrite();
    m_alias = rest[1];
    m_wave = std::move(wave);
    return 0;
  }
  const std::vector<std::string> w = Words(command);
  if (w.size() < 2 || m_alias.empty() || w[1] != m_alias || !m_wave) return 1;
  if (w[0] == "play") {
    if (w.size() == 4 && w[2] == "from") {
      if (w[3] != "0") return 1;
      m_wave->SetCurrentPosition(0);
    } else if (w.size() != 2) {
      return 1;
    }
    m_wave->Play(0);
    return 0;
  }
  if (w[0] == "stop" && w.size() == 2) {
    m_wave->Pose();
    return 0;
  }
  if (w[0] == "close" && w.size() == 2) {
    m_wave.reset();
    m_alias.clear();
    return 0;
  }
  if (w[0] == "status" && w.size() == 3 && w[2] == "mode") {
    if (answer != nullptr) *answer = m_wave->GetState() ? "playing" : "stopped";
    return 0;
  }
  return 1;
}

}  // namespace sound
