// Hash list: the bucket hash, bucket growth and slot reuse, id reuse, List layout, values.
#include "engine/CHashList.h"

#include <gtest/gtest.h>

#include <random>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using engine::CHashList;

// Independent restatement of the bucket hash over single-byte characters.
int32_t AsciiBucket(const std::string& s) {
  const uint32_t len = static_cast<uint32_t>(s.size());
  uint32_t h = len;
  uint32_t w = 0;
  for (uint32_t pos = (len > 32 ? len - 32 : 0) + 1; pos <= len; ++pos) {
    const uint32_t m = len - pos;  // m after the decrement
    w += m * m + 1;
    h += static_cast<unsigned char>(s[pos - 1]) * w;
  }
  return static_cast<int32_t>(h & 255);
}

TEST(CHashListHash, WorkedExamples) {
  struct Case {
    const char* key;
    int32_t bucket;
  } cases[] = {{"abc", 174}, {"a", 98}, {"", 0}};
  for (const Case& c : cases) EXPECT_EQ(CHashList::Bucket(c.key), c.bucket) << c.key;
}

TEST(CHashListHash, OnlyTheLast32CharactersCount) {
  const std::string tail(32, 'q');
  // Longer keys with the same tail differ only through their length term.
  const std::string a = "x" + tail, b = "y" + tail;
  EXPECT_EQ(CHashList::Bucket(a), CHashList::Bucket(b));
  EXPECT_NE(CHashList::Bucket("x" + tail.substr(1)), CHashList::Bucket("y" + tail.substr(1)));
}

TEST(CHashListHash, MatchesReferenceOnRandomAsciiKeys) {
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    std::mt19937 rng(seed);
    std::string key(rng() % 60, ' ');
    for (char& c : key) c = static_cast<char>(0x20 + rng() % 0x5F);
    ASSERT_EQ(CHashList::Bucket(key), AsciiBucket(key)) << "seed " << seed << " key " << key;
  }
}

TEST(CHashListHash, DoubleByteCharactersUseTheirCp932Code) {
  // "あ" is 0x82A0 in CP932: masked 0x02A0; len 1 gives h = 1 + 0x2A0 * 1.
  EXPECT_EQ(CHashList::Bucket("あ"), static_cast<int32_t>((1 + 0x02A0) & 255));
  // Half-width katakana "ｱ" is one byte, 0xB1.
  EXPECT_EQ(CHashList::Bucket("ｱ"), static_cast<int32_t>((1 + 0xB1) & 255));
}

// Keys that all fall into one bucket, found by search.
std::vector<std::string> KeysInOneBucket(int32_t count, int32_t* bucketOut) {
  std::vector<std::vector<std::string>> byBucket(256);
  for (int i = 0;; ++i) {
    std::string key = "k" + std::to_string(i);
    auto& list = byBucket[static_cast<size_t>(CHashList::Bucket(key))];
    list.push_back(key);
    if (static_cast<int32_t>(list.size()) == count) {
      *bucketOut = CHashList::Bucket(key);
      return list;
    }
  }
}

TEST(CHashList, FirstIdsCountUpAndEmptyOrRepeatedKeysAreRejected) {
  CHashList list;
  EXPECT_EQ(list.Add("alpha"), 0);
  EXPECT_EQ(list.Add("beta"), 1);
  EXPECT_EQ(list.Add("gamma"), 2);
  EXPECT_EQ(list.Add(""), -1);
  EXPECT_EQ(list.Add("beta"), -1);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.StringTest("beta"), 1);
  EXPECT_EQ(list.StringTest("Beta"), -1) << "keys are case-sensitive";
  EXPECT_EQ(list.StringTest(""), -1);
  EXPECT_EQ(list.Remove(""), -1);
  EXPECT_EQ(list.Remove("delta"), -1);
}

TEST(CHashList, FullBucketGrowsAndRemovedSlotIsReused) {
  int32_t bucket = 0;
  const std::vector<std::string> keys = KeysInOneBucket(6, &bucket);
  CHashList list;
  EXPECT_EQ(list.BucketCapacity(bucket), 0);
  for (int i = 0; i < 4; ++i) ASSERT_GE(list.Add(keys[static_cast<size_t>(i)]), 0);
  EXPECT_EQ(list.BucketCapacity(bucket), 4);
  ASSERT_GE(list.Add(keys[4]), 0);
  EXPECT_EQ(list.BucketCapacity(bucket), 9);

  const int32_t removedId = list.Remove(keys[1]);
  EXPECT_EQ(removedId, 1);
  EXPECT_EQ(list.Add(keys[5]), 1) << "the released id is handed out again";
  // Slot order shows the reuse: the new key sits where the second was.
  const std::vector<std::string> expected = {keys[0], keys[5], keys[2], keys[3], keys[4], ""};
  EXPECT_EQ(list.List(), expected);
  for (size_t i : {0u, 2u, 3u, 4u, 5u}) EXPECT_GE(list.StringTest(keys[i]), 0) << keys[i];
  EXPECT_EQ(list.StringTest(keys[1]), -1);
}

TEST(CHashList, BucketGrowsThroughTheDocumentedSizes) {
  int32_t bucket = 0;
  const std::vector<std::string> keys = KeysInOneBucket(20, &bucket);
  CHashList list;
  std::vector<int32_t> capacities;
  for (const std::string& k : keys) {
    list.Add(k);
    if (capacities.empty() || capacities.back() != list.BucketCapacity(bucket))
      capacities.push_back(list.BucketCapacity(bucket));
  }
  EXPECT_EQ(capacities, (std::vector<int32_t>{4, 9, 19, 39}));
}

TEST(CHashList, TwoRemovalsInABucketKeepEveryKeyFindable) {
  int32_t bucket = 0;
  const std::vector<std::string> keys = KeysInOneBucket(7, &bucket);
  CHashList list;
  for (int i = 0; i < 4; ++i) list.Add(keys[static_cast<size_t>(i)]);
  list.Remove(keys[1]);
  list.Remove(keys[3]);
  // Both freed slots must be filled before the bucket grows.
  list.Add(keys[4]);
  list.Add(keys[5]);
  EXPECT_EQ(list.BucketCapacity(bucket), 4);
  list.Add(keys[6]);
  EXPECT_EQ(list.BucketCapacity(bucket), 9);
  for (size_t i : {0u, 2u, 4u, 5u, 6u}) EXPECT_GE(list.StringTest(keys[i]), 0) << keys[i];
  EXPECT_EQ(list.Count(), 5);
}

TEST(CHashList, ListHasOneTrailingEmptyElement) {
  CHashList list;
  EXPECT_TRUE(list.List().empty());
  list.Add("abc");  // bucket 174
  list.Add("a");    // bucket 98
  list.Add("b");    // bucket 99
  const std::vector<std::string> expected = {"a", "b", "abc", ""};
  EXPECT_EQ(list.List(), expected);
  list.Remove("a");
  list.Remove("b");
  list.Remove("abc");
  EXPECT_TRUE(list.List().empty());
}

TEST(CHashList, ItemValues) {
  CHashList list;
  list.Add("withValue", 7);
  list.Add("absent");
  EXPECT_EQ(std::any_cast<int>(list.Item("withValue")), 7);
  EXPECT_FALSE(list.Item("absent").has_value());
  EXPECT_FALSE(list.Item("nothere").has_value());
  list.SetItem("absent", std::string("now"));
  EXPECT_EQ(std::any_cast<std::string>(list.Item("absent")), "now");
  list.SetItem("nothere", 1);
  EXPECT_EQ(list.StringTest("nothere"), -1) << "writing an absent key adds nothing";
  EXPECT_EQ(list.Count(), 2);
}

TEST(CHashList, IdsFollowTheHintAfterRelease) {
  CHashList list;
  for (int i = 0; i < 6; ++i) ASSERT_EQ(list.Add("id" + std::to_string(i)), i);
  EXPECT_EQ(list.Remove("id2"), 2);
  EXPECT_EQ(list.Add("new1"), 2);
  EXPECT_EQ(list.Add("new2"), 6);
}

TEST(CHashList, RandomOperationsAgreeWithAReferenceMap) {
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    std::mt19937 rng(seed);
    CHashList list;
    std::map<std::string, int32_t> ref;
    for (int op = 0; op < 2000; ++op) {
      const std::string key = "key" + std::to_string(rng() % 300);
      if (rng() % 3 != 0) {
        const int32_t id = list.Add(key);
        if (ref.count(key) != 0) {
          ASSERT_EQ(id, -1) << "seed " << seed;
        } else {
          ASSERT_GE(id, 0) << "seed " << seed;
          for (const auto& [k, v] : ref) ASSERT_NE(v, id) << "duplicate id, seed " << seed;
          ref[key] = id;
        }
      } else {
        const auto it = ref.find(key);
        ASSERT_EQ(list.Remove(key), it == ref.end() ? -1 : it->second) << "seed " << seed;
        if (it != ref.end()) ref.erase(it);
      }
    }
    ASSERT_EQ(list.Count(), static_cast<int32_t>(ref.size()));
    for (const auto& [k, v] : ref) ASSERT_EQ(list.StringTest(k), v) << "seed " << seed;
  }
}

}  // namespace
