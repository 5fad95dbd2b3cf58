// The origin list of a Backup run and what may go back, without a file system.
#include <gtest/gtest.h>

#include <set>

#include "actions/restore_plan.h"

namespace {

const std::string header = OriginListHeader;

TEST(OriginList, LinesReadBackAsWrittenAndTheLastLineOfANameCounts) {
  OriginLine written = {"lied (2).mp3", "C:\\Musik\\\xC3\xBC\\lied.mp3", 5000000000u, {0x89ABCDEF, 0x01D2}};
  EXPECT_EQ(FormatOriginLine(written), "5000000000\t000001D289ABCDEF\tlied (2).mp3\tC:\\Musik\\\xC3\xBC\\lied.mp3\r\n");
  std::string text = header + FormatOriginLine(written) + "3\t0000000000000002\tA.txt\tC:\\old\\a.txt\r\n" +
                     "x\tbroken\r\n" + "3\t0000000000000002\ta.TXT\tC:\\new\\a.txt\n" + "7\t0000000000000009\tcut.txt\tC:\\c";
  std::vector<OriginLine> lines;
  int unreadable = -1;
  ASSERT_TRUE(ParseOriginList(text, &lines, &unreadable));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(unreadable, 1);
  EXPECT_EQ(lines[0].path + "|" + std::to_string(lines[0].size) + "|" + std::to_string(lines[0].lastWrite.high) + "|" +
                std::to_string(lines[0].lastWrite.low), written.path + "|5000000000|466|2309737967");
  EXPECT_EQ(lines[1].name + "|" + lines[1].path, "a.TXT|C:\\new\\a.txt");
  const char* notLists[] = {"", "Parvik-Herkunft 1\r\n", "backup.log\r\n"};
  for (const char* other : notLists) EXPECT_FALSE(ParseOriginList(other, &lines, &unreadable)) << other;
  const char* badLines[] = {"-3\t0000000000000002\ta\tC:\\a\r\n", "3\t00000002\ta\tC:\\a\r\n", "3\t0000000000000002\ta\\b\tC:\\a\r\n",
                            "3\t0000000000000002\t\tC:\\a\r\n", "3\t0000000000000002\ta\t\r\n", "99999999999999999999\t0000000000000002\ta\tC:\\a\r\n"};
  for (const char* bad : badLines) {
    ASSERT_TRUE(ParseOriginList(header + bad, &lines, &unreadable));
    EXPECT_EQ(lines.size() * 10 + unreadable, 1u) << bad;
  }
}

TEST(RestorePlan, AFileGoesBackOnlyAsItMovedAndOnlyToAFreePath) {
  const OriginLine line = {"a", "C:\\a", 10, {5, 6}};
  const struct { const char* name; RunFileState state; bool taken; RestoreVerdict verdict; } cases[] = {
      {"as moved, path free", {true, 10, {5, 6}}, false, RestoreVerdict::Restore},
      {"as moved, path taken", {true, 10, {5, 6}}, true, RestoreVerdict::PathTaken},
      {"other size", {true, 11, {5, 6}}, false, RestoreVerdict::Changed},
      {"other time, low half", {true, 10, {4, 6}}, false, RestoreVerdict::Changed},
      {"other time, high half", {true, 10, {5, 7}}, true, RestoreVerdict::Changed},
      {"gone", {false, 10, {5, 6}}, true, RestoreVerdict::Gone},
  };
  for (const auto& c : cases) EXPECT_EQ(DecideRestore(line, c.state, c.taken), c.verdict) << c.name;
}

TEST(RestorePlan, MissingFoldersAreNamedOutermostFirstAndNeverARoot) {
  static std::set<std::string> present;
  FolderExists check = {[](const char* folder, void*) { return present.count(folder) > 0; }, nullptr};
  const struct { const char* path; std::set<std::string> present; std::vector<std::string> missing; } cases[] = {
      {"/data/a/b/f", {"/data"}, {"/data/a", "/data/a/b"}},
      {"/data/a//b/f", {"/data/a"}, {"/data/a//b"}},
      {"/data/f", {}, {"/data"}},
      {"/f", {}, {}},
      {"f", {}, {}},
  };
  for (const auto& c : cases) {
    present = c.present;
    EXPECT_EQ(MissingFolders(c.path, check), c.missing) << c.path;
  }
}

}  // namespace
