// How far a run is, and the time left.
#include <gtest/gtest.h>

#include "engine/compare.h"
#include "engine/group.h"
#include "engine/hooks.h"
#include "engine/progress.h"
#include "engine/sort.h"
#include "engine_fixture.h"

namespace {

int64_t clock;
std::vector<Share> shown;
using ShareOfASearch = enginetest::EngineTest;

// A second per look at the clock; d and e differ at once.
TEST_F(ShareOfASearch, RisesNeverFallsAndTellsTimeLeftAfterFiveSeconds) {
  AddFile("d", enginetest::Pattern(5000, 2)), AddFile("e", enginetest::Pattern(5000, 3));
  for (const char* name : {"a", "b", "c"}) AddFile(name, enginetest::Pattern(10000, 1));
  platform.clockSeconds = [] { return ++clock; };
  shown.clear();
  engineHooks.showShare = [](int permille, int secondsLeft) { shown.push_back({permille, secondsLeft}); };
  compareLimits = {256, 256, 4096};
  SortBySize(0, static_cast<int32_t>(fileTable.count) - 1);
  FindDuplicates();
  compareLimits = defaultCompareLimits;
  ASSERT_GE(shown.size(), 40u);
  for (size_t k = 1; k < shown.size(); k++) EXPECT_LE(shown[k - 1].permille, shown[k].permille) << k;
  EXPECT_EQ(shown[0].permille + shown[3].secondsLeft, -1);
  EXPECT_TRUE(shown[20].permille > 100 && shown[20].permille < 900 && shown[20].secondsLeft > 0);
  EXPECT_EQ(ShareAt(clock).permille, 1000);
  EXPECT_STREQ(FormatTimeLeft(170).text, "noch etwa 3 min");
}

}  // namespace
