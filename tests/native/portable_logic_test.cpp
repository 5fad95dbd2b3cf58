#include <gtest/gtest.h>

#include "actions/marked_names.h"
#include "actions/protection.h"
#include "engine/path_store.h"
#include "engine/text.h"
#include "ui/marking_rules.h"
#include "ui/path_check.h"

TEST(MarkedNames, NumberedNamesRunFromThePlainNameToTheNumberedOnesThatFit) {
  const std::string a255(255, 'a');
  const struct { std::string stem, ext; int number; std::string expected; } cases[] = {
      {"d:\\b\\Bild", ".jpg", 1, "d:\\b\\Bild.jpg"}, {"d:\\b\\Bild", ".jpg", 2, "d:\\b\\Bild (2).jpg"},
      {"run", "", 999, "run (999)"}, {a255, ".jpg", 1, a255 + ".jpg"}, {a255 + "a", ".jpg", 1, ""},
      {a255, "", 9, a255 + " (9)"}, {a255, "", 10, ""}};
  for (const auto& c : cases) {
    char path[MaxPath] = "";
    EXPECT_EQ(NumberedPath(path, c.stem.c_str(), c.ext.c_str(), c.number) ? path : "", c.expected) << c.number;
  }
}

TEST(MarkedNames, StampsAndLogHeadersShowTheRunsLocalTimeZeroPadded) {
  const RunStamp stamp = StampOf({2026, 1, 2, 3, 4, 5});
  EXPECT_STREQ(stamp.text, "02012026-030405");
  FILE* log = tmpfile();
  WriteLogHeader(log, "T", stamp);
  rewind(log);
  char written[64];
  written[fread(written, 1, sizeof written - 1, log)] = 0;
  fclose(log);
  EXPECT_STREQ(written, "T\nParvik 2.3, 02.01.2026  03:04:05\n");
}

TEST(PathCheck, APathNeedsTwoCharactersAndLosesOneTrailingBackslash) {
  const struct { const char *typed, *scanned; bool searchable; } cases[] = {
      {"", "", false}, {"c", "c", false}, {"\\", "", false}, {"c:", "c:", true}, {"c:\\", "c:", true},
      {"d:\\a\\\\", "d:\\a\\", true}, {"\\\\srv\\x", "\\\\srv\\x", true}, {"d:\\\xE4", "d:\\\xE4", true}};
  for (const auto& c : cases) {
    EXPECT_EQ(IsSearchablePath(c.typed), c.searchable) << c.typed;
    std::string path = c.typed;
    DropTrailingBackslash(&path[0]);
    EXPECT_STREQ(path.c_str(), c.scanned);
  }
}

TEST(Protection, AFolderHoldsWhatLiesInItOrBelowWithDoubledSeparatorsAndNamesAsTheFileSystemHasThem) {
  const struct { const char *path, *folder, *below; } cases[] = {
      {"/p/a/x", "/p/a/", "x"}, {"/p/a/x", "/p/a", "x"}, {"/P/A/sub/x", "/p/a", nullptr}, {"/p//a///x", "/p/a/", "x"},
      {"/p/a2/x", "/p/a", nullptr}, {"/p/a", "/p/a", nullptr}, {"/p/a/", "/p/a", nullptr}, {"/q/a/x", "/p/a/", nullptr}};
  for (const auto& c : cases) {
    const char* below = PathBelowFolder(c.path, c.folder);
    EXPECT_STREQ(below ? below : "-", c.below ? c.below : "-") << c.path;
  }
  const std::string deep = "/p/" + std::string(400, 'd') + "/";
  EXPECT_TRUE(InSameFolder((deep + "x").c_str(), (deep + "y").c_str()) && ProtectFolderOf((deep + "x").c_str()) == ProtectResult::NoFolder);
  EXPECT_EQ(ProtectFolderOf(("/p/" + std::string(1000, 'd') + "/x").c_str()), ProtectResult::NoFolder);
}

TEST(MarkingRules, EachRuleKeepsOneFilePerGroupOrTheFolderOrFlipsAndNoneMarksAProtectedFile) {
  ASSERT_TRUE(fileTable.entries || CreateFileTable());
  const struct { int32_t index; const char* path; uint32_t time; } files[] = {
      {5, "/p/a/x", 30}, {4, "/p/b/x", 30}, {3, "/p/a/y", 10}, {2, "/p/b/z", 20}, {1, "/p/a/sub/z", 5}, {0, "/p/c/z", 20}};
  for (const auto& f : files) {
    fileTable.entries[f.index].path = StorePath(f.path);
    fileTable.entries[f.index].lastWriteTime = {~f.time, f.time};
  }
  const std::vector<int32_t> data = {TextRow, TextRow, 5, 4, 3, TextRow, TextRow, 2, 1, 0, TextRow};
  const struct { const char* name; MarkRule rule; int clicked; bool protectB; const char* marks; } cases[] = {
      {"duplicates", MarkRule::Duplicates, -1, false, "00110001100"},
      {"all but the newest", MarkRule::AllButNewest, -1, false, "00101001100"},
      {"all but the oldest", MarkRule::AllButOldest, -1, false, "00110001010"},
      {"in the folder of /p/a/x", MarkRule::InFolder, 2, false, "10101001001"},
      {"in the folder of a heading", MarkRule::InFolder, 1, false, "10100001001"},
      {"invert", MarkRule::Invert, -1, false, "00011000110"},
      {"none", MarkRule::None, -1, false, "00000000000"},
      {"every row", MarkRule::EveryRow, -1, false, "11111111111"},
      {"duplicates, /p/b protected", MarkRule::Duplicates, -1, true, "00101000110"},
      {"newest, /p/b protected", MarkRule::AllButNewest, -1, true, "00101000110"},
      {"oldest, /p/b protected", MarkRule::AllButOldest, -1, true, "00101000110"},
      {"every row, /p/b protected", MarkRule::EveryRow, -1, true, "11101110111"},
      {"in the protected folder of /p/b/x", MarkRule::InFolder, 3, true, "10100000001"},
      {"invert, /p/b protected", MarkRule::Invert, -1, true, "00001000110"}};
  for (const auto& c : cases) {
    protectedFolders.count = 0;
    if (c.protectB) {
      ASSERT_EQ(ProtectFolderOf("/p/b/other"), ProtectResult::Added);
    }
    RowMarks rows = {data, {}};
    for (char mark : std::string("10100001001")) rows.selected.push_back(mark == '1');
    ApplyMarkRule(c.rule, c.clicked, &rows);
    std::string marks;
    for (bool selected : rows.selected) marks += selected ? '1' : '0';
    EXPECT_EQ(marks, c.marks) << c.name;
  }
  EXPECT_EQ(ProtectFolderOf("/p/b/sub/x"), ProtectResult::AlreadyProtected);
  char buffer[RowTextSize];
  EXPECT_STREQ(ListedRowText(fileTable.entries[4], "file:/p/b/x", buffer), "[gesch\xFCtzt] file:/p/b/x");
  EXPECT_STREQ(ListedRowText(fileTable.entries[5], "file:/p/a/x", buffer), "file:/p/a/x");
  protectedFolders.count = 0;
}
