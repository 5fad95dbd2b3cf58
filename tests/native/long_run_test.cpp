// Long runs of one size split by content before the pairwise pass: the split
// itself, and the whole pass run both ways over many generated trees, which
// must agree in everything the pass leaves behind or shows.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <random>
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

std::vector<std::string> listedRows;
void ListRow(int32_t itemData, const char* text) {
  listedRows.push_back(std::to_string(itemData) + ":" + text);
}

// Everything a pass leaves behind or shows.
struct PassOutcome {
  std::vector<int32_t> groupIds;
  std::vector<int> done;
  uint32_t duplicateCount = 0;
  uint32_t duplicateBytesBits = 0;  // the float's exact bits
  std::vector<std::string> rows;
  std::vector<std::string> shownTexts;
  int pumps = 0;
};

class LongRuns : public EngineTest {
 protected:
  void TearDown() override {
    longRunThreshold = 32;
    EngineTest::TearDown();
  }

  // Runs the pass over a copy of `table` with the given threshold.
  PassOutcome RunPass(const std::vector<FileEntry>& table, uint32_t threshold, int64_t clockBase) {
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

    PassOutcome outcome;
    for (uint32_t k = 0; k < fileTable.count; k++) {
      outcome.groupIds.push_back(Entry(k).groupId);
      outcome.done.push_back(Entry(k).done);
    }
    outcome.duplicateCount = searchState.duplicateCount;
    memcpy(&outcome.duplicateBytesBits, &searchState.duplicateBytes, sizeof(float));
    listedRows.clear();
    ListDuplicateGroups(ListRow);
    outcome.rows = listedRows;
    for (const enginetest::Message& message : shown.messages)
      outcome.shownTexts.push_back("message:" + message.text + "/" + message.caption);
    for (const enginetest::FieldWrite& write : shown.fields)
      outcome.shownTexts.push_back(std::to_string(write.field) + ":" + write.text);
    outcome.pumps = shown.pumps;
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
        paths.push_back(Entry(index).path);
        if (random() % 20 == 0) fake::RefuseOpen(Entry(index).path);
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
  fake::RefuseOpen(Entry(5).path);
  int32_t parts[6];
  ASSERT_TRUE(SplitRunByContent(0, 6, parts));
  EXPECT_EQ(parts[0], parts[3]);
  EXPECT_EQ(parts[0], parts[4]);
  EXPECT_NE(parts[0], parts[1]);
  EXPECT_NE(parts[0], parts[2]);
  EXPECT_NE(parts[1], parts[2]);
  EXPECT_EQ(parts[5], UnknownPart);
  // Every file was opened once, over all rounds, and stays open for the pass.
  EXPECT_EQ(fake::TotalOpens(), 5);
  EXPECT_EQ(fake::OpenHandles(), 5);
}

TEST_F(LongRuns, SplittingGivesExactlyWhatThePairwisePassGives) {
  std::mt19937 random(20240611);
  int64_t clockBase = 5000000;
  for (int tree = 0; tree < 120; tree++) {
    SCOPED_TRACE("tree " + std::to_string(tree));
    fileTable.count = 0;
    fake::Install();
    MakeTree(random);
    settings.sameName = static_cast<int32_t>(random() % 2);
    std::vector<FileEntry> table(fileTable.entries, fileTable.entries + fileTable.count);
    PassOutcome pairwise = RunPass(table, 0, clockBase);
    PassOutcome split = RunPass(table, 2, clockBase + 100000);
    clockBase += 200000;
    EXPECT_EQ(split.groupIds, pairwise.groupIds);
    EXPECT_EQ(split.done, pairwise.done);
    EXPECT_EQ(split.duplicateCount, pairwise.duplicateCount);
    EXPECT_EQ(split.duplicateBytesBits, pairwise.duplicateBytesBits);
    EXPECT_EQ(split.rows, pairwise.rows);
    EXPECT_EQ(split.pumps, pairwise.pumps);
    EXPECT_EQ(split.shownTexts, pairwise.shownTexts);
    ReleaseAll();
    for (uint32_t k = 0; k < fileTable.count; k++) unlink(Entry(k).path);
  }
}
