// The console front end's command line and its text conversion.
#include <gtest/gtest.h>

#include "cli/arguments.h"
#include "cli/text.h"

namespace {

// The longest folder and filter whose listing pattern ("a/" + filter, folder + "/*.*")
// still fits, and a text one longer than any buffer holds.
const std::string longestFolder(MaxPath - 5, 'x'), longestFilter(MaxPath - 3, 'x'), tooLong(MaxPath, 'x'),
    folderOverBy1 = longestFolder + 'x', filterOverBy1 = longestFilter + 'x';

// Arguments, then what they give: refused (with the argument to blame, or
// null), or the folders, filter, minimum size, name rule and help.
struct Case {
  std::vector<const char*> args;
  bool ok;
  std::vector<std::string> folders;
  const char* filter = "*.*";
  uint32_t minSize = 0;
  bool sameName = false, help = false;
  const char* blamed = nullptr;
};

TEST(CliArguments, ParsesOptionsFoldersAndRefusalsLikeTheTable) {
  const Case cases[] = {
      {{"photos"}, true, {"photos"}},
      {{"--filter", "*.jpg", "a", "--min-size", "4096", "--same-name", "b"}, true, {"a", "b"}, "*.jpg", 4096, true},
      {{"--filter=*.mp3", "--min-size=0", "c"}, true, {"c"}, "*.mp3"},
      {{"--min-size", "4294967295", "a"}, true, {"a"}, "*.*", 4294967295u},
      {{"--", "--same-name", "-h", "--help"}, true, {"--same-name", "-h", "--help"}},
      {{"--help"}, true, {}, "*.*", 0, false, true},
      {{"--min-size", "lots", "-h"}, true, {}, "*.*", 0, false, true},
      {{longestFolder.c_str()}, true, {longestFolder}},
      {{folderOverBy1.c_str()}, false, {}},
      {{"--filter", longestFilter.c_str(), "a"}, true, {"a"}, longestFilter.c_str()},
      {{"--filter", filterOverBy1.c_str(), "a"}, false, {}},
      {{tooLong.c_str()}, false, {}, "", 0, false, false, tooLong.c_str()},
      {{"--filter", tooLong.c_str(), "a"}, false, {}},
      {{"--recursive", "a"}, false, {}, "", 0, false, false, "--recursive"},
      {{"--same-name"}, false, {}},
      {{"a", "--filter"}, false, {}},
      {{"a", "--min-size"}, false, {}},
      {{"--filter=", "a"}, false, {}},
      {{"--filter", "sub/*.txt", "a"}, false, {}},
      {{"--filter", "sub\\*.txt", "a"}, false, {}},
      {{""}, false, {}},
  };
  CliOptions options;
  CliError error;
  for (const Case& c : cases) {
    std::vector<const char*> args = c.args;
    args.insert(args.begin(), "parvik-cli");
    bool ok = ParseCliArguments(static_cast<int>(args.size()), args.data(), &options, &error);
    std::string line = c.args.empty() ? "" : std::string(c.args[0]).substr(0, 20);
    ASSERT_EQ(ok, c.ok) << line;
    if (!ok) {
      EXPECT_NE(error.message, nullptr);
      EXPECT_STREQ(error.argument, c.blamed ? c.blamed : error.argument) << line;
      continue;
    }
    // Every parse starts from the defaults.
    EXPECT_EQ(options.folders, c.folders) << line;
    EXPECT_STREQ(options.filter, c.filter) << line;
    EXPECT_EQ(options.minSize, c.minSize) << line;
    EXPECT_EQ(options.sameName, c.sameName) << line;
    EXPECT_EQ(options.help, c.help) << line;
  }
  for (const char* bad : {"4294967296", "99999999999999999999", "-1", "+5", "10k", "1.5", "", " 7"}) {
    const char* args[] = {"parvik-cli", "--min-size", bad, "a"};
    EXPECT_FALSE(ParseCliArguments(4, args, &options, &error)) << bad;
    EXPECT_STREQ(error.argument, bad);
  }
}

TEST(CliArguments, TrailingSeparatorsAreDroppedSoRowsDoNotDoubleThem) {
  for (auto [given, trimmed] : {std::pair{"photos/2024//", "photos/2024"}, {"photos", "photos"}, {"/", ""}}) {
    char folder[MaxPath];
    snprintf(folder, sizeof folder, "%s", given);
    TrimTrailingSeparators(folder);
    EXPECT_STREQ(folder, trimmed);
  }
}

TEST(CliText, ProgramTextsReachTheTerminalAsUtf8) {
  const std::pair<const char*, const char*> cases[] = {
      // The literal is Windows-1252 in the program: the umlaut is the byte 0xE4.
      {"-- Länge:300 Byte --", "-- L\xC3\xA4nge:300 Byte --"},
      {"plain ASCII, 0-9", "plain ASCII, 0-9"},
      {"\x80\x85\x96\x9F", "\xE2\x82\xAC\xE2\x80\xA6\xE2\x80\x93\xC5\xB8"},
      {"\xA0\xDF\xFF", "\xC2\xA0\xC3\x9F\xC3\xBF"},
      // Bytes the code page leaves unassigned must not pass as broken UTF-8.
      {"\x81\x8D\x8F", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}};
  for (const auto& [text, utf8] : cases) {
    std::string out;
    AppendCp1252AsUtf8(&out, text);
    EXPECT_EQ(out, utf8);
  }
}

}  // namespace
