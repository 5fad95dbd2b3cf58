// The path and filter histories as lists: which entry a value matches, and a
// new value pushed on top.
#include "ui/history_list.h"

#include <gtest/gtest.h>

#include "engine/text.h"

TEST(HistoryList, MatchesOnlyAsciiLettersRegardlessOfCaseAndPushesNewValuesOnTop) {
  History history = {};
  const char* entries[] = {"d:\\Music", "", "D:\\MUSIC", "c:\\\xE4rger", "10", "9", "8", "7", "6", "oldest"};
  for (int n = 0; n < HistorySize; n++) CopyText(history[n], MaxPath, entries[n]);
  const struct {
    const char* value;
    int highest, lowest;
  } cases[] = {{"d:\\music", 2, 0}, {"c:\\\xC4rger", -1, -1}, {"", 1, 1}, {"oldest", 9, 9}, {"d:\\musi", -1, -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(FindInHistory(history, c.value, false), c.highest) << c.value;
    EXPECT_EQ(FindInHistory(history, c.value, true), c.lowest) << c.value;
  }
  PushOntoHistory(history, "new");
  EXPECT_STREQ(history[0], "new");
  EXPECT_STREQ(history[1], "d:\\Music");
  EXPECT_STREQ(history[9], "6");
}
