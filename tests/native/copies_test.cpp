// Many copies of one size: each byte read once past the turn's slots and the
// open-file bound, files changed between two reads left out, and copies found
// under "no ID3" whatever their names.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

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

// With two descriptors, the fourth of six copies changes once the first turn
// is over: its last write, or the file behind its path.
std::string changing;
int change;
bool (*readOn)(FileHandle, uint64_t, void*, uint32_t, uint32_t*);

TEST_F(Copies, AFileChangedBetweenTwoOfItsReadsIsLeftOutAndCounted) {
  compareLimits = {8, 64, 1024};
  heldDescriptorCap = 2;
  for (change = 0; change < 2; change++) {
    Restart();
    for (int k = 0; k < 6; k++) AddFile(std::to_string(change) + "/" + std::to_string(k), Pattern(300, 1));
    changing = Entry(3).path;
    readOn = platform.readAt;
    platform.readAt = [](FileHandle file, uint64_t at, void* dest, uint32_t n, uint32_t* count) {
      if (at > 0 && !changing.empty()) {
        const timespec times[2] = {{0, UTIME_OMIT}, {1000000, 0}};
        if (change == 0) utimensat(AT_FDCWD, changing.c_str(), times, 0);
        if (change == 1) std::ofstream(changing + "~") << Pattern(300, 1), rename((changing + "~").c_str(), changing.c_str());
        changing.clear();
      }
      return readOn(file, at, dest, n, count);
    };
    FindDuplicates();
    EXPECT_EQ(Groups(), (std::vector<int32_t>{1, 1, 1, 0, 1, 1})) << "change " << change;
    EXPECT_EQ(searchState.skippedFiles, 1u);
  }
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

// What counts as MPEG audio: an ID3v2 header, or two frame headers of one
// stream a frame apart (96 bytes at 32 kbit/s and 48 kHz).
TEST(MpegAudio, IsKnownByAnId3v2HeaderOrTwoFrameHeadersAFrameApart) {
  const std::string frames = MpegFrames(Pattern(200, 1));
  const struct { std::string bytes; bool audio; } cases[] = {
      {"ID3" + Pattern(20, 1), true}, {frames, true}, {frames.substr(0, 99), false}, {Pattern(200, 1).replace(0, 4, frames, 0, 4), false},
      {std::string(frames).replace(98, 1, "\x18"), false}, {std::string(frames).replace(2, 1, "\xF4").replace(98, 1, "\xF4"), false}};
  for (const auto& c : cases) {
    auto fromMemory = [](void* file, uint64_t at, uint8_t* dest, uint32_t n) {
      const std::string& bytes = *static_cast<const std::string*>(file);
      return at + n <= bytes.size() && (memcpy(dest, bytes.data() + at, n), true);
    };
    EXPECT_EQ(IsMpegAudio(c.bytes.size(), fromMemory, const_cast<std::string*>(&c.bytes)), c.audio) << &c - cases;
  }
}

}  // namespace
