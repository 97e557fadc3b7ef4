// PSSData: the record tree and its two file formats. Every count read from a file is checked
// against the bytes left before anything is allocated, and nesting is bounded, so a hostile
// file gives result 1 instead of a crash or a huge allocation. Strings are UTF-8 in the plain
// format (the program's files are UTF-8) and UTF-16LE in the scrambled one.
#include "util/PSSData.h"

#include <cstdio>

#include "util/CApi.h"
#include "util/LeBytes.h"
#include "util/TextCodec.h"

namespace util {
namespace {

// Smallest possible node record: an array head and a child count.
constexpr size_t kMinPlainNode = kArrayHeadBytes + 4;
constexpr size_t kMinScrambledNode = kArrayHeadBytes + 8;

CApi& PrivateApi() {
  static CApi api;
  return api;
}

// The chained exclusive-or of one string's bytes, with its running check.
uint32_t ScrambleBytes(std::vector<uint8_t>& bytes) {
  uint8_t key = PSSData::kKey0;
  uint32_t check = 0;
  for (uint8_t& b : bytes) {
    const uint8_t p = b;
    b = static_cast<uint8_t>(p ^ key);
    key = static_cast<uint8_t>(p ^ PSSData::kMask);
    if (check < 0x0FFFFFFFu) check += key;
  }
  return check;
}

uint32_t UnscrambleBytes(std::vector<uint8_t>& bytes) {
  uint8_t key = PSSData::kKey0;
  uint32_t check = 0;
  for (uint8_t& b : bytes) {
    const auto p = static_cast<uint8_t>(b ^ key);
    b = p;
    key = static_cast<uint8_t>(p ^ PSSData::kMask);
    if (check < 0x0FFFFFFFu) check += key;
  }
  return check;
}

// Hexadecimal digits from the start of the first 8 characters; stops at any other character.
uint32_t ReadHex8(const std::string& s) {
  uint32_t value = 0;
  for (size_t i = 0; i < s.size() && i < 8; ++i) {
    const char c = s[i];
    uint32_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else {
      break;
    }
    value = (value << 4) | digit;
  }
  return value;
}

}  // namespace

PSSData::PSSData() : m_data(1) {}
PSSData::~PSSData() = default;
PSSData::PSSData(PSSData&&) noexcept = default;
PSSData& PSSData::operator=(PSSData&&) noexcept = default;

const PSSData& PSSData::Empty() {
  static const PSSData empty;
  return empty;
}

std::string PSSData::Data(int32_t index) const {
  if (index < 0 || index >= GetDataCount()) return {};
  return m_data[static_cast<size_t>(index)];
}

void PSSData::Data(int32_t index, std::string value) {
  if (index < 0 || index >= GetDataCount()) return;
  m_data[static_cast<size_t>(index)] = std::move(value);
}

int32_t PSSData::asLong(int32_t index) const {
  if (index < 0 || index >= GetDataCount()) return 0;
  return static_cast<int32_t>(ReadHex8(m_data[static_cast<size_t>(index)]));
}

void PSSData::asLong(int32_t index, int32_t value) {
  char text[9] = {};
  std::snprintf(text, sizeof text, "%X", static_cast<uint32_t>(value));
  Data(index, text);
}

bool PSSData::Bool(int32_t index) const {
  if (index < 0 || index >= GetDataCount()) return false;
  return ReadHex8(m_data[static_cast<size_t>(index)]) != 0;
}

void PSSData::Bool(int32_t index, bool value) { Data(index, value ? "1" : "0"); }

void PSSData::DataRedim(int32_t size) {
  m_data.assign(static_cast<size_t>(std::max(size, 1)), std::string());
}

void PSSData::DataRedimPreserve(int32_t size) {
  m_data.resize(static_cast<size_t>(std::max(size, 1)));
}

void PSSData::DataAdd(std::string str) { m_data.push_back(std::move(str)); }

std::string PSSData::DataRemove() {
  if (m_data.size() == 1) return m_data.front();
  std::string last = std::move(m_data.back());
  m_data.pop_back();
  return last;
}

PSSData* PSSData::Child(int32_t index) {
  if (index < 0 || index >= GetChildCount()) return nullptr;
  auto& slot = m_children[static_cast<size_t>(index)];
  if (!slot) slot = std::make_unique<PSSData>();
  return slot.get();
}

void PSSData::ChildRedim(int32_t size) {
  if (size < 1) {
    ChildErase();
    return;
  }
  m_children.clear();
  m_children.resize(static_cast<size_t>(size));
}

void PSSData::ChildRedimPreserve(int32_t size) {
  if (size < 1) {
    ChildErase();
    return;
  }
  m_children.resize(static_cast<size_t>(size));
}

void PSSData::ChildErase() { m_children.clear(); }

void PSSData::DataExport(std::vector<std::string>& data) const { data = m_data; }

int32_t PSSData::DataInport(const std::vector<std::string>* data, bool errRaise) {
  if (data == nullptr) {
    if (errRaise) {
      throw PSSDataError(kErrUninitialised, "初期化されてない文字列が渡されました");
    }
    return 1;
  }
  m_data = *data;
  if (m_data.empty()) m_data.emplace_back();
  return 0;
}

// ---- Files ----------------------------------------------------------------------------------

void PSSData::AdoptData(std::vector<std::string>&& data) {
  m_data = std::move(data);
  if (m_data.empty()) m_data.emplace_back();
}

// Strings are built straight from the file's bytes and moved into the node: a node of many
// tiny strings costs its strings once, never a second copy. The count was checked against the
// bytes left (two per string at least) before anything was reserved by it.
int32_t PSSData::ReadPlain(LeReader& reader, int32_t depth) {
  if (depth > kMaxDepth) return 1;
  uint32_t count = 0;
  if (!reader.ArrayHead(2, count)) return 1;
  std::vector<std::string> strings;
  strings.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    uint16_t length = 0;
    std::span<const uint8_t> bytes;
    if (!reader.U16(length) || !reader.View(length, bytes)) return 1;
    strings.emplace_back(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  AdoptData(std::move(strings));
  ChildErase();
  uint32_t childCount = 0;
  if (!reader.U32(childCount)) return 1;
  if (childCount > reader.Left() / kMinPlainNode) return 1;
  ChildRedim(static_cast<int32_t>(childCount));
  for (uint32_t i = 0; i < childCount; ++i) {
    if (const int32_t result = Child(static_cast<int32_t>(i))->ReadPlain(reader, depth + 1)) {
      return result;
    }
  }
  return 0;
}

int32_t PSSData::ReadScrambled(LeReader& reader, int32_t depth) {
  if (depth > kMaxDepth) return 1;
  uint32_t count = 0;
  if (!reader.ArrayHead(kArrayHeadBytes + 4, count)) return 1;
  std::vector<std::string> strings;
  strings.reserve(count);
  uint32_t checks = 0;
  std::vector<uint8_t> bytes;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t length = 0;
    uint32_t stored = 0;
    if (!reader.ArrayHead(1, length) || !reader.Bytes(length, bytes) || !reader.U32(stored)) {
      return 1;
    }
    if (UnscrambleBytes(bytes) != stored) return 2;
    checks ^= stored;
    strings.push_back(Utf16LeToUtf8(bytes));
    strings.back().shrink_to_fit();  // the conversion reserves for the worst case
  }
  uint32_t childCount = 0;
  uint32_t total = 0;
  if (!reader.U32(childCount) || !reader.U32(total)) return 1;
  if (total != checks) return 2;
  AdoptData(std::move(strings));
  ChildErase();
  if (childCount > reader.Left() / kMinScrambledNode) return 1;
  ChildRedim(static_cast<int32_t>(childCount));
  for (uint32_t i = 0; i < childCount; ++i) {
    if (const int32_t result = Child(static_cast<int32_t>(i))->ReadScrambled(reader, depth + 1)) {
      return result;
    }
  }
  return 0;
}

int32_t PSSData::DataLoadFromBytes(std::span<const uint8_t> bytes) {
  ChildErase();
  LeReader reader(bytes);
  uint32_t format = 0;
  if (!reader.U32(format)) return 1;
  return format == 1 ? ReadScrambled(reader, 0) : ReadPlain(reader, 0);
}

int32_t PSSData::DataLoad(const std::string& filename, bool errRaise, CApi* api) {
  CApi& files = api != nullptr ? *api : PrivateApi();
  int32_t result = 1;
  if (files.PakFileOpen(filename) == 0) {
    const std::optional<std::vector<uint8_t>> bytes = files.PakFileReadAll();
    files.PakFileClose();
    if (bytes) result = DataLoadFromBytes(*bytes);
  }
  if (result != 0 && errRaise) {
    throw PSSDataError(kErrFile, filename + "\r\n" + "読み込みに失敗しました");
  }
  return result;
}

bool PSSData::WriteNode(std::vector<uint8_t>& out, bool scrambled) const {
  if (!scrambled) {
    PutArrayHead(out, static_cast<uint32_t>(m_data.size()));
    for (const std::string& s : m_data) {
      // A plain string carries a 16-bit length: longer ones cannot be written.
      if (s.size() > 0xFFFF) return false;
      PutLe16(out, static_cast<uint16_t>(s.size()));
      out.insert(out.end(), s.begin(), s.end());
    }
    PutLe32(out, static_cast<uint32_t>(m_children.size()));
  } else {
    PutArrayHead(out, static_cast<uint32_t>(m_data.size()));
    uint32_t total = 0;
    for (const std::string& s : m_data) {
      std::vector<uint8_t> bytes = Utf8ToUtf16Le(s);
      if (bytes.size() > 0xFFFFFFFFu) return false;
      const uint32_t check = ScrambleBytes(bytes);
      PutArrayHead(out, static_cast<uint32_t>(bytes.size()));
      out.insert(out.end(), bytes.begin(), bytes.end());
      PutLe32(out, check);
      total ^= check;
    }
    PutLe32(out, static_cast<uint32_t>(m_children.size()));
    PutLe32(out, total);
  }
  for (const auto& child : m_children) {
    if (!(child ? *child : Empty()).WriteNode(out, scrambled)) return false;
  }
  return true;
}

std::optional<std::vector<uint8_t>> PSSData::DataSaveToBytes(int32_t encode) const {
  std::vector<uint8_t> out;
  PutLe32(out, static_cast<uint32_t>(encode));
  if (!WriteNode(out, encode == 1)) return std::nullopt;
  return out;
}

int32_t PSSData::DataSave(const std::string& filename, bool errRaise, int32_t encode,
                          CApi* api) const {
  CApi& files = api != nullptr ? *api : PrivateApi();
  std::string path = filename;
  files.ExepathAddition(path);
  bool ok = false;
  if (!path.empty()) {
    const auto bytes = DataSaveToBytes(encode);
    std::remove(path.c_str());
    if (bytes) {
      if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        ok = std::fwrite(bytes->data(), 1, bytes->size(), f) == bytes->size();
        ok = (std::fclose(f) == 0) && ok;
      }
    }
  }
  if (!ok && errRaise) throw PSSDataError(kErrFile, filename + "\r\n" + "保存に失敗しました");
  return ok ? 0 : 1;
}

// ---- Report, copy, compare ------------------------------------------------------------------

std::string PSSData::DataReport() const {
  std::string out;
  for (size_t i = 0; i < m_data.size(); ++i) {
    if (i > 0) out += "\r\n";
    out += m_data[i];
  }
  out += "\r\n";
  for (const auto& child : m_children) out += (child ? *child : Empty()).DataReport();
  return out;
}

void PSSData::DataCopy(PSSData& dst, const PSSData& src) {
  // Built apart first, so copying a tree into one of its own nodes cannot feed on itself.
  PSSData copy;
  (void)copy.DataInport(&src.m_data);
  copy.ChildRedim(src.GetChildCount());
  for (size_t i = 0; i < src.m_children.size(); ++i) {
    const PSSData& from = src.m_children[i] ? *src.m_children[i] : Empty();
    DataCopy(*copy.Child(static_cast<int32_t>(i)), from);
  }
  dst = std::move(copy);
}

int32_t PSSData::DataTest(const PSSData& dst, const PSSData& src) {
  if (dst.m_children.size() != src.m_children.size() || dst.m_data != src.m_data) return 1;
  for (size_t i = 0; i < dst.m_children.size(); ++i) {
    const PSSData& a = dst.m_children[i] ? *dst.m_children[i] : Empty();
    const PSSData& b = src.m_children[i] ? *src.m_children[i] : Empty();
    if (DataTest(a, b) != 0) return 1;
  }
  return 0;
}

}  // namespace util
