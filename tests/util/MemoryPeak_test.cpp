// Heap use of the readers of outside bytes on crafted input: a directory or record file of many
// tiny entries must cost a bounded multiple of its own size, never a copy of what was read.
// This program's operator new and delete count live bytes so a test can read the peak of a call.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "PakTestSupport.h"
#include "util/CPakArchive.h"
#include "util/PSSData.h"

namespace {

std::atomic<int64_t> g_live{0};
std::atomic<int64_t> g_peak{0};
constexpr size_t kHead = alignof(std::max_align_t);

// Heap bytes allocated at the highest point while `work` ran, above what was live before it.
template <class Work>
int64_t PeakOf(Work&& work) {
  const int64_t before = g_live.load();
  g_peak.store(before);
  work();
  return g_peak.load() - before;
}

}  // namespace

// Every unaligned form is replaced, so no block crosses between these and another allocator.
namespace {

void* Allocate(size_t size) noexcept {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHead));
  if (block == nullptr) return nullptr;
  *reinterpret_cast<size_t*>(block) = size;
  const int64_t live = g_live.fetch_add(static_cast<int64_t>(size)) + static_cast<int64_t>(size);
  int64_t peak = g_peak.load();
  while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
  }
  return block + kHead;
}

void Release(void* pointer) noexcept {
  if (pointer == nullptr) return;
  unsigned char* block = static_cast<unsigned char*>(pointer) - kHead;
  g_live.fetch_sub(static_cast<int64_t>(*reinterpret_cast<size_t*>(block)));
  std::free(block);
}

void* AllocateOrThrow(size_t size) {
  void* pointer = Allocate(size);
  if (pointer == nullptr) throw std::bad_alloc();
  return pointer;
}

}  // namespace

void* operator new(size_t size) { return AllocateOrThrow(size); }
void* operator new[](size_t size) { return AllocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* pointer) noexcept { Release(pointer); }
void operator delete[](void* pointer) noexcept { Release(pointer); }
void operator delete(void* pointer, size_t) noexcept { Release(pointer); }
void operator delete[](void* pointer, size_t) noexcept { Release(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { Release(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { Release(pointer); }

namespace {

using util::CPakArchive;

TEST(MemoryPeak, ArchiveDirectoriesOfTinyEntriesCostAFewTimesTheirSize) {
  struct Case {
    const char* what;
    paktest::RawArchive raw;
  };
  std::vector<Case> cases(3);
  // Empty folder names, as many as the count says.
  cases[0].what = "empty folder names";
  cases[0].raw.AddMember("f", "1");
  cases[0].raw.folderText = std::string(1 << 19, '\0');
  cases[0].raw.folderCount = 1 << 19;
  // Empty file records whose count matches the table but not the data.
  cases[1].what = "empty file records";
  cases[1].raw.fileText = std::string(1 << 19, '\0');
  cases[1].raw.fileCount = 1 << 19;
  // The shortest members a valid directory can hold, one after another.
  cases[2].what = "shortest valid members";
  for (int i = 0; i < 40000; ++i) cases[2].raw.AddMember("m", "");
  for (const Case& c : cases) {
    const std::vector<uint8_t> bytes = c.raw.Build();
    const auto size = static_cast<int64_t>(bytes.size());
    CPakArchive archive;
    const int64_t peak = PeakOf([&] { (void)archive.LoadFromMemory(bytes); });
    EXPECT_LE(peak, 4 * size) << c.what << ": " << size << " bytes";
  }
}

TEST(MemoryPeak, RecordStringsAreNotCopiedWhileLoading) {
  // One node of many empty plain strings: each costs one string object, held once.
  constexpr uint32_t kCount = 1 << 16;
  std::vector<uint8_t> bytes = {0, 0, 0, 0, 1, 0};
  paktest::PutU32(bytes, kCount);
  paktest::PutU32(bytes, 0);
  bytes.resize(bytes.size() + 2 * kCount);
  paktest::PutU32(bytes, 0);
  util::PSSData tree;
  const int64_t peak = PeakOf([&] { ASSERT_EQ(tree.DataLoadFromBytes(bytes), 0); });
  EXPECT_EQ(tree.GetDataCount(), static_cast<int32_t>(kCount));
  const auto strings = static_cast<int64_t>(kCount * sizeof(std::string));
  EXPECT_LT(peak, strings + strings / 4);
}

}  // namespace
