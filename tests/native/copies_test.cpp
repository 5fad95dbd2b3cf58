#include <fcntl.h>
#include <sys/stat.h>

#include "engine/compare.h"
#include "engine/group.h"
#include "engine_fixture.h"
#include "platform/posix_held_files.h"

using enginetest::Pattern;

namespace {

using Copies = enginetest::EngineTest;

std::string touched;
bool (*readOn)(FileHandle, uint64_t, void*, uint32_t, uint32_t*);

// Kinds that differ in the last byte; 16 slots of 64-byte blocks, 8 descriptors.
TEST_F(Copies, EachByteIsReadOnceWhateverTheNumberOfCopiesAndATouchedFileIsLeftOut) {
  compareLimits = {8, 64, 1024};
  heldDescriptorCap = 8;
  for (auto [count, kinds] : {std::pair{12, 1}, {33, 2}, {1000, 15}}) {
    Restart();
    for (int k = 0; k < count; k++) AddFile(std::to_string(count) + "/" + std::to_string(k), Pattern(299, 1) + char(k % kinds));
    touched = count == 12 ? Entry(3).path : "";
    readOn = platform.readAt;
    platform.readAt = [](FileHandle file, uint64_t at, void* dest, uint32_t n, uint32_t* count) {
      const timespec times[2] = {{0, UTIME_OMIT}, {1000000, 0}};
      if (at > 0 && !touched.empty()) utimensat(AT_FDCWD, touched.c_str(), times, 0), touched.clear();
      return readOn(file, at, dest, n, count);
    };
    FindDuplicates();
    std::string wrong;
    for (int k = 0; k < count; k++)
      if (count == 12 && k == 3 ? Entry(k).groupId != 0 : fake::BytesRead(Entry(k).path) != 300 || Entry(k).groupId != k % kinds + 1)
        wrong += Entry(k).path + std::string(" ");
    EXPECT_EQ(wrong, "");
    EXPECT_EQ(searchState.skippedFiles, count == 12 ? 1u : 0u);
  }
  heldDescriptorCap = 0;
}

}  // namespace
