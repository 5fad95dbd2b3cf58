// The command lines of both front ends, the console's text conversion and the
// input histories.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "cli/arguments.h"
#include "cli/text.h"
#include "engine/settings.h"
#include "engine/text.h"
#include "ui/history_list.h"

namespace {

// The longest folder and filter whose listing pattern ("a/" + filter, folder + "/*.*") still fits.
const std::string longestFolder(MaxPath - 5, 'x'), longestFilter(MaxPath - 3, 'x'),
    folderOverBy1 = longestFolder + 'x', filterOverBy1 = longestFilter + 'x';

TEST(CliArguments, ParsesOptionsFoldersAndRefusalsLikeTheTable) {
  const struct {
    std::vector<const char*> args;
    bool ok;
    std::vector<std::string> folders;
    const char* filter = "*.*";
    uint32_t minSize = 0;
    bool sameName = false, help = false;
  } cases[] = {
      {{"photos"}, true, {"photos"}},
      {{"--filter", "*.jpg", "a", "--min-size", "4096", "--same-name", "b"}, true, {"a", "b"}, "*.jpg", 4096, true},
      {{"--filter=*.mp3", "--min-size=4294967295", "c"}, true, {"c"}, "*.mp3", 4294967295u},
      {{"--", "--same-name", "-h"}, true, {"--same-name", "-h"}},
      {{"--min-size", "lots", "-h"}, true, {}, "*.*", 0, false, true},
      {{longestFolder.c_str()}, true, {longestFolder}},
      {{"--filter", longestFilter.c_str(), "a"}, true, {"a"}, longestFilter.c_str()},
      {{folderOverBy1.c_str()}, false, {}}, {{"--filter", filterOverBy1.c_str(), "a"}, false, {}},
      {{"--recursive", "a"}, false, {}}, {{"--same-name"}, false, {}}, {{"a", "--filter"}, false, {}},
      {{"--filter=", "a"}, false, {}}, {{"--filter", "sub/*.txt", "a"}, false, {}},
      {{"--filter", "sub\\*.txt", "a"}, false, {}}, {{""}, false, {}},
  };
  CliOptions options;
  CliError error;
  for (const auto& c : cases) {
    std::vector<const char*> args = c.args;
    args.insert(args.begin(), "parvik-cli");
    std::string line = std::string(args[1]).substr(0, 20);
    ASSERT_EQ(ParseCliArguments(static_cast<int>(args.size()), args.data(), &options, &error), c.ok) << line;
    if (!c.ok) continue;
    EXPECT_EQ(options.folders, c.folders) << line;
    EXPECT_STREQ(options.filter, c.filter) << line;
    EXPECT_EQ(options.minSize, c.minSize) << line;
    EXPECT_EQ(options.sameName, c.sameName) << line;
    EXPECT_EQ(options.help, c.help) << line;
  }
  for (const char* bad : {"4294967296", "99999999999999999999", "-1", "+5", "10k", ""}) {
    const char* args[] = {"parvik-cli", "--min-size", bad, "a"};
    EXPECT_FALSE(ParseCliArguments(4, args, &options, &error)) << bad;
    EXPECT_STREQ(error.argument, bad);
  }
  char folder[MaxPath] = "photos/2024//";
  TrimTrailingSeparators(folder);
  EXPECT_STREQ(folder, "photos/2024");
}

TEST(CliText, RowsReachTheTerminalAsUtf8WithControlBytesEscaped) {
  const std::pair<const char*, const char*> cases[] = {
      {"-- L\xE4nge:300 Byte --", "-- L\xC3\xA4nge:300 Byte --"},
      {"\x80\x85\x96\x9F", "\xE2\x82\xAC\xE2\x80\xA6\xE2\x80\x93\xC5\xB8"}, {"\xA0\xDF\xFF", "\xC2\xA0\xC3\x9F\xC3\xBF"},
      {"\x81\x8D\x8F", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}};  // unassigned bytes
  for (const auto& [text, utf8] : cases) {
    std::string out;
    AppendCp1252AsUtf8(&out, text);
    EXPECT_EQ(out, utf8);
  }
  const char* rows[][2] = {{"a\nfile:/etc/passwd", "a%0Afile:/etc/passwd"}, {"50%", "50%25"},
                           {"\t\r\x1F\x7F", "%09%0D%1F%7F"}, {"\xFC~ ", "\xFC~ "}};
  char out[64];
  for (const auto& row : rows) {
    EXPECT_EQ(EscapeControlBytes(row[0], out, sizeof out), strlen(row[0]));
    EXPECT_STREQ(out, row[1]);
  }
  EXPECT_EQ(EscapeControlBytes("a\n\n", out, 5), 2u);  // room for one escape, not two
  EXPECT_STREQ(out, "a%0A");
}

// The Windows program's /dir and /filter, applied to "c:\" and "*.*".
TEST(CommandLine, TakesTheQuotedValueAfterOneCharacterOfTheFirstSwitchOfEachName) {
  std::string longValue(300, 'v');
  const struct { std::string commandLine, path, filter; } cases[] = {
      {"/dir \"D:\\Music\" /filter \"*.mp3\"", "D:\\Music", "*.mp3"}, {"/filter \"*.mp3\" /dir=\"D:\\M\"", "D:\\M", "*.mp3"},
      {"/dir  \"D:\\M\"", "c:\\", "*.*"}, {"/dir\"D:\\M\"", "c:\\", "*.*"}, {"/DIR \"D:\\M\"", "c:\\", "*.*"},
      {"/dir \"A\" /dir \"B\"", "A", "*.*"}, {"/dir  \"A\" /dir \"B\"", "c:\\", "*.*"},
      {"/dir \"D:\\Music and more", "D:\\Music and more", "*.*"}, {"/dir \"\"", "", "*.*"},
      {"/dir \"" + longValue + "\"", longValue.substr(0, 258), "*.*"}, {"/filter \"" + longValue, "c:\\", longValue.substr(0, 258)},
      {"/dir", "c:\\", "*.*"}, {"/dir ", "c:\\", "*.*"}, {"x /filter", "c:\\", "*.*"},
  };
  for (const auto& c : cases) {
    CopyText(settings.currentPath, MaxPath, "c:\\");
    CopyText(settings.currentFilter, MaxPath, "*.*");
    ApplyCommandLine(c.commandLine.c_str());
    EXPECT_EQ(std::string(settings.currentPath), c.path) << c.commandLine;
    EXPECT_EQ(std::string(settings.currentFilter), c.filter) << c.commandLine;
  }
}

TEST(HistoryList, MatchesOnlyAsciiLettersRegardlessOfCaseAndPushesNewValuesOnTop) {
  History history = {};
  const char* entries[] = {"d:\\Music", "", "D:\\MUSIC", "c:\\\xE4rger", "10", "9", "8", "7", "6", "oldest"};
  for (int n = 0; n < HistorySize; n++) CopyText(history[n], MaxPath, entries[n]);
  const struct { const char* value; int highest, lowest; } cases[] = {
      {"d:\\music", 2, 0}, {"c:\\\xC4rger", -1, -1}, {"", 1, 1}, {"oldest", 9, 9}, {"d:\\musi", -1, -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(FindInHistory(history, c.value, false), c.highest) << c.value;
    EXPECT_EQ(FindInHistory(history, c.value, true), c.lowest) << c.value;
  }
  PushOntoHistory(history, "new");
  EXPECT_EQ(std::string(history[0]) + history[1] + history[9], "newd:\\Music6");
}

}  // namespace
