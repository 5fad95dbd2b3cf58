// How far a run is: bytes compared against the bytes that at most remain, and
// the time left it gives.
#include <gtest/gtest.h>

#include "engine/compare.h"
#include "engine/group.h"
#include "engine/hooks.h"
#include "engine/progress.h"
#include "engine/sort.h"
#include "engine_fixture.h"

namespace {

int64_t clock;

TEST(Share, ReadAndSettledBytesGiveTheShareAndTheTimeLeftOnceFiveSecondsHavePassed) {
  platform.clockSeconds = [] { return clock; };
  clock = 100;
  StartShare(1000);
  const struct { const char* step; uint64_t read, settledRun; int64_t at; int permille, secondsLeft; } steps[] = {
      {"nothing read yet", 0, 0, 104, 0, -1},
      {"a tenth read, too early to tell", 100, 0, 104, 100, -1},
      {"a tenth read in ten seconds", 0, 0, 110, 100, 90},
      {"its run of 500 settled: 400 bytes are no longer to come", 0, 500, 110, 166, 50},
      {"a run that read more than its length", 600, 650, 120, 1000, 0}};
  for (const auto& s : steps) {
    CountComparedBytes(s.read);
    if (s.settledRun) SettleRun(s.settledRun);
    Share share = ShareAt(s.at);
    EXPECT_EQ(share.permille, s.permille) << s.step;
    EXPECT_EQ(share.secondsLeft, s.secondsLeft) << s.step;
  }
  platform = systemPlatform;
}

TEST(Share, TheTimeLeftReadsInMinutesAndHours) {
  const struct { int seconds; const char* text; } cases[] = {
      {-1, ""}, {0, "noch weniger als 1 min"}, {59, "noch weniger als 1 min"}, {89, "noch etwa 1 min"},
      {170, "noch etwa 3 min"}, {3569, "noch etwa 59 min"}, {3570, "noch etwa 1 h 0 min"}, {7500, "noch etwa 2 h 5 min"}};
  for (const auto& c : cases) EXPECT_STREQ(FormatTimeLeft(c.seconds).text, c.text) << c.seconds;
}

std::vector<int> shown;
using ShareOfASearch = enginetest::EngineTest;

// A second passes with every look at the clock, so every block read refreshes.
TEST_F(ShareOfASearch, RisesStepByStepFromZeroAndNeverGoesBack) {
  AddFile("d", enginetest::Pattern(5000, 2)), AddFile("e", enginetest::Pattern(5000, 3)), AddFile("f", "single");
  for (const char* name : {"a", "b", "c"}) AddFile(name, enginetest::Pattern(10000, 1));
  platform.clockSeconds = [] { return ++clock; };
  shown.clear();
  engineHooks.showShare = [](int permille, int) { shown.push_back(permille); };
  compareLimits = {256, 256, 4096};
  SortBySize(0, static_cast<int32_t>(fileTable.count) - 1);
  FindDuplicates();
  compareLimits = defaultCompareLimits;
  EXPECT_EQ(Groups(), (std::vector<int32_t>{0, 0, 0, 4, 4, 4}));
  ASSERT_GE(shown.size(), 40u);
  EXPECT_EQ(shown.front(), 0);
  for (size_t k = 1; k < shown.size(); k++) EXPECT_LE(shown[k - 1], shown[k]) << k;
  EXPECT_GT(shown[shown.size() / 2], 100);
  EXPECT_LT(shown[shown.size() / 2], 900);
  EXPECT_EQ(ShareAt(clock).permille, 1000);
}

}  // namespace
