#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "app/command_line.h"
#include "cli/arguments.h"
#include "cli/text.h"
#include "engine/settings.h"
#include "engine/text.h"

namespace {

TEST(CliArguments, ParsesOptionsFoldersAndRefusalsLikeTheTable) {
  const std::string folder(MaxPath - 5, 'd'), filter(MaxPath - 3, 'f');
  const std::pair<std::string, std::string> cases[] = {
      {"photos", "photos | *.* 0 0 0 0"}, {"--no-id3 a", "a | *.* 0 0 1 0"},
      {"--filter *.jpg a --min-size 4096 --same-name b", "a b | *.jpg 4096 1 0 0"},
      {"--filter=*.mp3 --min-size=4294967295 c", "c | *.mp3 4294967295 0 0 0"},
      {"-- --same-name -h", "--same-name -h | *.* 0 0 0 0"}, {"--min-size lots -h", "| *.* 0 0 0 1"},
      {folder, folder + " | *.* 0 0 0 0"}, {"--filter " + filter + " a", "a | " + filter + " 0 0 0 0"},
      {folder + "d", "refused"}, {"--filter " + filter + "f a", "refused"}, {"--recursive a", "refused"},
      {"a --filter", "refused"}, {"--filter= a", "refused"},
      {"--filter sub/*.txt a", "refused"}, {"--min-size 4294967296 a", "refused"},
      {"--min-size -1 a", "refused"},
  };
  CliOptions options;
  CliError error;
  for (const auto& [line, expected] : cases) {
    std::istringstream words(line);
    std::vector<std::string> given{std::istream_iterator<std::string>(words), {}};
    std::vector<const char*> args = {"parvik-cli"};
    for (const std::string& word : given) args.push_back(word.c_str());
    std::string got = "refused";
    if (ParseCliArguments(static_cast<int>(args.size()), args.data(), &options, &error)) {
      got.clear();
      for (const std::string& name : options.folders) got += name + " ";
      got += "| " + std::string(options.filter) + " " + std::to_string(options.minSize) + " " +
             std::to_string(options.sameName) + " " + std::to_string(options.noId3) + " " + std::to_string(options.help);
    }
    EXPECT_EQ(got, expected) << line.substr(0, 30);
  }
  const char* args[] = {"parvik-cli", "--min-size", "99999999999999999999", "a"};
  EXPECT_FALSE(ParseCliArguments(4, args, &options, &error));
  EXPECT_STREQ(error.argument, args[2]);
  char trailing[MaxPath] = "photos/2024//";
  TrimTrailingSeparators(trailing);
  EXPECT_STREQ(trailing, "photos/2024");
}

TEST(CliText, RowsReachTheTerminalAsUtf8WithControlBytesEscaped) {
  const std::pair<const char*, const char*> cases[] = {
      {"\x80\x85\x96\x9F", "\xE2\x82\xAC\xE2\x80\xA6\xE2\x80\x93\xC5\xB8"}, {"\xA0\xDF\xFF", "\xC2\xA0\xC3\x9F\xC3\xBF"},
      {"\x81\x8D\x8F", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}};
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
  EXPECT_EQ(EscapeControlBytes("a\n\n", out, 5), 2u);
  EXPECT_STREQ(out, "a%0A");
}

TEST(CommandLine, TakesTheQuotedValueAfterOneCharacterOfTheFirstSwitchOfEachName) {
  std::string longValue(300, 'v');
  const struct { std::string commandLine, path, filter; } cases[] = {
      {"/dir \"D:\\Music\" /filter \"*.mp3\"", "D:\\Music", "*.mp3"}, {"/filter \"*.mp3\" /dir=\"D:\\M\"", "D:\\M", "*.mp3"},
      {"/dir  \"D:\\M\"", "c:\\", "*.*"},
      {"/dir \"A\" /dir \"B\"", "A", "*.*"},
      {"/dir \"D:\\Music and more", "D:\\Music and more", "*.*"},
      {"/dir \"" + longValue + "\"", longValue.substr(0, 258), "*.*"}, {"/filter \"" + longValue, "c:\\", longValue.substr(0, 258)},
      {"/dir", "c:\\", "*.*"}, {"x /filter", "c:\\", "*.*"},
  };
  for (const auto& c : cases) {
    CopyText(settings.currentPath, MaxPath, "c:\\");
    CopyText(settings.currentFilter, MaxPath, "*.*");
    ApplyCommandLine(c.commandLine.c_str());
    EXPECT_EQ(settings.currentPath + ("|" + std::string(settings.currentFilter)), c.path + "|" + c.filter) << c.commandLine;
  }
}

}
