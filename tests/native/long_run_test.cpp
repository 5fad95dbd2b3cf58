// Long runs of one size split by content before the pairwise pass: the split
// itself, and the whole pass run both ways over many generated trees (with
// refused opens and failed or short reads), which must agree in everything
// the pass leaves behind or shows.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/group.h"
#include "engine/hooks.h"
#include "engine/listing.h"
#include "engine/run_split.h"
#include "engine/settings.h"
#include "engine/sort.h"
#include "engine_fixture.h"
#include "fake_platform.h"

using enginetest::EngineTest;
using enginetest::Pattern;
using enginetest::shown;

namespace {

std::vector<std::string>* listedRows;

class LongRuns : public EngineTest {
 protected:
  void TearDown() override {
    longRunThreshold = 32;
    EngineTest::TearDown();
  }

  std::set<std::string> broken;  // paths whose reads fail from some offset on

  // Runs the pass over a copy of `table` with the given threshold; returns
  // everything it leaves behind or shows, one text per item.
  std::vector<std::string> RunPass(const std::vector<FileEntry>& table, uint32_t threshold, int64_t clockBase) {
    std::copy(table.begin(), table.end(), fileTable.entries);
    fileTable.count = static_cast<uint32_t>(table.size());
    searchState = SearchState{};
    searchState.running = 1;
    searchState.startTime = clockBase;
    shown = enginetest::Shown{};
    int64_t second = clockBase;
    fake::UseClock([&second] { return ++second; });
    longRunThreshold = threshold;
    FindDuplicates();
    std::vector<std::string> outcome;
    for (uint32_t k = 0; k < fileTable.count; k++) {
      // Which pass settles a file whose read fails depends on how far each reads it.
      int done = broken.count(Entry(k).path) ? -1 : Entry(k).done;
      outcome.push_back(std::to_string(Entry(k).groupId) + " done " + std::to_string(done));
    }
    uint32_t bytesBits;  // the float's exact bits
    memcpy(&bytesBits, &searchState.duplicateBytes, sizeof bytesBits);
    outcome.push_back(std::to_string(searchState.duplicateCount) + " " + std::to_string(bytesBits));
    listedRows = &outcome;
    ListDuplicateGroups([](int32_t itemData, const char* text) { listedRows->push_back(std::to_string(itemData) + text); });
    for (const enginetest::Message& message : shown.messages) outcome.push_back(message.text + "/" + message.caption);
    for (const enginetest::FieldWrite& write : shown.fields) outcome.push_back(std::to_string(write.field) + ":" + write.text);
    outcome.push_back("pumps " + std::to_string(shown.pumps));
    EXPECT_EQ(fake::OpenHandles(), 0);
    return outcome;
  }

  // A random tree: runs of one size whose files are copies of a few variants
  // of one content, differing early, in the middle or only at the end; some
  // files cannot be opened, some are second paths to the same file, names
  // repeat in different letter case.
  void MakeTree(std::mt19937& random) {
    static const uint64_t sizes[] = {0, 1, 700, 2048, 5000, 40000, 140000, 300000};
    static const char* names[] = {"a.bin", "A.BIN", "b.bin", "\xE4.bin", "\xC4.bin"};
    int runs = 1 + static_cast<int>(random() % 3);
    int file = 0;
    for (int run = 0; run < runs; run++) {
      size_t size = sizes[random() % 8];
      std::vector<std::string> variants = {Pattern(size, static_cast<uint32_t>(random()))};
      int variantCount = static_cast<int>(random() % 6);
      for (int v = 0; v < variantCount && size > 0; v++) {
        std::string variant = variants[random() % variants.size()];
        size_t places[] = {random() % size, size - 1, random() % std::min<size_t>(size, 3000),
                           size / 2 + random() % (size / 2 + 1)};
        size_t at = std::min(places[random() % 4], size - 1);
        variant[at] = static_cast<char>(variant[at] ^ (1 + random() % 255));
        variants.push_back(variant);
      }
      int length = 2 + static_cast<int>(random() % 30);
      std::vector<std::string> paths;
      for (int k = 0; k < length; k++, file++) {
        std::string name = "d" + std::to_string(file) + "/" + names[random() % 5];
        if (!paths.empty() && random() % 20 == 0) {
          std::string path = temp.At(name);
          temp.MakeFolder("d" + std::to_string(file));
          EXPECT_EQ(link(paths[random() % paths.size()].c_str(), path.c_str()), 0);
          AddPath(path);
          paths.push_back(path);
          continue;
        }
        uint32_t index = AddFile(name, variants[random() % variants.size()]);
        if (random() % 20 == 0) fake::RefuseOpen(Entry(index).path);
        // Reads break by path, so no second path leads to a broken file.
        if (size > 0 && random() % 15 == 0) {
          fake::BreakReads(Entry(index).path, random() % size, static_cast<fake::ReadFault>(random() % 3));
          broken.insert(Entry(index).path);
        } else {
          paths.push_back(Entry(index).path);
        }
      }
    }
    SortBySize(0, static_cast<int32_t>(fileTable.count) - 1);
  }
};

}  // namespace

TEST_F(LongRuns, OnlyFilesWhoseBlocksAllAgreeShareAPart) {
  const size_t size = 200000;
  std::string base = Pattern(size, 1);
  std::vector<std::string> contents = {base, base, base, base};
  contents[1][5] ^= 1;           // in the first block
  contents[2][size - 1] ^= 1;    // in the last block
  for (size_t k = 0; k < contents.size(); k++) AddFile("f" + std::to_string(k), contents[k]);
  AddFile("f4", base);
  AddFile("f5", Pattern(size, 2));
  // Files that cannot be read whole belong to no part, however far they agree.
  for (const char* name : {"f6", "f7", "f8"}) AddFile(name, base);
  fake::RefuseOpen(Entry(5).path);
  fake::BreakReads(Entry(6).path, 100000, fake::ReadFault::Short);
  fake::BreakReads(Entry(7).path, size - 1, fake::ReadFault::ZeroBytes);
  fake::BreakReads(Entry(8).path, 5000, fake::ReadFault::Error);
  int32_t parts[9];
  ASSERT_TRUE(SplitRunByContent(0, 9, parts));
  EXPECT_EQ(parts[0], parts[3]);
  EXPECT_EQ(parts[0], parts[4]);
  EXPECT_NE(parts[0], parts[1]);
  EXPECT_NE(parts[0], parts[2]);
  EXPECT_NE(parts[1], parts[2]);
  for (int k : {5, 6, 7, 8}) EXPECT_EQ(parts[k], UnknownPart) << k;
  // The pass then compares those with every file and settles them ungrouped.
  longRunThreshold = 2;
  FindDuplicates();
  for (int k : {5, 6, 7, 8}) EXPECT_EQ(Entry(k).done, 1) << k;
  for (int k : {0, 3, 4}) EXPECT_EQ(Entry(k).groupId, 1) << k;
  for (int k : {1, 2, 5, 6, 7, 8}) EXPECT_EQ(Entry(k).groupId, 0) << k;
  // Every file was read through a handle of its own and closed again.
  EXPECT_EQ(fake::OpenHandles(), 0);
  EXPECT_EQ(fake::TotalOpens(), fake::TotalCloses());
}

TEST_F(LongRuns, SplittingGivesExactlyWhatThePairwisePassGives) {
  std::mt19937 random(20240611);
  int64_t clockBase = 5000000;
  for (int tree = 0; tree < 120; tree++) {
    SCOPED_TRACE("tree " + std::to_string(tree));
    fileTable.count = 0;
    fake::Install();
    broken.clear();
    MakeTree(random);
    settings.sameName = static_cast<int32_t>(random() % 2);
    std::vector<FileEntry> table(fileTable.entries, fileTable.entries + fileTable.count);
    std::vector<std::string> pairwise = RunPass(table, 0, clockBase);
    EXPECT_EQ(RunPass(table, 2, clockBase + 100000), pairwise);
    clockBase += 200000;
    ReleaseAll();
    for (uint32_t k = 0; k < fileTable.count; k++) unlink(Entry(k).path);
  }
}
