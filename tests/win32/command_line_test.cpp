#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"
#include "engine/settings.h"
#include "engine/text.h"

namespace {

struct Switches {
  std::string path;
  std::string filter;
};

Switches Apply(const std::string& commandLine) {
  CopyText(settings.currentPath, MaxPath, "c:\\");
  CopyText(settings.currentFilter, MaxPath, "*.*");
  ApplyCommandLine(commandLine.c_str());
  return Switches{settings.currentPath, settings.currentFilter};
}

}  // namespace

TEST(CommandLine, DirAndFilterInEitherOrder) {
  Switches both = Apply("/dir \"D:\\Music\" /filter \"*.mp3\"");
  EXPECT_EQ(both.path, "D:\\Music");
  EXPECT_EQ(both.filter, "*.mp3");
  Switches reversed = Apply("/filter \"*.mp3\" /dir \"D:\\Music\"");
  EXPECT_EQ(reversed.path, "D:\\Music");
  EXPECT_EQ(reversed.filter, "*.mp3");
}

TEST(CommandLine, AnyOneCharacterMayStandBeforeTheQuote) {
  EXPECT_EQ(Apply("/dir=\"D:\\Music\"").path, "D:\\Music");
  EXPECT_EQ(Apply("/dir  \"D:\\Music\"").path, "c:\\");
  EXPECT_EQ(Apply("/dir\"D:\\Music\"").path, "c:\\");
}

TEST(CommandLine, SwitchesAreCaseSensitiveAndOnlyTheFirstCounts) {
  EXPECT_EQ(Apply("/DIR \"D:\\Music\"").path, "c:\\");
  EXPECT_EQ(Apply("/dir \"A\" /dir \"B\"").path, "A");
  // The first "/dir" decides even when it is malformed.
  EXPECT_EQ(Apply("/dir  \"A\" /dir \"B\"").path, "c:\\");
}

TEST(CommandLine, MissingClosingQuoteTakesTheRest) {
  EXPECT_EQ(Apply("/dir \"D:\\Music and more").path, "D:\\Music and more");
  EXPECT_EQ(Apply("/dir \"").path, "");
}

TEST(CommandLine, EmptyQuotesGiveAnEmptyPath) { EXPECT_EQ(Apply("/dir \"\"").path, ""); }

TEST(CommandLine, LongValuesAreCutTo258Characters) {
  std::string value(300, 'v');
  EXPECT_EQ(Apply("/dir \"" + value + "\"").path, value.substr(0, 258));
  EXPECT_EQ(Apply("/filter \"" + value).filter, value.substr(0, 258));
}

TEST(CommandLine, ASwitchAtTheVeryEndReadsNothingBeyondIt) {
  EXPECT_EQ(Apply("/dir").path, "c:\\");
  EXPECT_EQ(Apply("/dir ").path, "c:\\");
  EXPECT_EQ(Apply("x /filter").filter, "*.*");
}
