// CResWriter: paths below the Res folder and the savers, with the record of what happened.
#include "CResWriter.h"

#include <filesystem>
#include <system_error>

namespace assets {

namespace fs = std::filesystem;

CResWriter::CResWriter(std::string root) : m_root(std::move(root)) {
  if (!m_root.empty() && m_root.back() != '/') m_root += '/';
}

std::string CResWriter::Path(const std::string& relative) {
  const fs::path full = fs::path(m_root) / fs::path(relative);
  std::error_code ec;
  fs::create_directories(full.parent_path(), ec);
  return full.string();
}

void CResWriter::Keyed(CmgBBI& img, const std::string& relative) {
  CAssetKit::FinishKeyed(img);
  Picture(img, relative);
}

void CResWriter::Picture(CmgBBI& img, const std::string& relative) {
  if (CAssetKit::SaveWithAlpha(img, Path(relative)))
    m_written.push_back(relative);
  else
    Fail(relative);
}

void CResWriter::Map(CmgBBI& img, const std::string& relative) {
  if (CAssetKit::SaveOpaque(img, Path(relative)))
    m_written.push_back(relative);
  else
    Fail(relative);
}

void CResWriter::Text(const std::string& relative, const std::string& text) {
  if (files.SaveText(Path(relative), text))
    m_written.push_back(relative);
  else
    Fail(relative);
}

}  // namespace assets
