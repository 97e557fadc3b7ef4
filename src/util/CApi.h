// CApi: the utility object the engine root owns (one shared instance). Maths for movement,
// aiming and collisions; random draws; executable-relative paths and file helpers; plain and
// scrambled text files; number and string conversions; small array helpers; a millisecond clock;
// the pak file access layer (over CPakArchive); wrappers of the pixel library's data encoders.
// Relies on std::filesystem, CPakArchive, TextCodec, the CP932 code page and, through the run-time
// binding, libblivo (GetRandom, dwColorBlend, the encoders and bounded decoders).
//
// Paths: "\" is accepted as a separator and turned into "/"; a path that begins with one "\" is
// relative to the base folder (Exepath()). A path with a drive ("X:") is foreign here and is
// left as it is. Failures are results: false, 0/1 codes or empty strings; nothing throws.
//
// Desktop helpers with no counterpart here give neutral results: SetWallPaper (false),
// ImmDisableIME (nothing), GetWindowsVersion/GetWindowsVersionMinor (0), GetDrives (no drives),
// GetSpecialFolder (home and documents only, else ""), timePeriod (nothing: the clock is already
// 1 ms), the file dialogs (cancelled: ""), PlaySoundFile (false; sound effects go through the
// sound device). The window, cursor and GDI helpers belong to the display and input modules and
// are not members here. ShellEx and ShellExplore take no owner window.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "util/IClock.h"

namespace util {

class CPakArchive;

// A ring of the last `capacity` values written. Empty (not created) until the first RingSet.
template <class T>
struct RingBuffer {
  bool created = false;
  int32_t cursor = 0;    // where the next value goes
  int32_t capacity = 0;
  std::vector<std::optional<T>> data;
};

class CApi {
 public:
  CApi();
  ~CApi();
  CApi(const CApi&) = delete;
  CApi& operator=(const CApi&) = delete;

  // ---- Random numbers and counters -------------------------------------------------------

  // An integer in min..max from this object's uniform generator (round(floor(r * n) + min)).
  int32_t Math_Rnd(int32_t min, int32_t max);
  // The generator's next value in [0, 1), single precision.
  float NextUniform();
  // Restarts the generator from `seed` (reproducible draws).
  void Randomize(uint32_t seed);
  // Makes every draw of the program reproducible: this generator, the pixel library's and the
  // reseeding of Shuffle (which then draws its seed from this generator, not from entropy).
  void FixSeed(uint32_t seed);
  // GetRandom(max - min + 1) + min through the pixel library; min when the call cannot be made.
  static int32_t Rnd(int32_t min, int32_t max);

  // T comes from base alone, so plain literals serve as add and bound.
  template <class T>
  using Same = std::type_identity_t<T>;
  template <class T>
  static T inc(T& base, Same<T> add, std::optional<Same<T>> bound = std::nullopt) {
    base = base + add;
    if (bound && base > *bound) base = *bound;
    return base;
  }
  template <class T>
  static T inc(std::vector<T>& base, Same<T> add, std::optional<Same<T>> bound = std::nullopt) {
    T last{};
    for (T& v : base) last = inc(v, add, bound);
    return last;
  }
  template <class T>
  static T dec(T& base, Same<T> subtract, std::optional<Same<T>> bound = std::nullopt) {
    base = base - subtract;
    if (bound && base < *bound) base = *bound;
    return base;
  }
  template <class T>
  static T dec(std::vector<T>& base, Same<T> subtract, std::optional<Same<T>> bound = std::nullopt) {
    T last{};
    for (T& v : base) last = dec(v, subtract, bound);
    return last;
  }
  // Min first, then Max, so Max wins when Min > Max.
  template <class T>
  static void Math_Bound(T& a, Same<T> min, Same<T> max) {
    if (a < min) a = min;
    if (a > max) a = max;
  }
  // a - floor(a / b) * b: the remainder with the sign of b. b must not be 0.
  static float Math_Remainder(float a, float b);
  // Greatest common divisor by the remainder chain; 0 when either is 0.
  static int32_t Math_MaxDiv(int32_t src1, int32_t src2);

  // ---- Interpolation and colour ----------------------------------------------------------

  static float Math_Line(float t, float a, float b, float t1, float t2);
  // Colour ramp over colors[0..n] at pos in 0..1 (NaN counts as 0); 0 for no colours.
  static int32_t Math_Color(float pos, std::span<const int32_t> colors);
  // Swaps the first and third colour bytes (truncating arithmetic; the top byte is dropped for
  // non-negative colours).
  static int32_t Math_FlipColor(int32_t color);

  // ---- Angles and vectors (radians unless the name says degrees) --------------------------

  static float Homing(float dx, float dy);
  static float Math_HomingRadian(float x1, float y1, float x2, float y2);
  static float Math_Homing(float x1, float y1, float x2, float y2);  // degrees
  static float Math_Sin(float deg);
  static float Math_Cos(float deg);
  // Signed turn from a to b folded into -half turn .. +half turn.
  static float Math_Fan(float a, float b);
  static void Math_Vector_Add(float& angle, float& length, float addAngle, float addLength);
  static float Math_Length(float x1, float y1, float x2, float y2);

  // ---- Geometry and hit tests (corners X1 <= X2, Y1 <= Y2; all edges included) -------------

  static bool Math_Hit_PointRect(float tx, float ty, float boxX1, float boxY1, float boxX2,
                                 float boxY2);
  static bool Math_Hit_RectRect(float aBoxX1, float aBoxY1, float aBoxX2, float aBoxY2,
                                float bBoxX1, float bBoxY1, float bBoxX2, float bBoxY2);
  static float Math_Side(float px, float py, float ax, float ay, float bx, float by);
  // Proper crossing only: touching ends and collinear overlaps are no hit.
  static bool Math_Hit_LineLine(float x1, float y1, float x2, float y2, float x3, float y3,
                                float x4, float y4);
  static bool Math_Hit_LineRect(float x1, float y1, float x2, float y2, float boxX1, float boxY1,
                                float boxX2, float boxY2);
  // 0 the segments meet, 1 the lines meet outside a segment, 2 parallel (out not written).
  static int32_t Math_Intersection(float& outX, float& outY, float x1, float y1, float x2,
                                   float y2, float x3, float y3, float x4, float y4);
  // Distance from P to the line through 1 and 2; 0 foot on the segment, 1 before point 1,
  // 2 beyond point 2, 3 degenerate segment (dist not written).
  static int32_t Math_CrossLength(float& dist, float x1, float y1, float x2, float y2, float px,
                                  float py);

  // ---- Ring buffer ------------------------------------------------------------------------

  // The first call creates the ring with `ringBufferSize` entries; a size below 1 creates
  // nothing, so the value is dropped.
  template <class T>
  static void RingSet(RingBuffer<T>& buffer, T setValue, int32_t ringBufferSize) {
    if (!buffer.created) {
      if (ringBufferSize < 1) return;
      buffer.created = true;
      buffer.cursor = 0;
      buffer.capacity = ringBufferSize;
      buffer.data.assign(static_cast<size_t>(ringBufferSize), std::nullopt);
    }
    buffer.data[static_cast<size_t>(buffer.cursor)] = std::move(setValue);
    if (++buffer.cursor >= buffer.capacity) buffer.cursor = 0;
  }
  // The value written backIndex writes ago (0 = newest); false when there is none.
  template <class T>
  static bool RingGet(const RingBuffer<T>& buffer, std::optional<T>& var, int32_t backIndex) {
    var.reset();
    if (!buffer.created) return false;
    if (backIndex >= 0 && backIndex < buffer.capacity) {
      int32_t j = buffer.cursor - backIndex - 1;
      if (j < 0) j += buffer.capacity;
      var = buffer.data[static_cast<size_t>(j)];
    }
    return var.has_value();
  }
  // Clears entries while stepping the cursor back; backIndex >= capacity clears them all.
  template <class T>
  static void RingCur(RingBuffer<T>& buffer, int32_t backIndex) {
    if (!buffer.created || backIndex < 0) return;
    if (backIndex < buffer.capacity) {
      for (int32_t k = 0; k < backIndex; ++k) {
        buffer.data[static_cast<size_t>(buffer.cursor)].reset();
        if (--buffer.cursor < 0) buffer.cursor += buffer.capacity;
      }
    } else {
      for (auto& entry : buffer.data) entry.reset();
    }
  }

  // ---- Executable, paths and version -----------------------------------------------------

  // The executable's folder with a trailing "/".
  std::string GetExepath();
  // The base folder of "\"-relative paths: GetExepath(), or the content of "exepath.txt" there
  // when that file exists and is not empty (line ends trimmed, a trailing "/" added). Computed
  // once.
  std::string Exepath();
  // Tools and tests: use `folder` as the executable's folder and forget the cached base folder.
  void SetExecutableFolder(std::string folder);
  // In place: a leading "\" becomes Exepath(); "\" separators become "/" (drive paths untouched).
  void ExepathAddition(std::string& basePath);
  static void RightAdd(std::string& s, std::string_view suffix);
  static void RightRemove(std::string& s, std::string_view suffix);
  // " ver 1.02", or " ver 1.02.03" when the revision is not 0.
  static std::string GetExeVersion();
  static std::string FormatExeVersion(int32_t major, int32_t minor, int32_t revision);
  // The command line's arguments, blank-separated, read once.
  std::string GetCommand();
  // Ends the program when another instance holds the instance lock.
  void AppPrevInstance();
  // Takes the instance lock at `lockPath`; false when another holder has it.
  bool AcquireInstanceLock(const std::string& lockPath);
  // Makes sPath current when it is a folder; otherwise, when the executable is not in the
  // current folder, makes the executable's folder current.
  void AppCurDir(std::string sPath);
  // The path made absolute ("\"-relative against the base folder, other relative paths against
  // the current folder), with "." and ".." resolved lexically and "/" separators.
  std::string GetAbolutePath(std::string path);
  // 0 relative, 1 absolute ("/" or a drive "X:"), 2 network ("\\" or "//").
  static int32_t GetFilePathTest(std::string_view path);
  // 0 home, 5 documents ("MyDocuments"), with a trailing "/"; other folders are desktop
  // services with no counterpart: "".
  static std::string GetSpecialFolder(int32_t frg);
  static std::vector<std::string> GetDrives() { return {}; }

  // ---- Files and folders -----------------------------------------------------------------

  bool DirFile(std::string fullPath);
  bool DirFolder(std::string fullPath);
  static std::string GetFilePath(std::string_view fullPath);
  static std::string GetFileNameAndExt(std::string_view fullPath);
  static std::string GetFileName(std::string_view fullPath);
  static std::string GetFileExt(std::string_view fullPath);
  // Last modification and creation (birth, else last status change) as "YYYY/MM/DD hh:mm:ss"
  // local time; "" when the file is missing.
  std::string GetFileVersion(std::string fullPath);
  std::string GetFileCreated(std::string fullPath);
  [[nodiscard]] bool FileDelete(std::string fullPath);
  // Destination first. A move never replaces an existing file; a copy does.
  [[nodiscard]] bool FileMove(std::string dst, std::string src);
  [[nodiscard]] bool FileCopy(std::string dst, std::string src);
  // With a non-empty checkPath, nothing happens unless every folder touched lies under it
  // (case-insensitive, after "." and ".." are resolved).
  [[nodiscard]] bool FolderDelete(std::string fullPath, std::string checkPath = {});
  [[nodiscard]] bool FolderMove(std::string srcPath, std::string dstPath, std::string checkPath = {});
  [[nodiscard]] bool FolderCopy(std::string srcPath, std::string dstPath, std::string checkPath = {});
  [[nodiscard]] bool MakeDir(std::string directoryName);

  // File attributes as the listing filters see them.
  static constexpr int32_t kAttrReadOnly = 1;  // not writable by us
  static constexpr int32_t kAttrHidden = 2;    // name begins with "."
  static constexpr int32_t kAttrDirectory = 16;

  // File names in sPath, filtered by extension list ("bmp;png", case-insensitive) and by
  // attributes (attributes & removePattern must be 0), sorted, each prefixed with curPath.
  // withPackageFile adds the members an archive holds for that folder.
  std::vector<std::string> GetFiles(std::string sPath, std::string_view extOption = {},
                                    int32_t removePattern = 0, std::string curPath = {},
                                    bool withPackageFile = false);
  std::vector<std::string> GetFolders(std::string sPath, int32_t removePattern = 0,
                                      std::string curPath = {}, bool withPackageFile = false);
  // Recursive forms: paths relative to sPath ("/" separators). Symbolic links to folders are
  // not followed.
  std::vector<std::string> GetFilesWithSubFolder(std::string sPath,
                                                 std::string_view extOption = {},
                                                 int32_t removeFilePattern = 0,
                                                 int32_t removeFolderPattern = 0,
                                                 std::string curPath = {});
  std::vector<std::string> GetFoldersWithSubFolder(std::string sPath, int32_t removePattern = 0,
                                                   std::string curPath = {});

  // ---- Text files ------------------------------------------------------------------------

  // A whole text file through the pak access layer; plain UTF-8 cut at the first NUL, or the
  // scrambled format. "" when it cannot be opened or does not check out.
  std::string LoadText(std::string filename);
  // UTF-8 bytes, no terminator, no byte-order mark; an existing file is replaced.
  bool SaveText(std::string filename, std::string_view textData);
  // The scrambled format: 0 (4 bytes), "DATA", the block length (4 bytes), the block.
  bool SaveTextEncode(std::string filename, std::string_view textData);
  // The text a file's bytes hold (steps 2 and 3 of LoadText), bounded by the bytes given.
  static std::string DecodeTextBytes(std::span<const uint8_t> bytes);
  static std::vector<uint8_t> EncodeScrambledText(std::string_view text);

  // ---- Strings and numbers ---------------------------------------------------------------

  // The numeric parser: leading blanks, an optional sign, digits with a point, or "&H"/"&O"
  // with hexadecimal or octal digits (up to 16 bits read as a signed 16-bit value, up to 32 bits
  // as a signed 32-bit one), stopping at the first other character. No exponent. nullopt for a
  // parser error (a value out of range).
  static std::optional<double> ParseNumber(std::string_view s);
  // ParseNumber clamped to the 32-bit range and rounded halves to even; 0 for an error.
  static int32_t LVal(std::string_view s);
  static int32_t LValBound(std::string_view s, int32_t min, int32_t max);
  // The number as text, padded in front with the first characters of formatStr.
  template <class T>
    requires std::is_arithmetic_v<T>
  static std::string LStr(T number, std::string_view formatStr) {
    return PadFront(NumberText(number), formatStr);
  }
  // Full-width digits "０".."９" and minus "－".
  template <class T>
    requires std::is_arithmetic_v<T>
  static std::string UStr(T value) {
    return ToFullWidth(NumberText(value));
  }
  static int32_t UVal(std::string_view str);
  // Bytes in CP932.
  static int32_t TextLen(std::string_view text);
  // Replaces every keyWord by foreWord, scanning on after each insert; an empty keyWord
  // changes nothing.
  static void TextChange(std::string& text, std::string_view keyWord, std::string_view foreWord);
  static std::string TrimHead(std::string_view text);
  // Characters (not bytes) from start (1-based) for length replaced by insert.
  static std::string MidOther(std::string_view s, int32_t start, int32_t length,
                              std::string_view insert);
  // The text before the first keyWord (ASCII case-insensitive); baseStr keeps what follows it,
  // or becomes "" when there is none. An empty keyWord is never found.
  static std::string Divide(std::string& baseStr, std::string_view keyWord);
  static std::string DivideHalf(std::string_view baseStr, std::string_view keyWord);
  // Split at keyWord, then exactly divideCount pieces (missing ones empty).
  static std::vector<std::string> SplitEx(std::string_view baseStr, std::string_view keyWord,
                                          int32_t divideCount);
  // Index of the first key word (in list order) found in text, -1 when none.
  static int32_t Search(std::string_view text, std::span<const std::string> keyWords);
  // 1-based character position of the earliest occurrence of any key word, 0 when none.
  static int32_t SearchInStr(std::string_view text, std::span<const std::string> keyWords);
  // Split at keyWord, empty pieces dropped.
  static std::vector<std::string> ArrayStrDivide(std::string_view text, std::string_view keyWord);
  // -1, 0, 1; compare 0 binary (bytes), 1 text (ASCII case-insensitive); applyLCase lower-cases
  // both first.
  static int32_t CompareStr(std::string_view a, std::string_view b, int32_t compare = 0,
                            bool applyLCase = false);
  static bool CompareEach(std::string_view value, std::span<const std::string> list);

  // ---- Arrays (count belongs to the caller) ----------------------------------------------

  template <class T>
  static void ArrayPush(std::vector<T>& buffer, int32_t& count, T item) {
    if (count < 0 || count == INT32_MAX) return;
    buffer.resize(static_cast<size_t>(count) + 1);
    buffer[static_cast<size_t>(count)] = std::move(item);
    ++count;
  }
  template <class T>
  static void ArrayAdd(std::vector<T>& buffer, int32_t& count, T putData) {
    ArrayPush(buffer, count, std::move(putData));
  }
  template <class T>
  static T ArrayPop(std::vector<T>& buffer, int32_t& count) {
    if (count <= 0 || static_cast<size_t>(count) > buffer.size()) return T{};
    T out = std::move(buffer[static_cast<size_t>(count) - 1]);
    --count;
    buffer.resize(static_cast<size_t>(count));
    return out;
  }
  // Order is not kept: the last element fills the gap.
  template <class T>
  static T ArrayRemove(std::vector<T>& buffer, int32_t& count, int32_t index) {
    if (index < 0 || index >= count || static_cast<size_t>(count) > buffer.size()) return T{};
    T out = std::move(buffer[static_cast<size_t>(index)]);
    buffer[static_cast<size_t>(index)] = std::move(buffer[static_cast<size_t>(count) - 1]);
    --count;
    buffer.resize(static_cast<size_t>(count));
    return out;
  }
  // Shifts startCur..endCur by one toward startCur, puts putData at endCur and returns what
  // was at startCur. Out-of-range positions do nothing.
  template <class T>
  static T ArrayCue(std::vector<T>& buffer, int32_t startCur, int32_t endCur, T putData) {
    const auto size = static_cast<int64_t>(buffer.size());
    if (startCur < 0 || endCur < 0 || startCur >= size || endCur >= size) return T{};
    T out = std::move(buffer[static_cast<size_t>(startCur)]);
    if (startCur <= endCur) {
      for (int32_t i = startCur; i < endCur; ++i)
        buffer[static_cast<size_t>(i)] = std::move(buffer[static_cast<size_t>(i) + 1]);
    } else {
      for (int32_t i = startCur; i > endCur; --i)
        buffer[static_cast<size_t>(i)] = std::move(buffer[static_cast<size_t>(i) - 1]);
    }
    buffer[static_cast<size_t>(endCur)] = std::move(putData);
    return out;
  }
  template <class T>
  static void ArrayInit(std::vector<T>& buffer, const T& value) {
    std::fill(buffer.begin(), buffer.end(), value);
  }
  template <class T>
  static void ArrayIncrease(std::vector<T>& buffer, int32_t more) {
    if (more > 0) buffer.resize(buffer.size() + static_cast<size_t>(more));
  }
  template <class T>
  static void Addition(std::vector<T>& baseData, const std::vector<T>& addData) {
    baseData.insert(baseData.end(), addData.begin(), addData.end());
  }
  template <class T>
  static void sort(std::vector<T>& data) {
    std::stable_sort(data.begin(), data.end());
  }
  static void sortStr(std::vector<std::string>& data, int32_t compare = 1);
  // Orders index by keys[index[i]] (stable); indexes outside keys go last.
  template <class K>
  static void sortIndex(std::vector<int32_t>& index, const std::vector<K>& keys) {
    auto valid = [&keys](int32_t i) { return i >= 0 && static_cast<size_t>(i) < keys.size(); };
    std::stable_sort(index.begin(), index.end(), [&](int32_t a, int32_t b) {
      if (!valid(a) || !valid(b)) return valid(a) && !valid(b);
      return keys[static_cast<size_t>(a)] < keys[static_cast<size_t>(b)];
    });
  }
  // Reseeds and shuffles elements min..max (the whole array when either is negative).
  template <class T>
  void Shuffle(std::vector<T>& arrayData, int32_t min = -1, int32_t max = -1) {
    if (arrayData.empty()) return;
    const auto last = static_cast<int32_t>(std::min<size_t>(arrayData.size() - 1, INT32_MAX));
    if (min < 0 || max < 0) {
      min = 0;
      max = last;
    }
    max = std::min(max, last);
    ReseedFromEntropy();
    for (int32_t i = max; i > min; --i) {
      const int32_t j = Math_Rnd(min, i);
      std::swap(arrayData[static_cast<size_t>(i)], arrayData[static_cast<size_t>(j)]);
    }
  }
  // Signed 16-bit little-endian at pos; out-of-range positions are ignored (Get gives 0).
  static void ArrayIntSet(std::span<uint8_t> bytes, int32_t pos, int32_t value);
  static int32_t ArrayIntGet(std::span<const uint8_t> bytes, int32_t pos);
  // memmove within bounds; false (nothing copied) when a range lies outside its array.
  static bool CopyMemory(std::span<uint8_t> dst, int64_t dstOffset, std::span<const uint8_t> src,
                         int64_t srcOffset, int64_t length);
  static uint32_t SHR(uint32_t value, int32_t count);
  static uint32_t SHL(uint32_t value, int32_t count);
  static int32_t CpuID();

  // ---- Time ------------------------------------------------------------------------------

  // nullptr restores the steady clock. The clock must outlive its use here.
  void SetClock(IClock* clock);
  uint32_t GetTime();
  void timePeriod(bool period) { m_timePeriod = period; }
  int32_t StepTime(int32_t maxStepTime);
  int32_t FPS();
  void Sleep(int32_t sleepTime);
  // "2026年1月2日3時4分5秒" in local time.
  static std::string GetTimeWide();
  void DebugStep(std::string_view text, bool timerClear = false, bool printOut = false);
  [[nodiscard]] const std::vector<std::string>& DebugStepLog() const { return m_debugLog; }
  // Where DebugStep's print-out goes; none by default.
  void SetDebugTrace(std::function<void(std::string_view)> trace) { m_trace = std::move(trace); }

  // ---- Shell -----------------------------------------------------------------------------

  // Hands the file to xdg-open (an executable file is started directly with the parameters
  // split at blanks), without a shell and without waiting. 0 started, 1 failure.
  int32_t ShellEx(std::string filename, std::string_view parameters = {}, int32_t style = 1);
  int32_t ShellExplore(std::string folder);
  static bool SetWallPaper(std::string_view) { return false; }
  static void ImmDisableIME() {}
  static int32_t GetWindowsVersion() { return 0; }
  static int32_t GetWindowsVersionMinor() { return 0; }
  static std::string ShowSaveDialogInstant(std::string_view) { return {}; }
  static std::string ShowLoadDialogInstant(std::string_view) { return {}; }
  static std::string ShowFolderDialog(std::string_view) { return {}; }
  static bool PlaySoundFile(std::string_view) { return false; }

  // ---- Data encoders ---------------------------------------------------------------------

  static constexpr uint32_t kBlockIdentifier = 0x6B8FB388u;
  static constexpr size_t kBlockHeaderBytes = 12;
  // Decoded blocks larger than this are refused whatever their header says.
  static constexpr int32_t kMaxDecodedBytes = 256 * 1024 * 1024;

  using EncoderFn = int32_t (*)(const void* src, void* dst, int32_t n, int32_t* outLen);
  using BoundedDecoderFn = int32_t (*)(const void* src, int32_t srcLen, void* dst, int32_t n);
  struct BlockEncoders {
    EncoderFn mode[3] = {};
  };
  struct BlockDecoders {
    BoundedDecoderFn mode[3] = {};
  };
  // The library's functions through the binding (null where an export is missing).
  static BlockEncoders LibraryEncoders();
  static BlockDecoders LibraryDecoders();

  // Replaces src by an encoded block (mode 0, 1, 2); 0, or 1 and src unchanged.
  static int32_t Encoder(std::vector<uint8_t>& src, int32_t mode);
  // Replaces the block by its decoded bytes; 0, or 1 and src unchanged.
  static int32_t Decoder(std::vector<uint8_t>& src);
  // Decodes src into dst; err 0 done, 1 not a valid block (dst then empty).
  static void DecoderByProg(std::vector<uint8_t>& dst, std::span<const uint8_t> src, int32_t& err);
  // The same with the functions given (pure: used by tests and the fuzzer).
  static int32_t EncodeBlock(std::span<const uint8_t> src, int32_t mode,
                             const BlockEncoders& encoders, std::vector<uint8_t>& block);
  static int32_t DecodeBlock(std::span<const uint8_t> block, const BlockDecoders& decoders,
                             std::vector<uint8_t>& dst);
  // The largest unencoded length a block of `encodedBytes` can honestly claim in `mode`.
  static int64_t MaxDecodedLength(int32_t mode, size_t encodedBytes);

  // ---- Pak file access -------------------------------------------------------------------

  // Opens a file, from the archive standing for one of its folders or plain. 0 or 1.
  int32_t PakFileOpen(std::string filename);
  [[nodiscard]] int16_t PakFileNumber() const { return m_pakHandle; }
  [[nodiscard]] int32_t PakFileRecnumber() const { return m_pakPosition; }
  [[nodiscard]] int32_t PakFileLength() const { return m_pakLength; }
  void PakFileClose();
  // Reads dst.size() bytes at the 1-based position of an open handle; bytes read.
  static size_t ReadFileAt(int16_t handle, int64_t position, std::span<uint8_t> dst);
  // The opened data in full (nullopt when nothing is open or it cannot be read).
  std::optional<std::vector<uint8_t>> PakFileReadAll() const;
  // Packs the folder; the archive path, or "" when nothing was written.
  std::string CreatePakFile(std::string filename);
  // Unpacks srcPakFileName into the folder; the folder, or "" when the archive is missing or
  // the folder cannot be made.
  std::string DecodePakFile(std::string filename, std::string srcPakFileName);

 private:
  static std::string NumberText(int64_t v);
  static std::string NumberText(uint64_t v);
  static std::string NumberText(double v);
  template <class T>
  static std::string NumberText(T v) {
    if constexpr (std::is_floating_point_v<T>) {
      return NumberText(static_cast<double>(v));
    } else if constexpr (std::is_signed_v<T>) {
      return NumberText(static_cast<int64_t>(v));
    } else {
      return NumberText(static_cast<uint64_t>(v));
    }
  }
  static std::string PadFront(std::string text, std::string_view formatStr);
  static std::string ToFullWidth(std::string_view text);
  void ReseedFromEntropy();
  // Made absolute against the executable's folder (pak creation and unpacking).
  std::string AbsoluteFromExecutable(std::string path);
  // The guard of the folder operations.
  bool UnderCheckPath(const std::string& path, const std::string& checkPath);
  void ClosePakHandles();

  std::mt19937 m_rng;
  bool m_fixedSeed = false;

  std::string m_exeFolder;     // with a trailing "/"
  std::string m_exepath;       // cached base folder
  bool m_exepathKnown = false;
  std::optional<std::string> m_command;
  int m_instanceLock = -1;

  IClock* m_clock;
  bool m_timePeriod = false;
  uint32_t m_lastStep = 0;
  uint32_t m_lastFps = 0;
  int64_t m_fpsMs = 0;
  int32_t m_fpsFrames = 0;
  int32_t m_fps = 0;
  std::vector<std::string> m_debugLog;
  uint32_t m_debugStepStart = 0;
  std::function<void(std::string_view)> m_trace;

  std::unique_ptr<CPakArchive> m_pak;
  std::vector<int> m_openHandles;
  int16_t m_pakHandle = 0;
  int32_t m_pakPosition = 0;
  int32_t m_pakLength = 0;
};

}  // namespace util
