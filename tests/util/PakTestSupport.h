// Helpers shared by the archive and data record tests: scratch folders, whole-file reads and
// writes, and an archive builder that writes any directory, valid or not.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "util/CPakArchive.h"
#include "util/TextCodec.h"

namespace paktest {

namespace fs = std::filesystem;

// A fresh folder removed at the end of the test.
class ScratchDir {
 public:
  ScratchDir() {
    static std::mt19937_64 names{std::random_device{}()};
    m_path = fs::temp_directory_path() / ("tumbleroo-util-" + std::to_string(names()));
    fs::create_directories(m_path);
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const fs::path& Path() const { return m_path; }
  std::string operator/(const std::string& name) const { return (m_path / name).string(); }

 private:
  fs::path m_path;
};

inline std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const fs::path& path, const std::vector<uint8_t>& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const fs::path& path, const std::string& text) {
  WriteAll(path, std::vector<uint8_t>(text.begin(), text.end()));
}

inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(v >> (8 * k)));
}

inline void PutArray(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes) {
  out.push_back(1);
  out.push_back(0);
  PutU32(out, static_cast<uint32_t>(bytes.size()));
  PutU32(out, 0);
  out.insert(out.end(), bytes.begin(), bytes.end());
}

// An archive laid out field by field from the format's description, so tests can state any
// directory, including lying ones. `fileText` and `folderText` are the plain table texts.
struct RawArchive {
  std::string fileText;
  std::string folderText = std::string(1, '\0');
  uint32_t fileCount = 0;
  uint32_t folderCount = 1;
  int64_t dataStart = -1;  // -1: the real end of the tables, plus 1
  std::vector<uint8_t> data;

  // A member laid out as a writer would: its record at the next offset, its bytes and the two
  // zero bytes appended to the data.
  void AddMember(const std::string& name, const std::string& bytes) {
    fileText += name + '\x01' + std::to_string(data.size()) + '\x01' +
                std::to_string(bytes.size()) + '\0';
    ++fileCount;
    data.insert(data.end(), bytes.begin(), bytes.end());
    data.insert(data.end(), {0, 0});
  }

  std::vector<uint8_t> Build() const {
    std::vector<uint8_t> out;
    PutU32(out, 0xC98C918Fu);
    out.insert(out.end(), {'<', 'P', '1', '>'});
    PutU32(out, 0);
    PutU32(out, fileCount);
    PutArray(out, util::CPakArchive::ScrambleBlock(util::Utf8ToUtf16Le(fileText)));
    PutU32(out, folderCount);
    PutArray(out, util::CPakArchive::ScrambleBlock(util::Utf8ToUtf16Le(folderText)));
    const auto start = static_cast<uint32_t>(dataStart < 0 ? out.size() + 1 : dataStart);
    for (int k = 0; k < 4; ++k) out[8 + k] = static_cast<uint8_t>(start >> (8 * k));
    out.insert(out.end(), data.begin(), data.end());
    return out;
  }
};

// One index record: name, code 1, offset, code 1, size, code 0.
inline std::string Record(const std::string& name, int64_t offset, int64_t size) {
  return name + '\x01' + std::to_string(offset) + '\x01' + std::to_string(size) + '\0';
}

}  // namespace paktest
