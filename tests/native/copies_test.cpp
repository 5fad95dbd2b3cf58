// Many copies of one size, and copies under "no ID3" whatever their names.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "engine/compare.h"
#include "engine/group.h"
#include "engine/id3_tags.h"
#include "engine/settings.h"
#include "engine_fixture.h"
#include "platform/posix_held_files.h"

using enginetest::MpegFrames;
using enginetest::Pattern;

namespace {

using Copies = enginetest::EngineTest;

// Files of 300 bytes in kinds that differ in their last byte; 16 slots of
// 64-byte blocks a turn, 8 descriptors.
TEST_F(Copies, EachByteIsReadOnceWhateverTheNumberOfCopies) {
  compareLimits = {8, 64, 1024};
  heldDescriptorCap = 8;
  for (auto [count, kinds] : {std::pair{2, 1}, {33, 1}, {33, 2}, {1000, 1}, {1000, 15}}) {
    SCOPED_TRACE(std::to_string(count) + " files, " + std::to_string(kinds) + " kinds");
    Restart();
    for (int k = 0; k < count; k++) AddFile(std::to_string(count) + "/" + std::to_string(k), Pattern(299, 1) + char(k % kinds));
    FindDuplicates();
    std::string wrong;
    for (int k = 0; k < count; k++)
      if (fake::BytesRead(Entry(k).path) != 300 || Entry(k).groupId != k % kinds + 1) wrong += std::to_string(k) + " ";
    EXPECT_EQ(wrong, "");
    EXPECT_EQ(searchState.skippedFiles, 0u);
  }
  heldDescriptorCap = 0;
}

// With two descriptors, the fourth of six copies is touched once the first
// turn is over: it is no longer the file that was read.
std::string touched;
bool (*readOn)(FileHandle, uint64_t, void*, uint32_t, uint32_t*);

TEST_F(Copies, AFileChangedBetweenTwoOfItsReadsIsLeftOutAndCounted) {
  compareLimits = {8, 64, 1024};
  heldDescriptorCap = 2;
  for (int k = 0; k < 6; k++) AddFile(std::to_string(k), Pattern(300, 1));
  touched = Entry(3).path;
  readOn = platform.readAt;
  platform.readAt = [](FileHandle file, uint64_t at, void* dest, uint32_t n, uint32_t* count) {
    const timespec times[2] = {{0, UTIME_OMIT}, {1000000, 0}};
    if (at > 0 && !touched.empty()) utimensat(AT_FDCWD, touched.c_str(), times, 0), touched.clear();
    return readOn(file, at, dest, n, count);
  };
  FindDuplicates();
  EXPECT_EQ(Groups(), (std::vector<int32_t>{1, 1, 1, 0, 1, 1}));
  EXPECT_EQ(searchState.skippedFiles, 1u);
  heldDescriptorCap = 0;
}

using NoId3Copies = enginetest::EngineTest;

TEST_F(NoId3Copies, RenamedCopiesAreTheAudioTheyAreAndDocumentsEndingInTagAreNot) {
  const std::string audio = MpegFrames(Pattern(5000, 1)), tag = "TAG" + Pattern(125, 2);
  const std::pair<const char*, std::string> files[] = {
      {"song.mp3", audio + tag}, {"kopie.mp3", audio + tag}, {"song.mp3.bak", audio + tag}, {"lied", audio + "TAG" + Pattern(125, 3)},
      {"other.mp3", MpegFrames(Pattern(5000, 4)) + tag}, {"a.txt", Pattern(5000, 5) + tag}, {"b.txt", Pattern(5000, 5) + "TAG" + Pattern(125, 6)}};
  for (const auto& [name, bytes] : files) temp.Write(name, bytes);
  settings.id3Tag = 1;
  EXPECT_EQ(SearchGroups(), (std::vector<std::string>{"song.mp3.bak song.mp3 kopie.mp3 lied |5000"}));
  settings.id3Tag = 0;
  EXPECT_EQ(SearchGroups(), (std::vector<std::string>{"kopie.mp3 song.mp3 song.mp3.bak |5128"}));
}

// Audio by its content: two frame headers 96 bytes apart, not one, not of
// two sampling rates, not with a bitrate that does not exist.
TEST(MpegAudio, IsKnownByTwoFrameHeadersAFrameApart) {
  const std::string frames = MpegFrames(Pattern(200, 1));
  const std::pair<std::string, bool> cases[] = {{frames, true}, {frames.substr(0, 99), false},
      {std::string(frames).replace(98, 1, "\x18"), false}, {std::string(frames).replace(2, 1, "\xF4").replace(98, 1, "\xF4"), false}};
  for (int c = 0; c < 4; c++) {
    auto fromMemory = [](void* file, uint64_t at, uint8_t* dest, uint32_t n) {
      const std::string& bytes = *static_cast<const std::string*>(file);
      return at + n <= bytes.size() && (memcpy(dest, bytes.data() + at, n), true);
    };
    EXPECT_EQ(IsMpegAudio(cases[c].first.size(), fromMemory, const_cast<std::string*>(&cases[c].first)), cases[c].second) << "case " << c;
  }
}

}  // namespace
