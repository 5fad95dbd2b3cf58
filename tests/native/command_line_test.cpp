// The /dir and /filter switches of the command line, from "c:\" and "*.*".
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/settings.h"
#include "engine/text.h"

namespace {

struct Case {
  std::string commandLine;
  std::string path;  // as it stands after the switches were applied
  std::string filter;
};

TEST(CommandLine, TakesTheQuotedValueAfterOneCharacterOfTheFirstSwitchOfEachName) {
  std::string longValue(300, 'v');
  const Case cases[] = {
      {"/dir \"D:\\Music\" /filter \"*.mp3\"", "D:\\Music", "*.mp3"},
      {"/filter \"*.mp3\" /dir \"D:\\Music\"", "D:\\Music", "*.mp3"},
      // Any one character may stand before the quote, but only one.
      {"/dir=\"D:\\Music\"", "D:\\Music", "*.*"},
      {"/dir  \"D:\\Music\"", "c:\\", "*.*"},
      {"/dir\"D:\\Music\"", "c:\\", "*.*"},
      // Switches are case sensitive and only the first counts, even malformed.
      {"/DIR \"D:\\Music\"", "c:\\", "*.*"},
      {"/dir \"A\" /dir \"B\"", "A", "*.*"},
      {"/dir  \"A\" /dir \"B\"", "c:\\", "*.*"},
      // A missing closing quote takes the rest; empty quotes give an empty path.
      {"/dir \"D:\\Music and more", "D:\\Music and more", "*.*"},
      {"/dir \"", "", "*.*"},
      {"/dir \"\"", "", "*.*"},
      // Long values are cut to 258 characters.
      {"/dir \"" + longValue + "\"", longValue.substr(0, 258), "*.*"},
      {"/filter \"" + longValue, "c:\\", longValue.substr(0, 258)},
      // A switch at the very end reads nothing beyond it.
      {"/dir", "c:\\", "*.*"},
      {"/dir ", "c:\\", "*.*"},
      {"x /filter", "c:\\", "*.*"},
  };
  for (const Case& c : cases) {
    CopyText(settings.currentPath, MaxPath, "c:\\");
    CopyText(settings.currentFilter, MaxPath, "*.*");
    ApplyCommandLine(c.commandLine.c_str());
    EXPECT_EQ(std::string(settings.currentPath), c.path) << c.commandLine;
    EXPECT_EQ(std::string(settings.currentFilter), c.filter) << c.commandLine;
  }
}

}  // namespace
