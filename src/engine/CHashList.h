// String-keyed hash list: 256 buckets of slots, each key mapped to a small reusable id and an
// optional value. The bucket of a key comes from the CP932 codes of its last 32 characters.
// Relies on the platform's code page helper.
#pragma once

#include <any>
#include <cstdint>
#include <string>
#include <vector>

namespace engine {

class CHashList {
 public:
  static constexpr int32_t kBuckets = 256;

  // The new id; -1 when the key is empty or present.
  int32_t Add(const std::string& key, std::any itemData = {});
  // The removed id; -1 when the key is empty or absent.
  int32_t Remove(const std::string& key);
  [[nodiscard]] int32_t StringTest(const std::string& key) const;
  [[nodiscard]] int32_t Count() const { return m_count; }
  // The entry's value; an empty value when the key is absent.
  [[nodiscard]] std::any Item(const std::string& key) const;
  void SetItem(const std::string& key, std::any itemData);
  // Keys bucket by bucket in slot order, then one empty string; no elements when empty.
  [[nodiscard]] std::vector<std::string> List() const;

  [[nodiscard]] static int32_t Bucket(const std::string& key);
  // Slots a bucket holds now (0 until first used).
  [[nodiscard]] int32_t BucketCapacity(int32_t bucket) const;

 private:
  struct Slot {
    std::string key;  // empty: free
    int32_t id = 0;
    std::any item;
  };
  struct BucketData {
    std::vector<Slot> slots;
    int32_t insertPoint = 0;  // every slot below it is occupied
  };

  // Slot index of the key in its bucket, or -1.
  [[nodiscard]] int32_t Find(const BucketData& bucket, const std::string& key) const;
  int32_t AllocateId();
  void ReleaseId(int32_t id);
  void GrowIds();

  BucketData m_buckets[kBuckets];
  std::vector<uint8_t> m_idUsed;
  int32_t m_idHint = 0;
  int32_t m_count = 0;
};

}  // namespace engine
