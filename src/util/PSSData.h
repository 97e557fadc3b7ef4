// PSSData: a tree of string records. Each node holds an ordered list of strings (at least one)
// and an ordered list of child nodes; typed accessors keep numbers and flags as text. A tree is
// saved to and loaded from one file, plain or scrambled with checksums, and can be copied,
// compared and dumped. Relies on CApi (paths and the pak access layer) and TextCodec.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace util {

class LeReader;

class CApi;

// The error raised by the loaders and savers when the caller asks for errors.
class PSSDataError : public std::runtime_error {
 public:
  PSSDataError(int32_t number, const std::string& description)
      : std::runtime_error(description), m_number(number), m_description(description) {}
  [[nodiscard]] int32_t Number() const { return m_number; }
  [[nodiscard]] const std::string& Description() const { return m_description; }

 private:
  int32_t m_number;
  std::string m_description;
};

class PSSData {
 public:
  static constexpr int32_t kErrFile = 3174;
  static constexpr int32_t kErrUninitialised = 3173;
  // The scrambled format's two constants: the first key byte and the chain mask.
  static constexpr uint8_t kKey0 = 0x5C;
  static constexpr uint8_t kMask = 0xA3;
  // Deepest nesting a loaded file may have; deeper files are refused as unreadable.
  static constexpr int32_t kMaxDepth = 4096;

  PSSData();
  ~PSSData();
  PSSData(const PSSData&) = delete;
  PSSData& operator=(const PSSData&) = delete;
  PSSData(PSSData&&) noexcept;
  PSSData& operator=(PSSData&&) noexcept;

  [[nodiscard]] int32_t GetDataCount() const { return static_cast<int32_t>(m_data.size()); }
  [[nodiscard]] std::string Data(int32_t index) const;
  void Data(int32_t index, std::string value);
  // Uppercase hexadecimal without leading zeros; reading takes the first 8 characters as hex.
  [[nodiscard]] int32_t asLong(int32_t index) const;
  void asLong(int32_t index, int32_t value);
  [[nodiscard]] bool Bool(int32_t index) const;
  void Bool(int32_t index, bool value);
  void DataRedim(int32_t size);
  void DataRedimPreserve(int32_t size);
  void DataAdd(std::string str);
  // The last string; the count shrinks by one but never below 1.
  std::string DataRemove();

  [[nodiscard]] int32_t GetChildCount() const { return static_cast<int32_t>(m_children.size()); }
  // The child at index, created empty on first use; nullptr outside 0..count-1.
  [[nodiscard]] PSSData* Child(int32_t index);
  void ChildRedim(int32_t size);
  void ChildRedimPreserve(int32_t size);
  void ChildErase();

  void DataExport(std::vector<std::string>& data) const;
  // Replaces the data by a copy; `data` null stands for an array that was never allocated:
  // result 1 (and error 3173 with errRaise). An empty array becomes one empty string.
  int32_t DataInport(const std::vector<std::string>* data, bool errRaise = false);
  int32_t DataInport(const std::vector<std::string>& data) { return DataInport(&data, false); }

  // 0 loaded, 1 the file cannot be opened or read, 2 a scrambled file fails its checks.
  // The file is found through the pak access layer of `api` (a private CApi when null).
  int32_t DataLoad(const std::string& filename, bool errRaise = false, CApi* api = nullptr);
  // The same from bytes already in memory (no errors raised).
  int32_t DataLoadFromBytes(std::span<const uint8_t> bytes);
  // encode = 1 writes the scrambled format, anything else the plain one. 0 or 1.
  int32_t DataSave(const std::string& filename, bool errRaise = false, int32_t encode = 0,
                   CApi* api = nullptr) const;
  // The file's bytes, or nullopt when the tree cannot be written in that format.
  [[nodiscard]] std::optional<std::vector<uint8_t>> DataSaveToBytes(int32_t encode) const;

  // Every node's strings in pre-order, each node's strings joined by and ended with "\r\n".
  [[nodiscard]] std::string DataReport() const;
  // Deep copy of `src` into `dst`; the node it is called on is not involved.
  static void DataCopy(PSSData& dst, const PSSData& src);
  // 0 when the trees are equal, 1 when they differ.
  [[nodiscard]] static int32_t DataTest(const PSSData& dst, const PSSData& src);

 private:
  // Takes the strings read for this node (at least one empty string).
  void AdoptData(std::vector<std::string>&& data);
  int32_t ReadPlain(LeReader& reader, int32_t depth);
  int32_t ReadScrambled(LeReader& reader, int32_t depth);
  bool WriteNode(std::vector<uint8_t>& out, bool scrambled) const;
  static const PSSData& Empty();

  std::vector<std::string> m_data;
  std::vector<std::unique_ptr<PSSData>> m_children;  // null: not read yet (an empty node)
};

}  // namespace util
