#include "engine/compare.h"
#include "engine/group.h"
#include "engine_fixture.h"
#include "platform/posix_held_files.h"

using enginetest::Pattern;

namespace {

using Copies = enginetest::EngineTest;

// Kinds that differ in the last byte; 16 slots of 64-byte blocks, 8 descriptors.
TEST_F(Copies, EachByteIsReadOnceWhateverTheNumberOfCopies) {
  compareLimits = {8, 64, 1024};
  heldDescriptorCap = 8;
  for (auto [count, kinds] : {std::pair{2, 1}, {33, 2}, {1000, 15}}) {
    Restart();
    for (int k = 0; k < count; k++) AddFile(std::to_string(count) + "/" + std::to_string(k), Pattern(299, 1) + char(k % kinds));
    FindDuplicates();
    std::string wrong;
    for (int k = 0; k < count; k++)
      if (fake::BytesRead(Entry(k).path) != 300 || Entry(k).groupId != k % kinds + 1) wrong += Entry(k).path + std::string(" ");
    EXPECT_EQ(wrong, "");
  }
  heldDescriptorCap = 0;
}

}  // namespace
