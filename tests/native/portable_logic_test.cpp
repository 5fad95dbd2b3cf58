// What the Windows program decides without a window: numbered names for taken
// ones, the run's stamp and log header, and the path a search run takes.
#include <gtest/gtest.h>

#include "actions/marked_names.h"
#include "ui/path_check.h"

TEST(MarkedNames, NumberedNamesRunFromThePlainNameToTheNumberedOnesThatFit) {
  const std::string a255(255, 'a');
  const struct { std::string stem, ext; int number; std::string expected; } cases[] = {  // "": longer than 259 characters
      {"d:\\b\\Bild", ".jpg", 1, "d:\\b\\Bild.jpg"}, {"d:\\b\\Bild", ".jpg", 2, "d:\\b\\Bild (2).jpg"},
      {"run", "", 999, "run (999)"}, {a255, ".jpg", 1, a255 + ".jpg"}, {a255 + "a", ".jpg", 1, ""},
      {a255, "", 9, a255 + " (9)"}, {a255, "", 10, ""}, {"x", ".y", 0, "x.y"}};
  for (const auto& c : cases) {
    char path[MaxPath] = "";
    EXPECT_EQ(NumberedPath(path, c.stem.c_str(), c.ext.c_str(), c.number) ? path : "", c.expected) << c.number;
  }
}

TEST(MarkedNames, StampsAndLogHeadersShowTheRunsLocalTimeZeroPadded) {
  const struct { CalendarTime time; const char *stamp, *header; } cases[] = {
      {{2026, 1, 2, 3, 4, 5}, "02012026-030405", "Parvik 2.3, 02.01.2026  03:04:05"},
      {{1999, 12, 31, 23, 59, 58}, "31121999-235958", "Parvik 2.3, 31.12.1999  23:59:58"}};
  for (const auto& c : cases) {
    EXPECT_STREQ(StampOf(c.time).text, c.stamp);
    FILE* log = tmpfile();
    WriteLogHeader(log, "gel\xF6schte Dateien von Velo-Parvik 1.0", StampOf(c.time));
    rewind(log);
    std::string written(200, '\0');
    written.resize(fread(&written[0], 1, written.size(), log));
    fclose(log);
    EXPECT_EQ(written, "gel\xF6schte Dateien von Velo-Parvik 1.0\n" + std::string(c.header) + "\n");
  }
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
