// The size sort: its exact arrangement of equal sizes decides which file
// heads a group, so the worked examples are checked record by record.
#include <gtest/gtest.h>
#include <pthread.h>

#include <string>
#include <vector>

#include "engine/file_table.h"
#include "engine/sort.h"
#include "engine/text.h"
#include "engine_fixture.h"

namespace {

class SizeSort : public enginetest::TableTest {
 protected:
  // One record per size, named A, B, C, ... in table order.
  void Fill(const std::vector<uint64_t>& sizes) {
    for (size_t k = 0; k < sizes.size(); k++) {
      FileEntry& entry = fileTable.entries[k];
      std::string name(1, static_cast<char>('A' + k));
      CopyText(entry.path, sizeof entry.path, name.c_str());
      entry.size = sizes[k];
    }
    fileTable.count = static_cast<uint32_t>(sizes.size());
  }
  std::string Order() {
    std::string order;
    for (uint32_t k = 0; k < fileTable.count; k++) order += fileTable.entries[k].path;
    return order;
  }
  void Sort() { SortBySize(0, static_cast<int32_t>(fileTable.count) - 1); }
};

// Sorts a table of equal sizes, or one already ascending, on a thread whose
// stack a recursion one level per record would overflow.
void* SortOnSmallStack(void*) {
  SortBySize(0, static_cast<int32_t>(fileTable.count) - 1);
  return nullptr;
}

void RunOnSmallStack() {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attributes, SortOnSmallStack, nullptr), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
}

}  // namespace

TEST_F(SizeSort, SixRecordsComeOutInTheOrderThePartitionSchemeGives) {
  Fill({2, 1, 2, 3, 1, 2});
  Sort();
  EXPECT_EQ(Order(), "EBCAFD");
}

TEST_F(SizeSort, EqualSizesKeepTheirOrder) {
  Fill({4, 4, 4, 4});
  Sort();
  EXPECT_EQ(Order(), "ABCD");
}

TEST_F(SizeSort, FiveRecordsComeOutInTheOrderThePartitionSchemeGives) {
  Fill({7, 3, 7, 3, 5});
  Sort();
  EXPECT_EQ(Order(), "DBEAC");
}

TEST_F(SizeSort, SizesAreComparedAsWholeSixtyFourBitNumbers) {
  Fill({4294967296ULL, 4294967295ULL, 1, 8589934593ULL});
  Sort();
  EXPECT_EQ(Order(), "CBAD");
}

TEST_F(SizeSort, AnEmptyTableOrOneRecordIsLeftAlone) {
  Sort();
  EXPECT_EQ(Order(), "");
  Fill({9});
  Sort();
  EXPECT_EQ(Order(), "A");
}

TEST_F(SizeSort, LongRunsOfEqualOrAscendingSizesNeedOnlyAShallowStack) {
  const uint32_t count = 20000;
  for (uint32_t k = 0; k < count; k++) {
    fileTable.entries[k].size = 77;
    fileTable.entries[k].groupId = static_cast<int32_t>(k);
  }
  fileTable.count = count;
  RunOnSmallStack();
  for (uint32_t k = 0; k < count; k++) ASSERT_EQ(fileTable.entries[k].groupId, static_cast<int32_t>(k));

  for (uint32_t k = 0; k < count; k++) fileTable.entries[k].size = k;
  RunOnSmallStack();
  for (uint32_t k = 0; k < count; k++) ASSERT_EQ(fileTable.entries[k].size, k);
}
