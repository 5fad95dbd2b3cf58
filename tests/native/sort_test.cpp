// The size sort: its exact arrangement of equal sizes decides which file
// heads a group, so worked examples are checked record by record.
#include "engine/sort.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include "engine/text.h"
#include "engine_fixture.h"

namespace {

using SizeSort = enginetest::TableTest;

void* SortTable(void*) {
  SortBySize(0, static_cast<int32_t>(fileTable.count) - 1);
  return nullptr;
}

// Sizes in table order (records named A, B, C, ...) and the names after sorting.
TEST_F(SizeSort, ArrangesRecordsAsThePartitionSchemeGives) {
  const std::pair<std::vector<uint64_t>, std::string> cases[] = {
      {{2, 1, 2, 3, 1, 2}, "EBCAFD"}, {{4, 4, 4, 4}, "ABCD"}, {{7, 3, 7, 3, 5}, "DBEAC"},
      {{4294967296ULL, 4294967295ULL, 1, 8589934593ULL}, "CBAD"}, {{}, ""}, {{9}, "A"}};
  for (const auto& c : cases) {
    for (size_t k = 0; k < c.first.size(); k++) {
      CopyText(fileTable.entries[k].path, MaxPath, std::string(1, static_cast<char>('A' + k)).c_str());
      fileTable.entries[k].size = c.first[k];
    }
    fileTable.count = static_cast<uint32_t>(c.first.size());
    SortTable(nullptr);
    std::string order;
    for (uint32_t k = 0; k < fileTable.count; k++) order += fileTable.entries[k].path;
    EXPECT_EQ(order, c.second);
  }
}

// On a thread whose stack a recursion one level per record would overflow.
TEST_F(SizeSort, LongRunsOfEqualOrAscendingSizesNeedOnlyAShallowStack) {
  const uint32_t count = 20000;
  fileTable.count = count;
  for (int ascending = 0; ascending < 2; ascending++) {
    for (uint32_t k = 0; k < count; k++) {
      fileTable.entries[k].size = ascending ? k : 77;
      fileTable.entries[k].groupId = static_cast<int32_t>(k);
    }
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, SortTable, nullptr), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    for (uint32_t k = 0; k < count; k++) ASSERT_EQ(fileTable.entries[k].groupId, static_cast<int32_t>(k));
  }
}

}  // namespace
