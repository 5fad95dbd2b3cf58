// The console front end's command line and its text conversion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/cli_arguments.h"
#include "app/cli_text.h"

namespace {

struct Parsed {
  bool ok;
  CliOptions options;
  CliError error;
};

Parsed Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "parvik-cli");
  Parsed parsed{};
  parsed.ok = ParseCliArguments(static_cast<int>(args.size()), args.data(), &parsed.options,
                                &parsed.error);
  return parsed;
}

std::string Utf8Of(const char* text) {
  std::string out;
  AppendCp1252AsUtf8(&out, text);
  return out;
}

}  // namespace

TEST(CliArguments, FolderAloneSearchesAllNonEmptyFilesWithoutTheNameRule) {
  Parsed parsed = Parse({"photos"});
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.options.folders, std::vector<std::string>{"photos"});
  EXPECT_STREQ(parsed.options.filter, "*.*");
  EXPECT_EQ(parsed.options.minSize, 0u);
  EXPECT_FALSE(parsed.options.sameName);
  EXPECT_FALSE(parsed.options.help);
}

TEST(CliArguments, OptionsTakeTheirValueAttachedOrAsTheNextArgument) {
  Parsed spaced = Parse({"--filter", "*.jpg", "a", "--min-size", "4096", "--same-name", "b"});
  ASSERT_TRUE(spaced.ok);
  EXPECT_STREQ(spaced.options.filter, "*.jpg");
  EXPECT_EQ(spaced.options.minSize, 4096u);
  EXPECT_TRUE(spaced.options.sameName);
  EXPECT_EQ(spaced.options.folders, (std::vector<std::string>{"a", "b"}));

  Parsed attached = Parse({"--filter=*.mp3", "--min-size=0", "c"});
  ASSERT_TRUE(attached.ok);
  EXPECT_STREQ(attached.options.filter, "*.mp3");
  EXPECT_EQ(attached.options.folders, std::vector<std::string>{"c"});
}

TEST(CliArguments, MinSizeTakesOnlyPlainNumbersThatFitThirtyTwoBits) {
  Parsed largest = Parse({"--min-size", "4294967295", "a"});
  ASSERT_TRUE(largest.ok);
  EXPECT_EQ(largest.options.minSize, 4294967295u);

  for (const char* bad : {"4294967296", "99999999999999999999", "-1", "+5", "10k", "1.5", "", " 7"}) {
    Parsed parsed = Parse({"--min-size", bad, "a"});
    EXPECT_FALSE(parsed.ok) << bad;
    EXPECT_STREQ(parsed.error.argument, bad);
  }
}

TEST(CliArguments, RefusalsNameTheArgumentToBlame) {
  Parsed unknown = Parse({"--recursive", "a"});
  EXPECT_FALSE(unknown.ok);
  EXPECT_STREQ(unknown.error.argument, "--recursive");

  Parsed noFolder = Parse({"--same-name"});
  EXPECT_FALSE(noFolder.ok);
  EXPECT_EQ(noFolder.error.argument, nullptr);
  EXPECT_NE(noFolder.error.message, nullptr);

  EXPECT_FALSE(Parse({"a", "--filter"}).ok);
  EXPECT_FALSE(Parse({"a", "--min-size"}).ok);
  EXPECT_FALSE(Parse({"--filter=", "a"}).ok);
  EXPECT_FALSE(Parse({"--filter", "sub/*.txt", "a"}).ok);
  EXPECT_FALSE(Parse({"--filter", "sub\\*.txt", "a"}).ok);
  EXPECT_FALSE(Parse({""}).ok);
}

TEST(CliArguments, TextsThatDoNotFitTheProgramsBuffersAreRefusedNotCut) {
  std::string longest(MaxPath - 1, 'x');
  std::string tooLong(MaxPath, 'x');
  // The longest folder that still leaves room for "/*.*".
  EXPECT_TRUE(Parse({longest.substr(4).c_str()}).ok);
  Parsed folder = Parse({tooLong.c_str()});
  EXPECT_FALSE(folder.ok);
  EXPECT_STREQ(folder.error.argument, tooLong.c_str());

  EXPECT_TRUE(Parse({"--filter", longest.substr(2).c_str(), "a"}).ok);
  EXPECT_FALSE(Parse({"--filter", tooLong.c_str(), "a"}).ok);
}

TEST(CliArguments, DoubleDashMakesEverythingAfterItAFolder) {
  Parsed parsed = Parse({"--", "--same-name", "-h", "--help"});
  ASSERT_TRUE(parsed.ok);
  EXPECT_FALSE(parsed.options.help);
  EXPECT_FALSE(parsed.options.sameName);
  EXPECT_EQ(parsed.options.folders, (std::vector<std::string>{"--same-name", "-h", "--help"}));
}

TEST(CliArguments, HelpIsGivenEvenBesideArgumentsThatWouldBeRefused) {
  EXPECT_TRUE(Parse({"--help"}).options.help);
  Parsed parsed = Parse({"--min-size", "lots", "-h"});
  EXPECT_TRUE(parsed.ok);
  EXPECT_TRUE(parsed.options.help);
}

TEST(CliArguments, ParsingAgainStartsFromTheDefaults) {
  CliOptions options;
  CliError error;
  const char* first[] = {"parvik-cli", "--same-name", "--min-size", "9", "--filter", "*.x", "a"};
  ASSERT_TRUE(ParseCliArguments(7, first, &options, &error));
  const char* second[] = {"parvik-cli", "b"};
  ASSERT_TRUE(ParseCliArguments(2, second, &options, &error));
  EXPECT_EQ(options.folders, std::vector<std::string>{"b"});
  EXPECT_STREQ(options.filter, "*.*");
  EXPECT_EQ(options.minSize, 0u);
  EXPECT_FALSE(options.sameName);
}

TEST(CliArguments, TrailingSeparatorsAreDroppedSoRowsDoNotDoubleThem) {
  char folder[MaxPath] = "photos/2024//";
  TrimTrailingSeparators(folder);
  EXPECT_STREQ(folder, "photos/2024");
  char plain[MaxPath] = "photos";
  TrimTrailingSeparators(plain);
  EXPECT_STREQ(plain, "photos");
  char root[MaxPath] = "/";
  TrimTrailingSeparators(root);
  EXPECT_STREQ(root, "");
}

TEST(CliText, ProgramTextsReachTheTerminalAsUtf8) {
  // The literal is Windows-1252 in the program: the umlaut is the byte 0xE4.
  EXPECT_EQ(Utf8Of("-- Länge:300 Byte --"), "-- L\xC3\xA4nge:300 Byte --");
  EXPECT_EQ(Utf8Of("plain ASCII, 0-9"), "plain ASCII, 0-9");
  EXPECT_EQ(Utf8Of("\x80\x85\x96\x9F"), "\xE2\x82\xAC\xE2\x80\xA6\xE2\x80\x93\xC5\xB8");
  EXPECT_EQ(Utf8Of("\xA0\xDF\xFF"), "\xC2\xA0\xC3\x9F\xC3\xBF");
  // Bytes the code page leaves unassigned must not pass as broken UTF-8.
  EXPECT_EQ(Utf8Of("\x81\x8D\x8F\x90\x9D"),
            "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}
