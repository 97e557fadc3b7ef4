// CResWriter: saves the generated pictures, texts and sounds under one Res folder, making
// folders as needed, and remembers which files were written and which failed. Relies on the
// bitmap saver of CmgBBI and util::CApi's text saver.
#pragma once

#include <string>
#include <vector>

#include "CAssetKit.h"
#include "util/CApi.h"

namespace assets {

// Saves under one Res folder and remembers what went wrong.
class CResWriter {
 public:
  explicit CResWriter(std::string root);
  [[nodiscard]] const std::string& Root() const { return m_root; }
  // Full path of a file below the root ("Graphic/Bom/Bakuha1.bmp"); its folder is made.
  std::string Path(const std::string& relative);
  void Keyed(CmgBBI& img, const std::string& relative);    // 32 bits, alpha kept
  void Picture(CmgBBI& img, const std::string& relative);  // 32 bits, alpha kept
  void Map(CmgBBI& img, const std::string& relative);      // 24 bits
  void Text(const std::string& relative, const std::string& text);
  void Fail(const std::string& relative) { m_failures.push_back(relative); }
  void Done(const std::string& relative) { m_written.push_back(relative); }
  [[nodiscard]] const std::vector<std::string>& Failures() const { return m_failures; }
  [[nodiscard]] const std::vector<std::string>& Written() const { return m_written; }
  util::CApi files;

 private:
  std::string m_root;
  std::vector<std::string> m_failures;
  std::vector<std::string> m_written;
};

}  // namespace assets
