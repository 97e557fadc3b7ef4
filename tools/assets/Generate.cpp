// The writer every family saves through, and the whole run in order.
#include <filesystem>
#include <system_error>

#include "Families.h"

namespace assets {

namespace fs = std::filesystem;

Writer::Writer(std::string root) : m_root(std::move(root)) {
  if (!m_root.empty() && m_root.back() != '/') m_root += '/';
}

std::string Writer::Path(const std::string& relative) {
  const fs::path full = fs::path(m_root) / fs::path(relative);
  std::error_code ec;
  fs::create_directories(full.parent_path(), ec);
  return full.string();
}

void Writer::Keyed(CmgBBI& img, const std::string& relative) {
  Kit::FinishKeyed(img);
  Picture(img, relative);
}

void Writer::Picture(CmgBBI& img, const std::string& relative) {
  if (Kit::SaveWithAlpha(img, Path(relative)))
    m_written.push_back(relative);
  else
    Fail(relative);
}

void Writer::Map(CmgBBI& img, const std::string& relative) {
  if (Kit::SaveOpaque(img, Path(relative)))
    m_written.push_back(relative);
  else
    Fail(relative);
}

void Writer::Text(const std::string& relative, const std::string& text) {
  if (files.SaveText(Path(relative), text))
    m_written.push_back(relative);
  else
    Fail(relative);
}

std::vector<std::string> GenerateAll(const std::string& root) {
  // Stale files of an earlier run (a renamed ball, a dropped stage) must not linger: the game
  // lists the ball folders and would load them.
  for (const char* owned : {"Graphic", "Sound", "Stage"}) {
    std::error_code ec;
    fs::remove_all(fs::path(root) / owned, ec);
  }
  Kit kit;
  Writer out(root);
  PaintEffects(kit, out);
  PaintCharacter(kit, out);
  PaintBalls(kit, out);
  PaintBars(kit, out);
  PaintMenus(kit, out);
  PaintStages(kit, out);
  SynthesiseSounds(out);
  return out.Failures();
}

}  // namespace assets
